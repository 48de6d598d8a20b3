#pragma once

#include <string>
#include <vector>

// The repository file's saves, and the rescue file that keeps its items while it is
// rewritten in place.
//
// A save replaces the file as a whole (toolbox::FileReplacement): a temporary file beside
// it, flushed and renamed over it. Where no temporary file can be made beside it (a folder
// the user may not write in), the file is rewritten in place, and a kill, a power cut or a
// failing disk in the middle would leave new bytes followed by old ones. So before the first
// byte of it is overwritten, the whole new text goes into a rescue file of the user's alone,
// flushed, in the first of the rescue folders that takes it (the settings folder, then the
// documents folder, then the temporary folder); it goes again once the rewrite is flushed.
// A rescue file that is still there afterwards holds every item of a rewrite that did not
// end: the next start takes the items from it (FindRescue) instead of from a repository
// that may be torn.
//
// Keeps texts only; a save may run on any thread, one at a time. Failures are answers
// (SaveOutcome), never exceptions, except for an exhausted heap.
class RepositoryFile {
 public:
  // The repository file's path; the rescue file's name, the same in each rescue folder.
  RepositoryFile(std::string path, std::string rescueName, std::vector<std::string> rescueFolders);

  struct SaveOutcome {
    bool saved = false;
    // The system's error number of the failure (toolbox/Files.h).
    int error = 0;
    // The rewrite in place failed after its first byte: the file holds new and old bytes.
    bool damaged = false;
    // Set when the file was rewritten in place and the save failed: the rescue file that
    // holds every item, or empty when none could be written (rescueError says why).
    std::string rescue;
    int rescueError = 0;
  };

  // Writes the text as the whole repository file. After a save every rescue file of the
  // repository is gone; after a failed one in place, the rescue file, if any, keeps the text.
  [[nodiscard]] SaveOutcome Save(const std::string& text) const;

  // The rescue file that an unfinished rewrite left (the newest where several folders hold
  // one), or empty. Only a regular file of the user's own counts.
  std::string FindRescue() const;

 private:
  // The text into the first rescue folder that takes it: its path, or empty with the last
  // folder's error.
  std::string WriteRescue(const std::string& text, int& error) const;
  void RemoveRescues() const;
  std::string RescueIn(const std::string& folder) const { return folder + "/" + rescueName; }

  std::string path;
  std::string rescueName;
  std::vector<std::string> rescueFolders;
};
