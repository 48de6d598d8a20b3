#include "mfctriext/TriExtApp.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "framework/base/Exceptions.h"
#include "toolbox/base/Memory.h"
#include "toolbox/system/Files.h"

namespace mfctriext {

TriExtApp::TriExtApp() {
  config = framework::New<toolbox::Config>();
  std::unique_ptr<toolbox::Path> folder(GetApplicationDataFolder());
  // Neither file is needed: without them the settings start empty.
  if (!config->LoadFromFolder(*folder)) static_cast<void>(config->LoadFromProgramFolder());
  firstRun = !CheckOnceAction("FirstRun");
}

TriExtApp::~TriExtApp() {
  delete config;
  config = nullptr;
}

bool TriExtApp::SaveConfiguration(std::string& path, std::string& reason) {
  if (config == nullptr || !saveConfiguration) return true;
  try {
    std::unique_ptr<toolbox::Path> folder(GetApplicationDataFolder());
    std::unique_ptr<toolbox::Path> file(toolbox::Path::CreateApplicationLikePath(*folder, "cfg"));
    toolbox::HeapText text(file->ToText(false));
    path = text.get();
    if (config->SaveFile(path.c_str())) return true;
    reason = toolbox::DescribeFileError(config->GetSaveError());
  } catch (const toolbox::EOutOfMemory&) {
    reason = std::strerror(ENOMEM);
  } catch (const toolbox::Exception& error) {
    // A program path without a file name; the exception has recorded itself in the log.
    reason = error.GetMessage() != nullptr ? error.GetMessage() : error.GetTypeName();
  }
  return false;
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
