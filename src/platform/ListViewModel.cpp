#include "ListViewModel.h"

#include <QCollatorSortKey>
#include <QFont>
#include <QLocale>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

// Rows are compared by the Russian collation rules, whatever the machine's locale: the catalogue is a
// Russian one, and the order must not change when it is opened on another machine. Under these rules
// digits come first, then Cyrillic, then Latin; ё sorts with е. Case is ignored and digits are
// compared as text, not as numbers ("10" before "9").
QCollator makeCollator()
{
    QCollator collator{QLocale(QLocale::Russian, QLocale::Russia)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    collator.setIgnorePunctuation(false);
    return collator;
}

const ListViewModel::Column &noColumn()
{
    static const ListViewModel::Column column;
    return column;
}

const ListItem &noItem()
{
    static const ListItem item;
    return item;
}

} // namespace

ListViewModel::ListViewModel(QObject *parent)
    : QAbstractTableModel(parent)
    , m_collator(makeCollator())
{
}

ListViewModel::~ListViewModel() = default;

int ListViewModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

int ListViewModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant ListViewModel::data(const QModelIndex &index, int role) const
{
    const int row = index.row();
    const int col = index.column();
    if (!index.isValid() || !validRow(row) || col < 0 || col >= m_columns.size())
        return {};
    const ListItem &it = m_items[row];
    switch (role) {
    case Qt::DisplayRole:
        return it.texts.at(col).toString();
    case Qt::FontRole:
        if (it.bold) {
            // Only the weight is set, so the view's own font supplies the rest.
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    case Qt::ForegroundRole:
        return it.color.isValid() ? QVariant(it.color) : QVariant();
    case Qt::TextAlignmentRole:
        return int((m_columns[col].alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant ListViewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return {};
    const Column &col = m_columns[section];
    switch (role) {
    case Qt::DisplayRole:
        return col.text;
    case Qt::TextAlignmentRole:
        return int((col.alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
    case Qt::DecorationRole: {
        const QIcon icon = columnIcon(section);
        return icon.isNull() ? QVariant() : QVariant(icon);
    }
    default:
        return {};
    }
}

Qt::ItemFlags ListViewModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

// --- Columns ---

int ListViewModel::addColumn(const QString &text, Qt::Alignment alignment)
{
    const int col = int(m_columns.size());
    beginInsertColumns(QModelIndex(), col, col);
    Column column;
    column.text = text;
    column.alignment = alignment;
    m_columns.append(column);
    endInsertColumns();
    return col;
}

void ListViewModel::clearColumns()
{
    if (m_columns.isEmpty())
        return;
    beginRemoveColumns(QModelIndex(), 0, int(m_columns.size()) - 1);
    m_columns.clear();
    endRemoveColumns();
}

const ListViewModel::Column &ListViewModel::column(int column) const
{
    if (column < 0 || column >= m_columns.size())
        return noColumn();
    return m_columns[column];
}

void ListViewModel::setColumnText(int column, const QString &text)
{
    if (column < 0 || column >= m_columns.size())
        return;
    m_columns[column].text = text;
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

void ListViewModel::setColumnAlignment(int column, Qt::Alignment alignment)
{
    if (column < 0 || column >= m_columns.size())
        return;
    m_columns[column].alignment = alignment;
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
    if (!m_items.isEmpty())
        Q_EMIT dataChanged(index(0, column), index(int(m_items.size()) - 1, column), {Qt::TextAlignmentRole});
}

void ListViewModel::setColumnTag(int column, const QString &tag)
{
    if (column >= 0 && column < m_columns.size())
        m_columns[column].tag = tag;
}

void ListViewModel::setColumnImage(int column, int image)
{
    if (column < 0 || column >= m_columns.size())
        return;
    m_columns[column].image = image < 0 ? -1 : image;
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

void ListViewModel::setHeaderImages(const QList<QIcon> &images)
{
    m_headerImages = images;
    if (!m_columns.isEmpty())
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, int(m_columns.size()) - 1);
}

QIcon ListViewModel::columnIcon(int column) const
{
    const int image = this->column(column).image;
    if (image < 0 || image >= m_headerImages.size())
        return {};
    return m_headerImages[image];
}

// --- Rows ---

const ListItem &ListViewModel::item(int row) const
{
    return validRow(row) ? m_items[row] : noItem();
}

QString ListViewModel::text(int row, int column) const
{
    return validRow(row) ? m_items[row].texts.value(column) : QString();
}

int ListViewModel::addItem(ListItem item)
{
    const int row = m_sorted ? sortedInsertRow(item.texts.at(m_sortKey)) : int(m_items.size());
    beginInsertRows(QModelIndex(), row, row);
    m_items.insert(row, std::move(item));
    endInsertRows();
    return row;
}

void ListViewModel::setItems(QVector<ListItem> items)
{
    beginResetModel();
    if (m_sorted && items.size() > 1) {
        const QVector<int> order = sortPermutation(items);
        m_items.clear();
        m_items.reserve(items.size());
        for (int from : order)
            m_items.append(std::move(items[from]));
    } else {
        m_items = std::move(items);
    }
    endResetModel();
}

void ListViewModel::clearItems()
{
    beginResetModel();
    m_items.clear();
    m_items.squeeze();
    endResetModel();
}

void ListViewModel::removeItem(int row)
{
    if (!validRow(row))
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_items.remove(row);
    endRemoveRows();
}

void ListViewModel::emitRowChanged(int row)
{
    if (!m_columns.isEmpty())
        Q_EMIT dataChanged(index(row, 0), index(row, int(m_columns.size()) - 1));
}

void ListViewModel::setItemText(int row, int column, const QString &text)
{
    if (!validRow(row) || column < 0 || column >= FieldList::kMaxFields)
        return;
    FieldList &texts = m_items[row].texts;
    if (column < texts.count()) {
        texts.set(column, text);
    } else {
        // The row has fewer fields than this column: grow it, the new fields between empty.
        QStringList fields = texts.toList();
        while (fields.size() <= column)
            fields.append(QString());
        fields[column] = text;
        texts = FieldList::fromList(fields);
    }
    if (column < m_columns.size())
        Q_EMIT dataChanged(index(row, column), index(row, column), {Qt::DisplayRole});
}

void ListViewModel::setItemTexts(int row, const FieldList &texts)
{
    if (!validRow(row))
        return;
    m_items[row].texts = texts;
    emitRowChanged(row);
}

void ListViewModel::setItemTag(int row, int tag)
{
    if (validRow(row))
        m_items[row].tag = tag;
}

void ListViewModel::setItemBold(int row, bool bold)
{
    if (!validRow(row) || m_items[row].bold == bold)
        return;
    m_items[row].bold = bold;
    emitRowChanged(row);
}

void ListViewModel::setItemColor(int row, const QColor &color)
{
    if (!validRow(row) || m_items[row].color == color)
        return;
    m_items[row].color = color;
    emitRowChanged(row);
}

// --- Sorting ---

void ListViewModel::setSorted(bool sorted)
{
    m_sorted = sorted;
    if (m_sorted)
        sortRows();
}

void ListViewModel::setSortKey(int column)
{
    if (column < 0 || column == m_sortKey)
        return;
    m_sortKey = column;
    if (m_sorted)
        sortRows();
}

void ListViewModel::setSortOrder(int order)
{
    order = order == 0 ? 0 : 1;
    if (order == m_sortOrder)
        return;
    m_sortOrder = order;
    if (m_sorted)
        sortRows();
}

QVector<int> ListViewModel::sortPermutation(const QVector<ListItem> &items) const
{
    const int n = int(items.size());
    QVector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    if (n < 2)
        return order;

    // One collation key per row, made once: comparing two keys is a byte comparison, far cheaper than
    // collating the two texts again at each of the n log n comparisons of the sort.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(n));
    for (const ListItem &it : items)
        keys.push_back(m_collator.sortKey(it.texts.value(m_sortKey)));

    // Stable in both directions: rows with equal keys keep their order.
    if (m_sortOrder == 0) {
        std::stable_sort(order.begin(), order.end(),
                         [&keys](int a, int b) { return keys[size_t(a)].compare(keys[size_t(b)]) < 0; });
    } else {
        std::stable_sort(order.begin(), order.end(),
                         [&keys](int a, int b) { return keys[size_t(b)].compare(keys[size_t(a)]) < 0; });
    }
    return order;
}

void ListViewModel::sortRows()
{
    const int n = int(m_items.size());
    if (n < 2)
        return;
    const QVector<int> order = sortPermutation(m_items);
    bool unchanged = true;
    for (int i = 0; i < n && unchanged; ++i)
        unchanged = order[i] == i;
    if (unchanged)
        return;

    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    QVector<ListItem> sorted;
    sorted.reserve(n);
    for (int from : order)
        sorted.append(std::move(m_items[from]));
    m_items = std::move(sorted);

    // The selection and the current row are persistent indexes: move each to its row's new place.
    const QModelIndexList from = persistentIndexList();
    if (!from.isEmpty()) {
        QVector<int> newRow(n);
        for (int i = 0; i < n; ++i)
            newRow[order[i]] = i;
        QModelIndexList to;
        to.reserve(from.size());
        for (const QModelIndex &idx : from) {
            const bool valid = idx.isValid() && idx.row() < n;
            to.append(valid ? index(newRow[idx.row()], idx.column()) : QModelIndex());
        }
        changePersistentIndexList(from, to);
    }
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int ListViewModel::sortedInsertRow(QStringView key) const
{
    // The first row the new one sorts strictly before; equal keys stay ahead of it.
    int low = 0;
    int high = int(m_items.size());
    while (low < high) {
        const int mid = low + (high - low) / 2;
        const int c = m_collator.compare(key, m_items[mid].texts.at(m_sortKey));
        const bool before = m_sortOrder == 0 ? c < 0 : c > 0;
        if (before)
            high = mid;
        else
            low = mid + 1;
    }
    return low;
}
