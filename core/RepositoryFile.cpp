#include "core/RepositoryFile.h"

#include <utility>

#include "toolbox/system/Files.h"

RepositoryFile::RepositoryFile(std::string path, std::string rescueName, std::vector<std::string> rescueFolders)
    : path(std::move(path)), rescues(std::move(rescueName), std::move(rescueFolders)) {}

RepositoryFile::SaveOutcome RepositoryFile::Save(const std::string& text) const {
  SaveOutcome outcome;
  toolbox::FileReplacement file;
  if (file.Begin(path.c_str())) {
    // In place, the only copy is not overwritten before the new text is safe somewhere else.
    if (file.IsInPlace()) {
      outcome.rescue = rescues.Write(text, outcome.rescueError);
      if (outcome.rescue.empty()) {
        outcome.error = outcome.rescueError;
        return outcome;
      }
    }
    if (file.Write(text.data(), text.size()) && file.Commit()) {
      outcome.saved = true;
      outcome.rescue.clear();
      rescues.Remove();
      return outcome;
    }
    outcome.damaged = file.IsTargetDamaged();
  }
  outcome.error = file.GetError();
  // Whatever failed, the items entered since the last save do not go with the run.
  if (outcome.rescue.empty()) outcome.rescue = rescues.Write(text, outcome.rescueError);
  return outcome;
}
