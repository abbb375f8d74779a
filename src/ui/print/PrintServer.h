#pragma once

#include <QString>

class QPrinter;

// Hands a finished print job to the print server (CUPS). The print command draws a job into a file with
// the printer's own engine (Qt's printer, given an output file, writes the document it would have sent),
// and only a job drawn to its end is handed over, so a job that fails or is stopped never reaches the
// printer. Qt's printer itself hands the job over when its painter ends, whatever happened before, and
// does not tell whether the server took it.
namespace PrintServer {

// Sends the PDF document at `path` to `printer`'s printer as one job named after its document, with the
// options Qt's printer would send with it: the paper, the sides, the orientation, the copies. Returns
// true when the server has taken the job; otherwise `why` says what it answered.
bool submit(const QPrinter &printer, const QString &path, QString *why);

} // namespace PrintServer
