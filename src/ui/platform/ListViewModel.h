#pragma once

#include "ListItem.h"

#include <QAbstractTableModel>
#include <QCollator>
#include <QIcon>
#include <QList>
#include <QVector>

// The rows and columns behind a ListView. Rows are ListItems in one vector; a cell's text is cut from
// the row's FieldList only when the view asks for it, so a million rows cost a million FieldLists and
// nothing more. Every change is one model signal: a reset for a new set of rows, one insert or remove
// for a single row, a layout change for a sort.
//
// Instead of ListItems the model may hold source rows: a Tag per row and a text source that gives the
// texts for a Tag (see ListView::setSourceRows). Everything that reads a row goes through rowTexts()
// and rowTag(), which look in whichever of the two the model holds.
//
// The model also keeps the list's sort state: while it is sorted, the rows are physically in the order
// of one column's text, and a row added later is put where that order wants it.
class ListViewModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    struct Column
    {
        QString text;
        Qt::Alignment alignment = Qt::AlignLeft;
        QString tag;
        int image = -1; // index into the header images, -1: none
    };

    // A cell shows at most this many characters of its text: more than any column can be wide enough for.
    static constexpr qsizetype kMaxShownCharacters = 4096;

    explicit ListViewModel(QObject *parent = nullptr);
    ~ListViewModel() override;

    // --- QAbstractItemModel ---
    // The same as the base class's, without its virtual calls: the view asks for an index per row
    // each time it lays out its rows.
    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // --- Columns ---
    int addColumn(const QString &text, Qt::Alignment alignment);
    void clearColumns();
    // Column `column`; a default column for an index out of range.
    const Column &column(int column) const;
    void setColumnText(int column, const QString &text);
    void setColumnAlignment(int column, Qt::Alignment alignment);
    void setColumnTag(int column, const QString &tag);
    void setColumnImage(int column, int image);
    const QList<QIcon> &headerImages() const { return m_headerImages; }
    void setHeaderImages(const QList<QIcon> &images);
    // The image column `column`'s header shows; a null icon when it has none.
    QIcon columnIcon(int column) const;

    // --- Rows ---
    // All rows. With source rows: a copy, built on the first call and kept until the rows are replaced
    // or sorted.
    const QVector<ListItem> &items() const;
    // Row `row`; an empty item for an index out of range. With source rows the item is built into a
    // scratch item, valid until the next call.
    const ListItem &item(int row) const;
    // The texts of row `row`; empty for an index out of range.
    FieldList rowTexts(int row) const;
    // The Tag of row `row`; 0 for an index out of range.
    int rowTag(int row) const;
    // Text of one cell; empty for an index out of range or a field the row does not have.
    QString text(int row, int column) const;
    // Adds `item` at the end, or at its place in the sort order while sorted; returns its row.
    int addItem(ListItem item);
    int appendItem(ListItem item);
    void setItems(QVector<ListItem> items);
    void setSourceRows(ListTextSource source, std::vector<int> tags, ListColumnSource columnSource = {});
    void appendSourceRows(const std::vector<int> &tags);
    bool hasSourceRows() const { return m_hasSource; }
    void clearItems();
    void removeItem(int row);
    void setItemText(int row, int column, const QString &text);
    void setItemTexts(int row, const FieldList &texts);
    void setItemTag(int row, int tag);
    void shiftTagsDown(int above);
    void setItemBold(int row, bool bold);
    void setItemColor(int row, const QColor &color);

    // --- Sorting ---
    bool isSorted() const { return m_sorted; }
    // Turning sorting on sorts the rows now (also when it was already on); turning it off keeps the
    // current order.
    void setSorted(bool sorted);
    int sortKey() const { return m_sortKey; }
    void setSortKey(int column);
    int sortOrder() const { return m_sortOrder; }
    void setSortOrder(int order);

private:
    int rows() const { return m_hasSource ? int(m_tags.size()) : int(m_items.size()); }
    bool validRow(int row) const { return row >= 0 && row < rows(); }
    void emitRowChanged(int row);
    // Inserts a source row with Tag `tag` at `row`: one insert signal.
    int insertSourceRow(int row, int tag);
    // Leaves source mode without a signal: every source row becomes a ListItem holding its texts and
    // Tag, so the rows show exactly what they showed before.
    void materialize();
    // Drops the source, its Tags and the copy items() made of them; frees their memory.
    void dropSourceRows();
    // Puts the rows in sort order: one layout change, persistent indexes (selection, current row)
    // follow their rows.
    void sortRows();
    // The current rows in sort order, as a permutation: result[newRow] = oldRow.
    QVector<int> sortPermutation() const;
    // The row a new item with sort text `key` goes to: after every row that sorts before it or equal.
    int sortedInsertRow(QStringView key) const;

    QVector<ListItem> m_items;
    // Source mode: the rows are m_tags, their texts m_source(tag); m_items is empty.
    bool m_hasSource = false;
    ListTextSource m_source;
    ListColumnSource m_columnSource;
    std::vector<int> m_tags;
    // Source mode: what items() and item() hand out. m_itemsCopy is valid while m_itemsCopyValid.
    mutable QVector<ListItem> m_itemsCopy;
    mutable bool m_itemsCopyValid = false;
    mutable ListItem m_scratch;
    QVector<Column> m_columns;
    QList<QIcon> m_headerImages;
    QCollator m_collator;
    bool m_sorted = false;
    int m_sortKey = 0;
    int m_sortOrder = 0;
};
