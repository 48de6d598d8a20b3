#pragma once

#include <span>

#include "framework/base/Resources.h"

namespace resources {

// The program's string table: title, template string, command prompts ("status bar
// line\ntool tip"), column headers and messages. Start-up hands it to
// framework::RegisterStringTable; it lives for the whole run.
extern const std::span<const framework::StringEntry> kStringTable;

// The document template string (string IDR_MAINFRAME): window title, default document
// name, name in the File New choice, filter name, extension, file type id, file type name.
inline constexpr const char* kDocString =
    "Voyanta\nUnnamed\nUnnamed\nDocument\n.vyt\nVoyanta.Document\nDocument";

}  // namespace resources
