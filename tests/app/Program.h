#pragma once

// The real application object run the way main runs it: its program file in a scratch
// folder that also holds the user's home and configuration, every modal window answered by
// the test, and the files it writes read back.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Voyanta.h"
#include "core/Document.h"
#include "framework/dialogs/MessageBox.h"
#include "framework/docview/FrameWindow.h"
#include "support/CapturedLog.h"
#include "support/Modals.h"
#include "support/Scratch.h"
#include "toolbox/base/LogSink.h"
#include "toolbox/config/Config.h"
#include "ui/MainView.h"

namespace program {

// Answers modal windows from a queue and records what they asked.
using Modals = support::Modals;

// The log entries made while it lives, as "location: message".
using CapturedLog = support::CapturedLog;

// The program at <folder>/voyanta; HOME and XDG_CONFIG_HOME are the folder itself, the
// runtime folder is <folder>/run, which is not made, so that the running program listens for
// later starts in its settings folder.
class ProgramTest : public testing::Test {
 protected:
  ProgramTest();
  ~ProgramTest() override;

  // The command line after the program's path; takes effect at the next Construct.
  void SetArguments(std::vector<std::string> arguments);
  // Constructs the application object, which loads the configuration.
  Voyanta& Construct();
  // Constructs it and runs its start-up, as main would before the event loop.
  bool Start();
  // Constructs it and runs it through the framework. Once the event loop runs, step is
  // called and then the main window is closed (the real way out). Answers the exit status.
  int Run(const std::function<void()>& step);
  // Destroys the application object (a run has saved the configuration in its exit
  // processing).
  void Finish();

  std::string Program() const { return folder / "voyanta"; }
  std::string RepositoryFile() const { return folder / "voyanta.vyr"; }
  std::string SettingsFolder() const { return folder / "Quorvane/Voyanta"; }
  std::string ConfigFile() const { return SettingsFolder() + "/voyanta.cfg"; }

  // The configuration file as saved at the end; empty when it cannot be read.
  toolbox::ConfigSection& SavedConfig();
  // A section of the configuration in memory.
  toolbox::ConfigSection& Settings(const char* section) { return app->GetConfigRoot()->GetSubsection(section); }

  framework::FrameWindow& Window() const;
  // Shows the main window and makes it the active window, so that its keys work.
  void Activate() const;
  MainView& View() const;
  Document& Trip() const;

  // Adds an item at the end of the repository, as the item commands do.
  void AddItem(bool checked, const char* quantity, const char* name, const char* group);
  // The repository as item list lines, "check<TAB>quantity<TAB>name<TAB>group<TAB>".
  std::vector<std::string> RepositoryItems() const;
  // The lines of a file.
  static std::vector<std::string> Lines(const std::string& path);
  // Entries of the program's folder left behind by a replace that was not committed.
  std::vector<std::string> TemporaryFiles() const;

  scratch::Folder folder;
  scratch::Environment home;
  scratch::Environment configHome;
  scratch::Environment runtimeHome;
  std::vector<std::string> commandLine;
  std::vector<char*> argv;
  std::optional<scratch::Arguments> processArguments;
  Modals modals;
  toolbox::Config saved;
  std::unique_ptr<Voyanta> app;
};

}  // namespace program
