#pragma once

#include <QWidget>

#include "framework/dialogs/Dialog.h"

// About Voyanta (IDD_ABOUTBOX): the program icon, the version line and the maker's details,
// closed with OK. It lives on its caller's stack for one DoModal; its controls are its own
// children. Nothing in it can fail once it is made (making it throws the framework's memory
// failure when a control cannot be allocated).
class AboutDialog : public framework::Dialog {
 public:
  explicit AboutDialog(QWidget* parent = nullptr);
};
