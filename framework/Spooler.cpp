#include "framework/Spooler.h"

#include <cups/cups.h>

#include <QPrintEngine>
#include <QPrinter>
#include <QStringList>

namespace framework {

namespace {

// The print dialog keeps the printer properties a user set (its "Properties" page) on the
// print engine under this key, as a list of name and value pairs of CUPS options.
constexpr auto kCupsOptionsProperty = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// The options of one job; freed with it.
class JobOptions {
 public:
  JobOptions() = default;
  JobOptions(const JobOptions&) = delete;
  JobOptions& operator=(const JobOptions&) = delete;
  ~JobOptions() { cupsFreeOptions(count, options); }

  void Add(const QByteArray& name, const QByteArray& value) {
    count = cupsAddOption(name.constData(), value.constData(), count, &options);
  }
  int Count() const { return count; }
  cups_option_t* Options() const { return options; }

 private:
  int count = 0;
  cups_option_t* options = nullptr;
};

const char* SidesOf(const QPrinter& printer) {
  switch (printer.duplex()) {
    case QPrinter::DuplexAuto:
      return printer.pageLayout().orientation() == QPageLayout::Portrait ? "two-sided-long-edge"
                                                                         : "two-sided-short-edge";
    case QPrinter::DuplexLongSide: return "two-sided-long-edge";
    case QPrinter::DuplexShortSide: return "two-sided-short-edge";
    case QPrinter::DuplexNone: break;
  }
  return "one-sided";
}

// What Qt sends along with a job of its own for the printer's settings.
void AddSettings(const QPrinter& printer, JobOptions& options) {
  options.Add("media", printer.pageLayout().pageSize().key().toLocal8Bit());
  options.Add("sides", SidesOf(printer));
  if (printer.pageLayout().orientation() == QPageLayout::Landscape) options.Add("landscape", "");
  const QStringList properties = printer.printEngine()->property(kCupsOptionsProperty).toStringList();
  for (qsizetype i = 0; i + 1 < properties.size(); i += 2) {
    options.Add(properties[i].toLocal8Bit(), properties[i + 1].toLocal8Bit());
  }
}

std::string LastSpoolerError() {
  const char* text = cupsLastErrorString();
  return text != nullptr && *text != '\0' ? text : ippErrorString(cupsLastError());
}

}  // namespace

bool SubmitPrintJob(const QPrinter& printer, const std::string& title, const QByteArray& pdf, std::string& reason) {
  // A printer's instance ("office/duplex") is the queue's settings; the job goes to the queue.
  const QByteArray queue = printer.printerName().section('/', 0, 0).toLocal8Bit();
  JobOptions options;
  AddSettings(printer, options);
  const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, queue.constData(), title.c_str(), options.Count(),
                                options.Options());
  if (job == 0) {
    reason = LastSpoolerError();
    return false;
  }
  const bool sent =
      cupsStartDocument(CUPS_HTTP_DEFAULT, queue.constData(), job, title.c_str(), CUPS_FORMAT_PDF, 1) ==
          HTTP_STATUS_CONTINUE &&
      cupsWriteRequestData(CUPS_HTTP_DEFAULT, pdf.constData(), static_cast<std::size_t>(pdf.size())) ==
          HTTP_STATUS_CONTINUE;
  // The document is finished also after a failed write: that reads the spooler's answer.
  const bool finished = cupsFinishDocument(CUPS_HTTP_DEFAULT, queue.constData()) == IPP_STATUS_OK;
  if (sent && finished) return true;
  reason = LastSpoolerError();
  cupsCancelJob2(CUPS_HTTP_DEFAULT, queue.constData(), job, 0);
  return false;
}

}  // namespace framework
