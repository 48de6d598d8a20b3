#include "mfctriext/ListRows.h"

namespace mfctriext {

namespace {

framework::ListItem RowRecord(int index, std::intptr_t data, int image, const char* const* texts, int textCount,
                              bool selected) {
  framework::ListItem item;
  item.mask = framework::LVIF_TEXT | framework::LVIF_IMAGE | framework::LVIF_PARAM | framework::LVIF_STATE;
  item.iItem = index;
  item.iSubItem = 0;
  item.state = selected ? framework::LVIS_SELECTED : 0;
  item.stateMask = framework::LVIS_SELECTED;
  item.pszText = textCount > 0 ? texts[0] : "";
  item.iImage = image;
  item.lParam = data;
  return item;
}

void SetSubItemTexts(framework::ListControl& list, int row, const char* const* texts, int textCount) {
  for (int k = 1; k < textCount; ++k) list.SetItemText(row, k, texts[k]);
}

}  // namespace

int InsertListItem(framework::ListControl& list, std::intptr_t data, int image, const char* const* texts,
                   int textCount, bool selected) {
  int row = list.InsertItem(RowRecord(list.GetItemCount(), data, image, texts, textCount, selected));
  if (row >= 0) SetSubItemTexts(list, row, texts, textCount);
  return row;
}

bool SetListItem(framework::ListControl& list, int index, std::intptr_t data, int image,
                 const char* const* texts, int textCount, bool selected) {
  if (!list.SetItem(RowRecord(index, data, image, texts, textCount, selected))) return false;
  SetSubItemTexts(list, index, texts, textCount);
  return true;
}

}  // namespace mfctriext
