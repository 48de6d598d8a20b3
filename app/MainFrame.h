#pragma once

#include <string>

#include "framework/docview/FrameWindow.h"
#include "toolbox/config/ConfigSection.h"

// The main window: menu bar, tool bar "Tools", a one-pane status bar and the list view. It
// remembers its position, size and maximized state in the configuration section
// "MainFrame"; the values are written to the file when the program ends.
class MainFrame : public framework::FrameWindow {
 public:
  MainFrame();

  // The stored position and size (50, 50, 500 by 300 when none is stored), used unchanged.
  [[nodiscard]] bool PreCreateWindow(framework::CreateStruct& cs) override;
  // The tool bar and the status bar.
  [[nodiscard]] int OnCreate() override;
  // A maximized window stores only that it is maximized, so the last normal placement is
  // kept; a minimized one stores nothing.
  void OnWindowPosChanged(const framework::WindowPos& pos) override;

  // What the status bar shows while no command is being pointed at.
  void SetIdleText(const char* text);

 private:
  // The configuration section "MainFrame", or null when the application keeps none.
  static toolbox::ConfigSection* Settings();

  std::string idleText;
};
