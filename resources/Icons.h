#pragma once

#include "resources/ResourceIds.h"

// The program's icons: SVG files compiled in through the Qt resource system. QIcon and
// QImage load them by these paths (Qt's SVG plugins must be installed).

namespace resources {

// The resource path of an icon id: IDR_MAINFRAME (the program icon, drawn for any size
// from 16 to 256 pixels), IDI_CHECKED and IDI_UNCHECKED (16 by 16, the list's images).
// Null for any other id.
constexpr const char* IconPath(unsigned iconId) {
  switch (iconId) {
    case IDR_MAINFRAME:
      return ":/icons/program.svg";
    case IDI_CHECKED:
      return ":/icons/checked.svg";
    case IDI_UNCHECKED:
      return ":/icons/unchecked.svg";
    default:
      return nullptr;
  }
}

}  // namespace resources
