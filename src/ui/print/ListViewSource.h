#pragma once

#include "core/print/PrintListSource.h"

class ListView;

// The report's view of one of the program's lists: its columns (text, width in screen pixels,
// alignment) and its rows as shown, in their current order. A row's bold and colour apply to all of its
// cells; a row without a colour of its own, and the header, use the list's text colour. The list must
// outlive the source.
class ListViewSource : public PrintListSource
{
public:
    explicit ListViewSource(const ListView *list);

    quint32 foreColor() const override;
    int columnCount() const override;
    int columnWidth(int column) const override;
    QString columnText(int column) const override;
    Alignment columnAlignment(int column) const override;
    int itemCount() const override;
    // Items out of range throw std::out_of_range.
    QString itemText(int item, int column) const override;
    bool itemBold(int item, int column) const override;
    quint32 itemColor(int item, int column) const override;

private:
    void check(int item) const;

    const ListView *m_list;
};
