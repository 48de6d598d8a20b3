#include "framework/docview/Application.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QSessionManager>
#include <QTimer>

#include <chrono>
#include <csignal>
#include <cstring>
#include <thread>

#include "framework/base/CommandIds.h"
#include "framework/base/StringTable.h"
#include "framework/commands/CmdUI.h"
#include "framework/dialogs/MessageBox.h"
#include "framework/docview/CommandLineInfo.h"
#include "framework/docview/DocTemplate.h"
#include "framework/docview/Document.h"
#include "framework/docview/FrameWindow.h"
#include "framework/docview/RecentFileList.h"
#include "framework/system/Paths.h"
#include "framework/system/TerminationSignals.h"
#include "toolbox/base/LogSink.h"

namespace framework {

namespace {

Application* currentApplication = nullptr;

// "-x" is an option. "/x" is one too, unless it is a path: it has a further "/" or names
// something that exists ("/trip.vyt" in the root folder).
bool IsOption(const char* argument) {
  if (argument[0] == '-') return argument[1] != '\0';
  if (argument[0] != '/') return false;
  if (std::strchr(argument + 1, '/') != nullptr) return false;
  struct stat info;
  return stat(argument, &info) != 0;
}

// Feeds the arguments to the info as ParseCommandLine describes.
void FeedArguments(int argc, char** argv, CommandLineInfo& info) {
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    if (std::strcmp(argument, "/log") == 0) {
      ++i;  // the logger's option and its level
      continue;
    }
    const bool last = i + 1 == argc;
    if (IsOption(argument)) {
      info.ParseParam(argument + 1, true, last);
    } else {
      info.ParseParam(argument, false, last);
    }
  }
}

// The desktop asks the program to quit (the session manager does so at the end of the
// session): the main window then closes as if the user closed it, but nobody is left to
// read a message about the run's end.
class QuitRequestWatch : public QObject {
 public:
  explicit QuitRequestWatch(bool& requested) : requested(requested) { qApp->installEventFilter(this); }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == qApp && event->type() == QEvent::Quit) requested = true;
    return false;
  }

 private:
  bool& requested;
};

// Qt ends the process itself when the display goes: exit(1) on X11, _exit(1) on Wayland,
// there from whichever of its threads notices first. All it does before is to warn, so its
// warning is the program's one chance: a warning that says so ends the run on the window's
// thread (EndForLostDisplay). Another thread that says it waits meanwhile, so that Qt does
// not end the process under the saves; should the window's thread not come to it (it would
// have noticed as well), Qt's own end comes after a while all the same.
class LostDisplayWatch {
 public:
  explicit LostDisplayWatch(Application& app) {
    windowThread = std::this_thread::get_id();
    watched = &app;
    previous = qInstallMessageHandler(&LostDisplayWatch::OnMessage);
  }
  LostDisplayWatch(const LostDisplayWatch&) = delete;
  LostDisplayWatch& operator=(const LostDisplayWatch&) = delete;
  ~LostDisplayWatch() {
    qInstallMessageHandler(previous);
    watched = nullptr;
  }

 private:
  static constexpr auto kWaitForWindowThread = std::chrono::seconds(20);

  static bool SaysDisplayLost(QtMsgType type, const QString& message) {
    return type != QtDebugMsg && type != QtInfoMsg &&
           (message.startsWith(QLatin1String("The X11 connection broke")) ||
            message.startsWith(QLatin1String("The Wayland connection broke")) ||
            message.startsWith(QLatin1String("The Wayland connection experienced a fatal error")));
  }

  static void OnMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (previous != nullptr) previous(type, context, message);
    Application* app = watched;
    if (app == nullptr || !SaysDisplayLost(type, message)) return;
    const QByteArray reason = message.toLocal8Bit();
    if (std::this_thread::get_id() == windowThread) app->EndForLostDisplay(reason.constData());
    QMetaObject::invokeMethod(
        qApp, [app, reason] { app->EndForLostDisplay(reason.constData()); }, Qt::QueuedConnection);
    std::this_thread::sleep_for(kWaitForWindowThread);
  }

  // Qt's message handler is the process's: one watch at a time.
  static inline Application* watched = nullptr;
  static inline QtMessageHandler previous = nullptr;
  static inline std::thread::id windowThread;
};

}  // namespace

void ChoosePlatform(int argc, char** argv) {
  CommandLineInfo info;
  FeedArguments(argc, argv, info);
  if (info.IsPrint() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

Application* GetApp() { return currentApplication; }

Application::Application() { currentApplication = this; }

Application::~Application() {
  DestroyWindowsAndTemplates();
  delete m_pRecentFileList;
  if (currentApplication == this) currentApplication = nullptr;
}

void Application::DestroyWindowsAndTemplates() {
  for (DocTemplate* docTemplate : templates) delete docTemplate;
  templates.clear();
  m_pMainWnd = nullptr;
}

const CommandMap& Application::GetCommandMap() const {
  static const CommandMap map(&CmdTarget::GetCommandMap(), {
      OnCommand(ID_FILE_NEW, &Application::OnFileNew),
      OnCommand(ID_FILE_OPEN, &Application::OnFileOpen),
      OnCommand(ID_APP_EXIT, &Application::OnAppExit),
      OnCommandRange(ID_FILE_MRU_FIRST, ID_FILE_MRU_LAST, &Application::OnOpenRecentFile),
      OnUpdateUI(ID_FILE_MRU_FILE1, &Application::OnUpdateRecentFileMenu),
  });
  return map;
}

bool Application::InitInstance() { return true; }

int Application::ExitInstance() {
  if (m_pRecentFileList != nullptr) m_pRecentFileList->WriteList();
  return exitCode;
}

const char* Application::GetAppTitle() const { return LoadString(AFX_IDS_APP_TITLE); }

void Application::AddDocTemplate(DocTemplate* docTemplate) { templates.push_back(docTemplate); }

DocTemplate* Application::GetFirstDocTemplate() const { return templates.empty() ? nullptr : templates.front(); }

void Application::ParseCommandLine(CommandLineInfo& info) { FeedArguments(argc, argv, info); }

bool Application::ProcessShellCommand(CommandLineInfo& info) {
  switch (info.m_nShellCommand) {
    case CommandLineInfo::FileNew:
      if (!OnCmdMsg(ID_FILE_NEW, CmdPass::execute, nullptr)) OnFileNew();
      return m_pMainWnd != nullptr;
    case CommandLineInfo::FileOpen:
      return OpenDocumentFile(info.m_strFileName.c_str()) != nullptr;
    case CommandLineInfo::FilePrint:
    case CommandLineInfo::FilePrintTo:
      EndAtStartUp(PrintFromCommandLine(info) ? 0 : 1);
      return false;
    case CommandLineInfo::FileNothing:
      return true;
  }
  return false;
}

void Application::EndAtStartUp(int status) {
  exitCode = status;
  ranAtStartUp = true;
}

bool Application::PrintFromCommandLine(const CommandLineInfo& info) {
  const UnattendedScope unattended;
  // No event loop runs until the print is over, so a signal must end the print itself.
  const EndAtTerminationScope endAtTermination;
  commandLinePrint = &info;
  bool printed = false;
  DocTemplate* docTemplate = GetFirstDocTemplate();
  const bool printerMissing = info.m_nShellCommand == CommandLineInfo::FilePrintTo && info.m_strPrinterName.empty();
  if (info.m_strFileName.empty() || printerMissing) {
    MessageBox::Show(LoadString(AFX_IDP_PRINT_USAGE), MB_OK | MB_ICONERROR);
  } else if (docTemplate == nullptr) {
    MessageBox::Show(LoadString(AFX_IDP_FAILED_TO_CREATE_DOC), MB_OK | MB_ICONWARNING);
  } else if (docTemplate->OpenDocumentFile(FullPath(info.m_strFileName).c_str(), true, false) != nullptr) {
    printed = m_pMainWnd != nullptr && m_pMainWnd->RouteCommand(ID_FILE_PRINT);
  }
  // A message on the way (no such printer, a job that failed) means it did not print.
  printed = printed && GetUnattendedMessageCount() == 0;
  commandLinePrint = nullptr;
  return printed;
}

Document* Application::OpenDocumentFile(const char* path) {
  DocTemplate* docTemplate = GetFirstDocTemplate();
  if (docTemplate == nullptr || path == nullptr) return nullptr;
  const std::string fullPath = FullPath(path);
  Document* open = docTemplate->GetDocument();
  if (open != nullptr && !fullPath.empty() && open->GetPathName() == fullPath) {
    if (m_pMainWnd != nullptr) m_pMainWnd->BringToTop();
    return open;
  }
  return docTemplate->OpenDocumentFile(fullPath.c_str());
}

void Application::AddToRecentFileList(const char* path) {
  if (m_pRecentFileList != nullptr) m_pRecentFileList->Add(path);
}

bool Application::SaveAllModified() {
  for (DocTemplate* docTemplate : templates) {
    Document* document = docTemplate->GetDocument();
    if (document != nullptr && !document->SaveModified()) return false;
  }
  return true;
}

void Application::OnFileNew() {
  DocTemplate* docTemplate = GetFirstDocTemplate();
  if (docTemplate == nullptr) {
    MessageBox::Show(LoadString(AFX_IDP_FAILED_TO_CREATE_DOC), MB_OK | MB_ICONWARNING);
    return;
  }
  docTemplate->OpenDocumentFile(nullptr);
}

void Application::OnFileOpen() {
  DocTemplate* docTemplate = GetFirstDocTemplate();
  std::string fileName;
  if (docTemplate == nullptr || !docTemplate->PromptFileName(fileName, true)) return;
  OpenDocumentFile(fileName.c_str());
}

void Application::OnAppExit() {
  if (m_pMainWnd != nullptr) m_pMainWnd->close();
}

void Application::OnOpenRecentFile(unsigned id) {
  if (m_pRecentFileList == nullptr) return;
  const int index = static_cast<int>(id - ID_FILE_MRU_FIRST);
  if (index >= m_pRecentFileList->GetSize()) return;
  const std::string path = (*m_pRecentFileList)[index];
  if (path.empty()) return;
  if (OpenDocumentFile(path.c_str()) != nullptr) return;
  // The file could not be opened (the user has been told why); keep the entry only when
  // the user cancelled the question about the current document. Saving the current
  // document on the way may have added to the list, so the entry is looked up again.
  DocTemplate* docTemplate = GetFirstDocTemplate();
  if (docTemplate != nullptr && docTemplate->WasCancelledByUser()) return;
  for (int i = 0; i < m_pRecentFileList->GetSize(); ++i) {
    if ((*m_pRecentFileList)[i] == path) {
      m_pRecentFileList->Remove(i);
      break;
    }
  }
}

void Application::OnUpdateRecentFileMenu(CmdUI& ui) {
  if (m_pRecentFileList == nullptr) {
    ui.Enable(false);
  } else {
    m_pRecentFileList->UpdateMenu(ui);
  }
}

int Application::ShutDown() {
  // As the window closed, its document went with it; then the exit processing.
  DestroyWindowsAndTemplates();
  const int status = ExitInstance();
  delete m_pRecentFileList;
  m_pRecentFileList = nullptr;
  return status;
}

void Application::OnMainWindowClosed() {
  if (!running) return;
  endedByUser = !terminating && !quitRequested;
  QCoreApplication::exit(exitCode);
}

void Application::OnTerminationSignal() {
  terminating = true;  // also when it comes before the event loop runs
  // A question on screen is closed as if cancelled; the window goes once that question's
  // own event loop has unwound, since the code that asked is still on the stack.
  bool modalClosed = false;
  while (QWidget* modal = QApplication::activeModalWidget()) {
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
      dialog->reject();
    } else {
      modal->close();
    }
    if (QApplication::activeModalWidget() == modal) break;  // it refuses to go
    modalClosed = true;
  }
  if (modalClosed && m_pMainWnd != nullptr) {
    QTimer::singleShot(0, m_pMainWnd, [this] { EndForTermination(); });
    return;
  }
  EndForTermination();
}

void Application::EndForLostDisplay(const char* reason) {
  // Qt is still there, but nothing may wait for the display: no question, no message box
  // (IsEndedByUser is false), nothing drawn.
  toolbox::LogToCurrent("Application::EndForLostDisplay", __LINE__, toolbox::LogError,
                        "The display is gone (%s): the run ends as at a termination signal", reason);
  terminating = true;
  endedByUser = false;
  static_cast<void>(ExitInstance());
  // The windows stay as they are: Qt cannot take them down without its display, and the
  // process ends as Qt would have ended it.
  _exit(1);
}

void Application::EndForTermination() {
  if (m_pMainWnd != nullptr) m_pMainWnd->CloseWithoutQuestions();
  if (running) QCoreApplication::exit(exitCode);
}

int RunApplication(int argc, char** argv) {
  Application* app = GetApp();
  if (app == nullptr) return 1;
  app->SetArguments(argc, argv);
  // A file grown past the user's limit (ulimit -f) is a write that fails with EFBIG, which
  // the saves report, rather than the end of the program in the middle of one.
  std::signal(SIGXFSZ, SIG_IGN);
  QApplication::setQuitOnLastWindowClosed(false);
  // On Qt's offscreen platform nobody could see a window, let alone close one, and the
  // process would wait for ever: unless a test answers them, the run goes without a user.
  const bool unseen = QGuiApplication::platformName() == QLatin1String("offscreen") && !GetModalHook();
  if (unseen) SetUnattended(true);

  int status;
  {
    TerminationSignals terminationSignals([app] { app->OnTerminationSignal(); });
    const LostDisplayWatch lostDisplayWatch(*app);
    QuitRequestWatch quitRequestWatch(app->quitRequested);
    QObject sessionGuard;
#ifndef QT_NO_SESSIONMANAGER
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, &sessionGuard, [app](QSessionManager& manager) {
      if (!manager.allowsInteraction()) return;
      const bool saved = app->SaveAllModified();
      manager.release();
      if (!saved) manager.cancel();
    });
#endif
    const bool started = app->InitInstance();
    if (started && !app->terminating) {
      app->running = true;
      app->exitCode = QApplication::exec();
      app->running = false;
    } else if (!app->ranAtStartUp) {
      // Ended on request during start-up is a normal end; a start that failed is not.
      app->exitCode = app->terminating ? 0 : 1;
    }
    terminationSignals.IgnoreFromNowOn();
    status = app->ShutDown();
  }
  if (unseen) SetUnattended(false);
  return status;
}

}  // namespace framework
