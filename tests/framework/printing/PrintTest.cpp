// The printer's device context drawing real PDF files, and the print dialog answered
// through the modal hook.

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <csignal>
#include <filesystem>
#include <optional>
#include <utility>

#include "framework/base/TextEncoding.h"
#include "framework/dialogs/MessageBox.h"
#include "framework/printing/DeviceContext.h"
#include "framework/printing/PrintDialog.h"
#include "framework/system/TerminationSignals.h"
#include "support/FileSizeLimit.h"
#include "support/Pdf.h"
#include "support/Scratch.h"

using namespace framework;

namespace {

constexpr double kPointsPerLoMetric = 72.0 / 254.0;

class DeviceContextTest : public testing::Test {
 protected:
  // The context writes the PDF file at path.
  void PrintTo(const std::string& path) {
    dc.GetPrinter().setOutputFormat(QPrinter::PdfFormat);
    dc.GetPrinter().setOutputFileName(ToQString(path.c_str()));
    dc.SetMapMode(MM_LOMETRIC);
    dc.CreatePointFont(100, "Courier New");
  }

  void Text(int x, int y, const std::string& text) { dc.TextOut(x, y, text.data(), text.size()); }

  scratch::Folder folder;
  DeviceContext dc;
};

TEST_F(DeviceContextTest, MetricPointIsTheTopLeftOfACellOfTenPointMonospaceBelowThePrintableAreasCorner) {
  const std::string out = folder / "out.pdf";
  PrintTo(out);
  dc.StartDoc("/trips/summer.vyt");
  dc.StartPage();
  Text(150, -200, "iiiii");
  Text(1000, -2755, "WWWWW");
  dc.EndPage();
  dc.EndDoc();
  ASSERT_TRUE(dc.Finish());

  // Within a quarter of a millimetre; five characters of 0.6 em in either case.
  const QPointF origin = dc.GetPrinter().pageLayout().paintRectPoints().topLeft();
  const std::vector<pdf::Word> words = pdf::Words(out);
  ASSERT_EQ(words.size(), 2u);
  EXPECT_NEAR(words[0].x, origin.x() + 150 * kPointsPerLoMetric, 0.7);
  EXPECT_NEAR(words[0].y, origin.y() + 200 * kPointsPerLoMetric, 0.7);
  EXPECT_NEAR(words[0].right - words[0].x, 30.0, 0.5);
  EXPECT_NEAR(words[1].x, origin.x() + 1000 * kPointsPerLoMetric, 0.7);
  EXPECT_NEAR(words[1].y, origin.y() + 2755 * kPointsPerLoMetric, 0.7);
  EXPECT_NEAR(words[1].right - words[1].x, 30.0, 0.5);
  EXPECT_TRUE(QFontInfo(dc.GetFont()).fixedPitch()) << ToBytes(QFontInfo(dc.GetFont()).family());
  EXPECT_EQ(pdf::Info(out, "Title"), "/trips/summer.vyt");
}

TEST_F(DeviceContextTest, PagesFollowStartAndEndPageAndEveryJobGoesIntoTheOneFileWrittenAtTheEnd) {
  const std::string out = folder / "out.pdf";
  PrintTo(out);
  const auto job = [&](const char* name, std::vector<std::string> pages) {
    dc.StartDoc(name);
    for (const std::string& text : pages) {
      dc.StartPage();
      Text(150, -200, text);
      dc.EndPage();
    }
    dc.EndDoc();
  };
  job("first", {"One", "Two"});
  job("second", {"Three"});
  job("third", {"Four"});
  EXPECT_FALSE(std::filesystem::exists(out)) << "a PDF file is written whole, at the end";
  ASSERT_TRUE(dc.Finish());
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"out.pdf"});
  ASSERT_EQ(pdf::PageCount(out), 4);
  for (const auto& [page, text] : {std::pair{1, "One"}, {2, "Two"}, {3, "Three"}, {4, "Four"}}) {
    EXPECT_EQ(pdf::PageLines(out, page), std::vector<std::string>{text}) << page;
  }
  EXPECT_EQ(pdf::Info(out, "Title"), "first");
}

TEST_F(DeviceContextTest, JobThatCannotStartIsRememberedWithTheFileItWasFor) {
  scratch::WriteFile(folder / "file", "x");
  const std::string out = folder / "file/out.pdf";  // fails for root as well
  PrintTo(out);
  dc.StartDoc("trip");
  dc.StartPage();
  Text(150, -200, "Lost");
  dc.EndPage();
  dc.EndDoc();
  EXPECT_TRUE(dc.HasFailed());
  EXPECT_EQ(dc.GetDeviceName(), out);
  EXPECT_FALSE(dc.Finish());
  EXPECT_EQ(dc.GetFailureReason(), "Not a directory");
}

TEST_F(DeviceContextTest, FileThatCannotBeWrittenAsItIsDrawnEndsTheOutputAndTheOldFileStays) {
  const std::string out = folder / "out.pdf";
  scratch::WriteFile(out, "before");
  PrintTo(out);
  support::FileSizeLimit full;
  full.Impose(4096);
  dc.StartDoc("trip");
  int pages = 0;
  for (; pages < 1000 && !dc.HasFailed(); ++pages) {
    dc.StartPage();
    for (int line = 0; line < 60; ++line) Text(150, -200 - 40 * line, "Line " + std::to_string(line));
    dc.EndPage();
  }
  EXPECT_LT(pages, 1000) << "the pages are written as they are drawn, so the failure is known then";
  dc.EndDoc();
  EXPECT_FALSE(dc.Finish());
  full.Lift();
  EXPECT_EQ(dc.GetFailureReason(), "File too large");
  EXPECT_EQ(scratch::ReadFile(out), "before");
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"out.pdf"});
}

TEST_F(DeviceContextTest, TerminationSignalEndsTheOutputOnlyWhereAskedAndNoFileIsWritten) {
  const std::string out = folder / "out.pdf";
  scratch::WriteFile(out, "before");
  PrintTo(out);
  const auto job = [&](const char* name) {
    dc.StartDoc(name);
    dc.StartPage();
    Text(150, -200, name);
    dc.EndPage();
    dc.EndDoc();
  };
  const TerminationSignals handlers([] {});
  ASSERT_EQ(raise(SIGTERM), 0);
  job("window");
  EXPECT_FALSE(dc.HasFailed()) << "outside the scope the event loop handles the signal";
  {
    const EndAtTerminationScope endAtTermination;
    EXPECT_TRUE(TerminationRequested());
    job("command line");
    EXPECT_TRUE(dc.HasFailed());
    EXPECT_FALSE(dc.Finish());
  }
  EXPECT_FALSE(TerminationRequested());
  EXPECT_EQ(dc.GetFailureReason(), "Printing was ended.");
  EXPECT_EQ(scratch::ReadFile(out), "before") << "a file not finished is not written";
}

TEST(TerminationSignalsTest, SignalOfAnEarlierRunDoesNotEndTheNextOne) {
  {
    const TerminationSignals handlers([] {});
    ASSERT_EQ(raise(SIGINT), 0);
  }
  const TerminationSignals handlers([] {});
  const EndAtTerminationScope endAtTermination;
  EXPECT_FALSE(TerminationRequested());
  ASSERT_EQ(raise(SIGHUP), 0);
  EXPECT_TRUE(TerminationRequested());
}

struct DialogCase {
  const char* what;
  int answer;
  int copiesChosen;
  int result;
  int copies;
};

class PrintDialogTest : public testing::TestWithParam<DialogCase> {};

TEST_P(PrintDialogTest, HookAnswersTheBuiltDialogAndCopiesBecomeSeparateJobs) {
  const DialogCase& row = GetParam();
  std::vector<ModalRequest> asked;
  std::optional<bool> rangeShown;
  SetModalHook([&](const ModalRequest& request) {
    asked.push_back(request);
    auto* dialog = qobject_cast<QPrintDialog*>(request.window);
    if (dialog == nullptr) return ModalAnswer{};
    // On screen, Qt's page range stays out of sight.
    dialog->show();
    if (const QWidget* range = dialog->findChild<QWidget*>("gbPrintRange")) rangeShown = !range->isHidden();
    dialog->hide();
    dialog->printer()->setCopyCount(row.copiesChosen);
    return ModalAnswer{row.answer, {}};
  });
  PrintDialog dialog;
  EXPECT_EQ(dialog.DoModal(), row.result);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].kind, ModalRequest::dialog);
  auto* shown = qobject_cast<QPrintDialog*>(asked[0].window);
  ASSERT_NE(shown, nullptr);
  EXPECT_FALSE(shown->isVisible());
  EXPECT_EQ(asked[0].text, ToBytes(shown->windowTitle()));
  // All pages only; the PDF printer stays among the printers.
  EXPECT_TRUE(shown->testOption(QAbstractPrintDialog::PrintToFile));
  EXPECT_FALSE(shown->testOption(QAbstractPrintDialog::PrintPageRange));
  EXPECT_FALSE(shown->testOption(QAbstractPrintDialog::PrintSelection));
  EXPECT_FALSE(shown->testOption(QAbstractPrintDialog::PrintCurrentPage));
  EXPECT_EQ(shown->printRange(), QAbstractPrintDialog::AllPages);
  ASSERT_TRUE(rangeShown.has_value()) << "no page range in the dialog to hide";
  EXPECT_FALSE(*rangeShown);
  if (row.result == IDOK) {
    EXPECT_EQ(dialog.GetCopies(), row.copies);
    EXPECT_EQ(dialog.GetPrinterDC().GetPrinter().copyCount(), 1);
  }
}

INSTANTIATE_TEST_SUITE_P(Answers, PrintDialogTest,
                         testing::Values(DialogCase{"OkWithOneCopy", IDOK, 1, IDOK, 1},
                                         DialogCase{"OkWithThreeCopies", IDOK, 3, IDOK, 3},
                                         DialogCase{"Cancel", IDCANCEL, 3, IDCANCEL, 0}),
                         [](const testing::TestParamInfo<DialogCase>& info) { return info.param.what; });

struct UnattendedCase {
  unsigned type;
  int answer;
};

TEST(UnattendedTest, MessagesGoToStandardErrorAnsweredAsClosedAndNoDialogAppears) {
  SetModalHook([](const ModalRequest& request) {
    ADD_FAILURE() << "asked a human: " << request.text;
    return ModalAnswer{IDOK, "/chosen"};
  });
  SetUnattended(true);
  testing::internal::CaptureStderr();
  for (const UnattendedCase& row : {UnattendedCase{MB_OK | MB_ICONERROR, IDOK}, UnattendedCase{MB_OKCANCEL, IDCANCEL},
                                    UnattendedCase{MB_YESNOCANCEL | MB_ICONQUESTION, IDCANCEL},
                                    UnattendedCase{MB_YESNO, IDNO}}) {
    EXPECT_EQ(MessageBox::Show("Asked", row.type, "Voyanta"), row.answer) << row.type;
  }
  // One line each: line breaks become ": ".
  MessageBox::Show("/trips/gone.vyt\nFile not found.", MB_OK, "Voyanta");
  MessageBox::Show("Cannot start.\n\nThe reason.\n", MB_OK, "Voyanta");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Voyanta: Asked\nVoyanta: Asked\nVoyanta: Asked\nVoyanta: Asked\n"
            "Voyanta: /trips/gone.vyt: File not found.\nVoyanta: Cannot start.: The reason.\n");
  std::string chosen;
  EXPECT_FALSE(AskFileName(true, "Open", "", {}, chosen));
  EXPECT_EQ(PrintDialog().DoModal(), IDCANCEL);
  EXPECT_EQ(GetUnattendedMessageCount(), 6);
  SetUnattended(false);
  EXPECT_FALSE(IsUnattended());
  SetUnattended(true);
  EXPECT_EQ(GetUnattendedMessageCount(), 0);
  SetUnattended(false);
}

}  // namespace
