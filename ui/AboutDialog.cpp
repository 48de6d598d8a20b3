#include "ui/AboutDialog.h"

#include "resources/AppDialogResources.h"

AboutDialog::AboutDialog(QWidget* parent) : framework::Dialog(resources::kAboutDialog, parent) {}
