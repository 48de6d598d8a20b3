#pragma once

#include <string>
#include <vector>

#include "framework/commands/CmdTarget.h"
#include "framework/docview/ShowCommands.h"

namespace framework {

class CmdUI;
class CommandLineInfo;
class DocTemplate;
class Document;
class FrameWindow;
class RecentFileList;

// The application object. The program defines one global object of a class derived from
// it; its construction runs during static initialisation, before Qt exists, so neither
// this constructor nor a derived one may touch Qt. main creates the QApplication and
// hands over to RunApplication:
//
//   int main(int argc, char** argv) {
//     framework::ChoosePlatform(argc, argv);
//     QApplication qtApplication(argc, argv);
//     return framework::RunApplication(argc, argv);
//   }
class Application : public CmdTarget {
 public:
  Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;
  // Deletes the recent-file list if the exit processing has not.
  ~Application() override;

  // Start-up: true runs the event loop, false ends the program (ExitInstance still runs).
  [[nodiscard]] virtual bool InitInstance();
  // Exit processing after the event loop, once the main window and the documents are
  // gone: the base makes the recent-file list write its entries. Answers the program's
  // exit status.
  [[nodiscard]] virtual int ExitInstance();

  // Registers a template; the application owns it.
  void AddDocTemplate(DocTemplate* docTemplate);
  DocTemplate* GetFirstDocTemplate() const;

  // The process's arguments (RunApplication sets them).
  void SetArguments(int count, char** arguments) {
    argc = count;
    argv = arguments;
  }
  // Feeds the process's arguments to the info. "/log LEVEL" belongs to the logger and is
  // skipped with its value. Other arguments beginning with "-", or with "/" and naming
  // neither a folder path nor an existing file, are options; the rest are plain.
  void ParseCommandLine(CommandLineInfo& info);
  // Makes the new document or opens the named one (creating the main window); false
  // when that failed. A print command opens the document with its window hidden, prints
  // it and answers false, since the run ends there: the exit status is then 0 when it
  // printed and 1 when anything went wrong (told on standard error, see SetUnattended).
  [[nodiscard]] bool ProcessShellCommand(CommandLineInfo& info);
  // The command line that is printing, while it prints; null otherwise.
  const CommandLineInfo* GetCommandLinePrint() const { return commandLinePrint; }

  // Opens a document file (asking to save a modified one first); null when cancelled or
  // failed (reported). A file that is already the open document is not read again.
  virtual Document* OpenDocumentFile(const char* path);
  virtual void AddToRecentFileList(const char* path);
  // Asks every document to save its changes; false when the user cancelled.
  [[nodiscard]] virtual bool SaveAllModified();

  void OnFileNew();
  void OnFileOpen();
  void OnAppExit();
  void OnOpenRecentFile(unsigned id);
  void OnUpdateRecentFileMenu(CmdUI& ui);

  const CommandMap& GetCommandMap() const override;

  // Start-up was the whole run: InitInstance answers false and the program ends with this
  // status (not as a start that failed).
  void EndAtStartUp(int status);
  // The run ended at start-up (it printed, or handed its trip over) and never had a window:
  // what goes wrong at its end can only be told on standard error.
  bool HasEndedAtStartUp() const { return ranAtStartUp; }

  FrameWindow* GetMainWnd() const { return m_pMainWnd; }
  // The application title: string 57344.
  const char* GetAppTitle() const;

  // The end of a run, as RunApplication ends one after its event loop: every window,
  // document and template is destroyed, then the exit processing runs (ExitInstance) and
  // the recent-file list is deleted. Answers the exit status. For a host that starts the
  // application itself (InitInstance, then its own event processing), such as a benchmark.
  [[nodiscard]] int ShutDown();

  // The main window closed: the event loop ends.
  void OnMainWindowClosed();
  // Known once the event loop is over: true when the user ended the run, closing the main
  // window or choosing Exit; false when a termination signal or the desktop (asking the
  // program to quit, as at the end of the session) ended it, and when there was no loop.
  // Only a run the user ended has someone to read a message at its end.
  bool IsEndedByUser() const { return endedByUser; }
  // A termination signal or a lost display is ending the run: nobody answers questions.
  bool IsEnding() const { return terminating; }
  // A termination signal arrived: the main window closes without questions and the
  // event loop ends.
  void OnTerminationSignal();
  // The display is gone (the X server or the Wayland compositor ended), for the reason
  // given: Qt ends the process as soon as it has said so, so the run ends here, as a
  // termination signal ends it but without a window: the exit processing (ExitInstance)
  // runs at once, and the process ends with status 1. On the window's thread only.
  [[noreturn]] void EndForLostDisplay(const char* reason);

  FrameWindow* m_pMainWnd = nullptr;
  // How the main window is first shown (SW_SHOW, SW_SHOWMAXIMIZED, ...), so that a window
  // that is to start maximized never appears at its normal size first.
  int m_nCmdShow = SW_SHOW;
  // Set by the program; the application deletes it in its exit processing.
  RecentFileList* m_pRecentFileList = nullptr;

 private:
  friend int RunApplication(int argc, char** argv);
  void DestroyWindowsAndTemplates();
  // The rest of a termination: the main window closes without questions, the loop ends.
  void EndForTermination();
  // Opens and prints the command line's document without a user; true when it printed.
  [[nodiscard]] bool PrintFromCommandLine(const CommandLineInfo& info);

  std::vector<DocTemplate*> templates;
  int argc = 0;
  char** argv = nullptr;
  bool running = false;
  bool terminating = false;
  bool quitRequested = false;  // by the desktop, see RunApplication
  bool endedByUser = false;
  // Start-up was the whole run (the command line printed); exitCode tells how it went.
  bool ranAtStartUp = false;
  int exitCode = 0;
  const CommandLineInfo* commandLinePrint = nullptr;
};

// The application object, or null while there is none.
Application* GetApp();

// Before the QApplication is made: a run that only prints (the command line's print
// options) needs no display and shows no window, so it takes Qt's offscreen platform
// unless QT_QPA_PLATFORM chooses one. It can so print where there is no display at all.
void ChoosePlatform(int argc, char** argv);

// Runs the application object: InitInstance, the event loop, ExitInstance. SIGTERM,
// SIGINT and SIGHUP close the main window without any question and end the loop
// normally; a lost display ends the run through EndForLostDisplay; at the end of the
// desktop session the user is asked to save a modified
// document when the session manager allows it. On Qt's offscreen platform, unless the
// test hook answers modal windows, the run is unattended (see SetUnattended): nobody could
// see a window there. From the loop's end on the process is on
// its way out: those signals are ignored from then on, also after this returns, so that
// none cuts short the exit processing or whatever the program still writes after it.
// Every window, document and template is destroyed before this returns; answers the exit
// status.
[[nodiscard]] int RunApplication(int argc, char** argv);

}  // namespace framework
