// The options dialog and the about box: what the about box shows, and how each is closed.

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <memory>

#include "framework/dialogs/MessageBox.h"
#include "resources/Icons.h"
#include "resources/ResourceIds.h"
#include "ui/AboutDialog.h"
#include "ui/OptionsDialog.h"

using framework::Dialog;
using framework::IDCANCEL;
using framework::IDOK;

namespace {

using MakeDialog = std::function<std::unique_ptr<Dialog>()>;

const MakeDialog kOptions = [] { return std::make_unique<OptionsDialog>(); };
const MakeDialog kAbout = [] { return std::make_unique<AboutDialog>(); };

QPushButton* Button(const Dialog& dialog, unsigned id) { return qobject_cast<QPushButton*>(dialog.GetDlgItem(id)); }

TEST(AppDialogsTest, AboutBoxShowsTheProgramIconBesideTheVersionAndTheMaker) {
  AboutDialog dialog;
  const QRect iconPlace = dialog.MapDialogRect(11, 10, 0, 0);
  const QRect textPlace = dialog.MapDialogRect(40, 8, 203, 35);
  const QLabel* icon = nullptr;
  const QLabel* text = nullptr;
  for (const QLabel* label : dialog.findChildren<QLabel*>()) {
    if (label->geometry().topLeft() == iconPlace.topLeft()) icon = label;
    if (label->geometry() == textPlace) text = label;
  }
  ASSERT_NE(icon, nullptr);
  ASSERT_NE(text, nullptr);

  const QImage program = QIcon(resources::IconPath(resources::IDR_MAINFRAME)).pixmap(32, 32).toImage();
  ASSERT_FALSE(program.isNull());
  EXPECT_EQ(icon->pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
            program.convertToFormat(QImage::Format_ARGB32));

  const QStringList lines = text->text().split('\n');
  ASSERT_GE(lines.size(), 2);
  EXPECT_EQ(lines[0].toStdString(), "Voyanta Version 1.2.1");
  EXPECT_TRUE(text->text().contains("Quorvane")) << text->text().toStdString();
  // Every line fits its width, so none wraps, and all of them fit the height.
  const QFontMetrics metrics(text->font());
  for (const QString& line : lines) EXPECT_LE(metrics.horizontalAdvance(line), text->width()) << line.toStdString();
  EXPECT_LE(text->heightForWidth(text->width()), text->height());
}

// What the user does to the shown dialog.
using Gesture = std::function<void(Dialog&)>;

void Click(Dialog& dialog, unsigned id) { QTest::mouseClick(Button(dialog, id), Qt::LeftButton); }

TEST(AppDialogsTest, ButtonsAndKeysCloseTheDialogWithTheirAnswer) {
  struct Row {
    const char* what;
    MakeDialog make;
    Gesture gesture;
    int answer;
  };
  const Row rows[] = {
      {"options, OK", kOptions, [](Dialog& d) { Click(d, IDOK); }, IDOK},
      {"options, Cancel", kOptions, [](Dialog& d) { Click(d, IDCANCEL); }, IDCANCEL},
      {"options, Return", kOptions, [](Dialog& d) { QTest::keyClick(&d, Qt::Key_Return); }, IDOK},
      {"options, Escape", kOptions, [](Dialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }, IDCANCEL},
      {"options, window closed", kOptions, [](Dialog& d) { d.close(); }, IDCANCEL},
      {"about, OK", kAbout, [](Dialog& d) { Click(d, IDOK); }, IDOK},
      {"about, Return", kAbout, [](Dialog& d) { QTest::keyClick(&d, Qt::Key_Return); }, IDOK},
      {"about, Escape", kAbout, [](Dialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }, IDCANCEL},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const std::unique_ptr<Dialog> dialog = row.make();
    bool closedByGesture = false;
    framework::SetModalHook([&](const framework::ModalRequest& request) {
      auto* shown = static_cast<Dialog*>(request.window);
      EXPECT_EQ(shown, dialog.get());
      shown->show();
      EXPECT_TRUE(QTest::qWaitForWindowExposed(shown));
      row.gesture(*shown);
      closedByGesture = !shown->isVisible();
      return framework::ModalAnswer{};
    });
    EXPECT_EQ(dialog->DoModal(), row.answer);
    EXPECT_TRUE(closedByGesture);
    EXPECT_FALSE(dialog->isVisible());
  }
}

}  // namespace
