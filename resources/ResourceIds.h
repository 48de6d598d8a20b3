#pragma once

// The program's own resource ids. The framework's standard ids (File New, Exit, the
// recent-file entries, the tool bar and status bar, the title and idle strings) are in
// framework/CommandIds.h.

namespace resources {

// Commands, 32771 to 32794.
inline constexpr unsigned ID_ITEM_CHECK = 32771;
inline constexpr unsigned ID_ITEM_CHECK_TOGGLE = 32772;
inline constexpr unsigned ID_ITEM_EDIT = 32773;
inline constexpr unsigned ID_ITEM_QUANTITY = 32774;
// The digit keys 0 to 9: edit the selected item with that digit as its new quantity.
inline constexpr unsigned ID_ITEM_QUANTITY_0 = 32775;
inline constexpr unsigned ID_ITEM_QUANTITY_1 = 32776;
inline constexpr unsigned ID_ITEM_QUANTITY_2 = 32777;
inline constexpr unsigned ID_ITEM_QUANTITY_3 = 32778;
inline constexpr unsigned ID_ITEM_QUANTITY_4 = 32779;
inline constexpr unsigned ID_ITEM_QUANTITY_5 = 32780;
inline constexpr unsigned ID_ITEM_QUANTITY_6 = 32781;
inline constexpr unsigned ID_ITEM_QUANTITY_7 = 32782;
inline constexpr unsigned ID_ITEM_QUANTITY_8 = 32783;
inline constexpr unsigned ID_ITEM_QUANTITY_9 = 32784;
inline constexpr unsigned ID_ITEM_NEW = 32785;
inline constexpr unsigned ID_ITEM_UNCHECK = 32786;
inline constexpr unsigned ID_APP_OPTIONS = 32787;
inline constexpr unsigned ID_APP_HELP = 32788;
inline constexpr unsigned ID_APP_TERMS = 32791;
inline constexpr unsigned ID_APP_WEBSITE = 32792;
inline constexpr unsigned ID_VIEW_REFRESH = 32793;
inline constexpr unsigned ID_VIEW_TRIP_ONLY = 32794;

// The main frame: its template string, menu bar, tool bar, accelerators and the program
// icon all go by this id.
inline constexpr unsigned IDR_MAINFRAME = 128;

// The item dialog and its controls.
inline constexpr unsigned IDD_ITEM = 130;
inline constexpr unsigned IDC_NAME = 1000;
inline constexpr unsigned IDC_GROUP = 1001;
inline constexpr unsigned IDC_TAKE_ALONG = 1002;
inline constexpr unsigned IDC_QUANTITY = 1003;

// Icons of the list's image list.
inline constexpr unsigned IDI_CHECKED = 134;
inline constexpr unsigned IDI_UNCHECKED = 135;

// The application's own dialogs: the about box and the options.
inline constexpr unsigned IDD_ABOUTBOX = 100;
inline constexpr unsigned IDD_OPTIONS = 129;

// Strings. The framework's own strings start at 57344, so these stay well below.
inline constexpr unsigned IDS_COLUMN_QUANTITY = 201;
inline constexpr unsigned IDS_COLUMN_NAME = 202;
inline constexpr unsigned IDS_COLUMN_GROUP = 203;
inline constexpr unsigned IDS_SELECT_ITEM_FIRST = 204;
inline constexpr unsigned IDS_CONFIRM_DELETE = 205;
inline constexpr unsigned IDS_WEBSITE_URL = 206;
inline constexpr unsigned IDS_MESSAGE_CAPTION = 207;  // caption of the program's own messages
inline constexpr unsigned IDS_REPOSITORY_FAILED = 208;  // start-up: the repository file is unusable
inline constexpr unsigned IDS_ALREADY_RUNNING = 209;  // start-up: another instance holds the repository
inline constexpr unsigned IDS_REPOSITORY_NOT_SAVED = 210;  // a save: the repository file could not be written
inline constexpr unsigned IDS_SETTINGS_NOT_SAVED = 211;  // exit: the configuration file could not be written
inline constexpr unsigned IDS_REPOSITORY_DAMAGED = 212;  // a save: a failed rewrite in place damaged the repository
inline constexpr unsigned IDS_REPOSITORY_RESCUED = 213;  // a save: where the repository's items went
inline constexpr unsigned IDS_ITEMS_NOT_KEPT = 217;  // a save in place: nowhere to keep the items either
inline constexpr unsigned IDS_SAVE_RETRIED = 218;  // a save while the program runs: when it is tried again
inline constexpr unsigned IDS_BRING_BACK_TRIP = 219;  // start-up: the trip of a run that did not end cleanly
inline constexpr unsigned IDS_REPOSITORY_DAMAGED_AT_START = 220;  // start-up: the repository holds NUL bytes
inline constexpr unsigned IDS_LOCK_FAILED = 221;  // start-up: the repository's lock file cannot be used
inline constexpr unsigned IDS_STARTED_BY = 222;  // start-up: the user whose instance holds the repository
inline constexpr unsigned IDS_TRIP_NOT_KEPT = 223;  // a save: the trip with changes could be kept nowhere
inline constexpr unsigned IDS_UNGUARDED = 224;  // start-up: no lock at all keeps a second copy off the repository
// What a screen reader says of the list and of its rows' images.
inline constexpr unsigned IDS_LIST_NAME = 214;
inline constexpr unsigned IDS_NOT_TAKEN_ALONG = 215;
inline constexpr unsigned IDS_TAKEN_ALONG = 216;
inline constexpr unsigned IDS_TOOLBAR_CAPTION = 20012;  // the tool bar's title while it floats

}  // namespace resources
