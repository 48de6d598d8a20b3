#pragma once

#include <QFont>
#include <QPainter>
#include <cstddef>
#include <memory>
#include <string>

class QPrinter;

namespace framework {

// Mapping modes: how the coordinates of TextOut reach the device.
enum MapMode {
  MM_TEXT,      // device pixels, y growing downwards
  MM_LOMETRIC,  // 0.1 mm, y growing upwards: lines below the origin lie at negative y
};

// A printer's device context: print jobs (documents) of pages with texts drawn in the units
// of the mapping mode. The origin is the top left corner of the printable area. It owns its
// printer, which starts as the system's default printer (or PDF output where there is none);
// the print dialog chooses another on it. Lives for one print command.
//
// Failure: a step the printer refuses (a job that cannot start, such as a PDF file that
// cannot be written) does not stop the later ones, which go on as far as they can; the
// context remembers it (HasFailed) so that the caller reports it once. The drawing
// operations are virtual so that another device, a test's recorder, can stand in.
class DeviceContext {
 public:
  // Throws MemoryException when memory runs out.
  DeviceContext();
  DeviceContext(const DeviceContext&) = delete;
  DeviceContext& operator=(const DeviceContext&) = delete;
  // Ends a job still running.
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

  [[nodiscard]] bool HasFailed() const { return failed; }
  // The printer's name, or the path of the PDF file it writes.
  std::string GetDeviceName() const;
  QPrinter& GetPrinter() const { return *printer; }
  // The font that CreatePointFont selected.
  const QFont& GetFont() const { return font; }

 private:
  // The device point of a logical one.
  QPointF ToDevice(int x, int y) const;

  std::unique_ptr<QPrinter> printer;
  QPainter painter;
  QFont font;
  MapMode mapMode = MM_TEXT;
  int endedPages = 0;  // pages ended in the current job
  bool failed = false;
};

}  // namespace framework
