#include "ListViewModel.h"

#include <QCollatorSortKey>
#include <QFont>
#include <QHash>
#include <QLocale>

#include <algorithm>
#include <numeric>
#include <system_error>
#include <thread>
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

// Below this many distinct texts the keys are made on the calling thread alone.
constexpr size_t kParallelKeys = 20000;

std::vector<QCollatorSortKey> makeKeys(const QCollator &collator, const std::vector<QString> &texts, size_t from,
                                       size_t to)
{
    std::vector<QCollatorSortKey> keys;
    keys.reserve(to - from);
    for (size_t i = from; i < to; ++i)
        keys.push_back(collator.sortKey(texts[i]));
    return keys;
}

// The collation keys of `texts`, in order. Making a key is the costly part of a sort, and the keys are
// independent of one another, so a large set is shared out among the processor's cores; each worker
// has a collator of its own, since one collator must not be used by two threads at once.
std::vector<QCollatorSortKey> sortKeys(const QCollator &collator, const std::vector<QString> &texts)
{
    const size_t count = texts.size();
    const size_t threads = count < kParallelKeys ? 1 : std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 8);
    if (threads == 1)
        return makeKeys(collator, texts, 0, count);

    std::vector<std::vector<QCollatorSortKey>> parts(threads);
    std::vector<std::thread> workers;
    workers.reserve(threads - 1);
    for (size_t t = 1; t < threads; ++t) {
        const size_t from = count * t / threads;
        const size_t to = count * (t + 1) / threads;
        try {
            workers.emplace_back([&parts, &texts, from, to, t] {
                const QCollator own = makeCollator();
                parts[t] = makeKeys(own, texts, from, to);
            });
        } catch (const std::system_error &) {
            parts[t] = makeKeys(collator, texts, from, to); // no thread to be had: do it here
        }
    }
    parts[0] = makeKeys(collator, texts, 0, count / threads);
    for (std::thread &worker : workers)
        worker.join();

    std::vector<QCollatorSortKey> keys = std::move(parts[0]);
    keys.reserve(count);
    for (size_t t = 1; t < threads; ++t)
        keys.insert(keys.end(), parts[t].begin(), parts[t].end());
    return keys;
}

// Reorders `items` in place so that new row i is old row order[i]. Each cycle of the permutation is
// followed once, so every row is moved once and no second vector of rows is allocated.
template <typename Row> void permute(Row *rows, int n, const QVector<int> &order)
{
    std::vector<bool> done(static_cast<size_t>(n), false);
    for (int first = 0; first < n; ++first) {
        if (done[size_t(first)] || order[first] == first)
            continue;
        Row held = std::move(rows[first]);
        int to = first;
        while (order[to] != first) {
            rows[to] = std::move(rows[order[to]]);
            done[size_t(to)] = true;
            to = order[to];
        }
        rows[to] = std::move(held);
        done[size_t(to)] = true;
    }
}

} // namespace

ListViewModel::ListViewModel(QObject *parent) : QAbstractTableModel(parent), m_collator(makeCollator()) {}

ListViewModel::~ListViewModel() = default;

QModelIndex ListViewModel::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || row < 0 || row >= rows() || column < 0 || column >= m_columns.size())
        return {};
    return createIndex(row, column);
}

int ListViewModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rows();
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
    switch (role) {
    case Qt::DisplayRole: {
        // Only what a cell can show: a field of megabytes would otherwise be laid out whole at every paint.
        const FieldList texts = rowTexts(row);
        return texts.at(col).left(kMaxShownCharacters).toString();
    }
    case Qt::FontRole:
        if (!m_hasSource && m_items[row].bold) {
            // Only the weight is set, so the view's own font supplies the rest.
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    case Qt::ForegroundRole:
        if (!m_hasSource && m_items[row].color.isValid())
            return m_items[row].color;
        return {};
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
    if (rows() > 0)
        Q_EMIT dataChanged(index(0, column), index(rows() - 1, column), {Qt::TextAlignmentRole});
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

const QVector<ListItem> &ListViewModel::items() const
{
    if (!m_hasSource)
        return m_items;
    if (!m_itemsCopyValid) {
        m_itemsCopy.clear();
        m_itemsCopy.reserve(qsizetype(m_tags.size()));
        for (const int tag : m_tags)
            m_itemsCopy.append(ListItem{m_source(tag), tag, false, QColor()});
        m_itemsCopyValid = true;
    }
    return m_itemsCopy;
}

const ListItem &ListViewModel::item(int row) const
{
    if (!validRow(row))
        return noItem();
    if (!m_hasSource)
        return m_items[row];
    const int tag = m_tags[size_t(row)];
    m_scratch = ListItem{m_source(tag), tag, false, QColor()};
    return m_scratch;
}

FieldList ListViewModel::rowTexts(int row) const
{
    if (!validRow(row))
        return FieldList();
    return m_hasSource ? m_source(m_tags[size_t(row)]) : m_items[row].texts;
}

int ListViewModel::rowTag(int row) const
{
    if (!validRow(row))
        return 0;
    return m_hasSource ? m_tags[size_t(row)] : m_items[row].tag;
}

QString ListViewModel::text(int row, int column) const
{
    return rowTexts(row).value(column);
}

int ListViewModel::addItem(ListItem item)
{
    if (m_hasSource) {
        // The record is in the source already: its texts there decide where the row goes. The key is
        // copied, as the source is asked again for every row the search looks at.
        const QString key = m_sorted ? m_source(item.tag).value(m_sortKey) : QString();
        return insertSourceRow(m_sorted ? sortedInsertRow(key) : rows(), item.tag);
    }
    const int row = m_sorted ? sortedInsertRow(item.texts.at(m_sortKey)) : int(m_items.size());
    beginInsertRows(QModelIndex(), row, row);
    m_items.insert(row, std::move(item));
    endInsertRows();
    return row;
}

int ListViewModel::appendItem(ListItem item)
{
    if (m_hasSource)
        return insertSourceRow(rows(), item.tag);
    const int row = int(m_items.size());
    beginInsertRows(QModelIndex(), row, row);
    m_items.append(std::move(item));
    endInsertRows();
    return row;
}

int ListViewModel::insertSourceRow(int row, int tag)
{
    beginInsertRows(QModelIndex(), row, row);
    m_tags.insert(m_tags.begin() + row, tag);
    if (m_itemsCopyValid)
        m_itemsCopy.insert(row, ListItem{m_source(tag), tag, false, QColor()});
    endInsertRows();
    return row;
}

void ListViewModel::setItems(QVector<ListItem> items)
{
    beginResetModel();
    dropSourceRows();
    m_items = std::move(items);
    if (m_sorted && m_items.size() > 1) {
        const QVector<int> order = sortPermutation();
        permute(m_items.data(), int(m_items.size()), order);
    }
    endResetModel();
}

void ListViewModel::setSourceRows(ListTextSource source, std::vector<int> tags, ListColumnSource columnSource)
{
    if (!source)
        source = [](int) { return FieldList(); };
    beginResetModel();
    dropSourceRows();
    m_items.clear();
    m_items.squeeze();
    m_hasSource = true;
    m_source = std::move(source);
    m_columnSource = std::move(columnSource);
    m_tags = std::move(tags);
    if (m_sorted && m_tags.size() > 1) {
        const QVector<int> order = sortPermutation();
        permute(m_tags.data(), int(m_tags.size()), order);
    }
    endResetModel();
}

void ListViewModel::appendSourceRows(const std::vector<int> &tags)
{
    if (!m_hasSource || tags.empty())
        return;
    const int first = rows();
    beginInsertRows(QModelIndex(), first, first + int(tags.size()) - 1);
    m_tags.insert(m_tags.end(), tags.begin(), tags.end());
    if (m_itemsCopyValid) {
        for (const int tag : tags)
            m_itemsCopy.append(ListItem{m_source(tag), tag, false, QColor()});
    }
    endInsertRows();
}

void ListViewModel::dropSourceRows()
{
    m_hasSource = false;
    m_source = nullptr;
    m_columnSource = nullptr;
    std::vector<int>().swap(m_tags);
    m_itemsCopy = QVector<ListItem>();
    m_itemsCopyValid = false;
    m_scratch = ListItem();
}

void ListViewModel::materialize()
{
    if (!m_hasSource)
        return;
    items(); // builds the copy, unless it is there already
    QVector<ListItem> rowItems = std::move(m_itemsCopy);
    dropSourceRows();
    m_items = std::move(rowItems);
}

void ListViewModel::clearItems()
{
    beginResetModel();
    dropSourceRows();
    m_items.clear();
    m_items.squeeze();
    endResetModel();
}

void ListViewModel::removeItem(int row)
{
    if (!validRow(row))
        return;
    beginRemoveRows(QModelIndex(), row, row);
    if (m_hasSource) {
        m_tags.erase(m_tags.begin() + row);
        if (m_itemsCopyValid)
            m_itemsCopy.remove(row);
    } else {
        m_items.remove(row);
    }
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
    // One cell of a source row cannot differ from its record: the rows become ordinary ones first.
    materialize();
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
    if (m_hasSource) {
        // The record has been changed in the source already; only the copy and the view catch up.
        if (m_itemsCopyValid)
            m_itemsCopy[row].texts = m_source(m_tags[size_t(row)]);
    } else {
        m_items[row].texts = texts;
    }
    emitRowChanged(row);
}

void ListViewModel::setItemTag(int row, int tag)
{
    if (!validRow(row))
        return;
    if (!m_hasSource) {
        m_items[row].tag = tag;
        return;
    }
    if (m_tags[size_t(row)] == tag)
        return;
    // A source row shows the record of its Tag: another Tag, other texts.
    m_tags[size_t(row)] = tag;
    if (m_itemsCopyValid)
        m_itemsCopy[row] = ListItem{m_source(tag), tag, false, QColor()};
    emitRowChanged(row);
}

void ListViewModel::shiftTagsDown(int above)
{
    // The rows go on showing the same records, which have just moved up one place in the table: no
    // texts change, so no signal is needed.
    if (m_hasSource) {
        for (int &tag : m_tags) {
            if (tag > above)
                --tag;
        }
        if (m_itemsCopyValid) {
            for (ListItem &item : m_itemsCopy) {
                if (item.tag > above)
                    --item.tag;
            }
        }
        return;
    }
    for (ListItem &item : m_items) {
        if (item.tag > above)
            --item.tag;
    }
}

void ListViewModel::setItemBold(int row, bool bold)
{
    if (!validRow(row) || item(row).bold == bold)
        return;
    materialize(); // source rows are never bold
    m_items[row].bold = bold;
    emitRowChanged(row);
}

void ListViewModel::setItemColor(int row, const QColor &color)
{
    if (!validRow(row) || item(row).color == color)
        return;
    materialize(); // source rows have no colour of their own
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

QVector<int> ListViewModel::sortPermutation() const
{
    const int n = rows();
    QVector<int> order(n);
    if (n < 2) {
        std::iota(order.begin(), order.end(), 0);
        return order;
    }

    // Collation keys are made once per distinct text, not per row: a column such as the artist or the
    // media type repeats its texts many times, and making a key is the costly part. Comparing two keys
    // is then a byte comparison, far cheaper than collating the texts again at every comparison.
    // A source may make a row's texts only when asked, so each distinct text is copied once, when first
    // seen; the table of distinct texts views those copies. A column source reads just the one text.
    QHash<QStringView, int> distinctOf;
    std::vector<QString> texts;
    std::vector<int> rowDistinct(static_cast<size_t>(n));
    const bool byColumn = m_hasSource && m_columnSource;
    QString columnText;
    for (int row = 0; row < n; ++row) {
        FieldList fields;
        if (byColumn)
            m_columnSource(m_tags[size_t(row)], m_sortKey, columnText);
        else
            fields = rowTexts(row);
        const QStringView text = byColumn ? QStringView(columnText) : fields.at(m_sortKey);
        auto it = distinctOf.constFind(text);
        if (it == distinctOf.cend()) {
            texts.push_back(text.toString());
            it = distinctOf.insert(texts.back(), int(texts.size() - 1));
        }
        rowDistinct[size_t(row)] = it.value();
    }
    const std::vector<QCollatorSortKey> keys = sortKeys(m_collator, texts);

    // Rank the distinct texts; texts the collation finds equal (differing only in case) share a rank.
    const int distinct = int(keys.size());
    std::vector<int> byKey(static_cast<size_t>(distinct));
    std::iota(byKey.begin(), byKey.end(), 0);
    std::sort(byKey.begin(), byKey.end(),
              [&keys](int a, int b) { return keys[size_t(a)].compare(keys[size_t(b)]) < 0; });
    std::vector<int> rank(static_cast<size_t>(distinct));
    int ranks = 0;
    for (int i = 0; i < distinct; ++i) {
        if (i > 0 && keys[size_t(byKey[size_t(i)])].compare(keys[size_t(byKey[size_t(i - 1)])]) != 0)
            ++ranks;
        rank[size_t(byKey[size_t(i)])] = ranks;
    }
    ++ranks;
    if (m_sortOrder != 0) {
        for (int &r : rank)
            r = ranks - 1 - r;
    }

    // A counting sort of the rows by rank: stable, so rows with equal texts keep their order in
    // either direction.
    std::vector<int> start(size_t(ranks) + 1, 0);
    for (int row = 0; row < n; ++row)
        ++start[size_t(rank[size_t(rowDistinct[size_t(row)])]) + 1];
    for (int r = 0; r < ranks; ++r)
        start[size_t(r) + 1] += start[size_t(r)];
    for (int row = 0; row < n; ++row)
        order[start[size_t(rank[size_t(rowDistinct[size_t(row)])])]++] = row;
    return order;
}

void ListViewModel::sortRows()
{
    const int n = rows();
    if (n < 2)
        return;
    const QVector<int> order = sortPermutation();
    bool unchanged = true;
    for (int i = 0; i < n && unchanged; ++i)
        unchanged = order[i] == i;
    if (unchanged)
        return;

    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    if (m_hasSource) {
        permute(m_tags.data(), n, order);
        // Cheaper to build again, if it is asked for, than to carry along.
        m_itemsCopy = QVector<ListItem>();
        m_itemsCopyValid = false;
    } else {
        permute(m_items.data(), n, order);
    }

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
    int high = rows();
    while (low < high) {
        const int mid = low + (high - low) / 2;
        const int c = m_collator.compare(key, rowTexts(mid).at(m_sortKey));
        const bool before = m_sortOrder == 0 ? c < 0 : c > 0;
        if (before)
            high = mid;
        else
            low = mid + 1;
    }
    return low;
}
