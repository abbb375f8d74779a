#include "ListViewPrinter.h"

#include "PrintListSource.h"
#include "PrintSurface.h"

struct ListViewPrinter::Frame
{};

void ListViewPrinter::SetRows() {}
void ListViewPrinter::PrintHead(PrintSurface &target)
{
    Q_UNUSED(target)
}
void ListViewPrinter::PrintBody(PrintSurface &target)
{
    Q_UNUSED(target)
}
void ListViewPrinter::SetLine(const PrintSurface &target, qint32 kind, float Width, quint32 color)
{
    Q_UNUSED(target)
    Q_UNUSED(kind)
    Q_UNUSED(Width)
    Q_UNUSED(color)
}
