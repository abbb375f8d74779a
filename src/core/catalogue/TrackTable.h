#pragma once

#include "FieldList.h"

#include <algorithm>
#include <vector>

// One track: 14 text fields. Fields 0 to 11 are media type, media number, track number, artist, title,
// album, duration, date, style, label, comment and rating; 12 and 13 are never shown or set, only read
// from the base file and written back.
class TrackRecord : public FieldList
{
public:
    static constexpr int kFieldCount = 14;
    enum Field {
        MediaType = 0,
        MediaNumber,
        TrackNumber,
        Artist,
        Title,
        Album,
        Duration,
        Date,
        Style,
        Label,
        Comment,
        Rating,
        Reserved12,
        Reserved13
    };

    TrackRecord() : FieldList(kFieldCount) {}
    // A record from a line of a base file; `dropped`, when given, tells whether the line had more parts
    // than a record has fields.
    static TrackRecord fromLine(const QString &line, bool *dropped = nullptr)
    {
        return TrackRecord(FieldList::fromJoined(line, kFieldCount, dropped));
    }
    static TrackRecord fromList(const QStringList &fields);

private:
    explicit TrackRecord(const FieldList &fields) : FieldList(fields) {}
};

// The numbering the editor's boxes, the completion lists and the search options share: box f + 1 holds
// field f (box 2 the media number, box 4 the artist, ...).
constexpr int boxOf(TrackRecord::Field field)
{
    return int(field) + 1;
}

// The catalogue table (`arTracks`): the records of the open base with indexes from 1. It always has at
// least one slot; when it holds no tracks that slot is an empty record and `hasTracks()` is false, so
// every walk over the records goes from 1 to `count()`, never to the bare upper bound.
class TrackTable
{
public:
    TrackTable() { ClearTracks(); }

    // Back to one empty slot and no tracks.
    void ClearTracks();
    // Appends a copy of `record` and returns its index, which is the new track count.
    int AddTrack(const TrackRecord &record);
    // Removes track `i` (1 <= i <= count()); the tracks after it move up one place in unchanged order.
    // Removing the last track leaves the empty table.
    void removeTrack(int i);
    // Moves the tracks of `piece` to the end of this table, in their order; `piece` is left empty. A base
    // read in pieces is put together so, without copying its records again.
    void appendTable(TrackTable &&piece);
    // Prepares room for `n` more records; a load of a large base then grows the table once.
    void reserve(int n) { m_slots.reserve(m_slots.size() + size_t(n)); }

    bool hasTracks() const { return m_hasTracks; }
    int count() const { return m_hasTracks ? int(m_slots.size()) : 0; }
    int upperBound() const { return int(m_slots.size()); }

    // Slot `i`, 1 <= i <= upperBound().
    const TrackRecord &at(int i) const { return m_slots[size_t(i - 1)]; }
    QString field(int i, int f) const { return at(i).value(f); }
    void setField(int i, int f, const QString &value);
    void setRecord(int i, const TrackRecord &record);
    // Replaces the TABs inside the fields of slot `i` by spaces; true when there were any.
    bool replaceTabsInFields(int i);

    // Goes up with every change of the records, so that what was worked out from them (the search's
    // index) can tell it is out of date.
    quint64 version() const { return m_version; }

private:
    std::vector<TrackRecord> m_slots;
    bool m_hasTracks = false;
    quint64 m_version = 0;
};
