#pragma once

#include "framework/dialogs/Dialog.h"

namespace resources {

// IDD_ITEM: "Edit Item and Quantity", the name, group, take-along mark and quantity of one
// item.
extern const framework::DialogTemplate kItemDialog;

// IDD_OPTIONS: "Options", OK and Cancel only; the program has no settings to offer yet.
extern const framework::DialogTemplate kOptionsDialog;

// IDD_ABOUTBOX: "About Voyanta", the program icon, the version and the maker's details.
extern const framework::DialogTemplate kAboutDialog;

}  // namespace resources
