#pragma once

#include "framework/listcontrol/ListControl.h"
#include "framework/docview/View.h"

namespace framework {

// A view whose window is itself a list control: the view is the widget, and is deleted
// with the frame that shows it.
class ControlView : public ListControl, public View {
 public:
  ControlView() = default;

  ListControl& GetListCtrl() { return *this; }
  QWidget* GetWidget() override { return this; }
};

}  // namespace framework
