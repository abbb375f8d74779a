#include "uSc_ListView_Xtended_Sort.h"

#include "SortArrows.h"
#include "core/sort/SortKeys.h"
#include "ui/platform/ListView.h"

#include <QScrollBar>
#include <QStringList>

namespace {

// The value any image other than "none" is shown with by SetHeaderIcons.
constexpr int kShowImage = 2048;

// Sets field `column` of `texts`, growing a row that has fewer fields with empty ones.
void setField(FieldList &texts, int column, const QString &text)
{
    if (column < texts.count()) {
        texts.set(column, text);
        return;
    }
    QStringList fields = texts.toList();
    while (fields.size() <= column)
        fields.append(QString());
    fields[column] = text;
    texts = FieldList::fromList(fields);
}

} // namespace

void uSc_ListView_Xtended_Sort::SetUp(ListView *myListView)
{
    m_listView = myListView;
    CurrentSortIndex = 0;
    CurrentSortType = 0;
    CurrentSortOrder = 0;
    if (m_listView)
        m_listView->setHeaderImages(SortArrows::headerImages());
    Sort(false, 0, 0);
}

void uSc_ListView_Xtended_Sort::Sort(bool Sorted, int NewSortIndex, int NewSortType)
{
    if (!m_listView)
        return;
    if (!Sorted) {
        m_listView->setSorted(false);
        return;
    }

    const int columns = m_listView->columnCount();
    if (NewSortIndex == -1) {
        // The current column once more, from the start: its keys are made again from the rows' present
        // texts and the order is ascending.
        const int column = CurrentSortIndex;
        if (column < 1 || column > columns)
            return;
        CurrentSortIndex = 0;
        Sort(true, column, CurrentSortType);
        return;
    }
    if (NewSortIndex < 1 || NewSortIndex > columns)
        return;

    if (NewSortIndex == CurrentSortIndex) {
        // The same column again: the other order. The keys are still in place.
        m_listView->setSorted(false);
        CurrentSortOrder = CurrentSortOrder == 0 ? 1 : 0;
        m_listView->setSortOrder(CurrentSortOrder);
        m_listView->setSorted(true);
        SetHeaderIcons(NewSortIndex);
        return;
    }

    CurrentSortIndex = NewSortIndex;
    CurrentSortType = NewSortType;
    CurrentSortOrder = 0;
    // Sorting is off while the order, the keys and the key column change, so the rows are sorted once,
    // at the end.
    m_listView->setSorted(false);
    m_listView->setSortOrder(0);
    const int keyColumn = columns - 1;
    // A row holds at most FieldList::kMaxFields texts: past that there is no room for keys, and the
    // column's own text is used.
    if (SortKeys::hasKey(NewSortType) && keyColumn < FieldList::kMaxFields) {
        writeSortKeys(NewSortIndex - 1, keyColumn, NewSortType);
        m_listView->setSortKey(keyColumn);
    } else {
        m_listView->setSortKey(NewSortIndex - 1);
    }
    m_listView->setSorted(true);
    SetHeaderIcons(NewSortIndex);
}

void uSc_ListView_Xtended_Sort::writeSortKeys(int sourceColumn, int keyColumn, int type)
{
    // One new set of rows handed over at once: a single model reset instead of a change signal (and a
    // repaint) per row. The rows are copied only once a key differs from what the row holds already, so
    // sorting the same keys again costs no copy at all.
    const QVector<ListItem> &current = m_listView->items();
    QVector<ListItem> rows;
    bool changed = false;
    for (qsizetype row = 0; row < current.size(); ++row) {
        const FieldList &texts = current[row].texts;
        const QString key = sortKey(type, texts.value(sourceColumn));
        if (keyColumn < texts.count() && texts.at(keyColumn) == key)
            continue;
        if (!changed) {
            rows = current;
            changed = true;
        }
        setField(rows[row].texts, keyColumn, key);
    }
    if (!changed)
        return;

    // The reset drops the selection and may move the view: the selected row (still at its index, as the
    // list is not sorted yet) and the scroll position are put back, and the sort then carries the
    // selection along with its row.
    const int selected = m_listView->selectedRow();
    const int scroll = m_listView->verticalScrollBar()->value();
    m_listView->setItems(std::move(rows));
    m_listView->setSelectedRow(selected);
    m_listView->verticalScrollBar()->setValue(scroll);
}

void uSc_ListView_Xtended_Sort::SetHeaderIcons(int SortBy)
{
    if (!m_listView)
        return;
    const int columns = m_listView->columnCount();
    for (int i = 1; i <= columns; ++i)
        ShowHeaderIcon(m_listView, i, i == SortBy ? kShowImage : 0);
}

void uSc_ListView_Xtended_Sort::ShowHeaderIcon(ListView *myListView, int colNumber, int showImage)
{
    if (!myListView || colNumber < 1 || colNumber > myListView->columnCount())
        return;
    // The header draws its image after the caption, so showing one moves the caption nowhere.
    myListView->setColumnHeaderImage(colNumber - 1, showImage != 0 ? myListView->sortOrder() : -1);
}
