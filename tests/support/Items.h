#pragma once

// Items as the tests make them, fields in the order of an item list line: check mark,
// quantity, name, group.

#include "core/Item.h"

namespace support {

inline void SetFields(Item& item, bool checked, const char* quantity, const char* name, const char* group) {
  item.SetChecked(checked);
  item.SetQuantity(quantity);
  item.SetName(name);
  item.SetGroup(group);
}

// A new item; the caller (or the repository it goes into) deletes it.
inline Item* MakeItem(bool checked, const char* quantity, const char* name, const char* group) {
  auto* item = new Item;
  SetFields(*item, checked, quantity, name, group);
  return item;
}

// Appends a new item to the repository, as the item commands do.
inline void AddItem(Repository& repository, bool checked, const char* quantity, const char* name, const char* group) {
  repository.Add(MakeItem(checked, quantity, name, group));
}

}  // namespace support
