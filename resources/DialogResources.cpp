#include "resources/DialogResources.h"

#include "framework/MessageBox.h"
#include "resources/ResourceIds.h"

namespace resources {

namespace {

using framework::ControlKind;
using framework::ES_AUTOHSCROLL;
using framework::WS_BORDER;
using framework::WS_TABSTOP;

// In tab order. The quantity's label is indented under the check box it belongs to.
constexpr framework::DialogControl kItemControls[] = {
    {0, ControlKind::label, "&Name:", 6, 9, 22, 8, 0},
    {IDC_NAME, ControlKind::edit, "", 30, 6, 150, 14, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
    {0, ControlKind::label, "&Group:", 6, 27, 23, 8, 0},
    {IDC_GROUP, ControlKind::edit, "", 30, 24, 150, 14, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
    {IDC_TAKE_ALONG, ControlKind::checkBox, "&Take along", 6, 48, 51, 10, WS_TABSTOP},
    {0, ControlKind::label, "&Quantity:", 18, 63, 32, 8, 0},
    {IDC_QUANTITY, ControlKind::edit, "", 52, 60, 128, 14, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
    {framework::IDOK, ControlKind::defaultPushButton, "OK", 78, 90, 50, 14, WS_TABSTOP},
    {framework::IDCANCEL, ControlKind::pushButton, "Cancel", 132, 90, 50, 14, WS_TABSTOP},
};

}  // namespace

constinit const framework::DialogTemplate kItemDialog = {
    .caption = "Edit Item and Quantity",
    .cx = 186,
    .cy = 110,
    .fontName = "MS Shell Dlg",
    .pointSize = 8,
    .controls = kItemControls,
};

}  // namespace resources
