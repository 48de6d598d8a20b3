#include "ui/OptionsDialog.h"

#include "resources/AppDialogResources.h"

OptionsDialog::OptionsDialog(QWidget* parent) : framework::Dialog(resources::kOptionsDialog, parent) {}
