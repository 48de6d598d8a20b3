#pragma once

namespace framework {

// Hands a file or an address to the desktop, which opens it in the program associated
// with it (a browser for an address or an HTML page, an editor for a text file).
class Shell {
 public:
  // A file: folder and file name are joined when a folder is given; a relative path counts
  // from the current folder.
  [[nodiscard]] static bool OpenFile(const char* folder, const char* fileName);
  [[nodiscard]] static bool OpenAddress(const char* address);
};

}  // namespace framework
