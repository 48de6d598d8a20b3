#pragma once

namespace toolbox {

class ConfigSection;

// An object that keeps its settings in a section of the configuration named after the entry
// under which it is registered with the Config. The Config calls it after each successful
// load and before each save; it never deletes it.
class Configurable {
 public:
  virtual ~Configurable() = default;
  // With store false the object takes its settings from the section; with store true it
  // puts them into the section.
  virtual void ExchangeConfiguration(ConfigSection& section, bool store) = 0;
};

}  // namespace toolbox
