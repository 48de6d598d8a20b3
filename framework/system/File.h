#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "toolbox/system/Files.h"

namespace framework {

struct FileStatus {
  std::uint64_t m_size = 0;
};

// A file of the file system, opened for reading, for writing a new or truncated file, or
// for a safe replace. Every failure throws FileException with the cause and the path.
// Opening never waits on a FIFO; reading and replacing take regular files (or links to
// them) only, and refuse anything else (FileException::notRegularFile, badPath for a folder).
//
// A safe replace (toolbox::FileReplacement) writes into a temporary file beside the target.
// Close commits it: the data is flushed to disk, the temporary file renamed over the target
// and the folder flushed, so the target is always either the old file or the complete new
// one. Where no temporary file can be made beside an existing target, Close rewrites the
// target in place. A read-only target is refused. A replace that is destroyed or aborted
// without Close leaves the target as it was.
class File {
 public:
  enum OpenMode {
    modeRead,     // an existing file, reading
    modeCreate,   // created or truncated, writing
    modeReplace,  // the target replaced as a whole on Close, writing
  };

  File() = default;
  File(const char* path, OpenMode mode);
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  // Closes a read or create file; abandons an uncommitted replace. Never throws.
  ~File();

  void Open(const char* path, OpenMode mode);
  bool IsOpen() const { return fd >= 0 || replacement.IsActive(); }
  // A replace in place failed after it had begun to change the file: the file is damaged
  // (see toolbox::FileReplacement), and what was to be written should be kept elsewhere.
  bool IsDamaged() const { return replacement.IsTargetDamaged(); }
  // The path given to Open.
  const std::string& GetFilePath() const { return path; }

  std::uint64_t GetLength() const;
  // False when the status cannot be had (no file open, a replace, or the system refuses).
  bool GetStatus(FileStatus& status) const;

  // Reads up to max bytes; answers how many were read, 0 at the end of the file.
  std::size_t Read(void* buffer, std::size_t max);
  // Writes all count bytes.
  void Write(const void* buffer, std::size_t count);

  // Closes the file; for a replace, commits it (see above). Closing a closed file does
  // nothing.
  void Close();
  // Closes without committing: a replace is abandoned. Never throws.
  void Abort();

 private:
  [[noreturn]] void Throw(int error) const;

  int fd = -1;  // of a file read or created
  OpenMode mode = modeRead;
  std::string path;
  toolbox::FileReplacement replacement;
};

}  // namespace framework
