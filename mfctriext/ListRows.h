#pragma once

#include <cstdint>

#include "framework/listcontrol/ListControl.h"

namespace mfctriext {

// Appends a row: image, item data and selection in the item column, texts[0] as its text,
// texts[k] as the text of column k. Answers the new row's index, or -1.
int InsertListItem(framework::ListControl& list, std::intptr_t data, int image, const char* const* texts,
                   int textCount, bool selected);

// Rewrites the row at index the same way.
bool SetListItem(framework::ListControl& list, int index, std::intptr_t data, int image,
                 const char* const* texts, int textCount, bool selected);

}  // namespace mfctriext
