#include "ui/MainView.h"

#include <array>
#include <memory>

#include "framework/base/CommandIds.h"
#include "framework/base/Exceptions.h"
#include "framework/base/StringTable.h"
#include "framework/base/TextEncoding.h"
#include "framework/dialogs/MessageBox.h"
#include "mfctriext/ListRows.h"
#include "resources/Icons.h"
#include "resources/ResourceIds.h"
#include "ui/ItemDialog.h"

namespace {

constexpr int kColumns = 3;
// The band at the left of the list where a click toggles the row: the row's icon.
constexpr int kIconBandPixels = 18;

// The texts of an item's row, column by column: quantity, name, group.
std::array<const char*, kColumns> RowTexts(const Item& item) {
  return {item.GetQuantity().Text(), item.GetName().Text(), item.GetGroup().Text()};
}

int ShowMessage(unsigned id, unsigned type) {
  return framework::MessageBox::Show(framework::LoadString(id), type,
                                     framework::LoadString(resources::IDS_MESSAGE_CAPTION));
}

}  // namespace

const framework::CommandMap& MainView::GetCommandMap() const {
  static const framework::CommandMap map(&ControlView::GetCommandMap(), {
      framework::OnCommand(resources::ID_VIEW_REFRESH, &MainView::OnViewRefresh),
      framework::OnCommand(resources::ID_VIEW_TRIP_ONLY, &MainView::OnViewTripOnly),
      framework::OnCommand(resources::ID_ITEM_CHECK, &MainView::OnItemCheck),
      framework::OnCommand(resources::ID_ITEM_UNCHECK, &MainView::OnItemUncheck),
      framework::OnCommand(resources::ID_ITEM_CHECK_TOGGLE, &MainView::OnItemToggle),
      framework::OnCommand(resources::ID_ITEM_QUANTITY, &MainView::OnItemQuantity),
      framework::OnCommandRange(resources::ID_ITEM_QUANTITY_0, resources::ID_ITEM_QUANTITY_9,
                                &MainView::OnItemQuantityDigit),
      framework::OnCommand(resources::ID_ITEM_EDIT, &MainView::OnItemEdit),
      framework::OnCommand(resources::ID_ITEM_NEW, &MainView::OnItemNew),
      framework::OnCommand(framework::ID_EDIT_CLEAR, &MainView::OnItemDelete),
  });
  return map;
}

int MainView::OnCreate() {
  if (ControlView::OnCreate() == -1) return -1;
  // Image 0: not taken along; image 1: taken along. An image that cannot be loaded keeps
  // its slot, empty: its rows then show no image.
  static_cast<void>(images.Add(resources::IconPath(resources::IDI_UNCHECKED)));
  static_cast<void>(images.Add(resources::IconPath(resources::IDI_CHECKED)));
  SetImageList(&images);
  // For those who hear the list rather than see it.
  SetImageMeaning(0, framework::LoadString(resources::IDS_NOT_TAKEN_ALONG), framework::CheckMark::unchecked);
  SetImageMeaning(1, framework::LoadString(resources::IDS_TAKEN_ALONG), framework::CheckMark::checked);
  setAccessibleName(framework::ToQString(framework::LoadString(resources::IDS_LIST_NAME)));
  InsertColumn(0, framework::LoadString(resources::IDS_COLUMN_QUANTITY), framework::LVCFMT_LEFT, 150);
  InsertColumn(1, framework::LoadString(resources::IDS_COLUMN_NAME), framework::LVCFMT_LEFT, 250);
  InsertColumn(2, framework::LoadString(resources::IDS_COLUMN_GROUP), framework::LVCFMT_LEFT, 150);
  // People look for an item by its name: the first column holds quantities, mostly none.
  SetSearchColumn(1);
  return 0;
}

Repository& MainView::GetRepository() const { return static_cast<Document*>(GetDocument())->GetRepository(); }

void MainView::OnUpdate(framework::View* sender, long hint, void* hintObject) {
  ControlView::OnUpdate(sender, hint, hintObject);
  {
    // The list's view is told of the new rows once, when the refill ends, not row by row.
    const Refill refill(*this);
    DeleteAllItems();
    const Repository& repository = GetRepository();
    // Without the room the rows are still inserted, growing the list's storage as they come.
    static_cast<void>(SetItemCount(repository.GetCount()));
    for (int i = 0; i < repository.GetCount(); ++i) {
      const Item* item = repository.GetAt(i);
      mfctriext::InsertListItem(*this, i, item->IsChecked() ? 1 : 0, RowTexts(*item).data(), kColumns, false);
    }
  }
  AutoSizeColumns();
}

void MainView::UpdateRow(int index) {
  const Item* item = GetRepository().GetAt(index);
  if (item == nullptr) return;
  mfctriext::SetListItem(*this, index, index, item->IsChecked() ? 1 : 0, RowTexts(*item).data(), kColumns, true);
  AutoSizeColumns();
}

void MainView::AutoSizeColumns() {
  for (int column = 0; column < kColumns; ++column) SetColumnWidth(column, framework::LVSCW_AUTOSIZE_USEHEADER);
}

void MainView::SelectAndShow(int index) {
  SetItemState(index, framework::LVIS_SELECTED | framework::LVIS_FOCUSED,
               framework::LVIS_SELECTED | framework::LVIS_FOCUSED);
  EnsureVisible(index, false);
}

void MainView::OnViewRefresh() { OnUpdate(nullptr, 0, nullptr); }

int MainView::SelectedItemOrReport() {
  const int row = GetNextItem(-1, framework::LVNI_SELECTED);
  if (row >= 0 && row < GetRepository().GetCount()) return row;
  ShowMessage(resources::IDS_SELECT_ITEM_FIRST, framework::MB_OK | framework::MB_ICONERROR);
  return -1;
}

void MainView::SetModified() { GetDocument()->SetModifiedFlag(true); }

void MainView::ChangeCheck(CheckChange change) {
  const int index = SelectedItemOrReport();
  if (index < 0) return;
  Item* item = GetRepository().GetAt(index);
  item->SetChecked(change == CheckChange::check || (change == CheckChange::toggle && !item->IsChecked()));
  item->SetQuantity(toolbox::String());
  UpdateRow(index);
  SetModified();
}

void MainView::EditSelectedItem(const char* preset) {
  const int index = SelectedItemOrReport();
  if (index < 0) return;
  Item* item = GetRepository().GetAt(index);
  const toolbox::String name = item->GetName();
  const toolbox::String group = item->GetGroup();
  ItemDialog dialog(*item, preset, window());
  dialog.SuggestGroups(GetRepository());
  if (dialog.DoModal() != framework::IDOK) return;
  SetModified();
  if (toolbox::String::Compare(name.Text(), item->GetName().Text()) != 0 ||
      toolbox::String::Compare(group.Text(), item->GetGroup().Text()) != 0) {
    SortRepository(GetRepository());
    GetDocument()->UpdateAllViews(nullptr);
  } else {
    UpdateRow(index);
  }
  SelectItem(item);
}

void MainView::OnItemQuantityDigit(unsigned id) {
  const char digit[] = {static_cast<char>('0' + (id - resources::ID_ITEM_QUANTITY_0)), '\0'};
  EditSelectedItem(digit);
}

void MainView::OnItemNew() {
  std::unique_ptr<Item> item(framework::New<Item>());
  item->SetChecked(true);
  Repository& repository = GetRepository();
  const int row = GetNextItem(-1, framework::LVNI_SELECTED);
  const bool selected = row >= 0 && row < repository.GetCount();
  if (selected) item->SetGroup(repository.GetAt(row)->GetGroup());
  ItemDialog dialog(*item, nullptr, window());
  dialog.SuggestGroups(repository);
  if (dialog.DoModal() != framework::IDOK) return;
  Item* added = item.get();
  if (selected) {
    repository.InsertAt(added, row);
  } else {
    repository.Add(added);
  }
  item.release();  // the repository owns it now
  SortRepository(repository);
  SetModified();
  GetDocument()->UpdateAllViews(nullptr);
  SelectItem(added);
}

void MainView::OnItemDelete() {
  const int index = SelectedItemOrReport();
  if (index < 0) return;
  if (ShowMessage(resources::IDS_CONFIRM_DELETE, framework::MB_YESNO | framework::MB_ICONQUESTION) !=
      framework::IDYES) {
    return;
  }
  GetRepository().DeleteAt(index);
  SetModified();
  GetDocument()->UpdateAllViews(nullptr);
  SelectAndShow(index);  // the item that followed; nothing after the last
}

void MainView::SelectItem(const Item* item) {
  const Repository& repository = GetRepository();
  for (int i = 0; i < repository.GetCount(); ++i) {
    if (repository.GetAt(i) == item) {
      SelectAndShow(i);
      return;
    }
  }
}

void MainView::OnLButtonDown(const QPoint& point, int, bool) {
  if (point.x() >= 0 && point.x() < kIconBandPixels) OnItemToggle();
}

void MainView::OnLButtonDblClk(const QPoint&, int) { OnItemQuantity(); }
