#include "framework/docview/Application.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <csignal>
#include <cstring>
#include <functional>
#include <utility>

#include "Fixtures.h"
#include "framework/base/CommandIds.h"
#include "framework/commands/Menu.h"
#include "framework/docview/CommandLineInfo.h"
#include "framework/docview/RecentFileList.h"

using namespace framework;
using namespace fixtures;

namespace {

CommandLineInfo Parse(std::vector<std::string> arguments) {
  TestApp app;
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  app.SetArguments(static_cast<int>(arguments.size()), argv.data());
  CommandLineInfo info;
  app.ParseCommandLine(info);
  return info;
}

TEST(CommandLineTest, FirstPlainArgumentOpensThatDocument) {
  CommandLineInfo none = Parse({"voyanta"});
  EXPECT_EQ(none.m_nShellCommand, CommandLineInfo::FileNew);

  CommandLineInfo named = Parse({"voyanta", "/log", "debug", "trip.vyt", "second.vyt"});
  EXPECT_EQ(named.m_nShellCommand, CommandLineInfo::FileOpen);
  EXPECT_EQ(named.m_strFileName, "trip.vyt");
}

TEST(CommandLineTest, LogLevelIsNeverTheDocumentAndOptionsAreNotNames) {
  CommandLineInfo logOnly = Parse({"voyanta", "/log", "trip.vyt"});
  EXPECT_EQ(logOnly.m_nShellCommand, CommandLineInfo::FileNew);

  CommandLineInfo options = Parse({"voyanta", "-x", "/y", "/home/user/trips/summer.vyt"});
  EXPECT_EQ(options.m_flags, (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(options.m_strFileName, "/home/user/trips/summer.vyt");
}

struct PrintArguments {
  std::vector<std::string> arguments;
  CommandLineInfo::ShellCommand command;
  const char* file;
  const char* printer;
};

TEST(CommandLineTest, PrintOptionsNameTheDocumentAndThePrinter) {
  for (const PrintArguments& row : {
           PrintArguments{{"voyanta", "/p", "trip.vyt"}, CommandLineInfo::FilePrint, "trip.vyt", ""},
           PrintArguments{{"voyanta", "/pt", "trip.vyt", "Office"}, CommandLineInfo::FilePrintTo, "trip.vyt", "Office"},
           PrintArguments{{"voyanta", "-PT", "trip.vyt", "/tmp/out.pdf"}, CommandLineInfo::FilePrintTo, "trip.vyt", "/tmp/out.pdf"},
           PrintArguments{{"voyanta", "trip.vyt", "/pt", "out.pdf"}, CommandLineInfo::FilePrintTo, "trip.vyt", "out.pdf"},
           PrintArguments{{"voyanta", "/p", "a.vyt", "b.vyt"}, CommandLineInfo::FilePrint, "a.vyt", ""},
           PrintArguments{{"voyanta", "/pt", "trip.vyt"}, CommandLineInfo::FilePrintTo, "trip.vyt", ""},
           PrintArguments{{"voyanta", "/P"}, CommandLineInfo::FilePrint, "", ""},
       }) {
    CommandLineInfo info = Parse(row.arguments);
    SCOPED_TRACE(testing::PrintToString(row.arguments));
    EXPECT_EQ(info.m_nShellCommand, row.command);
    EXPECT_TRUE(info.IsPrint());
    EXPECT_EQ(info.m_strFileName, row.file);
    EXPECT_EQ(info.m_strPrinterName, row.printer);
  }
}

class RecentFilesTest : public testing::Test {
 protected:
  void SetUp() override {
    app.m_pRecentFileList = new RecentFileList(0, 4, 12);
    app.OnFileNew();
  }

  QMenu* FileMenu() const { return app.Frame()->menuBar()->actions().at(0)->menu(); }

  std::vector<std::string> FileMenuTexts() const {
    std::vector<std::string> texts;
    Menu menu(FileMenu());
    for (unsigned i = 0; i < menu.GetMenuItemCount(); ++i) {
      std::string text;
      menu.GetMenuString(i, text, MF_BYPOSITION);
      texts.push_back(text);
    }
    return texts;
  }

  scratch::Folder folder;
  Modals modals;
  TestApp app;
};

TEST_F(RecentFilesTest, EmptyListShowsThePlaceholderDisabled) {
  app.Frame()->UpdateMenuPopup(FileMenu());
  Menu menu(FileMenu());
  EXPECT_EQ(menu.GetMenuItemID(5), ID_FILE_MRU_FILE1);
  EXPECT_FALSE(menu.GetAction(5)->isEnabled());
  EXPECT_EQ(menu.GetAction(5)->text(), "(No Recent Files)");
}

TEST_F(RecentFilesTest, MenuListsTheFilesNumberedAndRunsThem) {
  scratch::WriteFile(folder / "a&b.vyt", "ab");
  scratch::WriteFile(folder / "c.vyt", "c");
  app.AddToRecentFileList((folder / "a&b.vyt").c_str());
  app.AddToRecentFileList((folder / "c.vyt").c_str());
  emit FileMenu()->aboutToShow();
  std::vector<std::string> texts = FileMenuTexts();
  ASSERT_EQ(texts.size(), 9u);
  EXPECT_EQ(texts[5], "&1 /.../c.vyt");
  EXPECT_EQ(texts[6], "&2 /.../a&&b.vyt");  // shows one ampersand
  EXPECT_EQ(texts[8], "E&xit\tAlt+X");
  Menu menu(FileMenu());
  EXPECT_TRUE(menu.GetAction(6)->isEnabled());
  EXPECT_EQ(menu.GetAction(6)->statusTip(), "Open this document.");

  // Opening the menu again rebuilds the entries instead of adding more.
  emit FileMenu()->aboutToShow();
  EXPECT_EQ(FileMenuTexts().size(), 9u);

  menu.GetAction(6)->trigger();
  EXPECT_EQ(app.Document()->content, "ab");
  EXPECT_EQ((*app.m_pRecentFileList)[0], folder / "a&b.vyt");
}

TEST_F(RecentFilesTest, EntryThatCannotBeOpenedIsRemovedWithAMessage) {
  scratch::WriteFile(folder / "kept.vyt", "kept");
  app.AddToRecentFileList((folder / "gone.vyt").c_str());
  app.AddToRecentFileList((folder / "kept.vyt").c_str());
  modals.Answer(IDOK);
  app.Frame()->RouteCommand(ID_FILE_MRU_FILE1 + 1);
  EXPECT_EQ(modals.Texts(), std::vector<std::string>{(folder / "gone.vyt") + "\nFile not found."});
  EXPECT_EQ((*app.m_pRecentFileList)[0], folder / "kept.vyt");
  EXPECT_EQ((*app.m_pRecentFileList)[1], "");

  // Cancelling the save question keeps the entry.
  app.AddToRecentFileList((folder / "gone.vyt").c_str());
  app.Document()->SetModifiedFlag();
  modals.Answer(IDCANCEL);
  app.Frame()->RouteCommand(ID_FILE_MRU_FILE1);
  EXPECT_EQ((*app.m_pRecentFileList)[0], folder / "gone.vyt");
}

TEST(ApplicationStartTest, NamedDocumentThatCannotBeOpenedFailsTheStart) {
  Modals modals;
  TestApp app;
  CommandLineInfo info;
  info.m_nShellCommand = CommandLineInfo::FileOpen;
  info.m_strFileName = "/no/such/folder/trip.vyt";
  modals.Answer(IDOK);
  EXPECT_FALSE(app.ProcessShellCommand(info));
  EXPECT_EQ(app.GetMainWnd(), nullptr);
  EXPECT_EQ(app.docTemplate->GetDocument(), nullptr);
}

// Counts what the exit processing does with the list.
class CountingList : public RecentFileList {
 public:
  CountingList(int* writes, bool* deleted) : RecentFileList(0, 4), writes(writes), deleted(deleted) {}
  ~CountingList() override { *deleted = true; }
  void WriteList() override { ++*writes; }

 private:
  int* writes;
  bool* deleted;
};

class SignalledApp : public TestApp {
 public:
  bool InitInstance() override {
    m_pRecentFileList = new CountingList(&writes, &listDeleted);
    OnFileNew();
    Document()->SetModifiedFlag();  // a question would fail the test (see the test main)
    QTimer::singleShot(0, [] { raise(SIGTERM); });
    QTimer::singleShot(10000, [] { QCoreApplication::exit(3); });  // never hang the suite
    return true;
  }
  int ExitInstance() override {
    exited = true;
    windowGoneAtExit = GetMainWnd() == nullptr && GetFirstDocTemplate() == nullptr;
    struct sigaction current;
    sigaction(SIGTERM, nullptr, &current);
    ignoredAtExit = current.sa_handler == SIG_IGN;
    return TestApp::ExitInstance();
  }

  int writes = 0;
  bool listDeleted = false;
  bool exited = false;
  bool windowGoneAtExit = false;
  bool ignoredAtExit = false;
};

TEST(ApplicationRunTest, TerminationSignalClosesWithoutQuestionsAndReturnsNormally) {
  SignalledApp app;
  char name[] = "voyanta";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(RunApplication(1, argv), 0);
  EXPECT_TRUE(app.exited);
  EXPECT_TRUE(app.windowGoneAtExit);
  EXPECT_EQ(app.writes, 1);
  EXPECT_TRUE(app.listDeleted);
  EXPECT_EQ(app.m_pRecentFileList, nullptr);
  EXPECT_FALSE(app.IsEndedByUser());

  // From the loop's end on the process is on its way out: no signal may cut short what it
  // still writes, during the exit processing or after it.
  EXPECT_TRUE(app.ignoredAtExit);
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    struct sigaction current;
    sigaction(signal, nullptr, &current);
    EXPECT_EQ(current.sa_handler, SIG_IGN) << strsignal(signal);
  }
}

// Ends its run as the step does and records whether the exit processing saw the user's end.
class EndingApp : public TestApp {
 public:
  explicit EndingApp(std::function<void(EndingApp&)> ending) : ending(std::move(ending)) {}
  bool InitInstance() override {
    OnFileNew();
    QTimer::singleShot(0, [this] { ending(*this); });
    QTimer::singleShot(10000, [] { QCoreApplication::exit(3); });  // never hang the suite
    return true;
  }
  int ExitInstance() override {
    endedByUser = IsEndedByUser();
    windowClosed = GetMainWnd() == nullptr;
    return TestApp::ExitInstance();
  }
  std::function<void(EndingApp&)> ending;
  bool endedByUser = false;
  bool windowClosed = false;
};

TEST(ApplicationRunTest, OnlyTheUsersEndOfTheRunCountsAsEndedByTheUser) {
  struct Row {
    const char* what;
    std::function<void(EndingApp&)> ending;
    bool byUser;
  };
  const Row rows[] = {
      {"the main window closed", [](EndingApp& app) { app.GetMainWnd()->close(); }, true},
      {"File Exit", [](EndingApp& app) { app.GetMainWnd()->RouteCommand(ID_APP_EXIT); }, true},
      {"a termination signal", [](EndingApp&) { raise(SIGTERM); }, false},
      // What the session manager does at the end of the session.
      {"the desktop asks to quit",
       [](EndingApp&) {
         QEvent quit(QEvent::Quit);
         QCoreApplication::sendEvent(qApp, &quit);
       },
       false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EndingApp app(row.ending);
    char name[] = "voyanta";
    char* argv[] = {name, nullptr};
    EXPECT_EQ(RunApplication(1, argv), 0);
    EXPECT_EQ(app.endedByUser, row.byUser);
  }
}

class FailingStartApp : public TestApp {
 public:
  bool InitInstance() override { return false; }
  int ExitInstance() override {
    exited = true;
    return TestApp::ExitInstance();
  }
  bool exited = false;
};

TEST(ApplicationRunTest, FailedStartStillRunsTheExitProcessing) {
  FailingStartApp app;
  char name[] = "voyanta";
  char* argv[] = {name, nullptr};
  EXPECT_NE(RunApplication(1, argv), 0);
  EXPECT_TRUE(app.exited);
}

}  // namespace

TEST_F(RecentFilesTest, FailedEntryIsRemovedByItsPathAfterTheListChangedOnTheWay) {
  // The current document is saved under a new name on the way, which moves the entries
  // down before the missing file is found out.
  scratch::WriteFile(folder / "a.vyt", "a");
  scratch::WriteFile(folder / "b.vyt", "b");
  app.AddToRecentFileList((folder / "gone.vyt").c_str());
  app.AddToRecentFileList((folder / "b.vyt").c_str());
  app.AddToRecentFileList((folder / "a.vyt").c_str());
  app.Document()->SetModifiedFlag();
  modals.Answer(IDYES);                      // save the untitled document first
  modals.Answer(IDOK, folder / "new.vyt");   // under this name
  modals.Answer(IDOK);                       // the missing file is reported
  app.Frame()->RouteCommand(ID_FILE_MRU_FILE1 + 2);
  EXPECT_EQ((*app.m_pRecentFileList)[0], folder / "new.vyt");
  EXPECT_EQ((*app.m_pRecentFileList)[1], folder / "a.vyt");
  EXPECT_EQ((*app.m_pRecentFileList)[2], folder / "b.vyt");
  EXPECT_EQ((*app.m_pRecentFileList)[3], "");
}

// A signal that comes while a question is on screen closes the question and then ends
// the program as usual.
class SignalDuringQuestionApp : public TestApp {
 public:
  bool InitInstance() override {
    OnFileNew();
    framework::SetModalHook({});  // the real message box this time
    QTimer::singleShot(0, [] { raise(SIGTERM); });
    QTimer::singleShot(10000, [] { QCoreApplication::exit(3); });  // never hang the suite
    answer = MessageBox::Show("A question", MB_YESNOCANCEL | MB_ICONQUESTION);
    return true;
  }
  int ExitInstance() override {
    windowGone = GetMainWnd() == nullptr;
    return TestApp::ExitInstance();
  }
  int answer = 0;
  bool windowGone = false;
};

TEST(ApplicationRunTest, TerminationSignalDuringAQuestionClosesItAndEnds) {
  SignalDuringQuestionApp app;
  char name[] = "voyanta";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(RunApplication(1, argv), 0);
  EXPECT_EQ(app.answer, IDCANCEL);
  EXPECT_TRUE(app.windowGone);
}
