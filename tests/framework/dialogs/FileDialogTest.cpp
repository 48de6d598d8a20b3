#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QTimer>

#include "framework/dialogs/MessageBox.h"
#include "support/Scratch.h"

using namespace framework;

// The real save dialog: a name typed without an extension is checked for replacing an
// existing file under the name that will be written, with the extension.
TEST(FileDialogTest, NameWithoutExtensionIsCheckedAgainstTheFileWithTheExtension) {
  scratch::Folder folder;
  scratch::WriteFile(folder / "summer.vyt", "trip");
  SetModalHook({});

  QString question;
  bool typed = false;
  QTimer driver;
  QObject::connect(&driver, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      question = box->text();
      box->reject();
    } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      if (typed) {
        dialog->reject();
        return;
      }
      // The dialog lists the folder in the background, and what it makes of a name typed
      // before the list is there depends on when the list comes: the name is typed, as a
      // user would type it, once the dialog shows the file.
      const auto* listed = dialog->findChild<QFileSystemModel*>();
      if (listed == nullptr || !listed->index(QString::fromStdString(folder / "summer.vyt")).isValid()) return;
      dialog->selectFile("summer");
      typed = true;
      // As the Save button does; queued, so that this timer can answer what it asks.
      QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    }
  });
  driver.start(20);
  QTimer::singleShot(10000, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();  // never hang
  });

  std::string chosen;
  const bool saved = AskFileName(false, "Save As", folder / "Unnamed.vyt",
                                 {{"Document", "*.vyt"}, {"All Files", "*"}}, chosen);
  driver.stop();
  EXPECT_FALSE(saved);
  EXPECT_TRUE(question.contains("summer.vyt")) << question.toStdString();
  EXPECT_EQ(scratch::ReadFile(folder / "summer.vyt"), "trip");
}
