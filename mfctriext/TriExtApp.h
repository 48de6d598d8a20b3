#pragma once

#include <string>

#include "framework/docview/Application.h"
#include "toolbox/config/Config.h"
#include "toolbox/config/ConfigSection.h"
#include "toolbox/system/Path.h"

namespace mfctriext {

// The program's name; it names the last folder of the application data folder. The
// program supplies it.
const char* GetApplicationName();

// The application base with a configuration that lives exactly as long as the application
// object: loaded while the object is constructed (before any start-up code runs) from the
// application data folder, or else from the file beside the program, and saved into the
// application data folder by the program's exit processing (SaveConfiguration), while the
// log and the user interface are still there to be told of a failure.
class TriExtApp : public framework::Application {
 public:
  TriExtApp();
  // Deletes the configuration; it saves nothing.
  ~TriExtApp() override;

  // The configuration's root section; null when there is no configuration.
  toolbox::ConfigSection* GetConfigRoot() const;
  // True when, at construction, the configuration did not record the first run as done.
  bool IsFirstRun() const { return firstRun; }
  // True if the action has been done before; the first time it answers false and records
  // the action as done (section "Application", subsection "OnceActions").
  bool CheckOnceAction(const char* name);
  // The local application data folder, then "Quorvane", then the program's name, created
  // when missing; the program folder when that cannot be had. The caller deletes it.
  static toolbox::Path* GetApplicationDataFolder();
  // Saves the configuration into the application data folder, also when it was loaded from
  // the file beside the program: that file only seeds a user's first configuration. False
  // when it could not be written: path then names the file (empty when even that could not
  // be had) and reason gives the system's reason. The previous file stays whole.
  [[nodiscard]] bool SaveConfiguration(std::string& path, std::string& reason);
  // The configuration file stays as this run found it: SaveConfiguration writes nothing. For
  // a run beside another instance of the program, whose settings those are.
  void LeaveConfigurationUnsaved() { saveConfiguration = false; }

 private:
  toolbox::Config* config = nullptr;
  bool firstRun = false;
  bool saveConfiguration = true;
};

}  // namespace mfctriext
