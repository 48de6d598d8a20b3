#include "resources/StringTable.h"

#include "framework/base/CommandIds.h"
#include "resources/ResourceIds.h"

namespace resources {

namespace {

using namespace framework;

// Every recent-file entry shows the same prompt.
constexpr const char* kOpenRecent = QT_TRANSLATE_NOOP("StringTable", "Open this document.\nOpen document");

constexpr StringEntry kEntries[] = {
    {AFX_IDS_APP_TITLE, "Voyanta"},
    {AFX_IDS_IDLEMESSAGE, QT_TRANSLATE_NOOP("StringTable", "Ready")},
    {IDR_MAINFRAME, kDocString},
    {IDS_TOOLBAR_CAPTION, QT_TRANSLATE_NOOP("StringTable", "Tools")},

    // The list's column headers.
    {IDS_COLUMN_QUANTITY, QT_TRANSLATE_NOOP("StringTable", "Quantity")},
    {IDS_COLUMN_NAME, QT_TRANSLATE_NOOP("StringTable", "Name")},
    {IDS_COLUMN_GROUP, QT_TRANSLATE_NOOP("StringTable", "Group")},

    // What a screen reader says of the list and of the check marks of its rows.
    {IDS_LIST_NAME, QT_TRANSLATE_NOOP("StringTable", "Items")},
    {IDS_NOT_TAKEN_ALONG, QT_TRANSLATE_NOOP("StringTable", "not taken along")},
    {IDS_TAKEN_ALONG, QT_TRANSLATE_NOOP("StringTable", "taken along")},

    // Messages of the item commands, shown with the caption below.
    {IDS_MESSAGE_CAPTION, QT_TRANSLATE_NOOP("StringTable", "The Voyanta")},
    {IDS_SELECT_ITEM_FIRST, QT_TRANSLATE_NOOP("StringTable", "Please select an item first.")},
    {IDS_REPOSITORY_FAILED,
     QT_TRANSLATE_NOOP("StringTable",
                       "Voyanta cannot start: its item repository %1 can be neither read nor created.")},
    {IDS_ALREADY_RUNNING, QT_TRANSLATE_NOOP("StringTable", "Voyanta is already running with the repository %1.")},
    {IDS_REPOSITORY_NOT_SAVED, QT_TRANSLATE_NOOP("StringTable", "Voyanta could not save its item repository %1.")},
    {IDS_SETTINGS_NOT_SAVED, QT_TRANSLATE_NOOP("StringTable", "Voyanta could not save its settings in %1.")},
    {IDS_REPOSITORY_DAMAGED,
     QT_TRANSLATE_NOOP("StringTable",
                       "Voyanta could not save its item repository %1, which is now damaged.")},
    {IDS_REPOSITORY_RESCUED,
     QT_TRANSLATE_NOOP("StringTable",
                       "Every item is kept in %1, from where Voyanta takes them when it starts again.")},
    {IDS_ITEMS_NOT_KEPT, QT_TRANSLATE_NOOP("StringTable", "The items could not be kept in a rescue file either: %1")},
    {IDS_TRIP_NOT_KEPT,
     QT_TRANSLATE_NOOP("StringTable",
                       "Voyanta could not keep a copy of the trip's unsaved changes, which would bring them back "
                       "after a crash: %1")},
    {IDS_SAVE_RETRIED, QT_TRANSLATE_NOOP("StringTable", "Voyanta tries again at the next change, and when it ends.")},
    {IDS_BRING_BACK_TRIP,
     QT_TRANSLATE_NOOP("StringTable",
                       "Voyanta did not end properly last time, and the trip %1 had changes that were not saved.\n\n"
                       "Bring the trip back as it was?")},
    {IDS_REPOSITORY_DAMAGED_AT_START,
     QT_TRANSLATE_NOOP("StringTable", "Voyanta cannot start: its item repository %1 is damaged.")},
    {IDS_LOCK_FAILED,
     QT_TRANSLATE_NOOP("StringTable",
                       "Voyanta cannot start: the lock file %1, which keeps two users from writing its item "
                       "repository at once, cannot be used.")},
    {IDS_STARTED_BY, QT_TRANSLATE_NOOP("StringTable", "It was started by the user %1.")},
    {IDS_UNGUARDED,
     QT_TRANSLATE_NOOP("StringTable",
                       "Voyanta cannot make sure that it runs only once with the repository %1. Items entered in "
                       "a second copy started meanwhile could be lost: close any other Voyanta window first.")},
    {IDS_CONFIRM_DELETE,
     QT_TRANSLATE_NOOP("StringTable",
                       "This will delete the item not only from the current voyanta,\n"
                       "but also from the repository.\n\n"
                       "To remove it from the voyanta, uncheck the item.\n\n"
                       "Are you sure to delete the item?")},

    {IDS_WEBSITE_URL, "https://voyanta.example/"},

    // Command prompts. The item commands other than Delete have none, nor have Print and
    // Show Voyanta Only: they show no status text and no tool tip.
    {ID_FILE_NEW, QT_TRANSLATE_NOOP("StringTable", "Create a new document.\nNew")},
    {ID_FILE_OPEN, QT_TRANSLATE_NOOP("StringTable", "Open an existing document.\nOpen")},
    {ID_FILE_SAVE, QT_TRANSLATE_NOOP("StringTable", "Save the active document.\nSave")},
    {ID_FILE_SAVE_AS, QT_TRANSLATE_NOOP("StringTable", "Save the active document with a new name.\nSave as")},
    {ID_FILE_MRU_FILE1, kOpenRecent},
    {ID_FILE_MRU_FILE1 + 1, kOpenRecent},
    {ID_FILE_MRU_FILE1 + 2, kOpenRecent},
    {ID_FILE_MRU_FILE1 + 3, kOpenRecent},
    {ID_FILE_MRU_FILE1 + 4, kOpenRecent},
    {ID_FILE_MRU_FILE1 + 5, kOpenRecent},
    {ID_FILE_MRU_FILE1 + 6, kOpenRecent},
    {ID_FILE_MRU_FILE1 + 7, kOpenRecent},
    {ID_EDIT_CLEAR, QT_TRANSLATE_NOOP("StringTable", "Delete the item from the repository.\nDelete from repository")},
    {ID_APP_ABOUT, QT_TRANSLATE_NOOP("StringTable", "Display program information.\nAbout")},
    {ID_APP_EXIT, QT_TRANSLATE_NOOP("StringTable", "Quit Voyanta.\nExit")},
    {ID_APP_OPTIONS, QT_TRANSLATE_NOOP("StringTable", "Set up Voyanta.\nSetup")},
    {ID_APP_HELP, QT_TRANSLATE_NOOP("StringTable", "Open the help of Voyanta.\nHelp")},
    {ID_APP_TERMS, QT_TRANSLATE_NOOP("StringTable", "Open the Terms and Conditions.\nTerms and Conditions")},
    {ID_APP_WEBSITE, QT_TRANSLATE_NOOP("StringTable", "Open the web site of Voyanta.\nWeb Site")},
    {ID_VIEW_REFRESH, QT_TRANSLATE_NOOP("StringTable", "Refresh the view.\nRefresh")},
    {ID_VIEW_TOOLBAR, QT_TRANSLATE_NOOP("StringTable", "Show or hide the toolbar.\nToggle tool bar")},
    {ID_VIEW_STATUS_BAR, QT_TRANSLATE_NOOP("StringTable", "Show or hide the status bar.\nToggle status bar")},
};

// The fields of the template string that the user sees, for the translation tools: the
// framework shows the default document name and the file filter's name in the user's
// language.
[[maybe_unused]] constexpr const char* kShownDocStringFields[] = {
    QT_TRANSLATE_NOOP("DocString", "Unnamed"),
    QT_TRANSLATE_NOOP("DocString", "Document"),
};

}  // namespace

// Constant-initialised, so it is usable during static initialisation as well.
constinit const std::span<const StringEntry> kStringTable = kEntries;

}  // namespace resources
