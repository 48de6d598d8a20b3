#pragma once

#include <QWidget>

#include "framework/dialogs/Dialog.h"

// Options (IDD_OPTIONS): OK and Cancel. It reads nothing and stores nothing, so either
// answer leaves every setting as it was. It lives on its caller's stack for one DoModal;
// its buttons are its own children (making them throws the framework's memory failure when
// one cannot be allocated).
class OptionsDialog : public framework::Dialog {
 public:
  explicit OptionsDialog(QWidget* parent = nullptr);
};
