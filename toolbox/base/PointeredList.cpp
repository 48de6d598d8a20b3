#include "toolbox/base/PointeredList.h"

#include "toolbox/base/String.h"

namespace toolbox {

int CompareTextsIgnoreCase(const PointeredListItem* a, const PointeredListItem* b) {
  return String::CompareIgnoreCase(static_cast<const char*>(a->GetPayload()),
                                   static_cast<const char*>(b->GetPayload()));
}

}  // namespace toolbox
