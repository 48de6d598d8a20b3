#pragma once

#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace framework {

// Message box types (buttons and icon, or-ed together) and answers.
inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_OKCANCEL = 0x1;
inline constexpr unsigned MB_YESNOCANCEL = 0x3;
inline constexpr unsigned MB_YESNO = 0x4;
inline constexpr unsigned MB_ICONERROR = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONWARNING = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// One filter of a file dialog: "Document" with the patterns "*.vyt".
struct FileFilter {
  std::string name;
  std::string patterns;
};

// What a modal window is about to ask. Texts are the program's bytes.
struct ModalRequest {
  enum Kind { messageBox, openFile, saveFile, dialog };
  Kind kind = messageBox;
  std::string text;      // the message; for a dialog, its caption
  std::string caption;   // the window caption
  unsigned type = MB_OK; // message box buttons and icon
  std::string fileName;  // file dialogs: the proposed name
  std::vector<FileFilter> filters;
  QWidget* window = nullptr;  // a program dialog, already built, not yet shown
};

// The answer: IDOK, IDCANCEL, IDYES or IDNO, and for a file dialog answered IDOK the
// chosen path.
struct ModalAnswer {
  int result = IDCANCEL;
  std::string path;
};

// Tests answer every modal window through this hook; while one is installed no modal
// window is shown at all. An empty hook brings the real windows back.
using ModalHook = std::function<ModalAnswer(const ModalRequest&)>;
void SetModalHook(ModalHook hook);
const ModalHook& GetModalHook();

// Without a user to ask (the command line prints and ends): while unattended, no window
// appears. A message box writes "caption: text" to standard error and answers as if closed;
// a file dialog answers cancelled. Setting it starts the count of such messages afresh.
void SetUnattended(bool unattended);
bool IsUnattended();
// The messages written since SetUnattended(true).
int GetUnattendedMessageCount();
// While unattended, writes the text to standard error as a message box would, without
// counting it as a message: a warning that does not make the work fail. Else nothing.
void WarnUnattended(const char* text);

// Unattended for as long as it lives; the state before comes back as it goes.
class UnattendedScope {
 public:
  UnattendedScope() : before(IsUnattended()) { SetUnattended(true); }
  UnattendedScope(const UnattendedScope&) = delete;
  UnattendedScope& operator=(const UnattendedScope&) = delete;
  ~UnattendedScope() { SetUnattended(before); }

 private:
  bool before;
};

class MessageBox {
 public:
  // Shows the text with the caption (the application title when null) and answers the
  // button pressed; closing the box answers IDCANCEL (or IDOK/IDNO where there is none).
  // Unattended, the text goes to standard error instead (see SetUnattended).
  static int Show(const char* text, unsigned type = MB_OK, const char* caption = nullptr);
};

// The open and save file dialogs: true with the chosen path, false when cancelled. The
// save dialog proposes fileName. Never the desktop's native dialog, so that it looks and
// behaves the same everywhere.
bool AskFileName(bool open, const char* title, const std::string& fileName,
                 const std::vector<FileFilter>& filters, std::string& chosen);

}  // namespace framework
