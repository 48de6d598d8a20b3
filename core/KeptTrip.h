#pragma once

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "core/FallbackFile.h"
#include "core/Item.h"
#include "toolbox/base/String.h"

// The trip being edited, kept in a file beside the settings while it has changes that are
// not saved, so that a start after a kill, a power cut or a lost display can bring it back
// as it was: its path (empty for an unnamed trip) and its checked items with their
// quantities. The program forgets it once the trip is saved or given up, and at an end the
// user chose once the repository is saved.
//
// The file holds the trip's path and a line feed, then the trip's lines as the trip's own
// file holds them. It is the user's alone, in the first of its folders that takes it (the
// settings folder, then the documents folder, then the temporary folder, as a FallbackFile);
// the newest copy is read, and forgetting removes every copy. A link there or another
// user's file is not read. A path that holds a line feed itself cannot be kept: such a trip
// comes back unnamed.
//
// A save of the trip settles it (Settle) on the window's thread while the save thread may
// be keeping a snapshot taken before: each Keep carries the mark of its snapshot, and one
// of a mark from before the trip was settled writes nothing, so that a trip just saved is
// never brought back by a kill. Settle waits for a Keep that is writing.
//
// Keeps its name and folders, and the mark; its calls may come from any thread. Failures
// are answers, never exceptions, except for an exhausted heap.
class KeptTrip {
 public:
  // The file's name, the same in each folder; the folders in the order they are tried.
  KeptTrip(std::string name, std::vector<std::string> folders) : places(std::move(name), std::move(folders)) {}
  KeptTrip(const KeptTrip&) = delete;
  KeptTrip& operator=(const KeptTrip&) = delete;

  // What Keep takes for the trip of that path, whose content is the repository's check
  // marks and quantities. A memory failure passes out as framework::MemoryException.
  static std::string Format(const std::string& tripPath, const Repository& repository);

  // Taken with a snapshot of the trip, for Keep.
  unsigned long GetMark() const;
  // Replaces what is kept by the text that Format made with the snapshot of the mark, unless
  // the trip was settled since (true, writing nothing); false with the system's error when
  // no folder took it.
  [[nodiscard]] bool Keep(const std::string& text, unsigned long mark, int& error);
  // Nothing is kept any more.
  void Forget() const;
  // The trip was saved or given up: nothing is kept, nor kept later for a snapshot of before.
  void Settle();
  // What was kept: true with the trip's path and its lines; false when nothing is kept
  // (error ENOENT) or it cannot be read (the system's error, EINVAL for a file that holds
  // a NUL byte or no line feed).
  [[nodiscard]] bool Read(std::string& tripPath, toolbox::String& lines, int& error) const;

  // Where it is kept now (the newest copy), or empty.
  std::string Find() const { return places.FindNewest(); }
  // Where it is kept in the folder.
  std::string In(const std::string& folder) const { return places.In(folder); }

 private:
  FallbackFile places;
  mutable std::mutex mutex;
  unsigned long mark = 0;  // under mutex
};
