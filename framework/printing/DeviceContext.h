#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QPainter>
#include <QSizeF>
#include <cstddef>
#include <memory>
#include <string>

#include "framework/system/File.h"

class QPrinter;

namespace framework {

class FileDevice;
class PdfDocument;

// Mapping modes: how the coordinates of TextOut reach the device.
enum MapMode {
  MM_TEXT,      // device pixels, y growing downwards
  MM_LOMETRIC,  // 0.1 mm, y growing upwards: lines below the origin lie at negative y
};

// A printer's device context: print jobs (documents) of pages with texts drawn in the units
// of the mapping mode. The origin is the top left corner of the printable area. It owns its
// printer, made as first needed: the system's default printer (or PDF output where there is
// none); the print dialog chooses another on it. A context told to write a PDF file before
// anything else makes its printer without asking the spooler. Lives for one print command.
//
// Every job is drawn as a PDF document on the paper, margins and resolution of the printer.
// A printer's job is drawn in memory and goes to its spooler as the job ends (EndDoc), one
// job per StartDoc. A PDF file takes every job of the context, one after the other, each
// starting on a new page: so three copies give one file with three times the pages. It is
// written page by page as it is drawn, into the temporary file of a safe replace (see
// File), so memory stays the same however many copies; Finish puts it in the target's
// place, whole, or leaves the target as it was. A file that cannot be written (a folder, a
// FIFO) is refused at the first StartDoc, before anything is drawn.
//
// Failure: a step the device refuses (a spooler that does not take the job) does not stop
// the later ones, which go on as far as they can; the context remembers the first failure
// with its reason (HasFailed, GetFailureReason) so that the caller reports it once. A PDF
// file that cannot be written as it goes (a full disk) ends its output at the next page.
// Running out of memory while drawing or handing a job over ends the output too, as does
// AbortDoc: the document being drawn is dropped, without a further word to the device.
// Under an EndAtTerminationScope a termination signal ends the output at the next step (a
// job, a page, a wait for the spooler): the job at the spooler is cancelled, the PDF file
// is not written, nothing more is drawn, and the failure's reason says that printing was
// ended. The drawing operations are virtual so that another device, a test's recorder, can
// stand in.
class DeviceContext {
 public:
  // Every operation throws MemoryException when memory runs out to make the printer.
  DeviceContext();
  DeviceContext(const DeviceContext&) = delete;
  DeviceContext& operator=(const DeviceContext&) = delete;
  // Abandons what was not finished: a PDF file not finished is not written.
  virtual ~DeviceContext();

  virtual void SetMapMode(MapMode mode);
  // Makes the font of the face at the size in tenths of a point, for this device, and
  // selects it. A face the system lacks resolves through fontconfig to its substitute
  // ("Courier New" to a monospace font of the same metrics).
  virtual void CreatePointFont(int pointSizeTenths, const char* faceName);
  // Starts a print job under the name (the program's bytes; may be empty).
  virtual void StartDoc(const char* docName);
  // Starts a page: the job's first page, or a new sheet after a page that has ended.
  virtual void StartPage();
  // Draws the first length bytes of text (the program's bytes) with the top left corner of
  // its character cell at the point, as the printer's default text alignment does.
  virtual void TextOut(int x, int y, const char* text, std::size_t length);
  virtual void EndPage();
  virtual void EndDoc();
  // Ends the output with the reason as its failure (the caller ran out of memory drawing):
  // the job being drawn is dropped, not handed over, and a PDF file is not written.
  void AbortDoc(const std::string& reason);
  // How far the printable area reaches down from the origin, and how high a character cell
  // of the selected font is, in the units of the mapping mode: a line drawn at y fits on
  // the page while -y + GetTextHeight() <= GetPrintableHeight() (MM_LOMETRIC).
  virtual int GetPrintableHeight() const;
  virtual int GetTextHeight() const;
  // How far the printable area reaches right from the origin, and how wide the first length
  // bytes of text (the program's bytes) are in the selected font, rounded up, in the units
  // of the mapping mode: a text drawn at x fits while x + GetTextWidth(...) <=
  // GetPrintableWidth().
  virtual int GetPrintableWidth() const;
  virtual int GetTextWidth(const char* text, std::size_t length) const;

  // Ends the output: a PDF file is written now, as a whole or not at all. Answers false when
  // anything failed (HasFailed). Afterwards the context takes no more jobs.
  [[nodiscard]] bool Finish();

  [[nodiscard]] bool HasFailed() const { return failed; }
  // The device's or the system's words for the first failure; may be empty.
  const std::string& GetFailureReason() const { return failureReason; }
  // The printer's name, or the path of the PDF file it writes.
  std::string GetDeviceName() const;
  // Prints into the PDF file at path, named by its bytes as the system gives them (not all
  // names are UTF-8).
  void SetOutputFile(const std::string& path);
  QPrinter& GetPrinter() const;
  // The font that CreatePointFont selected.
  const QFont& GetFont() const { return font; }

 private:
  // Makes the printer: for PDF output only, or the system's default printer.
  void MakePrinter(bool pdfOnly) const;
  bool PrintsToFile() const;
  std::string OutputFile() const;
  // Opens the PDF file for its replacement; false (failed) when it cannot be written.
  bool OpenOutputFile();
  // A new PDF document (in memory for a printer, into the file for a PDF file), with the
  // painter on it; false (failed) when it cannot be.
  bool BeginDrawing(const char* docName);
  // Ends the painter: the document is complete.
  void EndDrawing();
  // Runs a step that draws or hands a job over; running out of memory there ends the
  // output (AbortDoc).
  template <class Step>
  void RunStep(Step&& step);
  // Hands the printer's job drawn to the spooler, and warns when its queue is stopped.
  void SubmitJob();
  // A PDF file that could not be written as it went ends the output with the reason.
  void CheckFileOutput();
  // Drops the document being drawn without writing more of it.
  void DropDocument();
  void Fail(const std::string& reason);
  // Whether the output has ended. A termination signal ends it: the first time it says so,
  // that is the failure, whatever failed before (unless the output had ended already).
  bool Ended();
  // The device point of a logical one.
  QPointF ToDevice(int x, int y) const;
  // The printable area's size in the units of the mapping mode, not rounded.
  QSizeF PrintableSize() const;
  // A length of the printer's pixels along a direction of the given resolution (dots per
  // inch) in the units of the mapping mode, rounded up.
  int ToLogicalLength(double pixels, int dotsPerInch) const;

  mutable std::unique_ptr<QPrinter> printer;  // made by GetPrinter or SetOutputFile
  std::string outputFile;  // the bytes SetOutputFile named
  File file;               // the PDF file, from the first job to Finish
  std::unique_ptr<FileDevice> fileOutput;  // onto the file, while a PDF file is drawn
  QByteArray drawn;        // a printer's job being drawn
  QBuffer buffer;          // onto drawn
  // Declared after what it writes into, and before the painter on it.
  std::unique_ptr<PdfDocument> writer;
  QPainter painter;
  QFont font;
  std::string jobName;
  MapMode mapMode = MM_TEXT;
  int endedPages = 0;  // pages ended in the document being drawn
  bool finished = false;
  bool failed = false;
  bool ended = false;  // by a termination signal, running out of memory, a file not written
  std::string failureReason;
};

}  // namespace framework
