#include "framework/base/StringTable.h"

#include "framework/base/CommandIds.h"
#include "framework/base/Translation.h"

namespace framework {

namespace {

constexpr StringEntry kFrameworkStrings[] = {
    {AFX_IDP_ASK_TO_SAVE, QT_TRANSLATE_NOOP("FrameworkStrings", "Save changes to %1?")},
    {AFX_IDP_FAILED_TO_OPEN_DOC, QT_TRANSLATE_NOOP("FrameworkStrings", "Failed to open document.")},
    {AFX_IDP_FAILED_TO_SAVE_DOC, QT_TRANSLATE_NOOP("FrameworkStrings", "Failed to save document.")},
    {AFX_IDP_FAILED_TO_CREATE_DOC, QT_TRANSLATE_NOOP("FrameworkStrings", "Failed to create empty document.")},
    {AFX_IDP_FILE_READ_ERROR,
     QT_TRANSLATE_NOOP("FrameworkStrings", "Encountered an unexpected error while reading %1.")},
    {AFX_IDP_FILE_NOT_FOUND, QT_TRANSLATE_NOOP("FrameworkStrings", "%1\nFile not found.")},
    {AFX_IDP_FILE_ACCESS_DENIED, QT_TRANSLATE_NOOP("FrameworkStrings", "%1 was not found or access to it was denied.")},
    {AFX_IDP_FILE_DISK_FULL, QT_TRANSLATE_NOOP("FrameworkStrings", "The disk is full.")},
    {AFX_IDP_FILE_GENERIC, QT_TRANSLATE_NOOP("FrameworkStrings", "An unexpected file error occurred with %1.")},
    {AFX_IDP_FAILED_MEMORY_ALLOC, QT_TRANSLATE_NOOP("FrameworkStrings", "Out of memory.")},
    {AFX_IDS_ALLFILTER, QT_TRANSLATE_NOOP("FrameworkStrings", "All Files")},
    {AFX_IDS_OPENFILE, QT_TRANSLATE_NOOP("FrameworkStrings", "Open")},
    {AFX_IDS_SAVEFILE, QT_TRANSLATE_NOOP("FrameworkStrings", "Save As")},
    {AFX_IDP_FAILED_TO_PRINT, QT_TRANSLATE_NOOP("FrameworkStrings", "Could not print to %1.")},
    {AFX_IDP_NO_SUCH_PRINTER, QT_TRANSLATE_NOOP("FrameworkStrings", "There is no printer named %1.")},
    {AFX_IDP_NO_DEFAULT_PRINTER, QT_TRANSLATE_NOOP("FrameworkStrings", "There is no default printer.")},
    {AFX_IDP_PRINT_USAGE,
     QT_TRANSLATE_NOOP("FrameworkStrings",
                       "Printing from the command line takes /p FILE, or /pt FILE PRINTER (a PRINTER ending in .pdf "
                       "is a PDF file to write).")},
    {AFX_IDP_FILE_NOT_REGULAR, QT_TRANSLATE_NOOP("FrameworkStrings", "%1 is not a regular file.")},
    {AFX_IDP_FILE_IS_DIRECTORY, QT_TRANSLATE_NOOP("FrameworkStrings", "%1 is a directory.")},
    {AFX_IDP_PRINTER_STOPPED, QT_TRANSLATE_NOOP("FrameworkStrings", "The printer %1 is stopped; the job waits there.")},
    {AFX_IDP_NO_PRINT_SYSTEM, QT_TRANSLATE_NOOP("FrameworkStrings", "The print system cannot be reached.")},
    {AFX_IDP_PRINT_ENDED, QT_TRANSLATE_NOOP("FrameworkStrings", "Printing was ended.")},
    {AFX_IDP_FILE_FOREIGN_LINK,
     QT_TRANSLATE_NOOP("FrameworkStrings", "%1 is a link that another user made; Voyanta does not follow it.")},
    {ID_FILE_MRU_FILE1, QT_TRANSLATE_NOOP("FrameworkStrings", "Open this document.\nOpen document")},
};

std::span<const StringEntry> programStrings;

const char* Find(std::span<const StringEntry> table, unsigned id) {
  for (const StringEntry& entry : table) {
    if (entry.id == id) return entry.text;
  }
  return nullptr;
}

}  // namespace

void RegisterStringTable(std::span<const StringEntry> table) { programStrings = table; }

const char* FindString(unsigned id) {
  if (const char* text = Find(programStrings, id)) return Translate(kStringTableContext, text);
  return Translate(kFrameworkStringsContext, Find(kFrameworkStrings, id));
}

const char* LoadString(unsigned id) {
  const char* text = FindString(id);
  return text == nullptr ? "" : text;
}

std::string FormatString(unsigned id, const char* argument) {
  std::string text = LoadString(id);
  const std::string value = argument == nullptr ? "" : argument;
  for (std::size_t at = text.find("%1"); at != std::string::npos; at = text.find("%1", at + value.size())) {
    text.replace(at, 2, value);
  }
  return text;
}

}  // namespace framework
