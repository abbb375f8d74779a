#pragma once

#include <QString>

class ListViewPrinter;
class PrintListSource;
class PrintSurface;
class QFont;
class QPagedPaintDevice;

// The page frame of the printed list report, shared by the print command, a preview and a PDF export:
// the title, the table (header row and up to 40 rows) and the page footer, positioned in twips from the
// printable area's top-left corner, each text by its top-left corner.
//
// The print command:
//     ListViewPrinter report;
//     ReportPage::configure(report, source);          // the report options of a printed list
//     const int pages = ReportPage::pageCount(source.itemCount());
//     int page = 0;
//     while (!report.LastRowPrinted) {
//         ReportPage::draw(surface, report, ++page, pages);   // SetRows, title, PrintHead, PrintBody, footer
//         printer.newPage();                                   // or not after the last page
//     }
//     report.LastRowPrinted = false;
// or the whole document at once with printDocument(). Failures are thrown (std::exception).
class ReportPage
{
public:
    static constexpr int kRowsPerPage = 40;
    static constexpr int kTitleX = 700;
    static constexpr int kTitleY = 300;
    static constexpr int kFooterX = 14300;
    static constexpr int kFooterY = 10900;

    static QString title();
    // "Page: " + n + " of " + count, each number with a leading blank: "Page:  1 of  2".
    static QString footer(int page, int pageCount);
    // Pages for `items` rows: items / 40 rounded up; 0 for an empty list.
    static int pageCount(int items);

    // Binds `report` to `list` and sets the options of the printed report: horizontal and vertical
    // lines, a border 2 screen pixels out, the table at (500, 600) twips, no pictures, 40 rows a page.
    static void configure(ListViewPrinter &report, const PrintListSource &list);

    // One page: SetRows, the title at (700, 300), PrintHead and PrintBody, the footer at (14300, 10900).
    // Leaves the surface in twips. Does not start a new page.
    static void draw(PrintSurface &surface, ListViewPrinter &report, int page, int pageCount);

    // The whole report of `list` on `device` (a QPrinter, a QPdfWriter) in `font`, one page after
    // another with new pages between them. `isPrinter` as for PainterSurface. Returns the pages drawn.
    static int printDocument(const PrintListSource &list, QPagedPaintDevice &device, const QFont &font,
                             bool isPrinter = true);
};
