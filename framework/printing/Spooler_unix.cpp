#include "framework/printing/Spooler.h"

#include <cups/cups.h>

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QPageSize>
#include <QPrintEngine>
#include <QPrinter>
#include <QStringList>
#include <algorithm>
#include <cstring>
#include <ctime>
#include <optional>

#include "framework/base/CommandIds.h"
#include "framework/base/Exceptions.h"
#include "framework/base/StringTable.h"
#include "framework/base/TextEncoding.h"
#include "framework/dialogs/MessageBox.h"
#include "framework/system/TerminationSignals.h"

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

// How long the spooler may take to accept a connection, and to answer once asked. A
// spooler that is not there or does not answer must not hold up a print, least of all an
// unattended one.
constexpr int kConnectMilliseconds = 5000;
constexpr double kAnswerSeconds = 10.0;
// How long libcups waits before it asks whether to go on waiting: what a termination
// signal may have to wait for.
constexpr double kWaitSliceSeconds = 0.2;
// The document goes in pieces this big, so that the spooler's silence counts from the last
// piece it took, not from the first.
constexpr qsizetype kWritePieceBytes = 64 * 1024;

// The most bytes a job's name may have: the spooler refuses a longer one.
constexpr std::size_t kJobNameBytes = 255;

// The answer libcups last had, or the connection's failure when no answer came (libcups
// then still holds the last answer, a success).
std::string LastSpoolerError(http_t* http) {
  const ipp_status_t status = cupsLastError();
  if (status <= IPP_STATUS_OK_EVENTS_COMPLETE) {
    return httpError(http) != 0 ? std::strerror(httpError(http)) : LoadString(AFX_IDP_NO_PRINT_SYSTEM);
  }
  const char* text = cupsLastErrorString();
  return text != nullptr && *text != '\0' ? text : ippErrorString(status);
}

// libcups asks for a password through this when a queue wants one. Nobody can answer an
// unattended print, so it gets none and the spooler refuses the job; otherwise the user
// is asked, with libcups's prompt. The answer lives until the next question.
const char* AskPassword(const char* prompt, http_t*, const char*, const char*, void*) {
  static QByteArray password;
  if (IsUnattended()) return nullptr;
  bool given = false;
  const QString text = QInputDialog::getText(QApplication::activeWindow(), QString(), QString::fromUtf8(prompt),
                                             QLineEdit::Password, QString(), &given);
  if (!given) return nullptr;
  password = text.toUtf8();
  return password.constData();
}

// libcups asks this after each slice of a wait in which the spooler was silent: it goes on
// waiting while the silence is shorter than kAnswerSeconds (libcups keeps the time of the
// last exchange in whole seconds), unless the work is to end at a termination signal.
int GoOnWaiting(http_t* http, void*) {
  if (TerminationRequested()) return 0;
  return std::difftime(std::time(nullptr), httpGetActivity(http)) < kAnswerSeconds ? 1 : 0;
}

// A connection of its own to the spooler, with every wait bounded; closed with it.
// Failure: Get() is null.
class SpoolerConnection {
 public:
  SpoolerConnection()
      : http(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, kConnectMilliseconds,
                          nullptr)) {
    if (http != nullptr) httpSetTimeout(http, kWaitSliceSeconds, GoOnWaiting, nullptr);
  }
  SpoolerConnection(const SpoolerConnection&) = delete;
  SpoolerConnection& operator=(const SpoolerConnection&) = delete;
  ~SpoolerConnection() { httpClose(http); }

  http_t* Get() const { return http; }

 private:
  http_t* http;
};

// The job's name as the spooler takes it: UTF-8, at most kJobNameBytes, cut between
// characters.
std::string JobName(const std::string& title) {
  std::string name = ToUtf8(title.data(), title.size());
  name.resize(CharacterEnd(name, kJobNameBytes));
  return name;
}

// Writes the document in pieces: false as soon as one does not go.
bool WriteDocument(http_t* http, const QByteArray& pdf) {
  for (qsizetype at = 0; at < pdf.size(); at += kWritePieceBytes) {
    const auto length = static_cast<std::size_t>(std::min(kWritePieceBytes, pdf.size() - at));
    if (cupsWriteRequestData(http, pdf.constData() + at, length) != HTTP_STATUS_CONTINUE) return false;
  }
  return true;
}

// Sends the job's one document and reads the spooler's answer to it: true only when the
// spooler said it took the document.
bool SendDocument(http_t* http, const char* queue, int job, const char* name, const QByteArray& pdf) {
  if (cupsStartDocument(http, queue, job, name, CUPS_FORMAT_PDF, 1) != HTTP_STATUS_CONTINUE) return false;
  // The answer is read also after a failed write: it holds the spooler's reason.
  const bool written = WriteDocument(http, pdf);
  const std::string resource = std::string("/printers/") + queue;
  ipp_t* answer = cupsGetResponse(http, resource.c_str());
  const bool taken = answer != nullptr && ippGetStatusCode(answer) <= IPP_STATUS_OK_EVENTS_COMPLETE;
  ippDelete(answer);
  return written && taken;
}

// Cancels a job whose document did not arrive, or that a termination signal ended, on a
// connection of its own: the job's may be the one that stalled.
void CancelJob(const char* queue, int job) {
  const SpoolerConnection connection;
  if (connection.Get() != nullptr) cupsCancelJob2(connection.Get(), queue, job, 0);
}

// The queue's state message (may be empty) when it is stopped, so that jobs wait on it;
// nothing when it is not, or when the spooler does not tell.
std::optional<std::string> StoppedQueueMessage(http_t* http, const char* queue) {
  ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
  if (request == nullptr) return std::nullopt;
  char uri[HTTP_MAX_URI];
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof(uri), "ipp", nullptr, "localhost", ippPort(), "/printers/%s",
                   queue);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
  static const char* const kWanted[] = {"printer-state", "printer-state-message"};
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr, kWanted);
  ipp_t* answer = cupsDoRequest(http, request, "/");  // frees the request
  std::optional<std::string> message;
  if (ippGetInteger(ippFindAttribute(answer, "printer-state", IPP_TAG_ENUM), 0) == IPP_PSTATE_STOPPED) {
    const char* text = ippGetString(ippFindAttribute(answer, "printer-state-message", IPP_TAG_TEXT), 0, nullptr);
    message = text != nullptr ? text : "";
  }
  ippDelete(answer);
  return message;
}

// The printers the spooler knows, with their options and the instances of the system's and
// the user's lpoptions; freed with it. Failure: none are known.
class Destinations {
 public:
  explicit Destinations(http_t* http) : count(cupsGetDests2(http, &dests)) {}
  Destinations(const Destinations&) = delete;
  Destinations& operator=(const Destinations&) = delete;
  ~Destinations() { cupsFreeDests(count, dests); }

  // The destination of a printer's name, "queue" or "queue/instance"; null when unknown.
  cups_dest_t* Find(const QString& name) const {
    const QByteArray queue = name.section('/', 0, 0).toLocal8Bit();
    const QByteArray instance = name.section('/', 1).toLocal8Bit();
    return cupsGetDest(queue.constData(), instance.isEmpty() ? nullptr : instance.constData(), count, dests);
  }

 private:
  cups_dest_t* dests = nullptr;
  int count;
};

// The paper a destination prints on unless told otherwise: its "media" option (the user's),
// else the queue's default. Failure: an invalid size when the spooler does not tell or the
// paper is not known by name.
QPageSize DefaultPaper(http_t* http, cups_dest_t* dest) {
  const char* name = cupsGetOption("media", dest->num_options, dest->options);
  cups_dinfo_t* info = nullptr;
  if (name == nullptr && (info = cupsCopyDestInfo(http, dest)) != nullptr) {
    name = ippGetString(cupsFindDestDefault(http, dest, info, "media"), 0, nullptr);
  }
  // The name is a PWG one ("na_letter_8.5x11in") from the spooler, maybe a PPD's ("Letter")
  // from lpoptions.
  const pwg_media_t* media = nullptr;
  if (name != nullptr && (media = pwgMediaForPWG(name)) == nullptr && (media = pwgMediaForPPD(name)) == nullptr) {
    media = pwgMediaForLegacy(name);
  }
  cupsFreeDestInfo(info);
  if (media == nullptr) return {};
  // In hundredths of a millimetre; Qt names the standard size of these dimensions.
  return QPageSize(QSizeF(media->width / 100.0, media->length / 100.0), QPageSize::Millimeter);
}

}  // namespace

std::unique_ptr<QPrinter> NewPdfPrinter() {
  // libcups looks for the spooler at a local socket that is not there, and fails at once:
  // Qt finds no printer and makes one for PDF output.
  class NoSpoolerScope {
   public:
    NoSpoolerScope() { cupsSetServer("/nonexistent/spooler"); }
    NoSpoolerScope(const NoSpoolerScope&) = delete;
    NoSpoolerScope& operator=(const NoSpoolerScope&) = delete;
    ~NoSpoolerScope() { cupsSetServer(nullptr); }  // the spooler configured, as before
  };
  const NoSpoolerScope noSpooler;
  std::unique_ptr<QPrinter> printer(New<QPrinter>(QPrinter::HighResolution));
  printer->setOutputFormat(QPrinter::PdfFormat);
  return printer;
}

bool CanReachSpooler() {
  const SpoolerConnection connection;
  if (connection.Get() == nullptr) return false;
  ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_DEFAULT);
  if (request == nullptr) return false;
  ipp_t* answer = cupsDoRequest(connection.Get(), request, "/");  // frees the request
  ippDelete(answer);
  return answer != nullptr;
}

bool UseDestinationSettings(QPrinter& printer) {
  const SpoolerConnection connection;
  if (connection.Get() == nullptr) return false;
  const Destinations destinations(connection.Get());
  cups_dest_t* dest = destinations.Find(printer.printerName());
  if (dest == nullptr) return false;
  QStringList options;
  for (int i = 0; i < dest->num_options; ++i) {
    options << QString::fromLocal8Bit(dest->options[i].name) << QString::fromLocal8Bit(dest->options[i].value);
  }
  printer.printEngine()->setProperty(kCupsOptionsProperty, options);
  if (const QPageSize paper = DefaultPaper(connection.Get(), dest); paper.isValid()) printer.setPageSize(paper);
  return true;
}

void UseOwnPasswordPrompt() { cupsSetPasswordCB2(AskPassword, nullptr); }

bool SubmitPrintJob(const QPrinter& printer, const std::string& title, const QByteArray& pdf, std::string& reason,
                    std::optional<std::string>& stopped) {
  stopped.reset();
  const SpoolerConnection connection;
  http_t* http = connection.Get();
  if (http == nullptr) {
    reason = LoadString(AFX_IDP_NO_PRINT_SYSTEM);
    return false;
  }
  // A printer's instance ("office/duplex") is the queue's settings; the job goes to the queue.
  const QByteArray queue = printer.printerName().section('/', 0, 0).toLocal8Bit();
  const std::string name = JobName(title);
  JobOptions options;
  AddSettings(printer, options);
  const int job = cupsCreateJob(http, queue.constData(), name.c_str(), options.Count(), options.Options());
  if (job == 0) {
    reason = LastSpoolerError(http);
    return false;
  }
  // A job ended by a signal, even one the spooler took, is not left to print.
  if (!SendDocument(http, queue.constData(), job, name.c_str(), pdf) || TerminationRequested()) {
    reason = LastSpoolerError(http);
    CancelJob(queue.constData(), job);
    return false;
  }
  stopped = StoppedQueueMessage(http, queue.constData());
  return true;
}

}  // namespace framework
