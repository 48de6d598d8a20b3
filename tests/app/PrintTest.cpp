// Printing a trip through the running program: File Print with its dialog, and the command
// line's print options, which print without any window.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QTest>
#include <filesystem>
#include <utility>

#include "Program.h"
#include "framework/base/CommandIds.h"
#include "framework/base/TextEncoding.h"
#include "framework/commands/Menu.h"
#include "framework/dialogs/MessageBox.h"
#include "support/Pdf.h"

using program::ProgramTest;

namespace {

using Texts = std::vector<std::string>;

class PrintTest : public ProgramTest {
 protected:
  void SetUp() override {
    scratch::WriteFile(RepositoryFile(), "0\t\tTent\tCamping\t\n");
    scratch::WriteFile(Summer(), "1\t2\tSocks\tClothes\t\n1\t10\tShirts\tClothes\t\n1\t\tTowel\tBath\t\n");
  }

  std::string Summer() const { return folder / "summer.vyt"; }
  std::string Pdf() const { return folder / "summer.pdf"; }

  // The lines of the summer trip's page.
  Texts SummerPage() const {
    return {Summer(), "Bath " + std::string(55, '-'), "   [ ] [ ] Towel", "Clothes " + std::string(52, '-'),
            "10 [ ] [ ] Shirts", "2  [ ] [ ] Socks"};
  }

  QAction* FilePrintEntry() const {
    QMenu* fileMenu = Window().menuBar()->actions().at(0)->menu();
    Window().UpdateMenuPopup(fileMenu);
    framework::Menu menu(fileMenu);
    for (unsigned i = 0; i < menu.GetMenuItemCount(); ++i) {
      if (menu.GetMenuItemID(i) == framework::ID_FILE_PRINT) return menu.GetAction(i);
    }
    return nullptr;
  }
};

TEST_F(PrintTest, CtrlPAsksThePrintDialogAndPrintsTheTripIntoThePdfFileChosenThere) {
  SetArguments({Summer()});
  ASSERT_TRUE(Start());
  ASSERT_NE(FilePrintEntry(), nullptr);
  EXPECT_TRUE(FilePrintEntry()->isEnabled());

  // The user picks "Print to File (PDF)" with a file name.
  int copies = 1;
  framework::SetModalHook([&](const framework::ModalRequest& request) {
    auto* dialog = qobject_cast<QPrintDialog*>(request.window);
    EXPECT_NE(dialog, nullptr) << request.text;
    if (dialog == nullptr) return framework::ModalAnswer{};
    dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
    dialog->printer()->setOutputFileName(framework::ToQString(Pdf().c_str()));
    dialog->printer()->setCopyCount(copies);
    return framework::ModalAnswer{framework::IDOK, {}};
  });
  Window().activateWindow();
  QApplication::setActiveWindow(&Window());
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
  QTest::keyClick(&Window(), Qt::Key_P, Qt::ControlModifier);

  EXPECT_EQ(pdf::PageCount(Pdf()), 1);
  EXPECT_EQ(pdf::PageLines(Pdf(), 1), SummerPage());
  EXPECT_EQ(pdf::Info(Pdf(), "Title"), Summer());

  // Three copies into a PDF file: one file, each copy on pages of its own.
  copies = 3;
  QTest::keyClick(&Window(), Qt::Key_P, Qt::ControlModifier);
  ASSERT_EQ(pdf::PageCount(Pdf()), 3);
  for (int page = 1; page <= 3; ++page) EXPECT_EQ(pdf::PageLines(Pdf(), page), SummerPage()) << page;
}

// The print dialog proposes a PDF file named after the trip, beside it; a trip never saved
// is "Unnamed.pdf" in the documents folder; a trip named like a PDF file is never proposed.
TEST_F(PrintTest, ThePrintDialogProposesAPdfFileNamedAfterTheTripBesideIt) {
  scratch::WriteFile(folder / "notes.pdf", "1\t\tTowel\tBath\t\n");
  std::filesystem::create_directories(folder / "Documents");
  ASSERT_TRUE(Start());
  std::string proposed;
  framework::SetModalHook([&](const framework::ModalRequest& request) {
    proposed = framework::ToBytes(request.window->findChild<QLineEdit*>("filename")->text());
    return framework::ModalAnswer{framework::IDCANCEL, {}};
  });
  Activate();
  const std::pair<std::string, std::string> cases[] = {
      {Summer(), Pdf()}, {folder / "notes.pdf", folder / "notes.pdf.pdf"}, {"", folder / "Documents/Unnamed.pdf"}};
  for (const auto& [trip, pdf] : cases) {
    SCOPED_TRACE(trip);
    if (trip.empty()) {
      app->OnFileNew();
    } else {
      ASSERT_NE(app->OpenDocumentFile(trip.c_str()), nullptr);
    }
    QTest::keyClick(&Window(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(proposed, pdf);
  }
}

TEST_F(PrintTest, PrintOptionPrintsWithoutEverShowingTheWindowAndTheRunEndsWithStatus0) {
  SetArguments({"/pt", Summer(), Pdf()});
  bool loopRan = false;
  EXPECT_EQ(Run([&] { loopRan = true; }), 0);
  EXPECT_FALSE(loopRan);
  EXPECT_EQ(pdf::PageLines(Pdf(), 1), SummerPage());
  EXPECT_TRUE(modals.asked.empty());
  // The trip was opened as File Open opens it: merged into the repository, which is saved.
  EXPECT_EQ(Lines(RepositoryFile()), (Texts{"1\t\tTowel\tBath\t", "0\t\tTent\tCamping\t",
                                            "1\t10\tShirts\tClothes\t", "1\t2\tSocks\tClothes\t"}));

  // Start-up ends the run with the frame made but never shown.
  std::filesystem::remove(Pdf());
  EXPECT_FALSE(Start());
  ASSERT_NE(app->GetMainWnd(), nullptr);
  EXPECT_FALSE(app->GetMainWnd()->isVisible());
  EXPECT_EQ(app->ExitInstance(), 0);
  EXPECT_EQ(pdf::PageCount(Pdf()), 1);
  // Messages are the user's again once the print is over.
  EXPECT_FALSE(framework::IsUnattended());
}

}  // namespace
