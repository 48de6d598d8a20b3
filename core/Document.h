#pragma once

#include "core/Item.h"
#include "framework/Document.h"

// The trip: which repository items are taken along, with their quantities. It holds no data
// of its own; its content is the check marks and quantities of the repository, and its
// file an item list holding only the checked items. New and open change check marks and
// quantities and never remove items; open may add the items a trip names that the
// repository lacks.
class Document : public framework::Document {
 public:
  explicit Document(Repository& repository) : repository(repository) {}

  // Unchecks every item and empties every quantity.
  [[nodiscard]] bool OnNewDocument() override;
  // Storing writes the checked items; loading unchecks everything, then merges the file.
  void Serialize(framework::Archive& archive) override;

  Repository& GetRepository() const { return repository; }

  // File Print: the print dialog, then the trip as a check list (PrintTrip), one job per
  // copy. Cancelling prints nothing; a printer that fails is reported.
  void OnFilePrint();

  const framework::CommandMap& GetCommandMap() const override;

 private:
  void ClearCheckMarks();

  Repository& repository;
};
