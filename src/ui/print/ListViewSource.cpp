#include "ListViewSource.h"

#include "PainterSurface.h"
#include "ui/platform/ListView.h"

#include <QPalette>

#include <stdexcept>
#include <string>

ListViewSource::ListViewSource(const ListView *list) : m_list(list) {}

quint32 ListViewSource::foreColor() const
{
    return PainterSurface::fromColor(m_list->palette().color(QPalette::Active, QPalette::Text));
}

int ListViewSource::columnCount() const
{
    return m_list->columnCount();
}

int ListViewSource::columnWidth(int column) const
{
    return m_list->columnWidth(column - 1);
}

QString ListViewSource::columnText(int column) const
{
    return m_list->columnText(column - 1);
}

PrintListSource::Alignment ListViewSource::columnAlignment(int column) const
{
    const Qt::Alignment alignment = m_list->columnAlignment(column - 1);
    if (alignment & Qt::AlignRight)
        return AlignRight;
    if (alignment & Qt::AlignHCenter)
        return AlignCenter;
    return AlignLeft;
}

int ListViewSource::itemCount() const
{
    return m_list->count();
}

QString ListViewSource::itemText(int item, int column) const
{
    check(item);
    return m_list->itemText(item - 1, column - 1);
}

bool ListViewSource::itemBold(int item, int column) const
{
    Q_UNUSED(column)
    check(item);
    // Source rows are never bold or coloured, and building their item would cost a copy per cell.
    return !m_list->hasSourceRows() && m_list->itemBold(item - 1);
}

quint32 ListViewSource::itemColor(int item, int column) const
{
    Q_UNUSED(column)
    check(item);
    if (m_list->hasSourceRows())
        return foreColor();
    const QColor color = m_list->itemColor(item - 1);
    return color.isValid() ? PainterSurface::fromColor(color) : foreColor();
}

void ListViewSource::check(int item) const
{
    if (item < 1 || item > m_list->count())
        throw std::out_of_range("the list has no item " + std::to_string(item));
}
