#include "framework/docview/DocTemplate.h"

#include <utility>

#include "framework/base/CommandIds.h"
#include "framework/base/StringTable.h"
#include "framework/base/Translation.h"
#include "framework/dialogs/MessageBox.h"
#include "framework/docview/Application.h"
#include "framework/docview/Document.h"
#include "framework/docview/FrameWindow.h"
#include "framework/system/Paths.h"

namespace framework {

DocTemplate::DocTemplate(const FrameResources& resources, DocumentFactory newDocument, FrameFactory newFrame,
                         ViewFactory newView)
    : resources(resources),
      newDocument(std::move(newDocument)),
      newFrame(std::move(newFrame)),
      newView(std::move(newView)) {}

DocTemplate::~DocTemplate() { DestroyFrameAndDocument(); }

void DocTemplate::DestroyFrameAndDocument() {
  Application* app = GetApp();
  if (app != nullptr && app->m_pMainWnd == frame) app->m_pMainWnd = nullptr;
  delete frame;  // its view leaves the document as it goes
  frame = nullptr;
  delete document;
  document = nullptr;
}

bool DocTemplate::GetDocString(std::string& value, DocStringIndex index) const {
  const std::string whole = resources.docString == nullptr ? "" : resources.docString;
  std::size_t start = 0;
  for (int field = 0; field < index; ++field) {
    start = whole.find('\n', start);
    if (start == std::string::npos) {
      value.clear();
      return false;
    }
    ++start;
  }
  value = whole.substr(start, whole.find('\n', start) - start);
  // The names the user sees are shown in the user's language; the extension and the file
  // type id are the file format's.
  if (index != filterExt && index != regFileTypeId) value = std::string(Translate(kDocStringContext, value.c_str()));
  return !value.empty();
}

void DocTemplate::SetDefaultTitle(Document* target) const {
  std::string title;
  if (!GetDocString(title, docName)) title = "Untitled";
  target->SetTitle(title.c_str());
}

bool DocTemplate::PromptFileName(std::string& fileName, bool open) const {
  std::vector<FileFilter> filters;
  std::string filter;
  std::string extension;
  if (GetDocString(filter, filterName) && GetDocString(extension, filterExt)) filters.push_back({filter, "*" + extension});
  filters.push_back({LoadString(AFX_IDS_ALLFILTER), "*"});

  std::string chosen;
  if (!AskFileName(open, LoadString(open ? AFX_IDS_OPENFILE : AFX_IDS_SAVEFILE), fileName, filters, chosen)) return false;
  if (!open && !extension.empty() && !HasExtension(chosen)) chosen += extension;
  fileName = FullPath(chosen);
  return true;
}

FrameWindow* DocTemplate::CreateNewFrame() {
  FrameWindow* made = newFrame();
  made->docTemplate = this;
  if (!made->LoadFrame(resources, document, newView)) {
    delete made;
    return nullptr;
  }
  return made;
}

Document* DocTemplate::OpenDocumentFile(const char* path, bool addToRecentFiles, bool makeVisible) {
  cancelledByUser = false;
  bool created = false;
  if (document != nullptr) {
    if (!document->SaveModified()) {
      cancelledByUser = true;
      return nullptr;
    }
  } else {
    document = newDocument();
    document->docTemplate = this;
    created = true;
  }

  if (frame == nullptr) {
    frame = CreateNewFrame();
    if (frame == nullptr) {
      MessageBox::Show(LoadString(AFX_IDP_FAILED_TO_CREATE_DOC), MB_OK | MB_ICONWARNING);
      DestroyFrameAndDocument();
      return nullptr;
    }
  }

  if (path == nullptr) {
    SetDefaultTitle(document);
    if (!document->OnNewDocument()) {
      if (created) DestroyFrameAndDocument();
      return nullptr;
    }
  } else {
    const bool wasModified = document->IsModified();
    document->SetModifiedFlag(false);
    if (!document->OnOpenDocument(path)) {
      if (created) {
        DestroyFrameAndDocument();
      } else if (!document->IsModified()) {
        document->SetModifiedFlag(wasModified);  // the old document is untouched
      } else {
        // Reading failed part-way and the old contents are gone: go on with a new untitled
        // document, without the old path, so a later Save cannot overwrite the old file
        // with what is left.
        document->pathName.clear();
        SetDefaultTitle(document);
        // Nothing older is left to go back to: the window shows whatever the document
        // could be reset to.
        static_cast<void>(document->OnNewDocument());
        frame->InitialUpdateFrame(document, makeVisible);
      }
      return nullptr;
    }
    document->SetPathName(path, addToRecentFiles);
  }

  Application* app = GetApp();
  if (app != nullptr && app->m_pMainWnd == nullptr) app->m_pMainWnd = frame;
  frame->InitialUpdateFrame(document, makeVisible);
  return document;
}

}  // namespace framework
