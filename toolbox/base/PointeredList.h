#pragma once

#include "toolbox/base/ContainingList.h"

namespace toolbox {

// A list item that refers to an object or a text it does not own.
class PointeredListItem : public ContainingListItem<PointeredListItem> {
 public:
  PointeredListItem() = default;
  explicit PointeredListItem(void* payload) : payload(payload) {}

  void* GetPayload() const { return payload; }
  void SetPayload(void* newPayload) { payload = newPayload; }

 private:
  void* payload = nullptr;
};

// A list of non-owned pointers: deleting the list deletes its items, never their payloads.
// The hash maps keep their buckets in these and hand out their keys as one.
class PointeredList : public ContainingList<PointeredListItem> {};

// For sorting key lists: both payloads taken as NUL-terminated texts, compared with the
// letters A to Z folded to a to z.
int CompareTextsIgnoreCase(const PointeredListItem* a, const PointeredListItem* b);

}  // namespace toolbox
