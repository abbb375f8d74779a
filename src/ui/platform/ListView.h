#pragma once

#include "ListItem.h"

#include <QColor>
#include <QIcon>
#include <QTreeView>
#include <QVector>

#include <functional>
#include <vector>

class ListHeaderView;
class ListViewModel;
class QDropEvent;

// The report-style list view every list of the program is built on: rows with texts, sub-items, `Tag`,
// bold and colour; at most one selected row; column headers with text, width, alignment, `Tag` and an
// image from the header's image list; its own sorting by the text of one column; and the events the
// program reacts to. Rows are held by our own model and changed in batches (one reset, not a signal per
// row), with uniform row heights, so a list of a million rows stays quick.
//
// Rows and columns are numbered from 0 here. Column widths are in pixels.
//
// A list can also hold source rows (setSourceRows): each row is only its Tag, and its texts are those a
// text source gives for that Tag, typically a record of a table the window owns. Such a list costs 4
// bytes a row, so a million search results are shown without building a million ListItems.
class ListView : public QTreeView
{
    Q_OBJECT

public:
    // The texts of the row whose Tag is `tag`, made when asked. The texts must not change while a list
    // call that asked for them runs.
    using TextSource = ListTextSource;
    // Optional, for a quick sort: one text of the row whose Tag is `tag` (see ListColumnSource).
    using ColumnSource = ListColumnSource;

    explicit ListView(QWidget *parent = nullptr);
    ~ListView() override;

    // --- Columns ---
    int addColumn(const QString &text, int width, Qt::Alignment alignment = Qt::AlignLeft);
    void clearColumns();
    int columnCount() const;
    QString columnText(int column) const;
    void setColumnText(int column, const QString &text);
    int columnWidth(int column) const;
    void setColumnWidth(int column, int width);
    Qt::Alignment columnAlignment(int column) const;
    void setColumnAlignment(int column, Qt::Alignment alignment);
    QString columnTag(int column) const;
    void setColumnTag(int column, const QString &tag);

    // The header's image list, and the image a column header shows (-1: none).
    void setHeaderImages(const QList<QIcon> &images);
    int columnHeaderImage(int column) const;
    void setColumnHeaderImage(int column, int imageIndex);

    // Flat column headers instead of raised buttons. Toggling twice gives back the first look.
    bool flatColumnHeaders() const;
    void setFlatColumnHeaders(bool flat);

    // --- Rows ---
    int count() const;
    // Appends a row (or, while the list is sorted, inserts it where the sort order puts it) and
    // returns its row index.
    int addItem(const FieldList &texts, int tag = 0);
    int addItem(const QStringList &texts, int tag = 0);
    // Appends a row at the end even while the list is sorted; it stays there until the next sort.
    int appendItem(const FieldList &texts, int tag = 0);
    // Replaces all rows at once (one model reset). While the list is sorted, the rows are sorted.
    void setItems(QVector<ListItem> items);
    void clear();
    void removeItem(int row);

    // Replaces all rows at once (one model reset): row r shows the texts source(tags[r]) and has the
    // Tag tags[r]; the rows are neither bold nor coloured. While the list is sorted, the rows are sorted
    // by the source's texts. The list keeps only the Tags until setItems() or clear() gives it ordinary
    // rows again. With source rows:
    // - addItem() and appendItem() add a row with the given Tag and ignore `texts`: the record is
    //   expected to be in the source already;
    // - setItemTexts() ignores `texts` and only repaints the row: the record is expected to have been
    //   changed in the source already; setItemTag() repaints the row too, as it then shows another
    //   record;
    // - setItemText(), and setItemBold() or setItemColor() with a non-default look, first turn every
    //   row into an ordinary row holding its texts (slow for a long list, and meant for rare use);
    // - item() and items() are built on demand, see there.
    void setSourceRows(TextSource source, std::vector<int> tags, ColumnSource columnSource = {});
    // Appends source rows with the Tags `tags` at the end, even while the list is sorted (they stay
    // there until the next sort): one insert, the rows already shown keep their place, selection and
    // scroll position. The list must hold source rows already.
    void appendSourceRows(const std::vector<int> &tags);
    bool hasSourceRows() const;

    // With source rows the item is built for the call: the reference is valid until the next call on
    // this list.
    const ListItem &item(int row) const;
    // Column 0 is the item's text, column k its sub-item k. Out of range: an empty text.
    QString itemText(int row, int column) const;
    void setItemText(int row, int column, const QString &text);
    FieldList itemTexts(int row) const;
    void setItemTexts(int row, const FieldList &texts);
    int itemTag(int row) const;
    void setItemTag(int row, int tag);
    // Every row whose Tag is above `above` gets a Tag one lower, in one pass: what follows the removal
    // of record `above` from the table the rows point into. The rows show what they showed.
    void shiftTagsDown(int above);
    bool itemBold(int row) const;
    void setItemBold(int row, bool bold);
    QColor itemColor(int row) const;
    void setItemColor(int row, const QColor &color);

    // Read access to all rows, for walks over the whole list (renumbering, export, printing). With
    // source rows the vector is a copy built on the first call (a ListItem per row: slow and large for
    // a long list; count() and itemTag() are the cheap way to walk it). The list keeps that copy up to
    // date through its own row calls and drops it when the rows are replaced or sorted.
    const QVector<ListItem> &items() const;

    // --- Selection: one row or none ---
    int selectedRow() const;
    // Selects `row` (-1 or out of range: none) without raising itemClick; the row also becomes the
    // current row and is scrolled into view.
    void setSelectedRow(int row);
    // Scrolls vertically so that `row` is in view.
    void ensureVisible(int row);
    // The row under `pos` (viewport coordinates), -1 where there is none (below the last row, or an
    // empty list). The whole width of a row's line belongs to it, also right of the last column.
    int rowAt(const QPoint &pos) const;

    // --- Sorting by the text of one column, case-insensitive and locale-aware, stable ---
    // While sorted, the rows are kept in the order of column sortKey()'s text: the rows themselves move
    // (with their Tags; the selected row stays on its item), and new rows go where the order puts them.
    // Russian collation rules are used on every machine: digits, then Cyrillic, then Latin.
    bool isSorted() const;
    // True sorts the rows now, also when the list was sorted already (after texts were changed, say);
    // false leaves the rows in their current order.
    void setSorted(bool sorted);
    int sortKey() const;
    // Changing the key or the order of a sorted list sorts it again.
    void setSortKey(int column);
    // 0 ascending, 1 descending.
    int sortOrder() const;
    void setSortOrder(int order);

    // --- Drag and drop ---
    // Rows can be dragged out of this list: the drag carries a row's texts as plain text, joined by TAB.
    // Since the window selects the row under the pointer while the left button is held, a drag starts
    // only when the left button, pressed on a row, takes the pointer out of the list. It carries the
    // row pressed, which becomes the selected row again as the drag starts.
    void setDragSource(bool enabled);
    // Anything dropped onto this list raises dropped().
    void setDropTarget(bool enabled);
    // The drop being delivered, while dropped() is being raised (its data, position, source and
    // modifiers); null at any other time.
    const QDropEvent *currentDrop() const { return m_currentDrop; }

    // The row under `point` at any x, so the whole width of a row's line belongs to the row, also to
    // the right of the last column.
    QModelIndex indexAt(const QPoint &point) const override;
    // Rows are scrolled into view vertically only; the horizontal position stays where the user put it.
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

Q_SIGNALS:
    // The user made `row` the selected row, with the mouse (any button; a click on the selected row
    // raises it again) or the navigation keys. Raised after the selection has changed.
    void itemClick(int row);
    // A double click with the left button, anywhere on the rows' area.
    void dblClick();
    // A key went down; `key` is a Qt::Key. Raised before the list moves its selection. Only the
    // navigation keys do something of their own; Enter, Esc, Delete and typed characters do nothing
    // but raise the signals (there is no search by typing).
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    // A character was typed: Enter is 13, Esc 27, Backspace 8, others their Unicode value.
    void keyPress(int character);
    // Mouse events, with the position in viewport coordinates, for every button. mouseDown comes after
    // the press has selected its row (and after itemClick). Moves are reported while a button is held,
    // and without one only when mouse tracking is on.
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint &pos);
    void mouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, const QPoint &pos);
    void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint &pos);
    // A column header was clicked.
    void columnClick(int column);
    // Something was dropped onto the list.
    void dropped();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event = nullptr) const override;

private:
    void startRowDrag(int row);

    ListViewModel *m_model;
    ListHeaderView *m_header;
    bool m_dragSource = false;
    bool m_dropTarget = false;
    // Left-button press on a row: the row, while the button is held and no drag has started yet.
    int m_pressRow = -1;
    // A double click's second press is being handled (the view may treat it as a plain press).
    bool m_inDoubleClick = false;
    const QDropEvent *m_currentDrop = nullptr;
};
