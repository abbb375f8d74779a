#pragma once

#include "core/catalogue/FieldList.h"

#include <QColor>
#include <QtGlobal>

#include <functional>

// One row of a list view: its texts (column 0 is the item's own text, column k its sub-item k), a
// whole-number `Tag`, and its look. The texts are a FieldList, so a row that shows a catalogue record
// shares the record's string instead of copying it.
struct ListItem
{
    FieldList texts;
    int tag = 0;
    bool bold = false;
    QColor color; // invalid: the list's normal text colour
};
// A ListItem is a string, a few numbers and a colour: it may be moved in memory as raw bytes, which
// keeps inserting a row into a vector of a million rows cheap.
Q_DECLARE_TYPEINFO(ListItem, Q_RELOCATABLE_TYPE);

// Where a list's rows read their texts when they hold only a Tag (see ListView::setSourceRows). The texts
// are handed out by value: a source may make them when asked (the catalogue decodes its records so).
using ListTextSource = std::function<FieldList(int tag)>;
// A quicker way to one text of a source row, which a sort of many rows uses when it is given: writes the
// text of column `column` of the row whose Tag is `tag` into `text`, reusing the room `text` has.
using ListColumnSource = std::function<void(int tag, int column, QString &text)>;
