#pragma once

#include <memory>
#include <string>

#include "framework/printing/DeviceContext.h"

class QPrintDialog;

namespace framework {

class CommandLineInfo;

// The print dialog for printing (not for setting up only): which printer, or which PDF file
// ("Print to File (PDF)" is one of its printers, the way most people print on Linux), and
// how many copies. Every page is printed: there is no page range, no selection and no
// collation, since each copy is a job of its own. It owns the printer's device context, so
// both live for one print command.
//
// DoModal goes through the modal hook where one is installed: a `dialog` request whose
// window is the QPrintDialog, built and not shown, so that a test can set its printer (PDF
// output to a file, a copy count) and answer. While the command line prints, no dialog
// appears: the printer the command line names is taken (or the default printer), with one
// copy, on its queue's own paper and options and the user's (an instance's too, see
// UseDestinationSettings); one that does not exist, or an instance nobody made, is
// reported (as a print system out of reach when the spooler does not answer) and answers
// IDCANCEL. A PDF file named there
// counts from the current folder and keeps the bytes of its name. Without a user to ask
// (framework::IsUnattended) the dialog answers IDCANCEL unseen.
class PrintDialog {
 public:
  // Throws MemoryException when memory runs out.
  PrintDialog();
  PrintDialog(const PrintDialog&) = delete;
  PrintDialog& operator=(const PrintDialog&) = delete;
  ~PrintDialog();

  // IDOK to print, IDCANCEL when the user cancelled.
  [[nodiscard]] int DoModal();
  // The copies asked for, each to be printed as a job of its own: the printer itself is
  // left set to one copy per job.
  int GetCopies() const { return copies; }
  DeviceContext& GetPrinterDC() { return deviceContext; }
  // The file (bytes of a full path) that the dialog proposes for "Print to File (PDF)"; the
  // user may name another. Without one the dialog proposes Qt's own.
  void SetPdfFileName(const std::string& path) { pdfFileName = path; }

 private:
  // The command line's printer: a name ending in ".pdf" is a PDF file to write, an empty
  // name the default printer. False (reported) when there is no such printer.
  [[nodiscard]] bool SelectCommandLinePrinter(const CommandLineInfo& commandLine);

  DeviceContext deviceContext;
  std::unique_ptr<QPrintDialog> dialog;  // on the device context's printer, so declared after it
  int copies = 1;
  std::string pdfFileName;
};

// The PDF file to propose for printing a document: the document's file name with ".pdf" in
// place of its extension, beside it ("hiking.vyt" gives "hiking.pdf"); for a document never
// saved (an empty path), its title in the user's documents folder ("Unnamed.pdf"). Never the
// document's own file: one named like a PDF file gets ".pdf" appended.
std::string PdfFileFor(const std::string& pathName, const std::string& title);

}  // namespace framework
