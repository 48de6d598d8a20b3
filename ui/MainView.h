#pragma once

#include "core/Document.h"
#include "framework/ControlView.h"
#include "framework/ImageList.h"

// The one view: the whole repository as a list in report mode, one row per item in
// repository order, the take-along state as a small icon and quantity, name and group as
// three columns. Row i always shows repository item i, and item i's index is the row's
// item data; the view never sorts or filters. Every change rebuilds the rows from the
// repository or rewrites one row in place.
class MainView : public framework::ControlView {
 public:
  MainView() = default;

  // Image list (unchecked, checked) and the three columns.
  int OnCreate() override;
  // Rebuilds every row from the repository; no row is selected afterwards.
  void OnUpdate(framework::View* sender, long hint, void* hintObject) override;

  // Rewrites the row of item index (selected), then sizes the columns.
  void UpdateRow(int index);
  // Sizes every column to the larger of its header and its contents.
  void AutoSizeColumns();
  // Selects and focuses the row and scrolls it fully into view.
  void SelectAndShow(int index);

  const framework::CommandMap& GetCommandMap() const override;

 private:
  Repository& GetRepository() const;

  void OnViewRefresh();
  // Accepted and does nothing: the list keeps showing every item.
  void OnViewTripOnly() {}

  framework::ImageList images;
};
