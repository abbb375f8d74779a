#pragma once

#include "core/catalogue/TrackTable.h"

#include <QChar>
#include <QStringView>

// The "shelf order" of the catalogue: CDs before LPs, each by media number, then by track within one
// medium. The order is defined by repeated left-to-right passes over neighbouring records, each pair
// exchanged by these rules, until a pass changes nothing:
//  - an LP followed by a CD is exchanged;
//  - two records of the same media type (exact text, any type) are exchanged when the first has the larger
//    media number (read as a number);
//  - two CDs with identical media-number texts are exchanged when the first has the larger track number;
//  - two LPs with identical media-number texts and non-empty track texts are exchanged when the first
//    track's first character has the larger code, or, with equal first characters and both tracks at least
//    two characters long, when its second character has the larger code.
// sortTable() gives exactly the table those passes leave, in O(n log n).
namespace ShelfSort {

// Reorders records 1..count() of `table` into shelf order. Records that keep their place are not touched.
void sortTable(TrackTable &table);

// A media or track number as the passes read it: the leading number of `text` with every blank, TAB and
// line feed left out, wherever it stands ("1 0" is 10, " 1 615" is 1615); 0 when the text does not start
// with a number.
double numberOf(QStringView text);
// The code of `c` in the code page of the base files (its first byte when written).
quint8 codeOf(QChar c);

} // namespace ShelfSort
