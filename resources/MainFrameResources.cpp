#include "resources/MainFrameResources.h"

#include "framework/base/CommandIds.h"
#include "resources/Icons.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"

namespace resources {

namespace {

using namespace framework;

constexpr MenuEntry kFileMenu[] = {
    {QT_TRANSLATE_NOOP("Menu", "&New\tCtrl+N"), ID_FILE_NEW},
    {QT_TRANSLATE_NOOP("Menu", "&Open...\tCtrl+O"), ID_FILE_OPEN},
    {QT_TRANSLATE_NOOP("Menu", "&Save\tCtrl+S"), ID_FILE_SAVE},
    {QT_TRANSLATE_NOOP("Menu", "Save &As...\tCtrl+Shift+S"), ID_FILE_SAVE_AS},
    kMenuSeparator,
    {QT_TRANSLATE_NOOP("Menu", "&Print...\tCtrl+P"), ID_FILE_PRINT},
    kMenuSeparator,
    {QT_TRANSLATE_NOOP("Menu", "O&ptions...\tF10"), ID_APP_OPTIONS},
    kMenuSeparator,
    // Placeholder of the recent-file entries; the recent-file list greys it while empty.
    {QT_TRANSLATE_NOOP("Menu", "(No Recent Files)"), ID_FILE_MRU_FILE1},
    kMenuSeparator,
    {QT_TRANSLATE_NOOP("Menu", "E&xit\tAlt+X"), ID_APP_EXIT},
};

constexpr MenuEntry kEditMenu[] = {
    {QT_TRANSLATE_NOOP("Menu", "&Check/Uncheck\tSpace"), ID_ITEM_CHECK_TOGGLE},
    {QT_TRANSLATE_NOOP("Menu", "Edit &Quantity...\t0-9"), ID_ITEM_QUANTITY},
    {QT_TRANSLATE_NOOP("Menu", "&Edit Item...\tEnter"), ID_ITEM_EDIT},
    kMenuSeparator,
    {QT_TRANSLATE_NOOP("Menu", "&New Item...\tIns"), ID_ITEM_NEW},
    {QT_TRANSLATE_NOOP("Menu", "&Delete Item\tDel"), ID_EDIT_CLEAR},
};

// The menu names F8 for Show Voyanta Only, but no accelerator carries that key.
constexpr MenuEntry kViewMenu[] = {
    {QT_TRANSLATE_NOOP("Menu", "Show &Voyanta Only\tF8"), ID_VIEW_TRIP_ONLY},
    kMenuSeparator,
    {QT_TRANSLATE_NOOP("Menu", "&Toolbar"), ID_VIEW_TOOLBAR},
    {QT_TRANSLATE_NOOP("Menu", "&Status Bar"), ID_VIEW_STATUS_BAR},
    kMenuSeparator,
    {QT_TRANSLATE_NOOP("Menu", "&Refresh\tF5"), ID_VIEW_REFRESH},
};

constexpr MenuEntry kHelpMenu[] = {
    {QT_TRANSLATE_NOOP("Menu", "&Help...\tF1"), ID_APP_HELP},
    {QT_TRANSLATE_NOOP("Menu", "&Terms and Conditions"), ID_APP_TERMS},
    {QT_TRANSLATE_NOOP("Menu", "&Web Site of Voyanta"), ID_APP_WEBSITE},
    kMenuSeparator,
    {QT_TRANSLATE_NOOP("Menu", "&About Voyanta...\tShift-F1"), ID_APP_ABOUT},
};

constexpr MenuPopup kMenuBar[] = {
    {QT_TRANSLATE_NOOP("Menu", "&File"), kFileMenu},
    {QT_TRANSLATE_NOOP("Menu", "&Edit"), kEditMenu},
    {QT_TRANSLATE_NOOP("Menu", "&View"), kViewMenu},
    {QT_TRANSLATE_NOOP("Menu", "&Help"), kHelpMenu},
};

// The digits are the main keyboard's: those of the keypad stay unbound. The keypad's Enter
// edits as Return does, and its other keys (Del, Ins) work as the main keyboard's.
constexpr Accelerator kAccelerators[] = {
    {Qt::Key_F1, Qt::ShiftModifier, ID_APP_ABOUT},
    {Qt::Key_F1, Qt::NoModifier, ID_APP_HELP},
    {Qt::Key_X, Qt::AltModifier, ID_APP_EXIT},
    {Qt::Key_Space, Qt::NoModifier, ID_ITEM_CHECK_TOGGLE},
    {Qt::Key_Delete, Qt::NoModifier, ID_EDIT_CLEAR},
    {Qt::Key_Return, Qt::NoModifier, ID_ITEM_EDIT},
    {Qt::Key_0, Qt::NoModifier, ID_ITEM_QUANTITY_0},
    {Qt::Key_1, Qt::NoModifier, ID_ITEM_QUANTITY_1},
    {Qt::Key_2, Qt::NoModifier, ID_ITEM_QUANTITY_2},
    {Qt::Key_3, Qt::NoModifier, ID_ITEM_QUANTITY_3},
    {Qt::Key_4, Qt::NoModifier, ID_ITEM_QUANTITY_4},
    {Qt::Key_5, Qt::NoModifier, ID_ITEM_QUANTITY_5},
    {Qt::Key_6, Qt::NoModifier, ID_ITEM_QUANTITY_6},
    {Qt::Key_7, Qt::NoModifier, ID_ITEM_QUANTITY_7},
    {Qt::Key_8, Qt::NoModifier, ID_ITEM_QUANTITY_8},
    {Qt::Key_9, Qt::NoModifier, ID_ITEM_QUANTITY_9},
    {Qt::Key_Insert, Qt::NoModifier, ID_ITEM_NEW},
    {Qt::Key_N, Qt::ControlModifier, ID_FILE_NEW},
    {Qt::Key_O, Qt::ControlModifier, ID_FILE_OPEN},
    {Qt::Key_F10, Qt::NoModifier, ID_APP_OPTIONS},
    {Qt::Key_P, Qt::ControlModifier, ID_FILE_PRINT},
    {Qt::Key_S, Qt::ControlModifier, ID_FILE_SAVE},
    {Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier, ID_FILE_SAVE_AS},
    {Qt::Key_F5, Qt::NoModifier, ID_VIEW_REFRESH},
};

// The button images are 16 by 15 pixels, the button size, so they are drawn unscaled.
constexpr ToolBarButton kToolBarButtons[] = {
    {ID_FILE_NEW, ":/icons/file-new.svg"},
    {ID_FILE_OPEN, ":/icons/file-open.svg"},
    {ID_FILE_SAVE, ":/icons/file-save.svg"},
    kToolBarSeparator,
    {ID_FILE_PRINT, ":/icons/file-print.svg"},
    kToolBarSeparator,
    {ID_ITEM_NEW, ":/icons/item-new.svg"},
    {ID_EDIT_CLEAR, ":/icons/item-delete.svg"},
    kToolBarSeparator,
    {ID_ITEM_UNCHECK, ":/icons/item-uncheck.svg", QT_TRANSLATE_NOOP("ToolBar", "Uncheck")},
    {ID_ITEM_CHECK, ":/icons/item-check.svg", QT_TRANSLATE_NOOP("ToolBar", "Check")},
    {ID_ITEM_QUANTITY, ":/icons/item-quantity.svg"},
    {ID_ITEM_EDIT, ":/icons/item-edit.svg"},
    kToolBarSeparator,
    {ID_VIEW_TRIP_ONLY, ":/icons/view-trip-only.svg"},
    kToolBarSeparator,
    {ID_APP_ABOUT, ":/icons/app-about.svg"},
};

}  // namespace

constinit const FrameResources kMainFrameResources = {
    .docString = kDocString,
    .menuBar = kMenuBar,
    .accelerators = kAccelerators,
    .toolBar = {.buttonWidth = 16, .buttonHeight = 15, .buttons = kToolBarButtons},
    .icon = IconPath(IDR_MAINFRAME),
};

}  // namespace resources
