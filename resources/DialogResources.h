#pragma once

#include "framework/Dialog.h"

namespace resources {

// IDD_ITEM: "Edit Item and Quantity", the name, group, take-along mark and quantity of one
// item.
extern const framework::DialogTemplate kItemDialog;

}  // namespace resources
