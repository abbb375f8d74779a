#pragma once

#include "FieldList.h"

#include <QByteArray>
#include <QByteArrayView>

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
//
// A million tracks must fit in little more memory than their base file, so a track is kept as its line
// of the base file: the fields joined by TAB, in the code page, one byte a character, in large shared
// blocks, with a small slot saying where. A record is made from those bytes when it is asked for. Only a
// track that would not come back exactly from its bytes (a character the code page lacks, a TAB inside a
// field) is kept as a whole record beside them. An edit writes the new bytes after the others and leaves
// the old ones unused; once the unused bytes outgrow the used ones, the used ones are gathered afresh.
class TrackTable
{
public:
    TrackTable() { ClearTracks(); }

    // Back to one empty slot and no tracks.
    void ClearTracks();
    // Appends a copy of `record` and returns its index, which is the new track count.
    int AddTrack(const TrackRecord &record);
    // Appends the track whose base-file line (in the code page, without its line end) is `line`, when the
    // line has exactly the fields of a record (13 TABs): its bytes are kept as they are, and the result
    // is true. Any other line adds nothing and gives false.
    bool appendLine(QByteArrayView line);
    // Removes track `i` (1 <= i <= count()); the tracks after it move up one place in unchanged order.
    // Removing the last track leaves the empty table.
    void removeTrack(int i);
    // Moves the tracks of `piece` to the end of this table, in their order; `piece` is left empty. A base
    // read in pieces is put together so: the blocks of bytes change hands, the bytes are not copied.
    void appendTable(TrackTable &&piece);
    // Prepares room for `n` more tracks; a load of a large base then grows the table once.
    void reserve(int n) { m_slots.reserve(m_slots.size() + size_t(std::max(n, 0))); }
    // Gives back the room kept for more tracks (a load ends so): the next track added takes new room.
    void squeeze();

    bool hasTracks() const { return m_hasTracks; }
    int count() const { return m_hasTracks ? int(m_slots.size()) : 0; }
    int upperBound() const { return int(m_slots.size()); }

    // Slot `i`, 1 <= i <= upperBound(), made from what is kept of it.
    TrackRecord at(int i) const;
    // Slot `i` into `record`, reusing its room: a walk over many tracks that reads each into one record
    // allocates only for a track longer than those before.
    void read(int i, TrackRecord &record) const;
    // Field `f` of slot `i`; only that field is decoded.
    QString field(int i, int f) const;
    // Field `f` of slot `i` into `text`, reusing its room, for walks that look at one field of every track.
    void readField(int i, int f, QString &text) const;
    // The line of slot `i` exactly as a base file holds it (code page, fields joined by TAB, no line end),
    // when the slot is kept so; an empty view when it is kept as a whole record.
    QByteArrayView line(int i) const;
    void setField(int i, int f, const QString &value);
    void setRecord(int i, const TrackRecord &record);
    // Replaces the TABs inside the fields of slot `i` by spaces; true when there were any.
    bool replaceTabsInFields(int i);
    // Puts the tracks in a new order: place p (from 0) takes the track that was at place `order[p]`.
    // `order` holds each of 0..count()-1 once; anything else leaves the table as it is, and so does
    // the order it already has (the version stays). Only the slots move.
    void reorder(const std::vector<int> &order);

    // Goes up with every change of the records, so that what was worked out from them (the search's
    // index) can tell it is out of date.
    quint64 version() const { return m_version; }

    // Bytes of lines that tracks use, and bytes left unused by edits and removals (kept below the first).
    qsizetype usedBytes() const { return m_usedBytes; }
    qsizetype unusedBytes() const { return m_unusedBytes; }

private:
    // Where a slot's track is: `length` bytes at `offset` of block `block`, or, for a whole record,
    // m_records[offset]; or the empty record of a table without tracks.
    struct Slot
    {
        quint32 block;
        quint32 offset;
        quint32 length;
    };
    static constexpr quint32 kRecord = 0xFFFFFFFF;
    static constexpr quint32 kEmpty = 0xFFFFFFFE;

    struct Block
    {
        QByteArray bytes; // sized to the block's room; the first `used` bytes are written
        qsizetype used = 0;
    };

    Slot store(const TrackRecord &record);
    // Puts `slot` after the last track (in place of the empty slot of a table without tracks).
    void appendSlot(const Slot &slot);
    Slot storeBytes(const char *bytes, qsizetype length);
    char *room(qsizetype length, Slot &slot);
    void release(const Slot &slot);
    void replace(int i, const TrackRecord &record);
    void gatherIfWasteful();
    void gather();
    void trimLastBlock();

    std::vector<Slot> m_slots;
    std::vector<Block> m_blocks;
    std::vector<TrackRecord> m_records;
    qsizetype m_usedBytes = 0;
    qsizetype m_unusedBytes = 0;
    qsizetype m_heldBytes = 0;
    int m_unusedRecords = 0;
    bool m_hasTracks = false;
    quint64 m_version = 0;
};
