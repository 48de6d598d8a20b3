#include "framework/base/StringTable.h"

#include "framework/base/CommandIds.h"

namespace framework {

namespace {

constexpr StringEntry kFrameworkStrings[] = {
    {AFX_IDP_ASK_TO_SAVE, "Save changes to %1?"},
    {AFX_IDP_FAILED_TO_OPEN_DOC, "Failed to open document."},
    {AFX_IDP_FAILED_TO_SAVE_DOC, "Failed to save document."},
    {AFX_IDP_FAILED_TO_CREATE_DOC, "Failed to create empty document."},
    {AFX_IDP_FILE_READ_ERROR, "Encountered an unexpected error while reading %1."},
    {AFX_IDP_FILE_NOT_FOUND, "%1\nFile not found."},
    {AFX_IDP_FILE_ACCESS_DENIED, "%1 was not found or access to it was denied."},
    {AFX_IDP_FILE_DISK_FULL, "The disk is full."},
    {AFX_IDP_FILE_GENERIC, "An unexpected file error occurred with %1."},
    {AFX_IDP_FAILED_MEMORY_ALLOC, "Out of memory."},
    {AFX_IDS_ALLFILTER, "All Files"},
    {AFX_IDS_OPENFILE, "Open"},
    {AFX_IDS_SAVEFILE, "Save As"},
    {AFX_IDP_FAILED_TO_PRINT, "Could not print to %1."},
    {AFX_IDP_NO_SUCH_PRINTER, "There is no printer named %1."},
    {AFX_IDP_NO_DEFAULT_PRINTER, "There is no default printer."},
    {AFX_IDP_PRINT_USAGE,
     "Printing from the command line takes /p FILE, or /pt FILE PRINTER (a PRINTER ending in .pdf is a PDF file "
     "to write)."},
    {AFX_IDP_FILE_NOT_REGULAR, "%1 is not a regular file."},
    {AFX_IDP_FILE_IS_DIRECTORY, "%1 is a directory."},
    {AFX_IDP_PRINTER_STOPPED, "The printer %1 is stopped; the job waits there."},
    {AFX_IDP_NO_PRINT_SYSTEM, "The print system cannot be reached."},
    {AFX_IDP_PRINT_ENDED, "Printing was ended."},
    {AFX_IDP_FILE_FOREIGN_LINK, "%1 is a link that another user made; Voyanta does not follow it."},
    {ID_FILE_MRU_FILE1, "Open this document.\nOpen document"},
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
  if (const char* text = Find(programStrings, id)) return text;
  return Find(kFrameworkStrings, id);
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
