#include "core/RepositoryFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <utility>

#include "toolbox/system/Files.h"

RepositoryFile::RepositoryFile(std::string path, std::string rescueName, std::vector<std::string> rescueFolders)
    : path(std::move(path)), rescueName(std::move(rescueName)), rescueFolders(std::move(rescueFolders)) {}

RepositoryFile::SaveOutcome RepositoryFile::Save(const std::string& text) const {
  SaveOutcome outcome;
  toolbox::FileReplacement file;
  if (!file.Begin(path.c_str())) {
    outcome.error = file.GetError();
    return outcome;
  }
  // In place, the new text is somewhere safe before the first old byte is overwritten.
  std::string rescue;
  if (file.IsInPlace()) rescue = WriteRescue(text, outcome.rescueError);
  if (file.Write(text.data(), text.size()) && file.Commit()) {
    outcome.saved = true;
    RemoveRescues();
    return outcome;
  }
  outcome.error = file.GetError();
  outcome.damaged = file.IsTargetDamaged();
  outcome.rescue = std::move(rescue);
  return outcome;
}

std::string RepositoryFile::WriteRescue(const std::string& text, int& error) const {
  for (const std::string& folder : rescueFolders) {
    const std::string rescue = RescueIn(folder);
    if (toolbox::WriteUserFile(rescue.c_str(), text.data(), text.size(), error)) return rescue;
  }
  return {};
}

void RepositoryFile::RemoveRescues() const {
  for (const std::string& folder : rescueFolders) {
    const std::string rescue = RescueIn(folder);
    struct stat info;
    // Another user's file of that name (in the temporary folder) is not this user's rescue.
    if (lstat(rescue.c_str(), &info) != 0 || info.st_uid != geteuid()) continue;
    int ignored;
    static_cast<void>(toolbox::RemoveFile(rescue.c_str(), ignored));
  }
}

std::string RepositoryFile::FindRescue() const {
  std::string newest;
  timespec newestTime{};
  for (const std::string& folder : rescueFolders) {
    const std::string rescue = RescueIn(folder);
    struct stat info;
    if (lstat(rescue.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid()) continue;
    const timespec& time = info.st_mtim;
    const bool newer = time.tv_sec != newestTime.tv_sec ? time.tv_sec > newestTime.tv_sec
                                                        : time.tv_nsec > newestTime.tv_nsec;
    if (newest.empty() || newer) {
      newest = rescue;
      newestTime = time;
    }
  }
  return newest;
}
