#include "core/FallbackFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <utility>

#include "toolbox/system/Files.h"

namespace {

// Whether a copy of the user's own is at path, with its status.
bool IsOwnCopy(const std::string& path, struct stat& info) {
  return lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid();
}

bool IsNewer(const timespec& time, const timespec& than) {
  return time.tv_sec != than.tv_sec ? time.tv_sec > than.tv_sec : time.tv_nsec > than.tv_nsec;
}

}  // namespace

FallbackFile::FallbackFile(std::string name, std::vector<std::string> folders)
    : name(std::move(name)), folders(std::move(folders)) {}

std::string FallbackFile::Write(const std::string& text, int& error) const {
  int firstError = 0;
  for (const std::string& folder : folders) {
    const std::string path = In(folder);
    int failure = 0;
    if (toolbox::WriteUserFile(path.c_str(), text.data(), text.size(), failure)) {
      RemoveAllBut(path);
      return path;
    }
    if (firstError == 0) firstError = failure;
  }
  error = firstError;
  return {};
}

std::string FallbackFile::FindNewest() const {
  std::string newest;
  timespec newestTime{};
  for (const std::string& folder : folders) {
    const std::string path = In(folder);
    struct stat info;
    if (!IsOwnCopy(path, info)) continue;
    if (newest.empty() || IsNewer(info.st_mtim, newestTime)) {
      newest = path;
      newestTime = info.st_mtim;
    }
  }
  return newest;
}

void FallbackFile::RemoveAllBut(const std::string& kept) const {
  for (const std::string& folder : folders) {
    const std::string path = In(folder);
    struct stat info;
    if (path == kept || !IsOwnCopy(path, info)) continue;
    int ignored;
    static_cast<void>(toolbox::RemoveFile(path.c_str(), ignored));
  }
}
