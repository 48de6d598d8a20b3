#pragma once

#include "toolbox/base/ArrayList.h"
#include "toolbox/base/String.h"

// One entry of the repository: what the item is, the group it is listed under, whether it
// is taken along on the current trip and how many. Quantity only means something together
// with the check mark.
class Item {
 public:
  Item() = default;
  // An unchecked item with these texts (copies share their buffers).
  Item(const toolbox::String& quantity, const toolbox::String& name, const toolbox::String& group)
      : quantity(quantity), name(name), group(group) {}
  Item(const Item&) = delete;
  Item& operator=(const Item&) = delete;
  // The repository deletes its items through this.
  virtual ~Item() = default;

  bool IsChecked() const { return checked; }
  void SetChecked(bool value) { checked = value; }

  const toolbox::String& GetQuantity() const { return quantity; }
  const toolbox::String& GetName() const { return name; }
  const toolbox::String& GetGroup() const { return group; }
  void SetQuantity(const toolbox::String& value) { quantity = value; }
  void SetName(const toolbox::String& value) { name = value; }
  void SetGroup(const toolbox::String& value) { group = value; }

 private:
  bool checked = false;
  toolbox::String quantity;
  toolbox::String name;
  toolbox::String group;
};

// Every item the user has ever entered, in the program's order (see CompareItems). Row i of
// the list view is item i; commands address items by that index.
using Repository = toolbox::ArrayList<Item>;

// The program's order: by group, then by name, both ignoring the case of A to Z only (other
// bytes count by their unsigned value, so accented capitals sort after z); a text that is a
// prefix of the other sorts first. Quantity and check mark take no part.
int CompareItems(const Item* a, const Item* b);

// Sorts the repository into the program's order, exactly as the list's own (selection) sort
// leaves it. A repository that is already in order, as every repository file the program
// writes is, is left as it is: n - 1 comparisons show it, and the sort would leave it
// exactly so (each pass finds the first of the smallest remaining items in its own place).
// Where no two items compare equal there is only one sorted order, found by a sort of the
// items keyed with the beginnings of their texts; otherwise the list's own sort runs.
void SortRepository(Repository& repository);
