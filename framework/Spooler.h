#pragma once

#include <QByteArray>
#include <string>

class QPrinter;

namespace framework {

// Hands a print job to the system's spooler (CUPS, through libcups) and answers whether the
// spooler took it. Qt's own print path hands its jobs over too, but keeps the spooler's
// answer to itself, so a queue that refuses jobs would look as if it printed.
//
// The job is a PDF document, as Qt renders one for a CUPS printer, with the options that Qt
// would send along for the printer's settings: the paper, the orientation, the sides of
// the sheet and whatever the print dialog's printer properties set. Exactly one copy: the
// program prints each copy as a job of its own.
//
// Nothing is kept between calls. Failure: false with the spooler's reason (the job is
// cancelled when it was made and its document could not follow).
[[nodiscard]] bool SubmitPrintJob(const QPrinter& printer, const std::string& title, const QByteArray& pdf,
                                  std::string& reason);

}  // namespace framework
