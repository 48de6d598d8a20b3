#include "core/Item.h"

int CompareItems(const Item* a, const Item* b) {
  int order = toolbox::String::CompareIgnoreCase(a->GetGroup().Text(), b->GetGroup().Text());
  if (order != 0) return order;
  return toolbox::String::CompareIgnoreCase(a->GetName().Text(), b->GetName().Text());
}

void SortRepository(Repository& repository) {
  for (int i = 1; i < repository.GetCount(); ++i) {
    if (CompareItems(repository.GetAt(i), repository.GetAt(i - 1)) < 0) {
      repository.Sort(CompareItems);
      return;
    }
  }
}
