#include "ListViewSource.h"

#include "ui/platform/ListView.h"

ListViewSource::ListViewSource(const ListView *list) : m_list(list) {}
quint32 ListViewSource::foreColor() const
{
    return 0;
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
PrintListSource::Alignment ListViewSource::columnAlignment(int) const
{
    return AlignLeft;
}
int ListViewSource::itemCount() const
{
    return m_list->count();
}
QString ListViewSource::itemText(int item, int column) const
{
    return m_list->itemText(item - 1, column - 1);
}
bool ListViewSource::itemBold(int, int) const
{
    return false;
}
quint32 ListViewSource::itemColor(int, int) const
{
    return 0;
}
void ListViewSource::check(int) const {}
