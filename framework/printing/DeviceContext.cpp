#include "framework/printing/DeviceContext.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPaintEngine>
#include <QPdfWriter>
#include <QPrinter>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "framework/base/CommandIds.h"
#include "framework/base/Exceptions.h"
#include "framework/base/StringTable.h"
#include "framework/base/TextEncoding.h"
#include "framework/dialogs/MessageBox.h"
#include "framework/printing/Spooler.h"
#include "framework/system/FileDevice.h"
#include "framework/system/TerminationSignals.h"

namespace framework {

namespace {

// 0.1 mm per logical unit: 254 units to the inch.
constexpr double kLoMetricPerInch = 254.0;

}  // namespace

// A PDF writer that can be dropped halfway. When Qt's PDF engine failed inside (memory ran
// out), ending its painter as usual would write the document's end through the same engine
// again, and a painter destroyed while active does that too.
class PdfDocument final : public QPdfWriter {
 public:
  using QPdfWriter::QPdfWriter;

  // Ends the painter on this writer without another word to the output.
  void Abandon(QPainter& painter) {
    paintEngine()->setActive(false);
    painter.end();
    painters = 0;  // which end() leaves counted when the engine was no longer active
  }
};

DeviceContext::DeviceContext() = default;

DeviceContext::~DeviceContext() { DropDocument(); }

void DeviceContext::SetMapMode(MapMode mode) { mapMode = mode; }

void DeviceContext::CreatePointFont(int pointSizeTenths, const char* faceName) {
  font = QFont(ToQString(faceName));
  font.setPointSizeF(pointSizeTenths / 10.0);
  if (painter.isActive()) painter.setFont(font);
}

QPrinter& DeviceContext::GetPrinter() const {
  if (printer == nullptr) MakePrinter(false);
  return *printer;
}

void DeviceContext::MakePrinter(bool pdfOnly) const {
  printer = pdfOnly ? NewPdfPrinter() : std::unique_ptr<QPrinter>(New<QPrinter>(QPrinter::HighResolution));
  // Qt's print support puts its password dialog on libcups as it loads, with the first printer.
  UseOwnPasswordPrompt();
}

bool DeviceContext::PrintsToFile() const { return GetPrinter().outputFormat() == QPrinter::PdfFormat; }

std::string DeviceContext::OutputFile() const {
  if (!outputFile.empty()) return outputFile;
  const QByteArray name = QFile::encodeName(GetPrinter().outputFileName());
  return std::string(name.constData(), static_cast<std::size_t>(name.size()));
}

void DeviceContext::SetOutputFile(const std::string& path) {
  if (printer == nullptr) MakePrinter(true);
  outputFile = path;
  GetPrinter().setOutputFormat(QPrinter::PdfFormat);
  GetPrinter().setOutputFileName(QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size()))));
}

void DeviceContext::StartDoc(const char* docName) {
  if (finished || Ended()) return;
  if (PrintsToFile()) {
    // Later jobs go on in the same document, on a page of their own (see StartPage).
    if (painter.isActive() || failed) return;
    if (OpenOutputFile()) BeginDrawing(docName);
    return;
  }
  if (painter.isActive()) EndDoc();
  BeginDrawing(docName);
}

bool DeviceContext::OpenOutputFile() {
  try {
    file.Open(OutputFile().c_str(), File::modeReplace);
    return true;
  } catch (const FileException& error) {
    Fail(error.GetReason());
  }
  return false;
}

template <class Step>
void DeviceContext::RunStep(Step&& step) {
  try {
    Allocating(std::forward<Step>(step));
  } catch (const MemoryException&) {
    AbortDoc(std::strerror(ENOMEM));
  }
}

bool DeviceContext::BeginDrawing(const char* docName) {
  jobName = docName == nullptr ? "" : docName;
  endedPages = 0;
  RunStep([&] {
    QIODevice* output = &buffer;
    if (PrintsToFile()) {
      fileOutput.reset(New<FileDevice>(file));
      output = fileOutput.get();
    } else {
      drawn.clear();
      buffer.setBuffer(&drawn);
      if (!buffer.open(QIODevice::WriteOnly)) return Fail(ToBytes(buffer.errorString()));
    }
    writer.reset(New<PdfDocument>(output));
    writer->setPageLayout(GetPrinter().pageLayout());
    writer->setResolution(GetPrinter().resolution());
    writer->setTitle(ToQString(docName));
    if (!painter.begin(writer.get())) return Fail({});
    painter.setFont(font);
    painter.setPen(Qt::black);
  });
  return painter.isActive();
}

void DeviceContext::EndDrawing() {
  RunStep([&] {
    if (!painter.end()) Fail({});
  });
  buffer.close();
  if (fileOutput != nullptr) fileOutput->Flush();
  CheckFileOutput();
}

void DeviceContext::CheckFileOutput() {
  if (fileOutput != nullptr && fileOutput->GetFailure() && !ended) AbortDoc(*fileOutput->GetFailure());
}

void DeviceContext::StartPage() {
  if (Ended()) return;
  // A document begins on its first page; a later one needs a new sheet, and the page before
  // is written out as it begins.
  if (endedPages == 0 || !painter.isActive()) return;
  RunStep([&] {
    if (!writer->newPage()) Fail({});
  });
  CheckFileOutput();
}

void DeviceContext::TextOut(int x, int y, const char* text, std::size_t length) {
  if (!painter.isActive() || ended) return;  // the job did not start or was ended, which is known
  RunStep([&] {
    const QPointF topLeft = ToDevice(x, y);
    // QPainter places text on its baseline: one ascent below the top of the cell.
    const QFontMetricsF metrics(painter.font(), writer.get());
    painter.drawText(QPointF(topLeft.x(), topLeft.y() + metrics.ascent()), ToQString(text, length));
  });
}

void DeviceContext::EndPage() { ++endedPages; }

void DeviceContext::EndDoc() {
  if (PrintsToFile() || !painter.isActive()) return;
  EndDrawing();
  if (failed || Ended()) return;
  RunStep([&] { SubmitJob(); });
}

void DeviceContext::SubmitJob() {
  std::string reason;
  std::optional<std::string> stopped;
  if (!SubmitPrintJob(GetPrinter(), jobName, drawn, reason, stopped)) {
    if (!Ended()) Fail(reason);
  } else if (stopped) {
    // Taken, so printed as far as the program goes; the user is told why nothing comes out.
    std::string warning = FormatString(AFX_IDP_PRINTER_STOPPED, GetDeviceName().c_str());
    if (!stopped->empty()) warning += "\n" + *stopped;
    WarnUnattended(warning.c_str());
  }
}

void DeviceContext::AbortDoc(const std::string& reason) {
  Fail(reason);
  ended = true;
  DropDocument();
}

void DeviceContext::DropDocument() {
  if (painter.isActive()) writer->Abandon(painter);
  writer.reset();
  fileOutput.reset();
  buffer.close();
  drawn.clear();
}

bool DeviceContext::Finish() {
  if (finished) return !failed;
  if (!PrintsToFile()) {
    if (painter.isActive()) EndDoc();
    finished = true;
    return !failed;
  }
  finished = true;
  if (painter.isActive()) EndDrawing();
  try {
    if (!failed && !Ended()) file.Close();
  } catch (const FileException& error) {
    Fail(error.GetReason());
  }
  file.Abort();  // a file not written stays as it was
  DropDocument();
  return !failed;
}

QSizeF DeviceContext::PrintableSize() const {
  const QPageLayout layout = GetPrinter().pageLayout();
  if (mapMode == MM_TEXT) return layout.paintRectPixels(GetPrinter().resolution()).size();
  return layout.paintRect(QPageLayout::Millimeter).size() * 10.0;
}

int DeviceContext::GetPrintableHeight() const { return static_cast<int>(std::floor(PrintableSize().height())); }

int DeviceContext::GetPrintableWidth() const { return static_cast<int>(std::floor(PrintableSize().width())); }

int DeviceContext::ToLogicalLength(double pixels, int dotsPerInch) const {
  if (mapMode == MM_TEXT) return static_cast<int>(std::ceil(pixels));
  return static_cast<int>(std::ceil(pixels * kLoMetricPerInch / dotsPerInch));
}

int DeviceContext::GetTextHeight() const {
  const QFontMetricsF metrics(font, &GetPrinter());
  return ToLogicalLength(metrics.ascent() + metrics.descent(), GetPrinter().logicalDpiY());
}

int DeviceContext::GetTextWidth(const char* text, std::size_t length) const {
  const QFontMetricsF metrics(font, &GetPrinter());
  return ToLogicalLength(metrics.horizontalAdvance(ToQString(text, length)), GetPrinter().logicalDpiX());
}

void DeviceContext::Fail(const std::string& reason) {
  if (!failed) failureReason = reason;
  failed = true;
}

bool DeviceContext::Ended() {
  if (!ended && TerminationRequested()) {
    ended = failed = true;
    failureReason = LoadString(AFX_IDP_PRINT_ENDED);
  }
  return ended;
}

std::string DeviceContext::GetDeviceName() const {
  if (PrintsToFile()) return OutputFile();
  return ToBytes(GetPrinter().printerName());
}

QPointF DeviceContext::ToDevice(int x, int y) const {
  if (mapMode == MM_TEXT) return QPointF(x, y);
  return QPointF(x * writer->logicalDpiX() / kLoMetricPerInch, -y * writer->logicalDpiY() / kLoMetricPerInch);
}

}  // namespace framework
