#include "framework/printing/PrintDialog.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <algorithm>
#include <string>

#include "framework/base/CommandIds.h"
#include "framework/base/Exceptions.h"
#include "framework/base/StringTable.h"
#include "framework/base/TextEncoding.h"
#include "framework/dialogs/MessageBox.h"
#include "framework/docview/Application.h"
#include "framework/docview/CommandLineInfo.h"
#include "framework/printing/Spooler.h"
#include "framework/system/Paths.h"
#include "framework/system/TerminationSignals.h"

namespace framework {

namespace {

// Qt shows its page range for printers that can select pages themselves (CUPS), whatever
// the dialog's options say. Every page of a check list is printed, so it goes.
class AllPagesPrintDialog : public QPrintDialog {
 public:
  using QPrintDialog::QPrintDialog;

  void setVisible(bool visible) override {
    QPrintDialog::setVisible(visible);
    if (QWidget* range = findChild<QWidget*>("gbPrintRange"); visible && range != nullptr) range->hide();
  }
};

bool NamesPdfFile(const std::string& name) {
  return name.size() > 4 && QString::fromUtf8(name.substr(name.size() - 4)).compare(".pdf", Qt::CaseInsensitive) == 0;
}

// Tells that the command line's printer (the default printer when the name is empty) does
// not exist; answers false.
bool ReportMissingPrinter(const std::string& name) {
  const std::string message =
      name.empty() ? LoadString(AFX_IDP_NO_DEFAULT_PRINTER) : FormatString(AFX_IDP_NO_SUCH_PRINTER, name.c_str());
  MessageBox::Show(message.c_str(), MB_OK | MB_ICONERROR);
  return false;
}

}  // namespace

PrintDialog::PrintDialog() = default;

PrintDialog::~PrintDialog() = default;

int PrintDialog::DoModal() {
  const Application* app = GetApp();
  if (app != nullptr && app->GetCommandLinePrint() != nullptr) {
    return SelectCommandLinePrinter(*app->GetCommandLinePrint()) ? IDOK : IDCANCEL;
  }
  if (IsUnattended()) return IDCANCEL;  // nobody to ask: as if cancelled, never shown

  QPrinter& printer = deviceContext.GetPrinter();
  dialog.reset(New<AllPagesPrintDialog>(&printer, QApplication::activeWindow()));
  dialog->setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
  dialog->setPrintRange(QAbstractPrintDialog::AllPages);
  // Qt would propose "print.pdf" in the home folder, whatever the document.
  if (auto* file = dialog->findChild<QLineEdit*>("filename"); file != nullptr && !pdfFileName.empty()) {
    file->setText(QFile::decodeName(QByteArray(pdfFileName.data(), static_cast<qsizetype>(pdfFileName.size()))));
  }

  bool confirmed;
  if (const ModalHook& hook = GetModalHook()) {
    ModalRequest request;
    request.kind = ModalRequest::dialog;
    request.text = ToBytes(dialog->windowTitle());
    request.caption = request.text;
    request.window = dialog.get();
    confirmed = hook(request).result == IDOK;
  } else {
    confirmed = dialog->exec() == QDialog::Accepted;
  }
  if (!confirmed) return IDCANCEL;
  // The copies are separate jobs of the program's; the printer must not multiply each.
  copies = std::max(1, printer.copyCount());
  printer.setCopyCount(1);
  return IDOK;
}

bool PrintDialog::SelectCommandLinePrinter(const CommandLineInfo& commandLine) {
  const std::string& name = commandLine.m_strPrinterName;
  copies = 1;
  if (NamesPdfFile(name)) {
    deviceContext.SetOutputFile(FullPath(name));  // first, so that no spooler is asked
  } else if (!CanReachSpooler()) {
    // Qt's printers would wait on it without bound; and no printer is known without it.
    // A termination signal may be what cut the wait short.
    const unsigned why = TerminationRequested() ? AFX_IDP_PRINT_ENDED : AFX_IDP_NO_PRINT_SYSTEM;
    MessageBox::Show(LoadString(why), MB_OK | MB_ICONERROR);
    return false;
  } else {
    // Made before the look-up: it loads Qt's print support, whose password dialog the
    // program's own prompt then replaces (see DeviceContext).
    QPrinter& printer = deviceContext.GetPrinter();
    const QPrinterInfo wanted =
        name.empty() ? QPrinterInfo::defaultPrinter() : QPrinterInfo::printerInfo(ToQString(name.c_str()));
    if (wanted.isNull()) return ReportMissingPrinter(name);
    printer.setPrinterName(name.empty() ? wanted.printerName() : ToQString(name.c_str()));
    // Qt keeps the paper the printer had and knows nothing of an instance's options, nor
    // whether the instance exists.
    if (!UseDestinationSettings(printer)) return ReportMissingPrinter(name);
  }
  deviceContext.GetPrinter().setCopyCount(1);
  return true;
}

std::string PdfFileFor(const std::string& pathName, const std::string& title) {
  if (pathName.empty()) {
    const QByteArray documents = QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    return std::string(documents.constData(), static_cast<std::size_t>(documents.size())) + "/" + title + ".pdf";
  }
  std::string name = FileNameOf(pathName);
  if (HasExtension(name)) name.resize(name.rfind('.'));
  const std::string pdf = FolderOf(pathName) + name + ".pdf";
  return pdf == pathName ? pathName + ".pdf" : pdf;
}

}  // namespace framework
