#include "ReportPage.h"

#include "core/print/ListViewPrinter.h"
#include "core/print/PrintListSource.h"
#include "core/print/PrintSurface.h"

#include <QFont>
#include <QPagedPaintDevice>

QString ReportPage::title()
{
    return QStringLiteral("Spinhall Report");
}
QString ReportPage::footer(int, int)
{
    return {};
}
int ReportPage::pageCount(int)
{
    return 0;
}
void ReportPage::configure(ListViewPrinter &report, const PrintListSource &list)
{
    report.ListViewName(&list);
}
void ReportPage::draw(PrintSurface &, ListViewPrinter &, int, int) {}
int ReportPage::printDocument(const PrintListSource &, QPagedPaintDevice &, const QFont &, bool)
{
    return 0;
}
