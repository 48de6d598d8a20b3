#include "mfctriext/TriExtApp.h"

#include <memory>

#include "framework/Exceptions.h"

namespace mfctriext {

TriExtApp::TriExtApp() {
  config = framework::New<toolbox::Config>();
  std::unique_ptr<toolbox::Path> folder(GetApplicationDataFolder());
  if (!config->LoadFromFolder(*folder)) config->LoadFromProgramFolder();
  firstRun = !CheckOnceAction("FirstRun");
}

TriExtApp::~TriExtApp() {
  if (config == nullptr) return;
  // Always saved into the application data folder, also when it was loaded from the file
  // beside the program: that file only seeds a user's first configuration. A failed save
  // has nobody to be reported to at this point.
  try {
    if (saveConfiguration) {
      std::unique_ptr<toolbox::Path> folder(GetApplicationDataFolder());
      config->SaveToFolder(*folder);
    }
  } catch (const toolbox::Exception&) {
    // The exception has recorded itself in the log when it was made.
  }
  delete config;
  config = nullptr;
}

toolbox::ConfigSection* TriExtApp::GetConfigRoot() const {
  return config != nullptr ? &config->GetRoot() : nullptr;
}

bool TriExtApp::CheckOnceAction(const char* name) {
  toolbox::ConfigSection& actions = config->GetRoot().GetSubsection("Application").GetSubsection("OnceActions");
  if (!actions.GetBool(name, true)) return true;
  actions.GetParameter(name).SetBool(false);
  return false;
}

toolbox::Path* TriExtApp::GetApplicationDataFolder() {
  toolbox::Path base;
  if (!base.FromKnownFolder(toolbox::Path::LocalApplicationDataFolder, true)) return toolbox::Path::ProgramFolder();
  std::unique_ptr<toolbox::Path> folder(base.Clone());
  folder->AddText("Quorvane");
  folder->AddText(GetApplicationName());
  if (folder->Exists() || folder->MakeDirectories()) return folder.release();
  return toolbox::Path::ProgramFolder();
}

}  // namespace mfctriext
