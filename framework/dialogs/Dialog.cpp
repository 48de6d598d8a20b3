#include "framework/dialogs/Dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <limits>
#include <string>

#include "framework/base/Exceptions.h"
#include "framework/base/TextEncoding.h"
#include "framework/base/Translation.h"
#include "framework/dialogs/MessageBox.h"

namespace framework {

namespace {

// An icon control shows the icon at the platform's large icon size, whatever its layout
// size says.
constexpr int kIconPixels = 32;

bool IsPlatformDialogFont(const char* name) {
  return name == nullptr || std::strcmp(name, "MS Shell Dlg") == 0 || std::strcmp(name, "MS Shell Dlg 2") == 0 ||
         std::strcmp(name, "MS Sans Serif") == 0;
}

QFont DialogFont(const DialogTemplate& layout) {
  if (IsPlatformDialogFont(layout.fontName)) return QApplication::font("QDialog");
  QFont font(ToQString(layout.fontName));
  font.setPointSize(layout.pointSize);
  return font;
}

// The dialog base unit of a font: the average width of the letters and the height of a
// line, as the platform measures them for dialog layouts.
QPoint DialogUnitBase(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  return {(letters / 26 + 1) / 2, metrics.height()};
}

QWidget* MakeControl(const DialogControl& control, QWidget* parent) {
  switch (control.kind) {
    case ControlKind::label: {
      auto* label = New<QLabel>(ToQString(Translate(kDialogContext, control.text)), parent);
      label->setTextFormat(Qt::PlainText);
      label->setWordWrap(true);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return label;
    }
    case ControlKind::edit: {
      auto* edit = New<QLineEdit>(parent);
      edit->setFrame((control.style & WS_BORDER) != 0);
      // Qt would cut a longer text at 32,767 characters, also one only loaded and saved.
      edit->setMaxLength(std::numeric_limits<int>::max());
      return edit;
    }
    case ControlKind::checkBox:
      return New<QCheckBox>(ToQString(Translate(kDialogContext, control.text)), parent);
    case ControlKind::pushButton:
    case ControlKind::defaultPushButton: {
      auto* button = New<QPushButton>(ToQString(Translate(kDialogContext, control.text)), parent);
      button->setDefault(control.kind == ControlKind::defaultPushButton);
      return button;
    }
    case ControlKind::icon: {
      auto* picture = New<QLabel>(parent);
      picture->setPixmap(QIcon(ToQString(control.text)).pixmap(kIconPixels, kIconPixels));
      return picture;
    }
  }
  return nullptr;
}

}  // namespace

Dialog::Dialog(const DialogTemplate& layout, QWidget* parent)
    : QDialog(parent != nullptr ? parent : QApplication::activeWindow(),
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                  Qt::WindowCloseButtonHint) {
  setWindowTitle(ToQString(Translate(kDialogContext, layout.caption)));
  setFont(DialogFont(layout));
  unitBase = DialogUnitBase(font());
  CreateControls(layout);
  setFixedSize(MapDialogRect(0, 0, layout.cx, layout.cy).size());
}

QRect Dialog::MapDialogRect(int x, int y, int cx, int cy) const {
  const auto across = [this](int units) { return (units * unitBase.x() + 2) / 4; };
  const auto down = [this](int units) { return (units * unitBase.y() + 4) / 8; };
  return {across(x), down(y), across(cx), down(cy)};
}

void Dialog::CreateControls(const DialogTemplate& layout) {
  // Children made in tab order take the focus in that order.
  QLabel* pendingLabel = nullptr;
  bool pendingHasAccessKey = false;
  for (const DialogControl& control : layout.controls) {
    QWidget* widget = MakeControl(control, this);
    widget->setGeometry(MapDialogRect(control.x, control.y, control.cx, control.cy));
    if (control.kind == ControlKind::label || control.kind == ControlKind::icon) {
      widget->setFocusPolicy(Qt::NoFocus);
    } else {
      widget->setFocusPolicy((control.style & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus);
    }
    // A label names the control after it: its access key moves the focus there, and
    // assistive technology reads it as that control's name. A label without an access
    // key names only a control that has no text of its own (an edit field).
    if (pendingLabel != nullptr && control.kind != ControlKind::label) {
      if (pendingHasAccessKey || control.kind == ControlKind::edit) pendingLabel->setBuddy(widget);
      pendingLabel = nullptr;
    }
    if (control.kind == ControlKind::label) {
      pendingLabel = static_cast<QLabel*>(widget);
      pendingHasAccessKey = pendingLabel->text().contains(QLatin1Char('&'));
    }
    if (control.id != 0) controls[control.id] = widget;
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
      const unsigned id = control.id;
      connect(button, &QPushButton::clicked, this, [this, id] {
        if (id == IDOK) accept();
        if (id == IDCANCEL) reject();
      });
    }
  }
}

QWidget* Dialog::GetDlgItem(unsigned id) const {
  const auto found = controls.find(id);
  return found == controls.end() ? nullptr : found->second;
}

int Dialog::DoModal() {
  answer = 0;
  if (IsUnattended()) return IDCANCEL;  // nobody to ask: as if cancelled, never shown
  if (OnInitDialog()) FocusFirstTabStop();
  if (const ModalHook& hook = GetModalHook()) {
    ModalRequest request;
    request.kind = ModalRequest::dialog;
    request.text = ToBytes(windowTitle());
    request.caption = request.text;
    request.window = this;
    const ModalAnswer reply = hook(request);
    if (answer == 0) {
      if (reply.result == IDOK) {
        OnOK();
      } else {
        OnCancel();
      }
    }
    hide();
  } else if (answer == 0) {  // unless initialisation already ended it
    exec();
  }
  return answer == IDOK ? IDOK : IDCANCEL;
}

void Dialog::FocusFirstTabStop() {
  for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->focusPolicy() != Qt::StrongFocus || !child->isEnabled()) continue;
    child->setFocus(Qt::TabFocusReason);
    // An edit field that gets the focus this way has its whole text selected.
    if (auto* edit = qobject_cast<QLineEdit*>(child)) edit->selectAll();
    return;
  }
}

bool Dialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void Dialog::DoDataExchange(DataExchange&) {}

void Dialog::UpdateData(bool saveAndValidate) {
  if (!saveAndValidate) loadedTexts.clear();
  DataExchange exchange(*this, saveAndValidate);
  DoDataExchange(exchange);
}

void Dialog::OnOK() {
  UpdateData(true);
  EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

void Dialog::EndDialog(int result) {
  answer = result;
  done(result);
}

void Dialog::accept() { OnOK(); }

void Dialog::reject() { OnCancel(); }

void Dialog::setVisible(bool visible) {
  // Showing a dialog gives its focus field the focus as if tabbed to, which would select
  // the whole text: the selection that initialisation made is kept instead.
  auto* edit = qobject_cast<QLineEdit*>(focusWidget());
  if (!visible || edit == nullptr) {
    QDialog::setVisible(visible);
    return;
  }
  const int start = edit->selectionStart();
  const int length = edit->selectionLength();
  const int caret = edit->cursorPosition();
  QDialog::setVisible(visible);
  if (length > 0 && caret == start) {
    edit->setSelection(start + length, -length);
  } else if (length > 0) {
    edit->setSelection(start, length);
  } else {
    edit->deselect();
    edit->setCursorPosition(caret);
  }
}

bool DDX_Text(DataExchange& exchange, unsigned id, toolbox::String& value) {
  Dialog& dialog = exchange.GetDialog();
  auto* edit = qobject_cast<QLineEdit*>(dialog.GetDlgItem(id));
  if (edit == nullptr) return false;
  if (!exchange.IsSaving()) {
    const QString shown = ToQString(value.Text(), static_cast<std::size_t>(value.Length()));
    edit->setText(shown);
    dialog.loadedTexts[id] = {shown, value};
    return false;
  }
  const auto loaded = dialog.loadedTexts.find(id);
  if (loaded != dialog.loadedTexts.end() && loaded->second.shown == edit->text()) {
    value = loaded->second.bytes;
    return false;
  }
  std::string typed = ToBytes(edit->text());
  // The program's texts end at a NUL byte: a pasted NUL would cut off the rest.
  std::replace(typed.begin(), typed.end(), '\0', ' ');
  value = typed.c_str();
  return true;
}

void DDX_Check(DataExchange& exchange, unsigned id, bool& value) {
  auto* box = qobject_cast<QCheckBox*>(exchange.GetDialog().GetDlgItem(id));
  if (box == nullptr) return;
  if (exchange.IsSaving()) {
    value = box->isChecked();
  } else {
    box->setChecked(value);
  }
}

}  // namespace framework
