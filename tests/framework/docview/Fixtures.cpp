#include "Fixtures.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <algorithm>

#include "framework/base/CommandIds.h"
#include "framework/base/StringTable.h"

using namespace framework;

namespace fixtures {

namespace {

constexpr StringEntry kStringTable[] = {
    {AFX_IDS_APP_TITLE, "Voyanta"},
    {AFX_IDS_IDLEMESSAGE, "Ready"},
    {ID_FILE_NEW, "Create a new document.\nNew"},
    {ID_ALL, "Handled by everyone.\nAll"},
    {ID_FILE_MRU_FILE1, "Open this document.\nOpen document"},
};

constexpr MenuEntry kFileMenu[] = {
    {"&New\tCtrl+N", ID_FILE_NEW},
    {"&Open...\tCtrl+O", ID_FILE_OPEN},
    {"&Save\tCtrl+S", ID_FILE_SAVE},
    {"Save &As...\tCtrl+Shift+S", ID_FILE_SAVE_AS},
    kMenuSeparator,
    {"(No Recent Files)", ID_FILE_MRU_FILE1},
    kMenuSeparator,
    {"E&xit\tAlt+X", ID_APP_EXIT},
};

constexpr MenuEntry kEditMenu[] = {
    {"&Check/Uncheck\tSpace", ID_TOGGLE},
    {"&All", ID_ALL},
    {"&Nobody", ID_NOBODY},
    {"&Disabled", ID_DISABLED},
};

constexpr MenuEntry kViewMenu[] = {
    {"Show &Voyanta Only\tF8", ID_TRIP_ONLY},
    kMenuSeparator,
    {"&Toolbar", ID_VIEW_TOOLBAR},
    {"&Status Bar", ID_VIEW_STATUS_BAR},
};

constexpr MenuPopup kMenuBar[] = {{"&File", kFileMenu}, {"&Edit", kEditMenu}, {"&View", kViewMenu}};

constexpr Accelerator kAccelerators[] = {
    {Qt::Key_Space, Qt::NoModifier, ID_TOGGLE},
    {Qt::Key_Return, Qt::NoModifier, ID_EDIT},
    {Qt::Key_Delete, Qt::NoModifier, ID_EDIT_CLEAR},
    {Qt::Key_Insert, Qt::NoModifier, ID_NEW_ITEM},
    {Qt::Key_0, Qt::NoModifier, ID_DIGIT_0},
    {Qt::Key_5, Qt::NoModifier, ID_DIGIT_0 + 5},
    {Qt::Key_9, Qt::NoModifier, ID_DIGIT_0 + 9},
    {Qt::Key_D, Qt::ControlModifier, ID_DISABLED},
    {Qt::Key_F5, Qt::NoModifier, ID_REFRESH},
};

constexpr ToolBarButton kButtons[] = {
    {ID_FILE_NEW, nullptr}, kToolBarSeparator, {ID_ALL, nullptr},
    {ID_NOBODY, nullptr},
};

}  // namespace


const FrameResources kResources{
    "Voyanta\nUnnamed\nUnnamed\nDocument\n.vyt\nVoyanta.Document\nDocument",
    kMenuBar,
    kAccelerators,
    {16, 15, kButtons},
    nullptr,
};

std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}

bool TestDocument::OnNewDocument() {
  if (!Document::OnNewDocument()) return false;
  content.clear();
  ++newCount;
  return true;
}

void TestDocument::Serialize(Archive& archive) {
  ++serializeCount;
  File* file = archive.GetFile();
  if (archive.IsStoring()) {
    const std::size_t count = failAfter < 0 ? content.size() : std::min<std::size_t>(failAfter, content.size());
    file->Write(content.data(), count);
    if (failAfter >= 0) throw FileException(FileException::genericException, 5, file->GetFilePath());
    return;
  }
  content.clear();
  char buffer[4];
  for (std::size_t got; (got = file->Read(buffer, sizeof buffer)) > 0;) {
    content.append(buffer, got);
    if (failAfter >= 0 && content.size() >= static_cast<std::size_t>(failAfter)) {
      throw FileException(FileException::genericException, 5, file->GetFilePath());
    }
  }
}

const CommandMap& TestDocument::GetCommandMap() const {
  static const CommandMap map(&Document::GetCommandMap(), {
      OnCommand(ID_ALL, &TestDocument::OnAll),
      OnCommand(ID_NOT_VIEW, &TestDocument::OnNotView),
  });
  return map;
}

void TestView::OnUpdate(View*, long, void*) { ++updateCount; }

const CommandMap& TestView::GetCommandMap() const {
  static const CommandMap map(&ControlView::GetCommandMap(), {
      OnCommand(ID_ALL, &TestView::OnAll),
      OnCommandRange(ID_TOGGLE, ID_NEW_ITEM, &TestView::OnKey),
      OnCommandRange(ID_EDIT_CLEAR, ID_EDIT_CLEAR, &TestView::OnKey),
      OnCommandRange(ID_TRIP_ONLY, ID_TRIP_ONLY, &TestView::OnKey),
      OnCommand(ID_DISABLED, &TestView::OnDisabled),
      OnUpdateUI(ID_DISABLED, &TestView::OnUpdateDisabled),
      OnUpdateUI(ID_TRIP_ONLY, &TestView::OnUpdateTripOnly),
  });
  return map;
}

bool TestFrame::PreCreateWindow(CreateStruct& cs) {
  if (!FrameWindow::PreCreateWindow(cs)) return false;
  cs.x = 50;
  cs.y = 60;
  cs.cx = 500;
  cs.cy = 300;
  return true;
}

int TestFrame::OnCreate() {
  if (FrameWindow::OnCreate() == -1) return -1;
  if (!CreateToolBar() || !CreateStatusBar()) return -1;
  SetToolBarCaption("Tools");
  return 0;
}

const CommandMap& TestFrame::GetCommandMap() const {
  static const CommandMap map(&FrameWindow::GetCommandMap(), {
      OnCommand(ID_ALL, &TestFrame::OnAll),
      OnCommand(ID_NOT_VIEW, &TestFrame::OnNotView),
      OnCommand(ID_FRAME_APP, &TestFrame::OnFrameApp),
  });
  return map;
}

TestApp::TestApp() : docTemplate(DocTemplate::Create<TestDocument, TestFrame, TestView>(kResources)) {
  RegisterStringTable(kStringTable);
  AddDocTemplate(docTemplate);
  Log().clear();
}

TestApp::~TestApp() { RegisterStringTable({}); }

const CommandMap& TestApp::GetCommandMap() const {
  static const CommandMap map(&Application::GetCommandMap(), {
      OnCommand(ID_ALL, &TestApp::OnAll),
      OnCommand(ID_NOT_VIEW, &TestApp::OnNotView),
      OnCommand(ID_FRAME_APP, &TestApp::OnFrameApp),
      OnCommand(ID_APP_ONLY, &TestApp::OnAppOnly),
  });
  return map;
}

void Activate(FrameWindow* frame) { support::ShowActive(*frame); }

}  // namespace fixtures
