#include "resources/DialogResources.h"

#include "framework/dialogs/MessageBox.h"
#include "resources/Icons.h"
#include "resources/ResourceIds.h"

namespace resources {

namespace {

using framework::ControlKind;
using framework::ES_AUTOHSCROLL;
using framework::WS_BORDER;
using framework::WS_TABSTOP;

// In tab order. The quantity's label is indented under the check box it belongs to. The
// labels are wide enough for the longer German and French texts ("Groupe :", "Quantité :").
constexpr framework::DialogControl kItemControls[] = {
    {0, ControlKind::label, QT_TRANSLATE_NOOP("Dialog", "&Name:"), 6, 9, 36, 8, 0},
    {IDC_NAME, ControlKind::edit, "", 44, 6, 136, 14, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
    {0, ControlKind::label, QT_TRANSLATE_NOOP("Dialog", "&Group:"), 6, 27, 36, 8, 0},
    {IDC_GROUP, ControlKind::edit, "", 44, 24, 136, 14, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
    {IDC_TAKE_ALONG, ControlKind::checkBox, QT_TRANSLATE_NOOP("Dialog", "&Take along"), 6, 48, 51, 10, WS_TABSTOP},
    {0, ControlKind::label, QT_TRANSLATE_NOOP("Dialog", "&Quantity:"), 18, 63, 40, 8, 0},
    {IDC_QUANTITY, ControlKind::edit, "", 60, 60, 120, 14, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
    {framework::IDOK, ControlKind::defaultPushButton, QT_TRANSLATE_NOOP("Dialog", "OK"), 78, 90, 50, 14, WS_TABSTOP},
    {framework::IDCANCEL, ControlKind::pushButton, QT_TRANSLATE_NOOP("Dialog", "Cancel"), 132, 90, 50, 14, WS_TABSTOP},
};

constexpr framework::DialogControl kOptionsControls[] = {
    {framework::IDOK, ControlKind::defaultPushButton, QT_TRANSLATE_NOOP("Dialog", "OK"), 75, 75, 50, 14, WS_TABSTOP},
    {framework::IDCANCEL, ControlKind::pushButton, QT_TRANSLATE_NOOP("Dialog", "Cancel"), 130, 75, 50, 14, WS_TABSTOP},
};

// The first line of the text is the version; the box below it stays empty down to the
// button.
constexpr framework::DialogControl kAboutControls[] = {
    {0, ControlKind::icon, IconPath(IDR_MAINFRAME), 11, 10, 20, 20, 0},
    {0, ControlKind::label,
     QT_TRANSLATE_NOOP("Dialog", "Voyanta Version 1.2.1\n"
     "Copyright (C) 2024 Quorvane Software\n"
     "Harbour Row 12, Port Elswick\n"
     "support@quorvane.example"),
     40, 8, 203, 35, 0},
    {framework::IDOK, ControlKind::defaultPushButton, QT_TRANSLATE_NOOP("Dialog", "OK"), 180, 168, 61, 14, WS_TABSTOP},
};

}  // namespace

constinit const framework::DialogTemplate kItemDialog = {
    .caption = QT_TRANSLATE_NOOP("Dialog", "Edit Item and Quantity"),
    .cx = 186,
    .cy = 110,
    .fontName = "MS Shell Dlg",
    .pointSize = 8,
    .controls = kItemControls,
};

constinit const framework::DialogTemplate kOptionsDialog = {
    .caption = QT_TRANSLATE_NOOP("Dialog", "Options"),
    .cx = 186,
    .cy = 95,
    .fontName = "MS Sans Serif",
    .pointSize = 8,
    .controls = kOptionsControls,
};

constinit const framework::DialogTemplate kAboutDialog = {
    .caption = QT_TRANSLATE_NOOP("Dialog", "About Voyanta"),
    .cx = 247,
    .cy = 189,
    .fontName = "MS Sans Serif",
    .pointSize = 8,
    .controls = kAboutControls,
};

}  // namespace resources
