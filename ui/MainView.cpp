#include "ui/MainView.h"

#include "framework/Strings.h"
#include "mfctriext/ListRows.h"
#include "resources/Icons.h"
#include "resources/ResourceIds.h"

namespace {

constexpr int kColumns = 3;

}  // namespace

const framework::CommandMap& MainView::GetCommandMap() const {
  static const framework::CommandMap map(&ControlView::GetCommandMap(), {
      framework::OnCommand(resources::ID_VIEW_REFRESH, &MainView::OnViewRefresh),
      framework::OnCommand(resources::ID_VIEW_TRIP_ONLY, &MainView::OnViewTripOnly),
  });
  return map;
}

int MainView::OnCreate() {
  if (ControlView::OnCreate() == -1) return -1;
  images.Add(resources::IconPath(resources::IDI_UNCHECKED));  // image 0: not taken along
  images.Add(resources::IconPath(resources::IDI_CHECKED));    // image 1: taken along
  SetImageList(&images);
  InsertColumn(0, framework::LoadString(resources::IDS_COLUMN_QUANTITY), framework::LVCFMT_LEFT, 150);
  InsertColumn(1, framework::LoadString(resources::IDS_COLUMN_NAME), framework::LVCFMT_LEFT, 250);
  InsertColumn(2, framework::LoadString(resources::IDS_COLUMN_GROUP), framework::LVCFMT_LEFT, 150);
  return 0;
}

Repository& MainView::GetRepository() const { return static_cast<Document*>(GetDocument())->GetRepository(); }

void MainView::OnUpdate(framework::View* sender, long hint, void* hintObject) {
  ControlView::OnUpdate(sender, hint, hintObject);
  DeleteAllItems();
  const Repository& repository = GetRepository();
  for (int i = 0; i < repository.GetCount(); ++i) {
    const Item* item = repository.GetAt(i);
    const toolbox::String texts[kColumns] = {item->GetQuantity(), item->GetName(), item->GetGroup()};
    mfctriext::InsertListItem(*this, i, item->IsChecked() ? 1 : 0, texts, kColumns, false);
  }
  AutoSizeColumns();
}

void MainView::UpdateRow(int index) {
  const Item* item = GetRepository().GetAt(index);
  if (item == nullptr) return;
  const toolbox::String texts[kColumns] = {item->GetQuantity(), item->GetName(), item->GetGroup()};
  mfctriext::SetListItem(*this, index, index, item->IsChecked() ? 1 : 0, texts, kColumns, true);
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
