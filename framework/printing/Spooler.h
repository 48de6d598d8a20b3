#pragma once

#include <QByteArray>
#include <memory>
#include <optional>
#include <string>

class QPrinter;

namespace framework {

// Hands a print job to the system's spooler (CUPS, through libcups) and answers whether the
// spooler took it. Qt's own print path hands its jobs over too, but keeps the spooler's
// answer to itself, so a queue that refuses jobs would look as if it printed.
//
// The job is a PDF document, as Qt renders one for a CUPS printer, with the options that Qt
// would send along for the printer's settings: the paper, the orientation, the sides of
// the sheet and whatever the print dialog's printer properties set (or, printing from the
// command line, the destination's options: UseDestinationSettings). Exactly one copy: the
// program prints each copy as a job of its own.
//
// The job's name is the title as UTF-8, cut to the 255 bytes the spooler takes. The job is
// taken only when the spooler answered that it took the document: no answer (a spooler
// gone or silent; every wait is bounded to seconds) is a failure. A job taken by a queue
// that is stopped waits there; stopped is then set to the queue's state message (which may
// be empty), else reset.
//
// Under an EndAtTerminationScope a termination signal cuts every wait short: the job is
// then cancelled, taken or not, and the call fails.
//
// Nothing is kept between calls. Failure: false with the spooler's reason (the job is
// cancelled when it was made and its document could not follow).
[[nodiscard]] bool SubmitPrintJob(const QPrinter& printer, const std::string& title, const QByteArray& pdf,
                                  std::string& reason, std::optional<std::string>& stopped);

// A printer for PDF output, made without asking the spooler: Qt's printer asks it for the
// default printer as it is made, which a PDF file does not need and which a spooler that
// does not answer would hold up. Throws MemoryException when memory runs out.
std::unique_ptr<QPrinter> NewPdfPrinter();

// Starts the printer from its destination's own settings, as lp prints on it: the queue's
// default paper, which the page is laid out on, and the options of the system's and the
// user's lpoptions, an instance's ("office/duplex") own among them, which go with every job
// (all of the destination's options, as lp sends them, over the printer's paper and sides).
// Every wait is bounded to seconds. Failure: false when the spooler knows no such printer
// or instance, or does not answer; the printer is then left as it was.
[[nodiscard]] bool UseDestinationSettings(QPrinter& printer);

// Whether the spooler accepts a connection and answers a question, each within seconds.
// Failure: false, also when memory runs out.
[[nodiscard]] bool CanReachSpooler();

// Puts the program's password prompt on libcups for this thread, in place of the one Qt's
// print support installs as it loads (so, after the first QPrinter): a queue that wants a
// password asks the user, and while unattended gets no password and refuses the job
// instead of waiting on a dialog nobody sees.
void UseOwnPasswordPrompt();

}  // namespace framework
