#pragma once

#include <string>
#include <vector>

// A file of the user's alone, kept in the first of several folders that takes it: the
// repository's rescue file and the kept trip. Where the first folder cannot take it (a full
// disk, a folder that refuses the user), the next one does, and the copies in the other
// folders go once it is written; the file found is the newest of its copies, so that one
// left behind where a removal failed never hides the one written last. Removing removes it
// from every folder.
//
// Only a regular file of the user's own counts as a copy, and only such a file is removed:
// a shared folder (the temporary folder) may hold another user's file or link of that name.
//
// Keeps its name and folders only; it may be used on any thread, one call at a time.
// Failures are answers, never exceptions, except for an exhausted heap.
class FallbackFile {
 public:
  // The file's name, the same in each folder; the folders in the order they are tried.
  FallbackFile(std::string name, std::vector<std::string> folders);

  // Writes the text as the whole file (toolbox::WriteUserFile) into the first folder that
  // takes it: its path, or empty with the first folder's error, the user's own place.
  [[nodiscard]] std::string Write(const std::string& text, int& error) const;
  // The newest copy, or empty.
  std::string FindNewest() const;
  // Every copy goes.
  void Remove() const { RemoveAllBut(std::string()); }

  // Its path in the folder.
  std::string In(const std::string& folder) const { return folder + "/" + name; }

 private:
  void RemoveAllBut(const std::string& kept) const;

  std::string name;
  std::vector<std::string> folders;
};
