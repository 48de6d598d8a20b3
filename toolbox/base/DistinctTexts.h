#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "toolbox/base/PositionTable.h"

namespace toolbox {

// The distinct texts of a list, each stored once as its bytes however many places show it.
// A stored text is known by its id, a small number that stays its own while the text is
// stored; id 0 is the empty text, stored from the start and never counted. FindOrAdd finds a
// text by its bytes through a PositionTable or adds it; Use and Release count the places that
// show it. A text no place shows stays stored, since a list filled again shows most of its
// texts again, until its owner drops the unused ones (DropUnused, when ManyUnused says it is
// worth it); only then may its id go to another text, and its Generation tells the texts that
// have held an id apart: an owner that keeps something of a text by its id (what a list
// control measured of it) keeps the generation with it.
// Owned by value by its list; not copyable. The only failure is an exhausted heap
// (EOutOfMemory, also for a text longer than an int counts), which leaves the store as it
// was.
class DistinctTexts {
 public:
  static constexpr int kEmpty = 0;

  DistinctTexts();
  DistinctTexts(const DistinctTexts&) = delete;
  DistinctTexts& operator=(const DistinctTexts&) = delete;

  // Room for this many texts in all and a few more, with their bytes at a typical length:
  // filling a list of as many places grows nothing.
  void Reserve(std::size_t count);

  // The id of the text with these bytes: the one stored, or a new one that no place uses yet.
  int FindOrAdd(std::string_view bytes) {
    const std::uint32_t hash = PositionTable::HashOf(bytes.data(), bytes.size());
    const int found = ids.Find(hash, [&](int id) { return Bytes(id) == bytes; });
    return found >= 0 ? found : Add(bytes, hash);
  }
  std::string_view Bytes(int id) const {
    const Text& text = texts[Index(id)];
    return {store.data() + text.offset, static_cast<std::size_t>(text.length)};
  }

  // One place more or less shows the text.
  void Use(int id) {
    if (id != kEmpty && texts[Index(id)].uses++ == 0) --unused;
  }
  void Release(int id) {
    if (id != kEmpty && --texts[Index(id)].uses == 0) ++unused;
  }

  // Whether the texts no place shows outnumber those shown, by more than a few: dropping
  // them then costs less than the memory they keep.
  bool ManyUnused() const { return unused > 2 * (Stored() - unused) + kFewUnused; }
  // Drops every text that no place shows, with its bytes; the store keeps only the texts
  // shown, and the ids of the others go to texts added later.
  void DropUnused();

  // How many texts held the id before the one it holds: 0 for an id's first text.
  std::uint32_t Generation(int id) const { return texts[Index(id)].generation; }
  // How many times DropUnused ran: only then may ids go to other texts.
  std::uint32_t Drops() const { return drops; }
  // Every id is below this.
  int IdLimit() const { return static_cast<int>(texts.size()); }

 private:
  // A stored text; an id that holds none has the uses kFree. 24 bytes: a list of many rows
  // keeps about as many of these.
  struct Text {
    std::size_t offset = 0;  // of its bytes in the store
    int length = 0;
    int uses = 0;
    std::uint32_t generation = 0;
  };

  static constexpr int kFree = -1;
  static constexpr int kFewUnused = 1024;
  static constexpr std::size_t kFewTexts = 256;
  static constexpr std::size_t kTypicalBytes = 16;
  static std::size_t Index(int id) { return static_cast<std::size_t>(id); }
  // The ids that hold a text, shown or not.
  int Stored() const { return static_cast<int>(texts.size() - freeIds.size()); }
  int Add(std::string_view bytes, std::uint32_t hash);

  std::vector<Text> texts;  // by id
  std::vector<char> store;  // the bytes of the texts, one after the other
  PositionTable ids;        // the ids that hold a text, by the hash of its bytes
  std::vector<int> freeIds;
  int unused = 0;  // texts stored that no place shows
  std::uint32_t drops = 0;
};

}  // namespace toolbox
