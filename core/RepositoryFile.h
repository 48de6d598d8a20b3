#pragma once

#include <string>
#include <vector>

#include "core/FallbackFile.h"

// The repository file's saves, and the rescue file that keeps its items while it is
// rewritten in place, and after a save that failed.
//
// A save replaces the file as a whole (toolbox::FileReplacement): a temporary file beside
// it, flushed and renamed over it. Where no temporary file can be made beside it (a folder
// the user may not write in), the file is rewritten in place, and a kill, a power cut or a
// failing disk in the middle would leave new bytes followed by old ones. So before the first
// byte of it is overwritten, the whole new text goes into a rescue file of the user's alone,
// flushed, in the first of the rescue folders that takes it (FallbackFile: the settings
// folder, then the documents folder, then the temporary folder); it goes again once the
// rewrite is flushed. Where no folder takes it, the file is not touched and the save fails.
// A save that fails otherwise (a full disk, a folder that refuses the user) leaves the new
// text in a rescue file too, so that the items entered since the last save outlive the run.
// A rescue file that is still there afterwards holds every item of a save that did not end:
// the next start takes the items from it (FindRescue) instead of from a repository that
// may be torn or old.
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
    // Set when the save failed: the rescue file that holds every item, or empty when none
    // could be written (rescueError says why; then error too, where a rewrite in place was
    // not begun for want of one).
    std::string rescue;
    int rescueError = 0;
  };

  // Writes the text as the whole repository file. After a save every rescue file of the
  // repository is gone; after a failed one, the rescue file, if any, keeps the text.
  [[nodiscard]] SaveOutcome Save(const std::string& text) const;

  // The rescue file that a save that did not end left (the newest where several folders
  // hold one), or empty. Only a regular file of the user's own counts.
  std::string FindRescue() const { return rescues.FindNewest(); }

 private:
  std::string path;
  FallbackFile rescues;
};
