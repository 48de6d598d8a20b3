#include "framework/system/File.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "framework/base/Exceptions.h"
#include "toolbox/system/Files.h"

namespace framework {

File::File(const char* path, OpenMode mode) { Open(path, mode); }

File::~File() { Abort(); }

void File::Throw(int error) const {
  throw FileException(FileException::CauseFromErrno(error), error, path);
}

void File::Open(const char* newPath, OpenMode newMode) {
  Abort();
  path = newPath == nullptr ? "" : newPath;
  mode = newMode;
  if (path.empty()) Throw(ENOENT);
  int error = 0;
  switch (mode) {
    case modeRead:
      fd = toolbox::OpenFile(path.c_str(), O_RDONLY, error);
      break;
    case modeCreate:
      fd = toolbox::OpenFile(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, error, true);
      break;
    case modeReplace:
      if (!replacement.Begin(path.c_str())) Throw(replacement.GetError());
      return;
  }
  if (fd < 0) Throw(error);
}

std::uint64_t File::GetLength() const {
  FileStatus status;
  if (!GetStatus(status)) Throw(IsOpen() && mode != modeReplace ? errno : EBADF);
  return status.m_size;
}

bool File::GetStatus(FileStatus& status) const {
  struct stat info;
  if (fd < 0 || fstat(fd, &info) != 0) return false;
  status.m_size = static_cast<std::uint64_t>(info.st_size);
  return true;
}

std::size_t File::Read(void* buffer, std::size_t max) {
  if (fd < 0) Throw(EBADF);
  int error = 0;
  const long got = toolbox::ReadFromFile(fd, buffer, max, error);
  if (got < 0) Throw(error);
  return static_cast<std::size_t>(got);
}

void File::Write(const void* buffer, std::size_t count) {
  if (mode == modeReplace) {
    if (!replacement.Write(buffer, count)) Throw(replacement.GetError());
    return;
  }
  if (fd < 0) Throw(EBADF);
  int error = 0;
  if (!toolbox::WriteToFile(fd, buffer, count, error)) Throw(error);
}

void File::Close() {
  if (mode == modeReplace) {
    if (replacement.IsActive() && !replacement.Commit()) Throw(replacement.GetError());
    return;
  }
  if (fd < 0) return;
  const int closing = fd;
  fd = -1;
  int error = 0;
  if (!toolbox::CloseFile(closing, error)) Throw(error);
}

void File::Abort() {
  if (fd >= 0) {
    int ignored;
    static_cast<void>(toolbox::CloseFile(fd, ignored));
  }
  fd = -1;
  replacement.Abandon();
}

}  // namespace framework
