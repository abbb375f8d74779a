#include "ListView.h"

#include "ListViewModel.h"

#include <QCursor>
#include <QDrag>
#include <QDropEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionHeaderV2>

#include <algorithm>

// The column header of a list view. It draws a column's image to the right of its caption, not to the
// left where a plain header puts it, and it has a flat look besides the style's raised buttons.
class ListHeaderView : public QHeaderView
{
public:
    explicit ListHeaderView(QWidget *parent) : QHeaderView(Qt::Horizontal, parent) {}

    bool isFlat() const { return m_flat; }
    void setFlat(bool flat)
    {
        if (flat == m_flat)
            return;
        m_flat = flat;
        viewport()->update();
    }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    bool m_flat = false;
};

void ListHeaderView::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    QStyleOptionHeaderV2 opt;
    initStyleOption(&opt);
    initStyleOptionForIndex(&opt, logicalIndex);
    opt.rect = rect;
    const QIcon icon = opt.icon;
    opt.icon = QIcon();

    painter->save();
    painter->setClipRect(rect);

    if (m_flat) {
        // Flat: the section is a plain field with a thin line at its right and bottom edges.
        const QPalette &pal = opt.palette;
        painter->fillRect(rect,
                          (opt.state & QStyle::State_Sunken) ? pal.button().color().darker(110) : pal.button().color());
        painter->setPen(pal.color(QPalette::Mid));
        painter->drawLine(rect.topRight(), rect.bottomRight());
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    } else {
        style()->drawControl(QStyle::CE_HeaderSection, &opt, painter, this);
    }

    QStyleOptionHeaderV2 label = opt;
    label.rect = style()->subElementRect(QStyle::SE_HeaderLabel, &opt, this);
    const int extent = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    constexpr int kGap = 4;
    if (!icon.isNull()) {
        // Room for the image after the caption; the caption is elided first.
        if (layoutDirection() == Qt::RightToLeft)
            label.rect.setLeft(label.rect.left() + extent + kGap);
        else
            label.rect.setRight(label.rect.right() - extent - kGap);
    }
    if (label.rect.isValid())
        style()->drawControl(QStyle::CE_HeaderLabel, &label, painter, this);

    if (!icon.isNull()) {
        const int textWidth =
            std::min(painter->fontMetrics().horizontalAdvance(label.text), std::max(label.rect.width(), 0));
        const QRect textRect =
            QStyle::alignedRect(layoutDirection(), (label.textAlignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter,
                                QSize(textWidth, label.rect.height()), label.rect);
        const int x =
            layoutDirection() == Qt::RightToLeft ? textRect.left() - kGap - extent : textRect.right() + 1 + kGap;
        const QRect iconRect(x, rect.top() + (rect.height() - extent) / 2, extent, extent);
        icon.paint(painter, iconRect, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
    }
    painter->restore();
}

namespace {

bool isNavigationKey(int key)
{
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Left:
    case Qt::Key_Right:
        return true;
    default:
        return false;
    }
}

// The character a key press types, 0 when it types none: Enter is 13, Esc 27, Backspace 8, any other
// key the first character of its text, as a Unicode code point.
int typedCharacter(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Delete:
        return 0; // some platforms give Delete the text DEL; it is not a typed character
    default:
        break;
    }
    const QString text = event->text();
    if (text.isEmpty())
        return 0;
    const QChar first = text.at(0);
    if (first.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate())
        return int(QChar::surrogateToUcs4(first, text.at(1)));
    return first.unicode();
}

// Dragged and dropped data is never taken from its source: the drop is a copy wherever it can be.
void acceptAsCopy(QDropEvent *event)
{
    if (event->possibleActions() & Qt::CopyAction)
        event->setDropAction(Qt::CopyAction);
    event->accept();
}

} // namespace

ListView::ListView(QWidget *parent)
    : QTreeView(parent), m_model(new ListViewModel(this)), m_header(new ListHeaderView(this))
{
    setHeader(m_header);
    setModel(m_model);

    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true); // a million rows are laid out without asking each for its height
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setTextElideMode(Qt::ElideRight);
    // Sorting is the list's own (setSorted): a header click only reports the column.
    setSortingEnabled(false);
    // Drags out of the list and drops onto it are handled here, not by the item view.
    setDragEnabled(false);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setDropIndicatorShown(false);

    m_header->setStretchLastSection(false); // a column is exactly as wide as it was made
    m_header->setSectionsMovable(false);
    m_header->setSectionsClickable(true);
    m_header->setSortIndicatorShown(false);
    m_header->setHighlightSections(false);
    m_header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_header->setMinimumSectionSize(0); // a zero-width column is a hidden one
    connect(m_header, &QHeaderView::sectionClicked, this, &ListView::columnClick);
}

ListView::~ListView() = default;

// --- Columns ---

int ListView::addColumn(const QString &text, int width, Qt::Alignment alignment)
{
    const int column = m_model->addColumn(text, alignment);
    m_header->resizeSection(column, std::max(width, 0));
    return column;
}

void ListView::clearColumns()
{
    m_model->clearColumns();
}

int ListView::columnCount() const
{
    return m_model->columnCount();
}

QString ListView::columnText(int column) const
{
    return m_model->column(column).text;
}

void ListView::setColumnText(int column, const QString &text)
{
    m_model->setColumnText(column, text);
}

int ListView::columnWidth(int column) const
{
    if (column < 0 || column >= columnCount())
        return 0;
    return m_header->sectionSize(column);
}

void ListView::setColumnWidth(int column, int width)
{
    if (column >= 0 && column < columnCount())
        m_header->resizeSection(column, std::max(width, 0));
}

Qt::Alignment ListView::columnAlignment(int column) const
{
    return m_model->column(column).alignment;
}

void ListView::setColumnAlignment(int column, Qt::Alignment alignment)
{
    m_model->setColumnAlignment(column, alignment);
}

QString ListView::columnTag(int column) const
{
    return m_model->column(column).tag;
}

void ListView::setColumnTag(int column, const QString &tag)
{
    m_model->setColumnTag(column, tag);
}

void ListView::setHeaderImages(const QList<QIcon> &images)
{
    m_model->setHeaderImages(images);
}

int ListView::columnHeaderImage(int column) const
{
    return m_model->column(column).image;
}

void ListView::setColumnHeaderImage(int column, int imageIndex)
{
    m_model->setColumnImage(column, imageIndex);
}

bool ListView::flatColumnHeaders() const
{
    return m_header->isFlat();
}

void ListView::setFlatColumnHeaders(bool flat)
{
    m_header->setFlat(flat);
}

// --- Rows ---

int ListView::count() const
{
    return m_model->rowCount();
}

int ListView::addItem(const FieldList &texts, int tag)
{
    ListItem item;
    item.texts = texts;
    item.tag = tag;
    return m_model->addItem(std::move(item));
}

int ListView::appendItem(const FieldList &texts, int tag)
{
    ListItem item;
    item.texts = texts;
    item.tag = tag;
    return m_model->appendItem(std::move(item));
}

int ListView::addItem(const QStringList &texts, int tag)
{
    return addItem(FieldList::fromList(texts), tag);
}

void ListView::setItems(QVector<ListItem> items)
{
    m_pressRow = -1;
    m_model->setItems(std::move(items));
}

void ListView::setSourceRows(TextSource source, std::vector<int> tags, ColumnSource columnSource)
{
    m_pressRow = -1;
    m_model->setSourceRows(std::move(source), std::move(tags), std::move(columnSource));
}

void ListView::appendSourceRows(const std::vector<int> &tags)
{
    m_model->appendSourceRows(tags);
}

bool ListView::hasSourceRows() const
{
    return m_model->hasSourceRows();
}

void ListView::clear()
{
    m_pressRow = -1;
    m_model->clearItems();
}

void ListView::removeItem(int row)
{
    m_model->removeItem(row);
}

const ListItem &ListView::item(int row) const
{
    return m_model->item(row);
}

QString ListView::itemText(int row, int column) const
{
    return m_model->text(row, column);
}

void ListView::setItemText(int row, int column, const QString &text)
{
    m_model->setItemText(row, column, text);
}

FieldList ListView::itemTexts(int row) const
{
    return m_model->rowTexts(row);
}

void ListView::setItemTexts(int row, const FieldList &texts)
{
    m_model->setItemTexts(row, texts);
}

int ListView::itemTag(int row) const
{
    return m_model->rowTag(row);
}

void ListView::setItemTag(int row, int tag)
{
    m_model->setItemTag(row, tag);
}

void ListView::shiftTagsDown(int above)
{
    m_model->shiftTagsDown(above);
}

bool ListView::itemBold(int row) const
{
    return m_model->item(row).bold;
}

void ListView::setItemBold(int row, bool bold)
{
    m_model->setItemBold(row, bold);
}

QColor ListView::itemColor(int row) const
{
    return m_model->item(row).color;
}

void ListView::setItemColor(int row, const QColor &color)
{
    m_model->setItemColor(row, color);
}

const QVector<ListItem> &ListView::items() const
{
    return m_model->items();
}

// --- Selection ---

int ListView::selectedRow() const
{
    const QItemSelection selection = selectionModel()->selection();
    return selection.isEmpty() ? -1 : selection.first().top();
}

void ListView::setSelectedRow(int row)
{
    if (row < 0 || row >= count()) {
        selectionModel()->clearSelection();
        return;
    }
    selectionModel()->setCurrentIndex(m_model->index(row, 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ListView::ensureVisible(int row)
{
    if (row >= 0 && row < count())
        scrollTo(m_model->index(row, 0), EnsureVisible);
}

void ListView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    const int x = horizontalScrollBar()->value();
    QTreeView::scrollTo(index, hint);
    horizontalScrollBar()->setValue(x);
}

int ListView::rowAt(const QPoint &pos) const
{
    const QModelIndex index = indexAt(pos);
    return index.isValid() ? index.row() : -1;
}

QModelIndex ListView::indexAt(const QPoint &point) const
{
    const QModelIndex index = QTreeView::indexAt(point);
    if (index.isValid())
        return index;
    // Off every column (right of the last one, or on a zero-width one): the row under the point at
    // the first column that has a width.
    for (int visual = 0; visual < m_header->count(); ++visual) {
        const int logical = m_header->logicalIndex(visual);
        if (m_header->isSectionHidden(logical) || m_header->sectionSize(logical) <= 0)
            continue;
        return QTreeView::indexAt(QPoint(m_header->sectionViewportPosition(logical), point.y()));
    }
    return {};
}

QItemSelectionModel::SelectionFlags ListView::selectionCommand(const QModelIndex &index, const QEvent *event) const
{
    // One row or none. A press or a key selects the row it lands on: a Ctrl+click does not unselect
    // it and a Ctrl+arrow does not leave the new row unselected. A release, or a move with a button
    // held, never changes the selection.
    if (!index.isValid())
        return QItemSelectionModel::NoUpdate;
    if (event && (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonRelease))
        return QItemSelectionModel::NoUpdate;
    return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
}

// --- Sorting ---

bool ListView::isSorted() const
{
    return m_model->isSorted();
}

void ListView::setSorted(bool sorted)
{
    m_model->setSorted(sorted);
}

int ListView::sortKey() const
{
    return m_model->sortKey();
}

void ListView::setSortKey(int column)
{
    m_model->setSortKey(column);
}

int ListView::sortOrder() const
{
    return m_model->sortOrder();
}

void ListView::setSortOrder(int order)
{
    m_model->setSortOrder(order);
}

// --- Drag and drop ---

void ListView::setDragSource(bool enabled)
{
    m_dragSource = enabled;
}

void ListView::setDropTarget(bool enabled)
{
    m_dropTarget = enabled;
    setAcceptDrops(enabled);
    viewport()->setAcceptDrops(enabled);
}

void ListView::startRowDrag(int row)
{
    if (row < 0 || row >= count())
        return;
    QStringList texts;
    texts.reserve(columnCount());
    for (int column = 0; column < columnCount(); ++column)
        texts.append(itemText(row, column));
    auto *mime = new QMimeData;
    mime->setText(texts.join(QLatin1Char('\t')));

    QPointer<ListView> self(this);
    auto *drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->exec(Qt::CopyAction, Qt::CopyAction);
    if (!self)
        return;
    // The drag swallowed the button's release: report it, so every mouseDown has its mouseUp.
    Q_EMIT mouseUp(Qt::LeftButton, QGuiApplication::keyboardModifiers(), viewport()->mapFromGlobal(QCursor::pos()));
}

void ListView::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_dropTarget)
        acceptAsCopy(event);
    else
        event->ignore();
}

void ListView::dragMoveEvent(QDragMoveEvent *event)
{
    if (m_dropTarget)
        acceptAsCopy(event);
    else
        event->ignore();
}

void ListView::dropEvent(QDropEvent *event)
{
    if (!m_dropTarget) {
        event->ignore();
        return;
    }
    acceptAsCopy(event);
    m_currentDrop = event;
    Q_EMIT dropped();
    m_currentDrop = nullptr;
}

// --- Keyboard ---

void ListView::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    Q_EMIT keyDown(key, event->modifiers());

    if (isNavigationKey(key)) {
        // Moves the selection as usual; a move to another row is the user's choice of that row.
        const int before = selectedRow();
        QTreeView::keyPressEvent(event);
        const int after = selectedRow();
        if (after >= 0 && after != before)
            Q_EMIT itemClick(after);
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape || key == Qt::Key_Delete ||
               key == Qt::Key_Backspace) {
        // These keys only raise the signals: what they do is up to the window that owns the list, and
        // a dialog must not take Enter or Esc from under it.
        event->accept();
    } else {
        // No type-ahead search and no copying of a cell: the window decides what typing means.
        event->ignore();
    }

    const int character = typedCharacter(event);
    if (character != 0)
        Q_EMIT keyPress(character);
}

// --- Mouse ---

void ListView::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const int row = rowAt(pos);
    // Selects the row under the pointer and makes it current.
    QTreeView::mousePressEvent(event);
    m_pressRow = event->button() == Qt::LeftButton ? row : -1;
    // A click on a row raises itemClick also when the row was selected already.
    if (row >= 0 && row == selectedRow())
        Q_EMIT itemClick(row);
    if (!m_inDoubleClick)
        Q_EMIT mouseDown(event->button(), event->modifiers(), pos);
}

void ListView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click has already come as a press (mousePressEvent reported it and
    // its row); this event only adds the double click. Should the view treat it as a press once more
    // (when it lands on another row than the press did), that press is not reported twice.
    m_inDoubleClick = true;
    QTreeView::mouseDoubleClickEvent(event);
    m_inDoubleClick = false;
    if (event->button() == Qt::LeftButton)
        Q_EMIT dblClick();
}

void ListView::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    // While the left button is held the window selects the row under the pointer itself, so inside
    // the list a move is only reported. A drag out of the list starts when the left button, pressed
    // on a row, carries the pointer outside the list's viewport.
    const bool startDrag =
        m_dragSource && m_pressRow >= 0 && (event->buttons() & Qt::LeftButton) && !viewport()->rect().contains(pos);

    Q_EMIT mouseMove(event->buttons(), event->modifiers(), pos);

    if (event->buttons() == Qt::NoButton) {
        QTreeView::mouseMoveEvent(event); // hover only
        return;
    }
    // With a button held the view neither drag-selects nor starts a drag of its own.
    event->accept();
    if (startDrag) {
        const int row = m_pressRow;
        m_pressRow = -1;
        // The drag carries the row the button was pressed on, not the last row the pointer crossed on
        // its way out, and that row becomes the selected row again: a drop reads the selection.
        // itemClick is not raised again: the press raised it for this same row, and the held button's
        // moves since then only moved the selection.
        if (row < count()) {
            setSelectedRow(row);
            startRowDrag(row);
        }
    }
}

void ListView::mouseReleaseEvent(QMouseEvent *event)
{
    QTreeView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        m_pressRow = -1;
    Q_EMIT mouseUp(event->button(), event->modifiers(), event->position().toPoint());
}
