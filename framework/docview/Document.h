#pragma once

#include <string>
#include <vector>

#include "framework/commands/CmdTarget.h"

namespace framework {

class Archive;
class DocTemplate;
class Exception;
class View;

// The document of the single-document template: one object, reused for every new and
// opened file. The template drives New and Open; the document handles Save and Save As.
class Document : public CmdTarget {
 public:
  Document() = default;
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;
  ~Document() override;

  // New: DeleteContents, empty path, not modified. False fails the new document.
  [[nodiscard]] virtual bool OnNewDocument();
  // Open: reads the file through Serialize (a file of 0 bytes is not passed to it).
  // Reports failures itself and answers false; the contents may then be partly read.
  [[nodiscard]] virtual bool OnOpenDocument(const char* path);
  // Save: writes through Serialize into a safe replace of the file; clears the modified
  // flag. Reports failures itself and answers false; the old file is then unharmed.
  [[nodiscard]] virtual bool OnSaveDocument(const char* path);
  virtual void Serialize(Archive& archive);
  // Empties the document's data before new and open; the base does nothing.
  virtual void DeleteContents();

  // Asks "Save changes to %1?" when modified: Yes saves, No goes on, Cancel answers false.
  [[nodiscard]] virtual bool SaveModified();
  // Whether the frame may close; the base asks SaveModified.
  [[nodiscard]] virtual bool CanCloseFrame();

  virtual void SetModifiedFlag(bool modified = true);
  bool IsModified() const { return modified; }

  const std::string& GetPathName() const { return pathName; }
  // Sets the full path, the title (the file name) and, when asked, adds the file to the
  // application's recent-file list.
  virtual void SetPathName(const char* path, bool addToRecentFiles = true);
  const std::string& GetTitle() const { return title; }
  virtual void SetTitle(const char* newTitle);

  DocTemplate* GetDocTemplate() const { return docTemplate; }

  void AddView(View* view);
  void RemoveView(View* view);
  const std::vector<View*>& GetViews() const { return views; }
  // Calls OnUpdate of every view but the sender.
  void UpdateAllViews(View* sender, long hint = 0, void* hintObject = nullptr);

  // Saves under path, or asks for a name when path is null or empty (Save As). With
  // replace the document takes the new name.
  [[nodiscard]] bool DoSave(const char* path, bool replace = true);
  // Save: under the document's path, or asks for a name when it has none or the file can
  // no longer be written.
  [[nodiscard]] bool DoFileSave();

  void OnFileSave();
  void OnFileSaveAs();

  const CommandMap& GetCommandMap() const override;

 protected:
  // Shows the message for a failed open or save: the exception's own where it names a
  // clear cause, else the default message (which may name the path as %1).
  virtual void ReportSaveLoadException(const char* path, const Exception* error, bool saving, unsigned defaultId);

 private:
  friend class DocTemplate;

  // Serialize, with a memory failure of the program's data turned into MemoryException.
  void SerializeReportingMemory(Archive& archive);

  std::string pathName;
  std::string title;
  bool modified = false;
  DocTemplate* docTemplate = nullptr;
  std::vector<View*> views;
};

}  // namespace framework
