#pragma once

#include <QString>
#include <QVariant>
#include <QtGlobal>

// What the report printer reads of a report-style list: its columns and its rows as shown. Columns and
// items are numbered from 1, as the report's rows are. Colours are 0x00BBGGRR.
//
// Reading an item that does not exist is a failure: the source throws an std::exception (the report
// printer checks the item count first, so a correct source only has to answer for items that exist).
class PrintListSource
{
public:
    enum Alignment { AlignLeft = 0, AlignRight = 1, AlignCenter = 2 };

    virtual ~PrintListSource() = default;

    // The list's normal text colour.
    virtual quint32 foreColor() const = 0;

    virtual int columnCount() const = 0;
    // The width of column `column` in screen pixels.
    virtual int columnWidth(int column) const = 0;
    virtual QString columnText(int column) const = 0;
    virtual Alignment columnAlignment(int column) const = 0;
    // The index of the column header's icon in headerPicture(), 0 for none.
    virtual int columnIcon(int column) const
    {
        Q_UNUSED(column)
        return 0;
    }
    virtual QVariant headerPicture(int icon) const
    {
        Q_UNUSED(icon)
        return {};
    }

    virtual int itemCount() const = 0;
    // The text of a cell: column 1 is the item's own text, column k its sub-item k - 1.
    virtual QString itemText(int item, int column) const = 0;
    virtual bool itemBold(int item, int column) const = 0;
    // The colour of a cell: the list's foreColor() where the cell has none of its own.
    virtual quint32 itemColor(int item, int column) const = 0;
    // The index of a cell's icon in smallPicture(), 0 for none.
    virtual int itemIcon(int item, int column) const
    {
        Q_UNUSED(item)
        Q_UNUSED(column)
        return 0;
    }
    virtual QVariant smallPicture(int icon) const
    {
        Q_UNUSED(icon)
        return {};
    }
};
