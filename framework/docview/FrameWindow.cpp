#include "framework/docview/FrameWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <algorithm>
#include <limits>
#include <string>

#include "framework/accessibility/AccessibleReadings.h"
#include "framework/accessibility/MenuAccessibility.h"
#include "framework/base/CommandIds.h"
#include "framework/base/StringTable.h"
#include "framework/base/TextEncoding.h"
#include "framework/base/Translation.h"
#include "framework/commands/AcceleratorTranslator.h"
#include "framework/commands/CmdUI.h"
#include "framework/commands/Menu.h"
#include "framework/docview/Application.h"
#include "framework/docview/Document.h"
#include "framework/docview/View.h"

namespace framework {

namespace {

constexpr int kIdleUpdateMilliseconds = 250;
// How much of a title bar's width stays on a screen, so that the window can be taken by it.
constexpr int kTitleBarGrip = 100;

// The geometry of a window's inside moved, where need be, so that its title bar lies on a
// screen: the screen nearest to it, within that screen's space for windows.
QRect TitleBarOnAScreen(const QRect& inside) {
  const int titleBar = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
  const QPoint bar(inside.center().x(), inside.top() - titleBar / 2);
  const QScreen* nearest = QGuiApplication::primaryScreen();
  qint64 distance = std::numeric_limits<qint64>::max();
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect space = screen->availableGeometry();
    const qint64 dx = std::max({space.left() - bar.x(), 0, bar.x() - space.right()});
    const qint64 dy = std::max({space.top() - bar.y(), 0, bar.y() - space.bottom()});
    if (dx * dx + dy * dy < distance) {
      distance = dx * dx + dy * dy;
      nearest = screen;
    }
  }
  if (nearest == nullptr) return inside;
  const QRect space = nearest->availableGeometry();
  QRect kept = inside;
  kept.moveTop(std::clamp(inside.top(), space.top() + titleBar, std::max(space.top() + titleBar, space.bottom() - titleBar)));
  kept.moveLeft(std::clamp(inside.left(), space.left() + kTitleBarGrip - inside.width(), space.right() - kTitleBarGrip));
  return kept;
}

// "Prompt\nTip": the prompt and the tip of a command's string.
void SplitCommandString(unsigned id, QString& prompt, QString& tip) {
  const QString whole = ToQString(FindString(id));
  const qsizetype newline = whole.indexOf('\n');
  prompt = newline < 0 ? whole : whole.left(newline);
  tip = newline < 0 ? QString() : whole.mid(newline + 1);
}

}  // namespace

FrameWindow::FrameWindow() = default;

FrameWindow::~FrameWindow() {
  if (idleTimer != nullptr) idleTimer->stop();
  // The view goes while the frame is still whole, leaving its document.
  activeView = nullptr;
  delete takeCentralWidget();
}

const CommandMap& FrameWindow::GetCommandMap() const {
  static const CommandMap map(&CmdTarget::GetCommandMap(), {
      OnCommandRange(ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, &FrameWindow::OnBarCheck),
      OnUpdateUIRange(ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, &FrameWindow::OnUpdateControlBarMenu),
  });
  return map;
}

bool FrameWindow::PreCreateWindow(CreateStruct&) { return true; }

bool FrameWindow::LoadFrame(const FrameResources& frameResources, Document* document,
                            const std::function<View*()>& newView) {
  resources = frameResources;
  CreateStruct cs;
  if (!PreCreateWindow(cs)) return false;
  if (cs.x != kDefaultPosition && cs.y != kDefaultPosition) {
    setGeometry(TitleBarOnAScreen(QRect(cs.x, cs.y, cs.cx, cs.cy)));
  } else {
    resize(cs.cx, cs.cy);
  }
  if (resources.icon != nullptr) setWindowIcon(QIcon(ToQString(resources.icon)));
  BuildMenuBar();
  LoadAccelerators();

  creationDocument = document;
  creationNewView = newView;
  const int result = OnCreate();
  creationDocument = nullptr;
  creationNewView = nullptr;
  if (result == -1) return false;

  created = true;
  OnUpdateFrameTitle();
  return true;
}

int FrameWindow::OnCreate() {
  if (!creationNewView) return 0;
  View* view = creationNewView();
  setCentralWidget(view->GetWidget());
  if (creationDocument != nullptr) creationDocument->AddView(view);
  activeView = view;
  if (view->OnCreate() == -1) return -1;
  view->GetWidget()->setFocus();
  return 0;
}

void FrameWindow::BuildMenuBar() {
  InstallMenuAccessibility();
  InstallAccessibleReadings();
  for (const MenuPopup& popup : resources.menuBar) {
    QMenu* menu = menuBar()->addMenu(ToQString(Translate(kMenuContext, popup.text)));
    for (const MenuEntry& entry : popup.entries) {
      if (entry.text == nullptr) {
        menu->addSeparator();
        continue;
      }
      QAction* action = menu->addAction(ToQString(Translate(kMenuContext, entry.text)));
      Menu::SetCommandId(action, entry.id);
      action->setStatusTip(ToQString(Menu::PromptOf(entry.id).c_str()));
    }
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateMenuPopup(menu); });
    // Entries inserted later (the recent files) are caught here as well.
    connect(menu, &QMenu::triggered, this, [this](QAction* action) {
      const unsigned id = Menu::CommandIdOf(action);
      if (id != 0 && id != 0xFFFFFFFF) RouteCommand(id);
    });
  }
}

void FrameWindow::LoadAccelerators() {
  if (resources.accelerators.empty()) return;
  new AcceleratorTranslator(this, resources.accelerators, [this](unsigned id) { RouteCommand(id); });
}

bool FrameWindow::CreateToolBar() {
  toolBar = new QToolBar(this);
  toolBar->setObjectName("ToolBar");
  toolBar->setIconSize(QSize(resources.toolBar.buttonWidth, resources.toolBar.buttonHeight));
  toolBar->setAllowedAreas(Qt::AllToolBarAreas);
  toolBar->setFloatable(true);
  toolBar->setMovable(true);
  for (const ToolBarButton& button : resources.toolBar.buttons) {
    if (button.id == 0) {
      toolBar->addSeparator();
      continue;
    }
    QString prompt;
    QString tip;
    SplitCommandString(button.id, prompt, tip);
    QAction* action = toolBar->addAction(QIcon(ToQString(button.icon)), QString());
    Menu::SetCommandId(action, button.id);
    action->setToolTip(tip);
    action->setStatusTip(prompt);
    // The button shows its picture only; assistive technology reads out the command's menu
    // entry, or where no menu has the command the button's own name, else its tip.
    QString name = MenuTextOf(button.id);
    if (name.isEmpty()) name = button.name != nullptr ? ToQString(Translate(kToolBarContext, button.name)) : tip;
    toolBar->widgetForAction(action)->setAccessibleName(name);
    const unsigned id = button.id;
    connect(action, &QAction::triggered, this, [this, id] { RouteCommand(id); });
  }
  addToolBar(Qt::TopToolBarArea, toolBar);

  idleTimer = new QTimer(this);
  connect(idleTimer, &QTimer::timeout, this, [this] {
    if (isVisible() && toolBar->isVisible()) UpdateToolBar();
  });
  idleTimer->start(kIdleUpdateMilliseconds);
  return true;
}

QString FrameWindow::MenuTextOf(unsigned id) const {
  for (const MenuPopup& popup : resources.menuBar) {
    for (const MenuEntry& entry : popup.entries) {
      if (entry.text == nullptr || entry.id != id) continue;
      return Menu::ReadText(ToQString(Translate(kMenuContext, entry.text)));
    }
  }
  return {};
}

void FrameWindow::SetToolBarCaption(const char* caption) {
  if (toolBar != nullptr) toolBar->setWindowTitle(ToQString(caption));
}

bool FrameWindow::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  messagePane = new QLabel(bar);
  bar->addWidget(messagePane, 1);
  SetMessageText(LoadString(AFX_IDS_IDLEMESSAGE));
  return true;
}

void FrameWindow::SetMessageText(const char* text) {
  if (messagePane != nullptr) messagePane->setText(ToQString(text));
}

Document* FrameWindow::GetActiveDocument() const {
  return activeView == nullptr ? nullptr : activeView->GetDocument();
}

bool FrameWindow::OnCmdMsg(unsigned id, CmdPass pass, CmdUI* ui) {
  if (activeView != nullptr && activeView->OnCmdMsg(id, pass, ui)) return true;
  if (CmdTarget::OnCmdMsg(id, pass, ui)) return true;
  Application* app = GetApp();
  return app != nullptr && app->OnCmdMsg(id, pass, ui);
}

bool FrameWindow::RouteCommand(unsigned id) {
  // A command whose update handler disables it does not run, whatever sent it.
  CmdUI state;
  state.m_nID = id;
  OnCmdMsg(id, CmdPass::update, &state);
  if (!state.m_bEnabled) return false;
  const bool handled = OnCmdMsg(id, CmdPass::execute, nullptr);
  UpdateToolBar();
  return handled;
}

void FrameWindow::UpdateMenuPopup(QMenu* popup) {
  Menu menu(popup);
  CmdUI state;
  state.m_pMenu = &menu;
  state.m_nIndexMax = menu.GetMenuItemCount();
  for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
    state.m_nID = menu.GetMenuItemID(state.m_nIndex);
    if (state.m_nID == 0 || state.m_nID == 0xFFFFFFFF) continue;  // separator or popup
    state.m_pSubMenu = nullptr;
    state.DoUpdate(this, true);
    // An update handler may have removed entries (the recent files do): go on after the
    // entries of this command.
    const unsigned count = menu.GetMenuItemCount();
    if (count < state.m_nIndexMax) {
      state.m_nIndex -= state.m_nIndexMax - count;
      while (state.m_nIndex < count && menu.GetMenuItemID(state.m_nIndex) == state.m_nID) ++state.m_nIndex;
    }
    state.m_nIndexMax = count;
  }
}

void FrameWindow::UpdateToolBar() {
  if (toolBar == nullptr) return;
  for (QAction* action : toolBar->actions()) {
    const unsigned id = Menu::CommandIdOf(action);
    if (id == 0) continue;
    CmdUI state;
    state.m_nID = id;
    state.m_pOther = action;
    state.DoUpdate(this, true);
  }
}

QWidget* FrameWindow::ControlBar(unsigned id) const {
  if (id == ID_VIEW_TOOLBAR) return toolBar;
  return messagePane != nullptr ? messagePane->parentWidget() : nullptr;  // the status bar
}

void FrameWindow::OnBarCheck(unsigned id) {
  if (QWidget* bar = ControlBar(id)) bar->setVisible(bar->isHidden());
}

void FrameWindow::OnUpdateControlBarMenu(CmdUI& ui) {
  QWidget* bar = ControlBar(ui.m_nID);
  if (bar == nullptr) {
    ui.Enable(false);
    return;
  }
  ui.Enable(true);
  ui.SetCheck(bar->isHidden() ? 0 : 1);
}

void FrameWindow::OnUpdateFrameTitle() {
  const std::string appTitle = LoadString(AFX_IDS_APP_TITLE);
  Document* document = GetActiveDocument();
  if (document == nullptr || document->GetTitle().empty()) {
    setWindowTitle(ToQString(appTitle.c_str()));
  } else {
    setWindowTitle(ToQString((document->GetTitle() + " - " + appTitle).c_str()));
  }
}

void FrameWindow::InitialUpdateFrame(Document* document, bool makeVisible) {
  if (activeView == nullptr && document != nullptr && !document->GetViews().empty()) activeView = document->GetViews().front();
  if (document != nullptr) {
    const std::vector<View*> views = document->GetViews();
    for (View* view : views) view->OnInitialUpdate();
  }
  OnUpdateFrameTitle();
  if (makeVisible && !isVisible()) ShowWindow(GetApp() != nullptr ? GetApp()->m_nCmdShow : SW_SHOW);
  UpdateToolBar();
}

void FrameWindow::ShowWindow(int command) {
  switch (command) {
    case SW_HIDE: hide(); break;
    case SW_SHOWMAXIMIZED: showMaximized(); break;
    case SW_SHOWMINIMIZED: showMinimized(); break;
    case SW_SHOWNORMAL:
    case SW_RESTORE: showNormal(); break;
    default: show(); break;
  }
}

void FrameWindow::UpdateWindow() { repaint(); }

void FrameWindow::BringToTop() {
  // A minimized window is restored: the user is to see it.
  if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
  raise();
  activateWindow();
}

void FrameWindow::CloseWithoutQuestions() {
  closingWithoutQuestions = true;
  close();
  closingWithoutQuestions = false;
}

void FrameWindow::closeEvent(QCloseEvent* event) {
  Document* document = GetActiveDocument();
  if (!closingWithoutQuestions && document != nullptr && !document->CanCloseFrame()) {
    event->ignore();
    return;
  }
  event->accept();
  Application* app = GetApp();
  if (app != nullptr && app->m_pMainWnd == this) app->OnMainWindowClosed();
}

void FrameWindow::ReportWindowPos() {
  if (!created) return;
  const bool maximized = isMaximized();
  const bool minimized = isMinimized();
  const QRect normal = (maximized || minimized) ? normalGeometry() : geometry();
  // Wayland keeps a window's place from the program that owns it.
  const bool positionKnown = !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
  OnWindowPosChanged({normal.x(), normal.y(), normal.width(), normal.height(), maximized, minimized, positionKnown});
}

void FrameWindow::OnWindowPosChanged(const WindowPos&) {}

void FrameWindow::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  ReportWindowPos();
}

void FrameWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  ReportWindowPos();
}

void FrameWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) ReportWindowPos();
}

}  // namespace framework
