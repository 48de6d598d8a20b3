#include "support/Modals.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <utility>

namespace support {

Modals::Modals() {
  framework::SetModalHook([this](const framework::ModalRequest& request) {
    asked.push_back(request);
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected modal window: " << request.caption << ": " << request.text;
      return framework::ModalAnswer{};
    }
    auto answer = std::move(answers.front());
    answers.pop_front();
    return answer(request);
  });
}

Modals::~Modals() {
  EXPECT_TRUE(answers.empty()) << answers.size() << " prepared answers were not asked for";
  RefuseModals();
}

void Modals::Answer(int result, std::string path) {
  answers.push_back([answer = framework::ModalAnswer{result, std::move(path)}](const framework::ModalRequest&) {
    return answer;
  });
}

void Modals::Work(std::function<int(QWidget& dialog)> step) {
  answers.push_back([step = std::move(step)](const framework::ModalRequest& request) {
    if (request.window == nullptr) {
      ADD_FAILURE() << "expected a dialog, not: " << request.caption << ": " << request.text;
      return framework::ModalAnswer{};
    }
    return framework::ModalAnswer{step(*request.window), {}};
  });
}

std::vector<std::string> Modals::Texts() const {
  std::vector<std::string> texts;
  for (const framework::ModalRequest& request : asked) texts.push_back(request.text);
  return texts;
}

void ShowActive(QWidget& window) {
  window.show();
  window.activateWindow();
  QApplication::setActiveWindow(&window);
  EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
}

void RefuseModals() {
  framework::SetModalHook([](const framework::ModalRequest& request) {
    ADD_FAILURE() << "unexpected modal window: " << request.caption << ": " << request.text;
    return framework::ModalAnswer{};
  });
}

}  // namespace support
