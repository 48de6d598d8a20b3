#include "framework/base/Exceptions.h"

#include <cerrno>
#include <utility>

#include "framework/base/CommandIds.h"
#include "framework/base/StringTable.h"
#include "toolbox/system/Files.h"

namespace framework {

std::string MemoryException::GetErrorMessage() const { return LoadString(AFX_IDP_FAILED_MEMORY_ALLOC); }

FileException::FileException(Cause cause, int osError, std::string path)
    : cause(cause), osError(osError), path(std::move(path)) {}

FileException::Cause FileException::CauseFromErrno(int error) {
  switch (error) {
    case 0:
      return none;
    case ENOENT:
      return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EISDIR:
      return badPath;
    case EMFILE:
    case ENFILE:
      return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
      return accessDenied;
    case EBADF:
      return invalidFile;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return diskFull;
    case toolbox::kNotRegularFile:
      return notRegularFile;
    case toolbox::kForeignLink:
      return foreignLink;
    default:
      return genericException;
  }
}

std::string FileException::GetErrorMessage() const {
  switch (cause) {
    case fileNotFound:
      return FormatString(AFX_IDP_FILE_NOT_FOUND, path.c_str());
    case badPath:
      // The one bad path whose reason is plain to tell: the user named a folder.
      if (osError == EISDIR) return FormatString(AFX_IDP_FILE_IS_DIRECTORY, path.c_str());
      return FormatString(AFX_IDP_FILE_ACCESS_DENIED, path.c_str());
    case accessDenied:
      return FormatString(AFX_IDP_FILE_ACCESS_DENIED, path.c_str());
    case diskFull:
      return LoadString(AFX_IDP_FILE_DISK_FULL);
    case notRegularFile:
      return FormatString(AFX_IDP_FILE_NOT_REGULAR, path.c_str());
    case foreignLink:
      return FormatString(AFX_IDP_FILE_FOREIGN_LINK, path.c_str());
    default:
      return FormatString(AFX_IDP_FILE_GENERIC, path.c_str());
  }
}

std::string FileException::GetSystemReason() const {
  return osError != 0 ? toolbox::DescribeFileError(osError) : std::string();
}

std::string FileException::GetReason() const { return osError != 0 ? GetSystemReason() : GetErrorMessage(); }

}  // namespace framework
