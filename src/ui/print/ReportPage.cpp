#include "ReportPage.h"

#include "PainterSurface.h"
#include "core/catalogue/Numbers.h"
#include "core/print/ListViewPrinter.h"
#include "core/print/PrintListSource.h"
#include "core/print/PrintSurface.h"

#include <QFont>
#include <QPagedPaintDevice>
#include <QPainter>

#include <stdexcept>

QString ReportPage::title()
{
    return QStringLiteral("Spinhall Report");
}

QString ReportPage::footer(int page, int pageCount)
{
    return QStringLiteral("Page: ") + Numbers::formatNumber(page) + QStringLiteral(" of ") +
           Numbers::formatNumber(pageCount);
}

int ReportPage::pageCount(int items)
{
    return (items + kRowsPerPage - 1) / kRowsPerPage;
}

void ReportPage::configure(ListViewPrinter &report, const PrintListSource &list)
{
    report.ListViewName(&list);
    report.DrawHorizontalLines = true;
    report.DrawVerticalLines = true;
    report.DrawBorder = true;
    report.BorderDistance = 2;
    report.PosX = 500;
    report.PosY = 600;
    report.HasPicture = false;
    report.NumOfRowsPerPage = kRowsPerPage;
}

void ReportPage::draw(PrintSurface &surface, ListViewPrinter &report, int page, int pageCount)
{
    surface.setScaleMode(PrintSurface::Twips);
    report.SetRows();
    surface.setCurrentX(kTitleX);
    surface.setCurrentY(kTitleY);
    surface.print(title());
    report.PrintHead(surface);
    report.PrintBody(surface);
    surface.setCurrentX(kFooterX);
    surface.setCurrentY(kFooterY);
    surface.print(footer(page, pageCount));
}

int ReportPage::printDocument(const PrintListSource &list, QPagedPaintDevice &device, const QFont &font, bool isPrinter)
{
    QPainter painter;
    if (!painter.begin(&device))
        throw std::runtime_error("the report's device cannot be painted on");
    painter.setFont(QFont(font, &device));
    PainterSurface surface(painter, isPrinter);
    surface.setForeColor(list.foreColor());

    ListViewPrinter report;
    configure(report, list);
    const int pages = pageCount(list.itemCount());
    int page = 0;
    while (!report.LastRowPrinted) {
        if (page > 0 && !device.newPage())
            throw std::runtime_error("the report's device cannot start a new page");
        draw(surface, report, ++page, pages);
    }
    report.LastRowPrinted = false;
    if (!painter.end())
        throw std::runtime_error("the report's device cannot be finished");
    return page;
}
