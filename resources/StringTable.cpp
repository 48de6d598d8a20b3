#include "resources/StringTable.h"

#include "framework/base/CommandIds.h"
#include "resources/ResourceIds.h"

namespace resources {

namespace {

using namespace framework;

// Every recent-file entry shows the same prompt.
constexpr const char* kOpenRecent = "Open this document.\nOpen document";

constexpr StringEntry kEntries[] = {
    {AFX_IDS_APP_TITLE, "Voyanta"},
    {AFX_IDS_IDLEMESSAGE, "Ready"},
    {IDR_MAINFRAME, kDocString},
    {IDS_TOOLBAR_CAPTION, "Tools"},

    // The list's column headers.
    {IDS_COLUMN_QUANTITY, "Quantity"},
    {IDS_COLUMN_NAME, "Name"},
    {IDS_COLUMN_GROUP, "Group"},

    // What a screen reader says of the list and of the check marks of its rows.
    {IDS_LIST_NAME, "Items"},
    {IDS_NOT_TAKEN_ALONG, "not taken along"},
    {IDS_TAKEN_ALONG, "taken along"},

    // Messages of the item commands, shown with the caption below.
    {IDS_MESSAGE_CAPTION, "The Voyanta"},
    {IDS_SELECT_ITEM_FIRST, "Please select an item first."},
    {IDS_REPOSITORY_FAILED, "Voyanta cannot start: its item repository %1 can be neither read nor created."},
    {IDS_ALREADY_RUNNING, "Voyanta is already running with the repository %1."},
    {IDS_REPOSITORY_NOT_SAVED, "Voyanta could not save its item repository %1."},
    {IDS_SETTINGS_NOT_SAVED, "Voyanta could not save its settings in %1."},
    {IDS_REPOSITORY_DAMAGED, "Voyanta could not save its item repository %1, which is now damaged."},
    {IDS_REPOSITORY_RESCUED, "Every item is kept in %1, from where Voyanta takes them when it starts again."},
    {IDS_ITEMS_NOT_KEPT, "The items could not be kept in a rescue file either: %1"},
    {IDS_SAVE_RETRIED, "Voyanta tries again at the next change, and when it ends."},
    {IDS_BRING_BACK_TRIP,
     "Voyanta did not end properly last time, and the trip %1 had changes that were not saved.\n\n"
     "Bring the trip back as it was?"},
    {IDS_REPOSITORY_DAMAGED_AT_START, "Voyanta cannot start: its item repository %1 is damaged."},
    {IDS_LOCK_FAILED,
     "Voyanta cannot start: the lock file %1, which keeps two users from writing its item repository at once, "
     "cannot be used."},
    {IDS_STARTED_BY, "It was started by the user %1."},
    {IDS_CONFIRM_DELETE,
     "This will delete the item not only from the current voyanta,\n"
     "but also from the repository.\n\n"
     "To remove it from the voyanta, uncheck the item.\n\n"
     "Are you sure to delete the item?"},

    {IDS_WEBSITE_URL, "https://voyanta.example/"},

    // Command prompts. The item commands other than Delete have none, nor have Print and
    // Show Voyanta Only: they show no status text and no tool tip.
    {ID_FILE_NEW, "Create a new document.\nNew"},
    {ID_FILE_OPEN, "Open an existing document.\nOpen"},
    {ID_FILE_SAVE, "Save the active document.\nSave"},
    {ID_FILE_SAVE_AS, "Save the active document with a new name.\nSave as"},
    {ID_FILE_MRU_FILE1, kOpenRecent},
    {ID_FILE_MRU_FILE1 + 1, kOpenRecent},
    {ID_FILE_MRU_FILE1 + 2, kOpenRecent},
    {ID_FILE_MRU_FILE1 + 3, kOpenRecent},
    {ID_FILE_MRU_FILE1 + 4, kOpenRecent},
    {ID_FILE_MRU_FILE1 + 5, kOpenRecent},
    {ID_FILE_MRU_FILE1 + 6, kOpenRecent},
    {ID_FILE_MRU_FILE1 + 7, kOpenRecent},
    {ID_EDIT_CLEAR, "Delete the item from the repository.\nDelete from repository"},
    {ID_APP_ABOUT, "Display program information.\nAbout"},
    {ID_APP_EXIT, "Quit Voyanta.\nExit"},
    {ID_APP_OPTIONS, "Set up Voyanta.\nSetup"},
    {ID_APP_HELP, "Open the help of Voyanta.\nHelp"},
    {ID_APP_TERMS, "Open the Terms and Conditions.\nTerms and Conditions"},
    {ID_APP_WEBSITE, "Open the web site of Voyanta.\nWeb Site"},
    {ID_VIEW_REFRESH, "Refresh the view.\nRefresh"},
    {ID_VIEW_TOOLBAR, "Show or hide the toolbar.\nToggle tool bar"},
    {ID_VIEW_STATUS_BAR, "Show or hide the status bar.\nToggle status bar"},
};

}  // namespace

// Constant-initialised, so it is usable during static initialisation as well.
constinit const std::span<const StringEntry> kStringTable = kEntries;

}  // namespace resources
