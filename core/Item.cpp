#include "core/Item.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

#include "toolbox/base/Memory.h"

using toolbox::String;

int CompareItems(const Item* a, const Item* b) {
  int order = String::CompareIgnoreCase(a->GetGroup().Text(), b->GetGroup().Text());
  if (order != 0) return order;
  return String::CompareIgnoreCase(a->GetName().Text(), b->GetName().Text());
}

namespace {

// The beginning of a text as numbers that order as the text does under CompareItems:
// letters folded, the first byte highest, missing bytes zero (a text that is the beginning
// of another sorts first). Whole: the numbers hold all of the text.
template <std::size_t kWords>
struct Prefix {
  std::uint64_t words[kWords] = {};
  const char* text = "";
  bool whole = false;

  explicit Prefix(const String& of) : text(of.Text()) {
    const auto length = static_cast<std::size_t>(of.Length());
    whole = length <= 8 * kWords;
    for (std::size_t i = 0; i < 8 * kWords; ++i) {
      const unsigned char c = i < length ? String::FoldAscii(static_cast<unsigned char>(text[i])) : 0;
      words[i / 8] = words[i / 8] << 8 | c;
    }
  }

  // Negative, 0 or positive as CompareIgnoreCase of the texts; the texts themselves are read
  // only where the numbers agree without holding everything, and not at all when they are
  // one shared text.
  int Compare(const Prefix& other) const {
    for (std::size_t i = 0; i < kWords; ++i) {
      if (words[i] != other.words[i]) return words[i] < other.words[i] ? -1 : 1;
    }
    if ((whole && other.whole) || text == other.text) return 0;
    return String::CompareIgnoreCase(text, other.text);
  }
};

// An item with the beginnings of its group and name: most comparisons of a sort are
// settled by a few integer comparisons, without reading the item.
struct Keyed {
  Prefix<1> group;
  Prefix<2> name;
  Item* item;

  explicit Keyed(Item* item) : group(item->GetGroup()), name(item->GetName()), item(item) {}
  bool operator<(const Keyed& other) const {
    const int order = group.Compare(other.group);
    return order != 0 ? order < 0 : name.Compare(other.name) < 0;
  }
};

// Where no two items compare equal, the list's selection sort can only end in the one
// sorted order, which a sort of keyed items finds with far less work. Equal items end where
// the selection sort's swaps carry them, so then (or without memory for the keys) nothing
// changes here and the answer is false.
bool SortDistinct(Repository& repository) {
  std::vector<Keyed> keyed;
  try {
    toolbox::Allocating([&] { keyed.reserve(static_cast<std::size_t>(repository.GetCount())); });
  } catch (const toolbox::EOutOfMemory&) {
    return false;
  }
  for (int i = 0; i < repository.GetCount(); ++i) keyed.emplace_back(repository.GetAt(i));
  std::sort(keyed.begin(), keyed.end());
  for (std::size_t i = 1; i < keyed.size(); ++i) {
    if (!(keyed[i - 1] < keyed[i])) return false;
  }
  for (std::size_t i = 0; i < keyed.size(); ++i) repository.SetAt(static_cast<int>(i), keyed[i].item);
  return true;
}

}  // namespace

void SortRepository(Repository& repository) {
  for (int i = 1; i < repository.GetCount(); ++i) {
    if (CompareItems(repository.GetAt(i), repository.GetAt(i - 1)) < 0) {
      if (!SortDistinct(repository)) repository.Sort(CompareItems);
      return;
    }
  }
}
