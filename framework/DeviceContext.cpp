#include "framework/DeviceContext.h"

#include <QFontMetricsF>
#include <QPrinter>

#include "framework/Exceptions.h"
#include "framework/Text.h"

namespace framework {

namespace {

// 0.1 mm per logical unit: 254 units to the inch.
constexpr double kLoMetricPerInch = 254.0;

}  // namespace

DeviceContext::DeviceContext() : printer(New<QPrinter>(QPrinter::HighResolution)) {}

DeviceContext::~DeviceContext() {
  if (painter.isActive()) painter.end();
}

void DeviceContext::SetMapMode(MapMode mode) { mapMode = mode; }

void DeviceContext::CreatePointFont(int pointSizeTenths, const char* faceName) {
  font = QFont(ToQString(faceName));
  font.setPointSizeF(pointSizeTenths / 10.0);
  if (painter.isActive()) painter.setFont(font);
}

void DeviceContext::StartDoc(const char* docName) {
  if (painter.isActive()) painter.end();
  printer->setDocName(ToQString(docName));
  endedPages = 0;
  if (!painter.begin(printer.get())) {
    failed = true;
    return;
  }
  painter.setFont(font);
  painter.setPen(Qt::black);
}

void DeviceContext::StartPage() {
  // A job begins on its first page; a later one needs a new sheet.
  if (endedPages > 0 && painter.isActive() && !printer->newPage()) failed = true;
}

void DeviceContext::TextOut(int x, int y, const char* text, std::size_t length) {
  if (!painter.isActive()) return;  // the job did not start, which is already known
  const QPointF topLeft = ToDevice(x, y);
  // QPainter places text on its baseline: one ascent below the top of the cell.
  const QFontMetricsF metrics(painter.font(), printer.get());
  painter.drawText(QPointF(topLeft.x(), topLeft.y() + metrics.ascent()), ToQString(text, length));
}

void DeviceContext::EndPage() { ++endedPages; }

void DeviceContext::EndDoc() {
  if (!painter.isActive()) return;
  if (!painter.end()) failed = true;
}

std::string DeviceContext::GetDeviceName() const {
  if (printer->outputFormat() == QPrinter::PdfFormat) return ToBytes(printer->outputFileName());
  return ToBytes(printer->printerName());
}

QPointF DeviceContext::ToDevice(int x, int y) const {
  if (mapMode == MM_TEXT) return QPointF(x, y);
  return QPointF(x * printer->logicalDpiX() / kLoMetricPerInch, -y * printer->logicalDpiY() / kLoMetricPerInch);
}

}  // namespace framework
