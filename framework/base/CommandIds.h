#pragma once

// The framework's standard command ids and string ids. The program's own commands use
// ids from 32768 upwards, below 57344.

namespace framework {

// Commands.
inline constexpr unsigned ID_FILE_NEW = 57600;
inline constexpr unsigned ID_FILE_OPEN = 57601;
inline constexpr unsigned ID_FILE_SAVE = 57603;
inline constexpr unsigned ID_FILE_SAVE_AS = 57604;
inline constexpr unsigned ID_FILE_PRINT = 57607;
inline constexpr unsigned ID_FILE_MRU_FILE1 = 57616;
inline constexpr unsigned ID_FILE_MRU_FIRST = 57616;
inline constexpr unsigned ID_FILE_MRU_LAST = 57631;  // sixteen entries at most
inline constexpr unsigned ID_EDIT_CLEAR = 57632;
inline constexpr unsigned ID_APP_ABOUT = 57664;
inline constexpr unsigned ID_APP_EXIT = 57665;
inline constexpr unsigned ID_VIEW_TOOLBAR = 59392;
inline constexpr unsigned ID_VIEW_STATUS_BAR = 59393;

// Strings the program supplies in its table.
inline constexpr unsigned AFX_IDS_APP_TITLE = 57344;    // application title
inline constexpr unsigned AFX_IDS_IDLEMESSAGE = 57345;  // status bar idle text ("Ready")

// The framework's own messages (its table; the program may override them in its own).
// "%1" stands for the argument.
inline constexpr unsigned AFX_IDP_ASK_TO_SAVE = 61446;          // "Save changes to %1?"
inline constexpr unsigned AFX_IDP_FAILED_TO_OPEN_DOC = 61447;   // "Failed to open document."
inline constexpr unsigned AFX_IDP_FAILED_TO_SAVE_DOC = 61448;   // "Failed to save document."
inline constexpr unsigned AFX_IDP_FAILED_TO_CREATE_DOC = 61450; // "Failed to create empty document."
inline constexpr unsigned AFX_IDP_FILE_READ_ERROR = 61451;      // reading %1 went wrong
inline constexpr unsigned AFX_IDP_FILE_NOT_FOUND = 61452;       // "%1\nFile not found."
inline constexpr unsigned AFX_IDP_FILE_ACCESS_DENIED = 61453;
inline constexpr unsigned AFX_IDP_FILE_DISK_FULL = 61454;
inline constexpr unsigned AFX_IDP_FILE_GENERIC = 61455;
inline constexpr unsigned AFX_IDP_FAILED_MEMORY_ALLOC = 61456;  // "Out of memory."
inline constexpr unsigned AFX_IDS_ALLFILTER = 61457;            // "All Files"
inline constexpr unsigned AFX_IDS_OPENFILE = 61458;             // "Open"
inline constexpr unsigned AFX_IDS_SAVEFILE = 61459;             // "Save As"
inline constexpr unsigned AFX_IDP_FAILED_TO_PRINT = 61460;      // printing to %1 failed
inline constexpr unsigned AFX_IDP_NO_SUCH_PRINTER = 61461;      // no printer named %1
inline constexpr unsigned AFX_IDP_NO_DEFAULT_PRINTER = 61462;
inline constexpr unsigned AFX_IDP_PRINT_USAGE = 61463;          // how the command line prints
inline constexpr unsigned AFX_IDP_FILE_NOT_REGULAR = 61464;     // "%1 is not a regular file."
inline constexpr unsigned AFX_IDP_FILE_IS_DIRECTORY = 61465;     // "%1 is a directory."
inline constexpr unsigned AFX_IDP_PRINTER_STOPPED = 61466;      // a job waits on stopped %1
inline constexpr unsigned AFX_IDP_NO_PRINT_SYSTEM = 61467;
inline constexpr unsigned AFX_IDP_PRINT_ENDED = 61468;          // a termination signal ended it
inline constexpr unsigned AFX_IDP_FILE_FOREIGN_LINK = 61469;    // %1: a link not followed

}  // namespace framework
