#pragma once

#include "framework/commands/CmdTarget.h"

class QWidget;

namespace framework {

class Document;

// A view shows its document in a window of the frame. Commands reach the view first and,
// when it does not handle them, its document.
class View : public CmdTarget {
 public:
  View() = default;
  View(const View&) = delete;
  View& operator=(const View&) = delete;
  ~View() override;

  Document* GetDocument() const { return document; }
  // The view's window, which the frame shows as its client area.
  virtual QWidget* GetWidget() = 0;

  // Called once the window exists and belongs to the frame; -1 fails the frame's creation.
  [[nodiscard]] virtual int OnCreate();
  // After the document has been made new or opened; the base calls OnUpdate(null, 0, null).
  virtual void OnInitialUpdate();
  // The document changed; the base does nothing.
  virtual void OnUpdate(View* sender, long hint, void* hintObject);

  bool OnCmdMsg(unsigned id, CmdPass pass, CmdUI* ui) override;

 private:
  friend class Document;
  Document* document = nullptr;
};

}  // namespace framework
