#include "framework/docview/Document.h"

#include <unistd.h>

#include <algorithm>

#include "framework/base/CommandIds.h"
#include "framework/base/Exceptions.h"
#include "framework/base/StringTable.h"
#include "framework/dialogs/MessageBox.h"
#include "framework/docview/Application.h"
#include "framework/docview/DocTemplate.h"
#include "framework/docview/FrameWindow.h"
#include "framework/docview/View.h"
#include "framework/system/Archive.h"
#include "framework/system/File.h"
#include "framework/system/Paths.h"

namespace framework {

Document::~Document() {
  for (View* view : views) view->document = nullptr;
}

const CommandMap& Document::GetCommandMap() const {
  static const CommandMap map(&CmdTarget::GetCommandMap(), {
      OnCommand(ID_FILE_SAVE, &Document::OnFileSave),
      OnCommand(ID_FILE_SAVE_AS, &Document::OnFileSaveAs),
  });
  return map;
}

bool Document::OnNewDocument() {
  DeleteContents();
  pathName.clear();
  SetModifiedFlag(false);
  return true;
}

bool Document::OnOpenDocument(const char* path) {
  File file;
  try {
    file.Open(path, File::modeRead);
  } catch (const Exception& error) {
    ReportSaveLoadException(path, &error, false, AFX_IDP_FAILED_TO_OPEN_DOC);
    return false;
  }
  DeleteContents();
  SetModifiedFlag(true);  // the contents are no longer those of the old document
  try {
    if (file.GetLength() != 0) {
      Archive archive(&file, Archive::load);
      SerializeReportingMemory(archive);
    }
    file.Close();
  } catch (const Exception& error) {
    file.Abort();
    DeleteContents();
    ReportSaveLoadException(path, &error, false, AFX_IDP_FILE_READ_ERROR);
    return false;
  }
  SetModifiedFlag(false);
  return true;
}

bool Document::OnSaveDocument(const char* path) {
  File file;
  try {
    file.Open(path, File::modeReplace);
    Archive archive(&file, Archive::store);
    SerializeReportingMemory(archive);
    file.Close();
  } catch (const Exception& error) {
    file.Abort();
    ReportSaveLoadException(path, &error, true, AFX_IDP_FAILED_TO_SAVE_DOC);
    return false;
  }
  SetModifiedFlag(false);
  return true;
}

void Document::Serialize(Archive&) {}

void Document::SerializeReportingMemory(Archive& archive) {
  // The document's data lives in the general library's containers, whose allocations fail
  // with that library's exception (or the standard one); either is a memory failure of the
  // open or save, reported like the framework's own instead of ending the program.
  Allocating([&] { Serialize(archive); });
}

void Document::DeleteContents() {}

void Document::ReportSaveLoadException(const char* path, const Exception* error, bool, unsigned defaultId) {
  std::string message;
  const auto* fileError = dynamic_cast<const FileException*>(error);
  if (fileError != nullptr) {
    switch (fileError->GetCause()) {
      case FileException::fileNotFound:
      case FileException::badPath:
      case FileException::accessDenied:
      case FileException::diskFull:
      case FileException::notRegularFile:
        message = fileError->GetErrorMessage();
        break;
      default:
        // An input or output error, a move across file systems: the system says what it was.
        message = FormatString(defaultId, path);
        if (fileError->GetOsError() != 0) {
          message += '\n';
          message += fileError->GetSystemReason();
        }
        break;
    }
  } else if (dynamic_cast<const MemoryException*>(error) != nullptr) {
    message = error->GetErrorMessage();
  }
  if (message.empty()) message = FormatString(defaultId, path);
  MessageBox::Show(message.c_str(), MB_OK | MB_ICONWARNING);
}

bool Document::SaveModified() {
  if (!IsModified()) return true;
  std::string name = pathName.empty() ? title : FileNameOf(pathName);
  if (name.empty() && docTemplate != nullptr) docTemplate->GetDocString(name, DocTemplate::docName);
  const std::string prompt = FormatString(AFX_IDP_ASK_TO_SAVE, name.c_str());
  switch (MessageBox::Show(prompt.c_str(), MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
      return DoFileSave();
    case IDNO:
      return true;
    default:
      return false;
  }
}

bool Document::CanCloseFrame() { return SaveModified(); }

void Document::SetModifiedFlag(bool isModified) { modified = isModified; }

void Document::SetPathName(const char* path, bool addToRecentFiles) {
  pathName = FullPath(path == nullptr ? "" : path);
  SetTitle(FileNameOf(pathName).c_str());
  if (addToRecentFiles) {
    if (Application* app = GetApp()) app->AddToRecentFileList(pathName.c_str());
  }
}

void Document::SetTitle(const char* newTitle) {
  title = newTitle == nullptr ? "" : newTitle;
  if (docTemplate != nullptr && docTemplate->GetFrame() != nullptr) docTemplate->GetFrame()->OnUpdateFrameTitle();
}

void Document::AddView(View* view) {
  if (view->document == this) return;
  if (view->document != nullptr) view->document->RemoveView(view);
  views.push_back(view);
  view->document = this;
}

void Document::RemoveView(View* view) {
  views.erase(std::remove(views.begin(), views.end(), view), views.end());
  if (view->document == this) view->document = nullptr;
}

void Document::UpdateAllViews(View* sender, long hint, void* hintObject) {
  const std::vector<View*> current = views;  // a view may go while others update
  for (View* view : current) {
    if (view != sender) view->OnUpdate(sender, hint, hintObject);
  }
}

bool Document::DoSave(const char* path, bool replace) {
  std::string newName = path == nullptr ? "" : path;
  if (newName.empty()) {
    newName = pathName;
    if (replace && newName.empty()) {
      // Propose the title as the file name, cut before anything that would make it a path.
      newName = title.substr(0, title.find_first_of(":/\\"));
      std::string extension;
      if (docTemplate != nullptr && docTemplate->GetDocString(extension, DocTemplate::filterExt)) newName += extension;
    }
    if (docTemplate == nullptr || !docTemplate->PromptFileName(newName, false)) return false;
  }
  // The file is written through a temporary file, so a failed save leaves whatever was
  // there before, and there is nothing to clean up.
  if (!OnSaveDocument(newName.c_str())) return false;
  if (replace) SetPathName(newName.c_str());
  return true;
}

bool Document::DoFileSave() {
  // A file that is gone or can no longer be written is saved under a new name.
  if (pathName.empty() || access(pathName.c_str(), W_OK) != 0) return DoSave(nullptr);
  return DoSave(pathName.c_str());
}

// A save that failed has told the user why; one that was cancelled needs no word.
void Document::OnFileSave() { static_cast<void>(DoFileSave()); }

void Document::OnFileSaveAs() { static_cast<void>(DoSave(nullptr)); }

}  // namespace framework
