#pragma once

#include <QObject>
#include <QPointer>

class CTooltip;
class ListView;
class QHeaderView;

// Watches the column header of a list and, while the mouse moves over it, has a tip show the caption of
// the column under the mouse: the tip is made anew (title = that column's caption, body one blank) only
// when the mouse reaches another column, and removed when the mouse leaves the header. One list is
// watched at a time; the tip's look (balloon, icon, times) is the caller's.
class mSubclass : public QObject
{
    Q_OBJECT

public:
    explicit mSubclass(QObject *parent = nullptr);
    ~mSubclass() override;

    // Starts watching the header of `list`, with `tip` for the captions; a header watched before is let
    // go first. The column under the mouse starts as none.
    void install(ListView *list, CTooltip *tip);
    // Stops watching and removes the tip it made.
    void remove();

    bool isInstalled() const { return !m_header.isNull(); }
    // The column under the mouse (its index in the list), -1 for none.
    int hotColumn() const { return m_hotColumn; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setHotColumn(int column);

    QPointer<ListView> m_list;
    QPointer<QHeaderView> m_header;
    QPointer<QWidget> m_area; // the header's viewport, which gets its mouse events
    QPointer<CTooltip> m_tip;
    int m_hotColumn = -1;
};
