#pragma once

// The process's log entries made while a CapturedLog lives, in place of whatever sink was
// current before it (which comes back afterwards).

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "toolbox/base/LogSink.h"

namespace support {

class CapturedLog : public toolbox::LogSink {
 public:
  CapturedLog() : previous(toolbox::CurrentLogSink()) { toolbox::SetCurrentLogSink(this); }
  ~CapturedLog() override { toolbox::SetCurrentLogSink(previous); }
  CapturedLog(const CapturedLog&) = delete;
  CapturedLog& operator=(const CapturedLog&) = delete;

  void LogV(const char* location, int, int level, const char* format, va_list args) override {
    char message[1024];
    std::vsnprintf(message, sizeof message, format, args);
    entries.push_back({level, std::string(location) + ": " + message});
  }

  // The entries of at least the level, as "location: message".
  std::vector<std::string> Entries(int level) const {
    std::vector<std::string> texts;
    for (const Entry& entry : entries) {
      if (entry.level >= level) texts.push_back(entry.text);
    }
    return texts;
  }

 private:
  struct Entry {
    int level;
    std::string text;
  };
  std::vector<Entry> entries;
  toolbox::LogSink* previous;
};

}  // namespace support
