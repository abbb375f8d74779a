#include "TrackTable.h"

#include <iterator>

TrackRecord TrackRecord::fromList(const QStringList &fields)
{
    QStringList padded = fields.mid(0, kFieldCount);
    while (padded.size() < kFieldCount)
        padded.append(QString());
    return TrackRecord(FieldList::fromList(padded));
}

void TrackTable::ClearTracks()
{
    ++m_version;
    m_slots.clear();
    m_slots.shrink_to_fit();
    m_slots.emplace_back();
    m_hasTracks = false;
}

int TrackTable::AddTrack(const TrackRecord &record)
{
    ++m_version;
    if (m_hasTracks) {
        m_slots.push_back(record);
    } else {
        m_slots.front() = record;
        m_hasTracks = true;
    }
    return int(m_slots.size());
}

void TrackTable::appendTable(TrackTable &&piece)
{
    if (!piece.hasTracks())
        return;
    ++m_version;
    if (!m_hasTracks) {
        m_slots.clear();
        m_hasTracks = true;
    }
    m_slots.insert(m_slots.end(), std::make_move_iterator(piece.m_slots.begin()),
                   std::make_move_iterator(piece.m_slots.end()));
    piece.ClearTracks();
}

void TrackTable::removeTrack(int i)
{
    if (i < 1 || i > count())
        return;
    if (count() == 1) {
        ClearTracks();
        return;
    }
    ++m_version;
    m_slots.erase(m_slots.begin() + (i - 1));
}

void TrackTable::setField(int i, int f, const QString &value)
{
    ++m_version;
    m_slots[size_t(i - 1)].set(f, value);
}

void TrackTable::setRecord(int i, const TrackRecord &record)
{
    ++m_version;
    m_slots[size_t(i - 1)] = record;
}

bool TrackTable::replaceTabsInFields(int i)
{
    if (!m_slots[size_t(i - 1)].replaceTabsInFields())
        return false;
    ++m_version;
    return true;
}
