#include "app/MainFrame.h"

#include "framework/base/CommandIds.h"
#include "framework/base/StringTable.h"
#include "framework/docview/Application.h"
#include "mfctriext/TriExtApp.h"
#include "resources/ResourceIds.h"
#include "toolbox/config/ConfigParameter.h"

MainFrame::MainFrame() { SetIdleText(framework::LoadString(framework::AFX_IDS_IDLEMESSAGE)); }

toolbox::ConfigSection* MainFrame::Settings() {
  auto* app = dynamic_cast<mfctriext::TriExtApp*>(framework::GetApp());
  toolbox::ConfigSection* root = app != nullptr ? app->GetConfigRoot() : nullptr;
  return root != nullptr ? &root->GetSubsection("MainFrame") : nullptr;
}

bool MainFrame::PreCreateWindow(framework::CreateStruct& cs) {
  if (!FrameWindow::PreCreateWindow(cs)) return false;
  toolbox::ConfigSection* settings = Settings();
  if (settings == nullptr) return true;
  cs.x = settings->GetLong("XPos", 50);
  cs.y = settings->GetLong("YPos", 50);
  cs.cx = settings->GetLong("XSize", 500);
  cs.cy = settings->GetLong("YSize", 300);
  return true;
}

int MainFrame::OnCreate() {
  if (FrameWindow::OnCreate() == -1) return -1;
  if (!CreateToolBar() || !CreateStatusBar()) return -1;
  SetToolBarCaption(framework::LoadString(resources::IDS_TOOLBAR_CAPTION));
  SetMessageText(idleText.c_str());
  return 0;
}

void MainFrame::OnWindowPosChanged(const framework::WindowPos& pos) {
  FrameWindow::OnWindowPosChanged(pos);
  toolbox::ConfigSection* settings = Settings();
  if (settings == nullptr) return;
  if (pos.maximized) {
    settings->GetParameter("Maximized").SetBool(true);
    return;
  }
  if (pos.minimized) return;
  // A position the platform did not tell would put the next start's window at 0, 0.
  if (pos.positionKnown) {
    settings->GetParameter("XPos").SetLong(pos.x);
    settings->GetParameter("YPos").SetLong(pos.y);
  }
  settings->GetParameter("XSize").SetLong(pos.cx);
  settings->GetParameter("YSize").SetLong(pos.cy);
  settings->GetParameter("Maximized").SetBool(false);
}

void MainFrame::SetIdleText(const char* text) {
  idleText = text != nullptr ? text : "";
  SetMessageText(idleText.c_str());  // shown at once once the status bar exists
}
