#pragma once

#include <functional>
#include <string>
#include <utility>

#include "core/Item.h"
#include "framework/docview/Document.h"

// The trip: which repository items are taken along, with their quantities. It holds no data
// of its own; its content is the check marks and quantities of the repository, and its
// file an item list holding only the checked items. New and open change check marks and
// quantities and never remove items; open may add the items a trip names that the
// repository lacks.
//
// Whoever keeps the trip and the repository on disk while it is edited hears of every change
// through onChange: the modified flag set (a change to an item) or cleared (a trip made new,
// opened or saved), and a new path. It runs after the change, and may look at the document.
class Document : public framework::Document {
 public:
  explicit Document(Repository& repository, std::function<void()> onChange = {})
      : repository(repository), onChange(std::move(onChange)) {}

  // Unchecks every item and empties every quantity.
  [[nodiscard]] bool OnNewDocument() override;
  // Storing writes the checked items; loading unchecks everything, then merges the file.
  void Serialize(framework::Archive& archive) override;

  Repository& GetRepository() const { return repository; }

  void SetModifiedFlag(bool modified = true) override;
  void SetPathName(const char* path, bool addToRecentFiles = true) override;

  // Brings back a trip that a run which did not end cleanly kept (see KeptTrip): the
  // check marks and quantities of its lines (an item list) over a cleared repository, its
  // path (none for an unnamed trip) and title, marked modified; the views show it.
  void BringBack(const std::string& path, const toolbox::String& lines);

  // File Print: the print dialog (proposing a PDF file named after the trip, PdfFileFor),
  // then the trip as a check list (PrintTrip), one job per copy. Cancelling prints nothing;
  // a printer that fails is reported.
  void OnFilePrint();

  const framework::CommandMap& GetCommandMap() const override;

 private:
  void ClearCheckMarks();

  Repository& repository;
  std::function<void()> onChange;
};
