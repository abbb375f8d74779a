#include "BenchCommon.h"
#include "core/catalogue/BaseFiles.h"
#include "core/catalogue/TrackTable.h"
#include "core/print/ListViewPrinter.h"
#include "ui/platform/ListView.h"
#include "ui/print/ListViewSource.h"
#include "ui/print/PainterSurface.h"
#include "ui/print/ReportPage.h"

#include <QFile>
#include <QFont>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>

#include <cstdio>
#include <functional>
#include <numeric>
#include <vector>

using namespace Bench;

namespace {

// The process's peak resident size so far, in KiB (VmHWM). Where the kernel allows it the peak is reset
// first, so that each figure shows its own peak and not an earlier one.
long peakKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

QFont listFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(8);
    return font;
}

// The same cells as the report, each text drawn plainly at its place: no elision, no clipping, no rules.
void plainPage(QPainter &painter, const ListViewSource &source, int firstRow, int rowHeight, int left, int top)
{
    const int last = std::min(source.itemCount(), firstRow + ReportPage::kRowsPerPage - 1);
    for (int row = firstRow; row <= last; ++row) {
        int x = left;
        const int y = top + (row - firstRow + 1) * rowHeight;
        for (int c = 1; c <= source.columnCount(); ++c) {
            painter.drawText(QPoint(x, y), source.itemText(row, c));
            x += source.columnWidth(c);
        }
    }
}

// Draws the report page after page through `page` (which gets the painter and the page's number), and
// reports the time of the whole run beside `baseline`, with the run's peak memory above the resident
// size before it.
void measure(const char *work, int rows, int runs, const std::function<void(bool plain)> &run)
{
    std::vector<double> times, baselines;
    long growth = 0;
    for (int r = 0; r < runs; ++r) {
        baselines.push_back(timeMs([&] { run(true); }));
        resetPeak();
        const long before = residentKiB();
        times.push_back(timeMs([&] { run(false); }));
        growth = std::max(growth, peakKiB() - before);
    }
    report(work, rows, median(times), median(baselines), "plain drawText of the cells", "rows");
    std::printf("%-28s %9d rows    peak memory %.1f MiB above the resident size before the run\n", work, rows,
                growth / 1024.0);
    std::fflush(stdout);
}

} // namespace

void benchPrint(const QString &dir)
{
    const int rows = 100'000;
    TrackTable table;
    BaseFiles::forEachLine(generateBase(rows),
                           [&table](const QString &line) { table.AddTrack(TrackRecord::fromLine(line)); });
    ListView lv;
    const int widths[] = {40, 45, 30, 140, 180, 140, 50, 50, 80, 90, 120, 40};
    for (int c = 0; c < 12; ++c)
        lv.addColumn(QStringLiteral("Column %1").arg(c + 1), widths[c], c == 6 ? Qt::AlignRight : Qt::AlignLeft);
    std::vector<int> tags(size_t(table.count()));
    std::iota(tags.begin(), tags.end(), 1);
    lv.setSourceRows([&table](int tag) -> const FieldList & { return table.at(tag); }, std::move(tags));
    const ListViewSource source(&lv);
    const int pages = ReportPage::pageCount(rows);

    // Every page onto one A4 landscape image at 96 DPI, cleared between pages, as a preview draws them.
    QImage image(1123, 794, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    measure("Report to image (2500 pp)", rows, 3, [&](bool plain) {
        QPainter painter(&image);
        painter.setFont(QFont(listFont(), &image));
        PainterSurface surface(painter, false);
        ListViewPrinter report;
        ReportPage::configure(report, source);
        for (int page = 1; page <= pages; ++page) {
            image.fill(Qt::white);
            if (plain)
                plainPage(painter, source, (page - 1) * ReportPage::kRowsPerPage + 1, 17, 35, 42);
            else
                ReportPage::draw(surface, report, page, pages);
        }
    });

    // The whole document into a PDF file, as the print command drives a printer in PDF mode.
    const QString pdf = dir + QStringLiteral("/report.pdf");
    measure("Report to PDF (2500 pp)", rows, 3, [&](bool plain) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Landscape);
        if (!plain) {
            ReportPage::printDocument(source, printer, listFont());
            return;
        }
        QPainter painter(&printer);
        painter.setFont(QFont(listFont(), &printer));
        for (int page = 1; page <= pages; ++page) {
            if (page > 1)
                printer.newPage();
            plainPage(painter, source, (page - 1) * ReportPage::kRowsPerPage + 1, 208, 400, 500);
        }
    });
    std::printf("%-28s %9d rows    PDF file %.1f MiB\n", "Report to PDF (2500 pp)", rows,
                QFile(pdf).size() / 1048576.0);
    std::fflush(stdout);
}
