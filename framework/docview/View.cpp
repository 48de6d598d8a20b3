#include "framework/docview/View.h"

#include "framework/docview/Document.h"

namespace framework {

View::~View() {
  if (document != nullptr) document->RemoveView(this);
}

int View::OnCreate() { return 0; }

void View::OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }

void View::OnUpdate(View*, long, void*) {}

bool View::OnCmdMsg(unsigned id, CmdPass pass, CmdUI* ui) {
  if (CmdTarget::OnCmdMsg(id, pass, ui)) return true;
  return document != nullptr && document->OnCmdMsg(id, pass, ui);
}

}  // namespace framework
