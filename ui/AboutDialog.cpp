#include "ui/AboutDialog.h"

#include "resources/DialogResources.h"

AboutDialog::AboutDialog(QWidget* parent) : framework::Dialog(resources::kAboutDialog, parent) {}
