#pragma once

#include <string>
#include <utility>

#include "core/Item.h"
#include "toolbox/base/String.h"

// The trip being edited, kept in a file beside the settings while it has changes that are
// not saved, so that a start after a kill, a power cut or a lost display can bring it back
// as it was: its path (empty for an unnamed trip) and its checked items with their
// quantities. The program forgets it once the trip is saved or given up, and at an end the
// user chose.
//
// The file holds the trip's path and a line feed, then the trip's lines as the trip's own
// file holds them. It is the user's alone; a link there or another user's file is not read.
// A path that holds a line feed itself cannot be kept: such a trip comes back unnamed.
//
// Keeps its path only; Keep and Forget may run on any thread, one at a time. Failures are
// answers, never exceptions, except for an exhausted heap.
class KeptTrip {
 public:
  explicit KeptTrip(std::string path) : path(std::move(path)) {}

  // What Keep takes for the trip of that path, whose content is the repository's check
  // marks and quantities. A memory failure passes out as framework::MemoryException.
  static std::string Format(const std::string& tripPath, const Repository& repository);

  // Replaces what is kept by the text that Format made; false with the system's error.
  [[nodiscard]] bool Keep(const std::string& text, int& error) const;
  // Nothing is kept any more.
  void Forget() const;
  // What was kept: true with the trip's path and its lines; false when nothing is kept
  // (error ENOENT) or it cannot be read (the system's error, EINVAL for a file that holds
  // a NUL byte or no line feed).
  [[nodiscard]] bool Read(std::string& tripPath, toolbox::String& lines, int& error) const;

  const std::string& GetPath() const { return path; }

 private:
  std::string path;
};
