#include "framework/dialogs/MessageBox.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>
#include <cstdio>
#include <utility>

#include "framework/base/CommandIds.h"
#include "framework/base/StringTable.h"
#include "framework/base/TextEncoding.h"

namespace framework {

namespace {

ModalHook& Hook() {
  static ModalHook hook;
  return hook;
}

QWidget* OwnerWindow() { return QApplication::activeWindow(); }

struct Unattended {
  bool on = false;
  int messages = 0;
};

Unattended& UnattendedState() {
  static Unattended state;
  return state;
}

// The answer of a box closed without pressing a button.
int ClosedAnswer(unsigned type) {
  switch (type & 0x0F) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
      return IDCANCEL;
    case MB_YESNO:
      return IDNO;
    default:
      return IDOK;
  }
}

// "caption: text" as one line: each run of line breaks in the text becomes ": ".
void WriteToStandardError(const char* caption, const char* text) {
  std::string line = std::string(caption) + ": ";
  for (const char* at = text == nullptr ? "" : text; *at != '\0'; ++at) {
    if (*at != '\n') {
      line += *at;
    } else if (at[1] != '\n' && at[1] != '\0') {
      line += ": ";
    }
  }
  line += '\n';
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}

}  // namespace

void SetModalHook(ModalHook hook) { Hook() = std::move(hook); }

const ModalHook& GetModalHook() { return Hook(); }

void SetUnattended(bool unattended) {
  UnattendedState().on = unattended;
  if (unattended) UnattendedState().messages = 0;
}

bool IsUnattended() { return UnattendedState().on; }

int GetUnattendedMessageCount() { return UnattendedState().messages; }

void WarnUnattended(const char* text) {
  if (IsUnattended()) WriteToStandardError(LoadString(AFX_IDS_APP_TITLE), text);
}

int MessageBox::Show(const char* text, unsigned type, const char* caption) {
  const char* title = caption != nullptr ? caption : LoadString(AFX_IDS_APP_TITLE);
  if (IsUnattended()) {
    ++UnattendedState().messages;
    WriteToStandardError(title, text);
    return ClosedAnswer(type);
  }
  if (Hook()) {
    ModalRequest request;
    request.kind = ModalRequest::messageBox;
    request.text = text == nullptr ? "" : text;
    request.caption = title;
    request.type = type;
    return Hook()(request).result;
  }

  QMessageBox box(OwnerWindow());
  box.setWindowTitle(ToQString(title));
  box.setText(ToQString(text));
  switch (type & 0xF0) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
  }
  switch (type & 0x0F) {
    case MB_OKCANCEL:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      box.setEscapeButton(QMessageBox::Cancel);
      break;
    case MB_YESNOCANCEL:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      box.setEscapeButton(QMessageBox::Cancel);
      break;
    case MB_YESNO:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setEscapeButton(QMessageBox::No);
      break;
    default:
      box.setStandardButtons(QMessageBox::Ok);
      box.setEscapeButton(QMessageBox::Ok);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Ok: return IDOK;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return IDCANCEL;
  }
}

bool AskFileName(bool open, const char* title, const std::string& fileName,
                 const std::vector<FileFilter>& filters, std::string& chosen) {
  if (IsUnattended()) return false;
  if (Hook()) {
    ModalRequest request;
    request.kind = open ? ModalRequest::openFile : ModalRequest::saveFile;
    request.caption = title == nullptr ? "" : title;
    request.fileName = fileName;
    request.filters = filters;
    const ModalAnswer answer = Hook()(request);
    if (answer.result != IDOK || answer.path.empty()) return false;
    chosen = answer.path;
    return true;
  }

  QStringList nameFilters;
  for (const FileFilter& filter : filters) {
    nameFilters << ToQString(filter.name.c_str()) + " (" + ToQString(filter.patterns.c_str()) + ")";
  }
  QFileDialog dialog(OwnerWindow(), ToQString(title));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setNameFilters(nameFilters);
  // A name typed without an extension gets the first filter's before the dialog checks it,
  // so that replacing an existing file is asked about under the name really written.
  if (!open && !filters.empty() && filters[0].patterns.rfind("*.", 0) == 0 &&
      filters[0].patterns.find_first_of("*?;", 2) == std::string::npos) {
    dialog.setDefaultSuffix(ToQString(filters[0].patterns.substr(2).c_str()));
  }
  if (!fileName.empty()) dialog.selectFile(ToQString(fileName.c_str()));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  chosen = ToBytes(dialog.selectedFiles().constFirst());
  return true;
}

}  // namespace framework
