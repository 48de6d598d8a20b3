#pragma once

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QString>
#include <map>
#include <span>

#include "toolbox/base/String.h"

namespace framework {

// Styles of a dialog control, or-ed together.
inline constexpr unsigned WS_TABSTOP = 0x00010000;  // Tab stops at the control
inline constexpr unsigned WS_BORDER = 0x00800000;   // an edit field with a frame
inline constexpr unsigned ES_AUTOHSCROLL = 0x0080;  // an edit field scrolls sideways as the caret moves

// What a control of a dialog layout is.
enum class ControlKind {
  label,              // static text; "&" marks the access key of the next control
  edit,               // a one-line edit field
  checkBox,           // an automatic check box
  pushButton,         // a button
  defaultPushButton,  // the button that Return presses
  icon,               // a picture: the text is the icon's resource path
};

// One control of a dialog layout. Position and size are in dialog units.
struct DialogControl {
  unsigned id;  // 0 for a label nobody addresses
  ControlKind kind;
  const char* text;
  int x;
  int y;
  int cx;
  int cy;
  unsigned style;
};

// A dialog layout: the caption, the size in dialog units, the font (a name and a size in
// points) and the controls in tab order. The program keeps its layouts as constant tables,
// which must outlive the dialogs made from them.
//
// The Windows dialog fonts ("MS Shell Dlg", "MS Sans Serif") name the platform's dialog
// font, so a layout naming them gets the desktop's own font in its own size: the dialog
// then reads like every other on the desktop, and since dialog units follow the font, its
// proportions stay those of the layout.
struct DialogTemplate {
  const char* caption;
  int cx;
  int cy;
  const char* fontName;
  int pointSize;
  std::span<const DialogControl> controls;
};

class Dialog;

// One data exchange between a dialog's controls and its values: loading (values into the
// controls, when the dialog opens) or saving (controls into the values, on OK).
class DataExchange {
 public:
  DataExchange(Dialog& dialog, bool saving) : dialog(dialog), saving(saving) {}

  bool IsSaving() const { return saving; }
  Dialog& GetDialog() const { return dialog; }

 private:
  Dialog& dialog;
  bool saving;
};

// An edit field and a text. A field whose text the user left as it was loaded gives back
// the loaded bytes exactly, also where they are not UTF-8 and the field shows them decoded
// otherwise; a changed field gives its text as UTF-8, a NUL in it as a blank (a text of the
// program ends at its first NUL). A field takes a text of any length. Answers true when
// saving took the text from the field, false when the value stayed as loaded (or when
// loading).
[[nodiscard]] bool DDX_Text(DataExchange& exchange, unsigned id, toolbox::String& value);
// A check box and a flag.
void DDX_Check(DataExchange& exchange, unsigned id, bool& value);

// A modal dialog built from a layout table. The layout's controls are made as children of
// the dialog and owned by it; the dialog itself lives on its caller's stack for one run of
// DoModal.
//
// DoModal runs OnInitDialog (whose base runs the loading exchange and answers true, and
// then the focus goes to the first tab stop), then waits for OK or Cancel. OK (the default
// button, also pressed by Return) runs OnOK: the saving exchange, then the answer IDOK.
// Cancel, Escape and closing the window run OnCancel: the answer IDCANCEL, no exchange.
//
// Without a user to ask (framework::IsUnattended) a dialog answers IDCANCEL unseen.
//
// Tests answer dialogs through the framework's modal hook: the hook gets the initialised
// dialog (not shown) as the request's window. It may work the dialog itself (show it, type,
// press its buttons); if the hook ended the dialog, DoModal answers how it ended, otherwise
// the hook's answer IDOK runs OnOK and any other answer OnCancel.
class Dialog : public QDialog {
 public:
  explicit Dialog(const DialogTemplate& layout, QWidget* parent = nullptr);

  // IDOK or IDCANCEL.
  [[nodiscard]] int DoModal();

  // The control with the id, or null.
  QWidget* GetDlgItem(unsigned id) const;
  // A rectangle in dialog units, in pixels of this dialog's font.
  QRect MapDialogRect(int x, int y, int cx, int cy) const;

  // Runs the exchange in one direction: saving takes the controls into the values,
  // loading puts the values into the controls.
  void UpdateData(bool saveAndValidate = true);

  // OK, Cancel, Escape and closing the window come here.
  void accept() override;
  void reject() override;
  void setVisible(bool visible) override;

 protected:
  // The base runs the loading exchange. True: the focus goes to the first tab stop; false:
  // the dialog has put the focus itself.
  virtual bool OnInitDialog();
  virtual void DoDataExchange(DataExchange& exchange);
  virtual void OnOK();
  virtual void OnCancel();
  void EndDialog(int result);

 private:
  // The text of an edit field as loaded by the last loading exchange, so that saving can
  // tell a changed field from an untouched one.
  struct LoadedText {
    QString shown;
    toolbox::String bytes;
  };

  friend bool DDX_Text(DataExchange& exchange, unsigned id, toolbox::String& value);

  void CreateControls(const DialogTemplate& layout);
  void FocusFirstTabStop();

  // Dialog units: the average character width / 4 across, the character height / 8 down.
  QPoint unitBase;
  std::map<unsigned, QWidget*> controls;
  std::map<unsigned, LoadedText> loadedTexts;
  int answer = 0;  // 0 while the dialog runs
};

}  // namespace framework
