#include "BenchCommon.h"
#include "core/catalogue/BaseFiles.h"
#include "core/catalogue/TrackTable.h"
#include "core/modGlobalData.h"
#include "core/print/ListViewPrinter.h"
#include "support/PrivateCups.h"
#include "ui/platform/ListView.h"
#include "ui/platform/Modal.h"
#include "ui/platform/MsgBox.h"
#include "ui/print/ListViewSource.h"
#include "ui/print/PainterSurface.h"
#include "ui/print/PrintCommand.h"
#include "ui/print/ReportPage.h"

#include <QDialog>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>

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

// Times `run(false)` beside `run(true)`, the baseline, and reports the median of each with the work's
// peak memory above the resident size before it.
void measure(const char *work, int rows, int runs, const std::function<void(bool plain)> &run,
             const char *baseline = "plain drawText of the cells")
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
    report(work, rows, median(times), median(baselines), baseline, "rows");
    std::printf("%-28s %9d rows    peak memory %.1f MiB above the resident size before the run\n", work, rows,
                growth / 1024.0);
    std::fflush(stdout);
}

// The list's twelve columns as a base shows them, with the first `rows` tracks of `table` as its rows.
void showTracks(ListView &lv, const TrackTable &table, int rows)
{
    const int widths[] = {40, 45, 30, 140, 180, 140, 50, 50, 80, 90, 120, 40};
    for (int c = 0; c < 12; ++c)
        lv.addColumn(QStringLiteral("Column %1").arg(c + 1), widths[c], c == 6 ? Qt::AlignRight : Qt::AlignLeft);
    std::vector<int> tags(static_cast<size_t>(rows));
    std::iota(tags.begin(), tags.end(), 1);
    lv.setSourceRows([&table](int tag) -> FieldList { return table.at(tag); }, std::move(tags));
}

// The report of `rows` rows page after page onto an image, and the whole document into a PDF file.
void benchReports(const QString &dir, const TrackTable &table, int rows)
{
    ListView lv;
    showTracks(lv, table, table.count());
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

// A whole print job through the print command, from "Распечатать..." to the job handed to a print server
// of the bench's own, beside the same report drawn once into a PDF file on the printer's page.
void benchPrintJob(const QString &dir, const TrackTable &table, TestSupport::PrivateCups &cups)
{
    const int rows = 60'000;
    const char *work = "Print job (60 000 rows)";
    const QString queue = QStringLiteral("Bench");
    if (!cups.start() || !cups.addQueue(queue)) {
        std::printf("%-28s skipped: no print server of the bench's own (%s)\n", work, qPrintable(cups.error()));
        return;
    }
    ListView lv;
    lv.setFont(listFont());
    showTracks(lv, table, rows);
    const ListViewSource source(&lv);

    modGlobalData g;
    QWidget owner;
    PrintCommand command(g.paths, g.editor, g.options, &lv, &owner);
    // The printer dialog keeps its first printer, and the question is answered "Да".
    const auto answerer = MsgBox::setAnswerer([](const MsgBox::Request &) { return MsgBox::Yes; });
    const auto driver = Modal::setDriver(
        [](QDialog *dialog) { dialog->findChild<QPushButton *>(QStringLiteral("Command1"))->click(); });

    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(queue);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Landscape);
    const QString pdf = dir + QStringLiteral("/job.pdf");
    int jobs = 0;
    measure(
        work, rows, 3,
        [&](bool plain) {
            if (!plain) {
                command.print();
                ++jobs;
                return;
            }
            QPrinter target(QPrinter::HighResolution);
            target.setOutputFormat(QPrinter::PdfFormat);
            target.setOutputFileName(pdf);
            target.setResolution(printer.resolution());
            target.setPageLayout(printer.pageLayout());
            ReportPage::printDocument(source, target, listFont());
        },
        "report drawn once into a PDF");
    MsgBox::setAnswerer(answerer);
    Modal::setDriver(driver);
    // The figure counts only if every job reached the printer whole.
    const bool printed = cups.waitForJobs() && cups.completedJobs(queue) == jobs;
    std::printf("%-28s %9d rows    %d of %d jobs printed, the last %.1f MiB\n", work, rows,
                printed ? jobs : cups.completedJobs(queue), jobs, QFile(cups.outputPath(queue)).size() / 1048576.0);
    std::fflush(stdout);
}

} // namespace

void benchPrint(const QString &dir, TestSupport::PrivateCups &cups, bool reports)
{
    const int rows = 100'000;
    TrackTable table;
    BaseFiles::forEachLine(generateBase(rows),
                           [&table](const QString &line) { table.AddTrack(TrackRecord::fromLine(line)); });
    if (reports)
        benchReports(dir, table, rows);
    benchPrintJob(dir, table, cups);
}
