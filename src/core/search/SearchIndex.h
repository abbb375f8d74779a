#pragma once

#include "core/catalogue/TrackTable.h"

#include <QString>
#include <QStringView>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// What the search looks through: the shown fields (0 to 11) of every track of the catalogue, prepared
// once per load so that each keystroke in the search box costs one scan and no copy of the catalogue.
//
// A track matches when the search text occurs in one of the chosen fields, letters compared without
// regard to case (Latin and Cyrillic alike, as QString compares with Qt::CaseInsensitive); blanks in the
// text count like any other character. An index is immutable once built, so a search may run on another
// thread while the program goes on; a change to the catalogue builds a new index.
class SearchIndex
{
public:
    // Field f (0..11) is searched when bit f is set.
    static constexpr quint16 kAllFields = 0x0FFF;

    static std::shared_ptr<const SearchIndex> build(const TrackTable &table);

    int trackCount() const;

    // The indexes (from 1, ascending) of the tracks matching `text` in the chosen fields; every track
    // when `text` is empty. `cancelled` is asked now and then; once it answers true the search stops
    // and returns nothing.
    //
    // Several threads may search one index at once. A large search also uses a second thread of its
    // own; `cancelled` is still only ever asked on the calling thread.
    std::optional<std::vector<int>> find(const QString &text, quint16 fields,
                                         const std::function<bool()> &cancelled = {}) const;

    // The rule itself, for one record: the plain statement find() must agree with. (An empty text
    // matches every record, whatever the fields.)
    static bool matches(const TrackRecord &record, QStringView text, quint16 fields);

private:
    SearchIndex() = default;
    struct Data;
    std::shared_ptr<const Data> d;
};
