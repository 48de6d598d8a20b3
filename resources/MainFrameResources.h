#pragma once

#include "framework/base/Resources.h"

namespace resources {

// What the document template loads for IDR_MAINFRAME: the template string, the menu bar,
// the accelerators, the tool bar (16 by 15 pixel buttons) and the program icon.
extern const framework::FrameResources kMainFrameResources;

}  // namespace resources
