#include "core/Item.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

using toolbox::String;

int CompareItems(const Item* a, const Item* b) {
  int order = String::CompareIgnoreCase(a->GetGroup().Text(), b->GetGroup().Text());
  if (order != 0) return order;
  return String::CompareIgnoreCase(a->GetName().Text(), b->GetName().Text());
}

namespace {

// The first eight bytes of a text as a number that orders as the text does under
// CompareItems: letters folded, the first byte highest, missing bytes zero (a text that is
// the beginning of another sorts first). Whole: the number holds all of the text.
struct Prefix {
  std::uint64_t bytes = 0;
  bool whole = false;
};

Prefix PrefixOf(const String& text) {
  Prefix prefix;
  const int length = text.Length();
  prefix.whole = length <= 8;
  for (int i = 0; i < 8; ++i) {
    unsigned char c = i < length ? static_cast<unsigned char>(text.Text()[i]) : 0;
    if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
    prefix.bytes = prefix.bytes << 8 | c;
  }
  return prefix;
}

// An item with the beginnings of its group and name: most comparisons of a sort are
// settled by one or two integer comparisons.
struct Keyed {
  Prefix group;
  Prefix name;
  Item* item = nullptr;
};

// The order of CompareItems: the texts are compared whole only where the beginnings agree
// and do not hold everything.
bool Before(const Keyed& a, const Keyed& b) {
  if (a.group.bytes != b.group.bytes) return a.group.bytes < b.group.bytes;
  if (!a.group.whole || !b.group.whole) {
    const int order = String::CompareIgnoreCase(a.item->GetGroup().Text(), b.item->GetGroup().Text());
    if (order != 0) return order < 0;
  }
  if (a.name.bytes != b.name.bytes) return a.name.bytes < b.name.bytes;
  if (a.name.whole && b.name.whole) return false;
  return String::CompareIgnoreCase(a.item->GetName().Text(), b.item->GetName().Text()) < 0;
}

// Where no two items compare equal, the list's selection sort can only end in the one
// sorted order, which a sort of keyed items finds with far less work. Equal items end where
// the selection sort's swaps carry them, so then (or without memory for the keys) nothing
// changes here and the answer is false.
bool SortDistinct(Repository& repository) {
  std::vector<Keyed> keyed;
  try {
    keyed.resize(static_cast<std::size_t>(repository.GetCount()));
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (std::size_t i = 0; i < keyed.size(); ++i) {
    Item* item = repository.GetAt(static_cast<int>(i));
    keyed[i] = Keyed{PrefixOf(item->GetGroup()), PrefixOf(item->GetName()), item};
  }
  std::sort(keyed.begin(), keyed.end(), Before);
  for (std::size_t i = 1; i < keyed.size(); ++i) {
    if (!Before(keyed[i - 1], keyed[i])) return false;
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
