#pragma once

#include <functional>
#include <string>

#include "framework/base/Exceptions.h"
#include "framework/base/Resources.h"

namespace framework {

class Document;
class FrameWindow;
class View;

// The single document template: one document class, one frame class and one view class
// with their resources. It owns the one document and the one frame (with its view), makes
// them on first use and reuses them for every new and opened document.
class DocTemplate {
 public:
  using DocumentFactory = std::function<Document*()>;
  using FrameFactory = std::function<FrameWindow*()>;
  using ViewFactory = std::function<View*()>;

  // The fields of the template string, in order.
  enum DocStringIndex { windowTitle, docName, fileNewName, filterName, filterExt, regFileTypeId, regFileTypeName };

  DocTemplate(const FrameResources& resources, DocumentFactory newDocument, FrameFactory newFrame,
              ViewFactory newView);
  DocTemplate(const DocTemplate&) = delete;
  DocTemplate& operator=(const DocTemplate&) = delete;
  // Destroys the frame (with its view), then the document.
  virtual ~DocTemplate();

  // A template for the document class D, frame class F and view class V, each made with
  // its default constructor. Throws MemoryException when memory runs out.
  template <class D, class F, class V>
  static DocTemplate* Create(const FrameResources& resources) {
    return New<DocTemplate>(resources, &New<D>, &New<F>, &New<V>);
  }

  const FrameResources& GetResources() const { return resources; }
  // One field of the template string; false when it is empty.
  bool GetDocString(std::string& value, DocStringIndex index) const;

  Document* GetDocument() const { return document; }
  FrameWindow* GetFrame() const { return frame; }

  // Makes the document new (path null) or opens the file into it: asks to save a
  // modified document first, creates the frame and view the first time, and updates the
  // views. Answers null when the user cancelled or the document could not be made or
  // read (reported); a document that failed part-way through reading becomes a new
  // untitled one.
  virtual Document* OpenDocumentFile(const char* path, bool addToRecentFiles = true, bool makeVisible = true);

  // Gives the document the default title ("Unnamed").
  void SetDefaultTitle(Document* target) const;

  // The open or save file dialog for this template's files. fileName is the proposal on
  // the way in and the chosen full path on the way out; a name saved without an
  // extension gets the template's.
  [[nodiscard]] bool PromptFileName(std::string& fileName, bool open) const;

  // True when the last OpenDocumentFile failed because the user kept the old document.
  bool WasCancelledByUser() const { return cancelledByUser; }

 private:
  FrameWindow* CreateNewFrame();
  void DestroyFrameAndDocument();

  FrameResources resources;
  DocumentFactory newDocument;
  FrameFactory newFrame;
  ViewFactory newView;
  Document* document = nullptr;
  FrameWindow* frame = nullptr;
  bool cancelledByUser = false;
};

}  // namespace framework
