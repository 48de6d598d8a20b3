#include "core/Document.h"

#include <cerrno>
#include <cstring>

#include "core/ItemList.h"
#include "core/PrintTrip.h"
#include "framework/base/CommandIds.h"
#include "framework/base/Exceptions.h"
#include "framework/base/StringTable.h"
#include "framework/dialogs/MessageBox.h"
#include "framework/printing/PrintDialog.h"
#include "framework/system/Archive.h"

const framework::CommandMap& Document::GetCommandMap() const {
  static const framework::CommandMap map(&framework::Document::GetCommandMap(), {
      framework::OnCommand(framework::ID_FILE_PRINT, &Document::OnFilePrint),
  });
  return map;
}

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

void Document::SetModifiedFlag(bool modified) {
  framework::Document::SetModifiedFlag(modified);
  if (onChange) onChange();
}

void Document::SetPathName(const char* path, bool addToRecentFiles) {
  framework::Document::SetPathName(path, addToRecentFiles);
  if (onChange) onChange();
}

void Document::BringBack(const std::string& path, const toolbox::String& lines) {
  ClearCheckMarks();
  MergeItemList(repository, lines);
  if (!path.empty()) SetPathName(path.c_str(), false);
  SetModifiedFlag(true);
  UpdateAllViews(nullptr);
}

void Document::ClearCheckMarks() {
  toolbox::String empty;
  for (int i = 0; i < repository.GetCount(); ++i) {
    Item* item = repository.GetAt(i);
    // An item that is clear already is not written to: at start-up there may be many.
    if (item->IsChecked()) item->SetChecked(false);
    if (item->GetQuantity().Length() != 0) item->SetQuantity(empty);
  }
}

void Document::OnFilePrint() {
  framework::PrintDialog dialog;
  dialog.SetPdfFileName(framework::PdfFileFor(GetPathName(), GetTitle()));
  if (dialog.DoModal() != framework::IDOK) return;
  framework::DeviceContext& dc = dialog.GetPrinterDC();
  try {
    framework::Allocating([&] { PrintTrip(dc, GetPathName(), repository, dialog.GetCopies()); });
  } catch (const framework::MemoryException&) {
    dc.AbortDoc(std::strerror(ENOMEM));  // the lines of the check list could not be made
  }
  if (!dc.Finish()) {
    std::string message = framework::FormatString(framework::AFX_IDP_FAILED_TO_PRINT, dc.GetDeviceName().c_str());
    if (!dc.GetFailureReason().empty()) message += "\n\n" + dc.GetFailureReason();
    framework::MessageBox::Show(message.c_str(), framework::MB_OK | framework::MB_ICONWARNING);
  }
}
