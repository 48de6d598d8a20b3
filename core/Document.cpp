#include "core/Document.h"

#include "core/ItemList.h"
#include "framework/Archive.h"

bool Document::OnNewDocument() {
  if (!framework::Document::OnNewDocument()) return false;
  ClearCheckMarks();
  return true;
}

void Document::Serialize(framework::Archive& archive) {
  if (archive.IsStoring()) {
    WriteItemList(repository, *archive.GetFile(), true);
  } else {
    ClearCheckMarks();
    ReadItemList(repository, *archive.GetFile());
  }
}

void Document::ClearCheckMarks() {
  toolbox::String empty;
  for (int i = 0; i < repository.GetCount(); ++i) {
    Item* item = repository.GetAt(i);
    item->SetChecked(false);
    item->SetQuantity(empty);
  }
}
