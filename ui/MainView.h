#pragma once

#include "core/Document.h"
#include "framework/docview/ControlView.h"
#include "framework/listcontrol/ImageList.h"

// The one view: the whole repository as a list in report mode, one row per item in
// repository order, the take-along state as a small icon and quantity, name and group as
// three columns. Row i always shows repository item i, and item i's index is the row's
// item data; the view never sorts or filters. Every change rebuilds the rows from the
// repository or rewrites one row in place.
//
// The item commands act on the selected row's item: check, uncheck and toggle it (always
// emptying its quantity), edit it in the item dialog (with a quantity preset from the digit
// keys), add a new item and delete one from the repository. Every accepted change marks the
// trip modified; a command without a selected row says so and changes nothing.
class MainView : public framework::ControlView {
 public:
  MainView() = default;

  // Image list (unchecked, checked) and the three columns.
  [[nodiscard]] int OnCreate() override;
  // Rebuilds every row from the repository; no row is selected afterwards.
  void OnUpdate(framework::View* sender, long hint, void* hintObject) override;

  // Rewrites the row of item index (selected), then sizes the columns.
  void UpdateRow(int index);
  // Sizes every column to the larger of its header and its contents.
  void AutoSizeColumns();
  // Selects and focuses the row and scrolls it fully into view.
  void SelectAndShow(int index);

  const framework::CommandMap& GetCommandMap() const override;

 protected:
  // A click in the band of the first 18 pixels toggles the row the click selected.
  void OnLButtonDown(const QPoint& point, int row, bool onIcon) override;
  // A double click edits the quantity of the row it selected.
  void OnLButtonDblClk(const QPoint& point, int row) override;

 private:
  enum class CheckChange { check, uncheck, toggle };

  Repository& GetRepository() const;
  // The selected row's repository index; -1, after telling the user, when none is selected.
  int SelectedItemOrReport();
  void SetModified();

  void ChangeCheck(CheckChange change);
  void OnItemCheck() { ChangeCheck(CheckChange::check); }
  void OnItemUncheck() { ChangeCheck(CheckChange::uncheck); }
  void OnItemToggle() { ChangeCheck(CheckChange::toggle); }
  // Runs the item dialog on the selected item with the quantity preset (null for none).
  void EditSelectedItem(const char* preset);
  void OnItemEdit() { EditSelectedItem(nullptr); }
  void OnItemQuantity() { EditSelectedItem(""); }
  void OnItemQuantityDigit(unsigned id);
  void OnItemNew();
  void OnItemDelete();
  // Selects the row of this very item, if it is in the repository.
  void SelectItem(const Item* item);

  void OnViewRefresh();
  // Accepted and does nothing: the list keeps showing every item.
  void OnViewTripOnly() {}

  framework::ImageList images;
};
