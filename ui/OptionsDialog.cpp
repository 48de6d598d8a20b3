#include "ui/OptionsDialog.h"

#include "resources/DialogResources.h"

OptionsDialog::OptionsDialog(QWidget* parent) : framework::Dialog(resources::kOptionsDialog, parent) {}
