#include "PrintServer.h"

#include <QFile>
#include <QPageLayout>
#include <QPrinter>

#include <cups/cups.h>

namespace {

const char *sides(const QPrinter &printer)
{
    switch (printer.duplex()) {
    case QPrinter::DuplexNone:
        return "one-sided";
    case QPrinter::DuplexAuto:
        return printer.pageLayout().orientation() == QPageLayout::Portrait ? "two-sided-long-edge"
                                                                           : "two-sided-short-edge";
    case QPrinter::DuplexLongSide:
        return "two-sided-long-edge";
    case QPrinter::DuplexShortSide:
        return "two-sided-short-edge";
    }
    return "one-sided";
}

} // namespace

bool PrintServer::submit(const QPrinter &printer, const QString &path, QString *why)
{
    cups_option_t *options = nullptr;
    int count = 0;
    count = cupsAddOption("media", printer.pageLayout().pageSize().key().toUtf8().constData(), count, &options);
    if (printer.copyCount() > 1) {
        count = cupsAddOption("copies", QByteArray::number(printer.copyCount()).constData(), count, &options);
        if (printer.collateCopies())
            count = cupsAddOption("Collate", "True", count, &options);
    }
    count = cupsAddOption("sides", sides(printer), count, &options);
    if (printer.pageLayout().orientation() == QPageLayout::Landscape)
        count = cupsAddOption("landscape", "", count, &options);

    // A printer's instance ("name/instance") is a set of saved options on the client; the server knows
    // only the printer.
    const QByteArray name = printer.printerName().section(QLatin1Char('/'), 0, 0).toLocal8Bit();
    const int job = cupsPrintFile(name.constData(), QFile::encodeName(path).constData(),
                                  printer.docName().toUtf8().constData(), count, options);
    cupsFreeOptions(count, options);
    if (job == 0 && why)
        *why = QString::fromUtf8(cupsLastErrorString());
    return job != 0;
}
