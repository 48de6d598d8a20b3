#pragma once

#include <QMainWindow>
#include <functional>

#include "framework/base/Resources.h"
#include "framework/commands/CmdTarget.h"
#include "framework/docview/ShowCommands.h"

class QLabel;
class QMenu;
class QTimer;
class QToolBar;

namespace framework {

class DocTemplate;
class Document;
class View;

// The initial geometry of a frame, consulted before it is created. A field left at
// kDefaultPosition leaves that choice to the window manager.
inline constexpr int kDefaultPosition = -0x7FFFFFFF;

struct CreateStruct {
  int x = kDefaultPosition;
  int y = kDefaultPosition;
  int cx = 640;
  int cy = 480;
};

// The frame's normal (restored) geometry after it moved or changed size, and its state.
// Some platforms (Wayland) tell a program nothing of where its window is: x and y then
// mean nothing, and positionKnown is false.
struct WindowPos {
  int x;
  int y;
  int cx;
  int cy;
  bool maximized;
  bool minimized;
  bool positionKnown;
};


// The main window: the menu bar and accelerators of the template's resources, an optional
// tool bar and status bar, and the view as its client area. Commands from menus, keys and
// tool-bar buttons are routed to the active view (which passes them to its document), then
// to the frame itself, then to the application.
class FrameWindow : public QMainWindow, public CmdTarget {
 public:
  FrameWindow();
  ~FrameWindow() override;

  // Before creation: the initial geometry. False fails the creation. A position whose
  // title bar would lie off every screen (saved with another arrangement of screens, or
  // by a session that could not tell positions) is moved so that the title bar is on one.
  [[nodiscard]] virtual bool PreCreateWindow(CreateStruct& cs);
  // Creation: the base makes the view; a derived frame adds its bars after calling it.
  // 0 goes on, -1 fails the creation.
  [[nodiscard]] virtual int OnCreate();
  // After every move and size change, with the normal geometry.
  virtual void OnWindowPosChanged(const WindowPos& pos);
  // Sets the caption "<document title> - <application title>".
  virtual void OnUpdateFrameTitle();

  // The tool bar of the resources, at the top, dockable on every side and floatable. Its
  // buttons show the text after "\n" of their command's string as tool tip and the text
  // before it as status prompt.
  [[nodiscard]] bool CreateToolBar();
  QToolBar* GetToolBar() const { return toolBar; }
  void SetToolBarCaption(const char* caption);
  // A status bar with one message pane, showing the idle text (string 57345) until
  // SetMessageText gives another, and a command's prompt while it is hovered.
  [[nodiscard]] bool CreateStatusBar();
  void SetMessageText(const char* text);

  View* GetActiveView() const { return activeView; }
  Document* GetActiveDocument() const;
  DocTemplate* GetDocTemplate() const { return docTemplate; }

  // Runs a command as if chosen: nothing when it is disabled. True when a target ran it.
  bool RouteCommand(unsigned id);
  // Runs the update handlers of a popup's entries; the frame does it when it opens.
  void UpdateMenuPopup(QMenu* popup);
  // Runs the update handlers of the tool-bar buttons; done after commands and while idle.
  void UpdateToolBar();

  void ShowWindow(int command);
  // Paints at once and brings the window to the top.
  void UpdateWindow();
  // Restores a minimized window, raises it and makes it the active window (as far as the
  // window manager lets a program do that).
  void BringToTop();

  // Closes without asking to save (the process is being ended).
  void CloseWithoutQuestions();

  bool OnCmdMsg(unsigned id, CmdPass pass, CmdUI* ui) override;
  const CommandMap& GetCommandMap() const override;

  // After a document has been made new or opened: initial update of the view, caption,
  // and showing the window when asked.
  void InitialUpdateFrame(Document* document, bool makeVisible);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

  void OnBarCheck(unsigned id);
  void OnUpdateControlBarMenu(CmdUI& ui);

 private:
  friend class DocTemplate;

  [[nodiscard]] bool LoadFrame(const FrameResources& resources, Document* document, const std::function<View*()>& newView);
  void BuildMenuBar();
  void LoadAccelerators();
  void ReportWindowPos();
  // The command's menu entry as it is read out; empty when no menu has the command.
  QString MenuTextOf(unsigned id) const;
  // The tool bar or the status bar, by the command that shows and hides it; null when
  // the frame has none.
  QWidget* ControlBar(unsigned id) const;

  FrameResources resources{};
  DocTemplate* docTemplate = nullptr;
  Document* creationDocument = nullptr;
  std::function<View*()> creationNewView;
  View* activeView = nullptr;
  QToolBar* toolBar = nullptr;
  QLabel* messagePane = nullptr;
  QTimer* idleTimer = nullptr;
  bool created = false;
  bool closingWithoutQuestions = false;
};

}  // namespace framework
