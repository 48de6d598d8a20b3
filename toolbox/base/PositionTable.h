#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string_view>
#include <utility>

#include "toolbox/base/Memory.h"

namespace toolbox {

// An open hash table of positions: non-negative numbers that stand for entries its owner
// keeps (places in a list, ids in an array). Each position is kept with the hash of its
// entry and found again by that hash and the owner's test of the entry, so a look-up reads
// entries only where the hashes agree; no entry costs an allocation of its own. The owner
// puts an entry once. The slots are a power of two in number, probed linearly, at most two
// thirds of them taken; Put grows the table when it must. Positions are not taken out one
// by one: an owner that drops entries makes a table of those it keeps (Keeping). Owned by
// value; the only failure is an exhausted heap (EOutOfMemory), which leaves the table as it
// was.
class PositionTable {
 public:
  // Room for count positions.
  explicit PositionTable(std::size_t count = 0) { Allocate(count); }
  PositionTable(const PositionTable&) = delete;
  PositionTable& operator=(const PositionTable&) = delete;
  PositionTable(PositionTable&& other) noexcept { Swap(other); }
  PositionTable& operator=(PositionTable&& other) noexcept {
    Swap(other);
    return *this;
  }
  ~PositionTable() { std::free(table); }

  // The hash of a text's bytes, for owners whose entries are texts.
  static std::uint32_t HashOf(const char* bytes, std::size_t length) {
    return static_cast<std::uint32_t>(std::hash<std::string_view>()(std::string_view(bytes, length)));
  }

  // The position put with this hash whose entry matches (matches(position) is true), or -1.
  template <class Matches>
  int Find(std::uint32_t hash, Matches&& matches) const {
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot& slot = table[i];
      if (slot.position < 0) return -1;
      if (slot.hash == hash && matches(slot.position)) return slot.position;
    }
  }

  // Adds a position (>= 0) whose entry has this hash, growing the table first if it must.
  void Put(std::uint32_t hash, int position) {
    Reserve(used + 1);
    Place(hash, position);
  }

  // Room for count positions in all, so that as many Puts cannot fail.
  void Reserve(std::size_t count) {
    if (3 * count <= 2 * (mask + 1)) return;
    PositionTable grown(count);
    for (std::size_t i = 0; i <= mask; ++i) {
      if (table[i].position >= 0) grown.Place(table[i].hash, table[i].position);
    }
    Swap(grown);
  }

  // A table of the positions for which keep(position) is true.
  template <class Keep>
  PositionTable Keeping(Keep&& keep) const {
    PositionTable kept(used);
    for (std::size_t i = 0; i <= mask; ++i) {
      if (table[i].position >= 0 && keep(table[i].position)) kept.Place(table[i].hash, table[i].position);
    }
    return kept;
  }

 private:
  struct Slot {
    std::uint32_t hash;
    int position;  // -1: empty
  };

  void Allocate(std::size_t count) {
    std::size_t size = 16;
    while (2 * size < 3 * count) size *= 2;
    table = static_cast<Slot*>(AllocateOrThrow(size * sizeof(Slot)));
    for (std::size_t i = 0; i < size; ++i) table[i] = Slot{0, -1};
    mask = size - 1;
  }

  // Into a table with room.
  void Place(std::uint32_t hash, int position) {
    std::size_t i = hash & mask;
    while (table[i].position >= 0) i = (i + 1) & mask;
    table[i] = Slot{hash, position};
    ++used;
  }

  void Swap(PositionTable& other) noexcept {
    std::swap(table, other.table);
    std::swap(mask, other.mask);
    std::swap(used, other.used);
  }

  Slot* table = nullptr;
  std::size_t mask = 0;
  std::size_t used = 0;
};

}  // namespace toolbox
