#pragma once

// Small document, view, frame and application classes that exercise the framework the way
// the program does, with resources like the program's, and a recorder for modal windows.

#include <string>
#include <vector>

#include "framework/base/Exceptions.h"
#include "framework/base/Resources.h"
#include "framework/commands/CmdUI.h"
#include "framework/dialogs/MessageBox.h"
#include "framework/docview/Application.h"
#include "framework/docview/ControlView.h"
#include "framework/docview/DocTemplate.h"
#include "framework/docview/Document.h"
#include "framework/docview/FrameWindow.h"
#include "framework/system/Archive.h"
#include "framework/system/File.h"
#include "support/Modals.h"
#include "support/Scratch.h"

namespace fixtures {

// Commands of the test program: one handled by every target, then by fewer.
inline constexpr unsigned ID_ALL = 32800;        // view, document, frame, application
inline constexpr unsigned ID_NOT_VIEW = 32801;   // document, frame, application
inline constexpr unsigned ID_FRAME_APP = 32802;  // frame, application
inline constexpr unsigned ID_APP_ONLY = 32803;   // application
inline constexpr unsigned ID_NOBODY = 32804;     // no handler anywhere
inline constexpr unsigned ID_DISABLED = 32805;   // handler, but its update handler disables it
inline constexpr unsigned ID_TOGGLE = 32772;     // Space
inline constexpr unsigned ID_EDIT = 32773;       // Enter
inline constexpr unsigned ID_DIGIT_0 = 32775;    // digits 0..9: 32775..32784
inline constexpr unsigned ID_NEW_ITEM = 32785;   // Ins
inline constexpr unsigned ID_TRIP_ONLY = 32794;  // shown with F8, no accelerator
inline constexpr unsigned ID_REFRESH = 32793;    // F5

extern const framework::FrameResources kResources;

// Everything the handlers did, in order: "view:32800", "doc:32801", ...
std::vector<std::string>& Log();

class TestDocument : public framework::Document {
 public:
  bool OnNewDocument() override;
  void Serialize(framework::Archive& archive) override;
  const framework::CommandMap& GetCommandMap() const override;

  std::string content;
  int newCount = 0;
  int serializeCount = 0;
  // Storing writes this many bytes of the content and then fails; loading fails after
  // reading this many bytes. -1: no failure.
  int failAfter = -1;

 private:
  void OnAll() { Log().push_back("doc:" + std::to_string(ID_ALL)); }
  void OnNotView() { Log().push_back("doc:" + std::to_string(ID_NOT_VIEW)); }
};

class TestView : public framework::ControlView {
 public:
  void OnUpdate(framework::View* sender, long hint, void* hintObject) override;
  const framework::CommandMap& GetCommandMap() const override;

  int updateCount = 0;

 private:
  void OnAll() { Log().push_back("view:" + std::to_string(ID_ALL)); }
  void OnKey(unsigned id) { Log().push_back("view:" + std::to_string(id)); }
  void OnDisabled() { Log().push_back("view:disabled ran"); }
  void OnUpdateDisabled(framework::CmdUI& ui) { ui.Enable(false); }
  void OnUpdateTripOnly(framework::CmdUI& ui) { ui.SetCheck(0); }
};

class TestFrame : public framework::FrameWindow {
 public:
  bool PreCreateWindow(framework::CreateStruct& cs) override;
  int OnCreate() override;
  void OnWindowPosChanged(const framework::WindowPos& pos) override { positions.push_back(pos); }
  const framework::CommandMap& GetCommandMap() const override;

  std::vector<framework::WindowPos> positions;

 private:
  void OnAll() { Log().push_back("frame:" + std::to_string(ID_ALL)); }
  void OnNotView() { Log().push_back("frame:" + std::to_string(ID_NOT_VIEW)); }
  void OnFrameApp() { Log().push_back("frame:" + std::to_string(ID_FRAME_APP)); }
};

class TestApp : public framework::Application {
 public:
  TestApp();
  ~TestApp() override;
  const framework::CommandMap& GetCommandMap() const override;

  framework::DocTemplate* docTemplate;

  TestDocument* Document() const { return static_cast<TestDocument*>(docTemplate->GetDocument()); }
  TestFrame* Frame() const { return static_cast<TestFrame*>(docTemplate->GetFrame()); }
  TestView* View() const { return static_cast<TestView*>(Frame()->GetActiveView()); }

 private:
  void OnAll() { Log().push_back("app:" + std::to_string(ID_ALL)); }
  void OnNotView() { Log().push_back("app:" + std::to_string(ID_NOT_VIEW)); }
  void OnFrameApp() { Log().push_back("app:" + std::to_string(ID_FRAME_APP)); }
  void OnAppOnly() { Log().push_back("app:" + std::to_string(ID_APP_ONLY)); }
};

// Answers modal windows from a queue and records what they asked.
using Modals = support::Modals;

// Shows the frame and makes it the active window, so that its keys work.
void Activate(framework::FrameWindow* frame);

}  // namespace fixtures
