// Main of the Qt test programs: one QApplication for the whole run, and a modal hook that
// fails the test which would otherwise leave a message box or dialog waiting for a human.
#include <gtest/gtest.h>

#include <QApplication>

#include "framework/dialogs/MessageBox.h"
#include "support/Modals.h"

namespace {

class RefuseUnansweredModals : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override { support::RefuseModals(); }
};

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Headless always, also when CTest lists the tests without the test environment.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  testing::UnitTest::GetInstance()->listeners().Append(new RefuseUnansweredModals);
  const int result = RUN_ALL_TESTS();
  framework::SetModalHook(nullptr);
  return result;
}
