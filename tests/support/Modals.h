#pragma once

// Answers the modal windows of a test through the framework's modal hook, from a queue of
// prepared answers, and records what they asked. A window nobody prepared an answer for
// fails the test, and so does an answer nobody asked for.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "framework/dialogs/MessageBox.h"

class QWidget;

namespace support {

class Modals {
 public:
  Modals();
  ~Modals();
  Modals(const Modals&) = delete;
  Modals& operator=(const Modals&) = delete;

  // The next window is answered with the result (and, for a file dialog, the path).
  void Answer(int result, std::string path = {});
  // The next window is a dialog that the step works (types into it, presses its keys); the
  // step's result is the hook's answer, which the dialog applies unless the step ended it.
  void Work(std::function<int(QWidget& dialog)> step);

  std::vector<framework::ModalRequest> asked;
  std::vector<std::string> Texts() const;

 private:
  std::deque<std::function<framework::ModalAnswer(const framework::ModalRequest&)>> answers;
};

// Shows the window and makes it the active one, so that keys reach it and its shortcuts
// as the user's would (a dialog a step works, say).
void ShowActive(QWidget& window);

// Installs the hook that fails every modal window: no test may leave one waiting for a
// human.
void RefuseModals();

}  // namespace support
