#include "TrackTable.h"

#include "core/text/Cp1251.h"

#include <cstring>
#include <iterator>

namespace {

// Blocks start small, so that a small table stays small, and grow with the table up to this size.
constexpr qsizetype kFirstBlock = 4 * 1024;
constexpr qsizetype kLargestBlock = 4 * 1024 * 1024;
constexpr char kTab = '\t';

} // namespace

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
    m_slots.push_back(Slot{kEmpty, 0, 0});
    m_blocks.clear();
    m_blocks.shrink_to_fit();
    m_records.clear();
    m_records.shrink_to_fit();
    m_usedBytes = 0;
    m_unusedBytes = 0;
    m_heldBytes = 0;
    m_unusedRecords = 0;
    m_hasTracks = false;
}

char *TrackTable::room(qsizetype length, Slot &slot)
{
    if (m_blocks.empty() || m_blocks.back().bytes.size() - m_blocks.back().used < length) {
        const qsizetype size = std::max(length, std::clamp(m_heldBytes, kFirstBlock, kLargestBlock));
        m_blocks.push_back(Block{QByteArray(size, Qt::Uninitialized), 0});
        m_heldBytes += size;
    }
    Block &block = m_blocks.back();
    slot = Slot{quint32(m_blocks.size() - 1), quint32(block.used), quint32(length)};
    char *out = block.bytes.data() + block.used;
    block.used += length;
    m_usedBytes += length;
    return out;
}

TrackTable::Slot TrackTable::storeBytes(const char *bytes, qsizetype length)
{
    Slot slot;
    std::memcpy(room(length, slot), bytes, size_t(length));
    return slot;
}

TrackTable::Slot TrackTable::store(const TrackRecord &record)
{
    const QString &line = record.joined();
    // A line longer than a slot can say is kept whole, as is one that would not come back from its bytes.
    if (line.size() < qsizetype(kEmpty) && !record.hasTabInFields()) {
        Slot slot;
        char *out = room(line.size(), slot);
        if (Cp1251::encodeExact(line, out))
            return slot;
        // The room taken is the last of its block: it is given back.
        m_blocks[slot.block].used -= slot.length;
        m_usedBytes -= slot.length;
    }
    m_records.push_back(record);
    return Slot{kRecord, quint32(m_records.size() - 1), 0};
}

void TrackTable::release(const Slot &slot)
{
    if (slot.block == kRecord) {
        m_records[slot.offset] = TrackRecord();
        ++m_unusedRecords;
    } else if (slot.block != kEmpty) {
        m_usedBytes -= slot.length;
        m_unusedBytes += slot.length;
    }
}

void TrackTable::gatherIfWasteful()
{
    if (m_unusedBytes > m_usedBytes || m_unusedRecords * 2 > int(m_records.size()))
        gather();
}

void TrackTable::gather()
{
    std::vector<Block> blocks;
    blocks.swap(m_blocks);
    std::vector<TrackRecord> records;
    records.swap(m_records);
    m_usedBytes = 0;
    m_unusedBytes = 0;
    m_heldBytes = 0;
    m_unusedRecords = 0;
    for (Slot &slot : m_slots) {
        if (slot.block == kRecord) {
            m_records.push_back(std::move(records[slot.offset]));
            slot.offset = quint32(m_records.size() - 1);
        } else if (slot.block != kEmpty) {
            slot = storeBytes(blocks[slot.block].bytes.constData() + slot.offset, slot.length);
        }
    }
}

void TrackTable::trimLastBlock()
{
    if (m_blocks.empty())
        return;
    Block &block = m_blocks.back();
    if (block.used == block.bytes.size())
        return;
    m_heldBytes -= block.bytes.size() - block.used;
    block.bytes.truncate(block.used);
    block.bytes.squeeze();
}

void TrackTable::squeeze()
{
    trimLastBlock();
    // A few slots to spare are not worth copying the others for.
    if (m_slots.capacity() - m_slots.size() > m_slots.size() / 8)
        m_slots.shrink_to_fit();
}

int TrackTable::AddTrack(const TrackRecord &record)
{
    ++m_version;
    appendSlot(store(record));
    return int(m_slots.size());
}

void TrackTable::appendSlot(const Slot &slot)
{
    if (m_hasTracks) {
        m_slots.push_back(slot);
    } else {
        release(m_slots.front());
        m_slots.front() = slot;
        m_hasTracks = true;
    }
}

bool TrackTable::appendLine(QByteArrayView line)
{
    if (line.size() >= qsizetype(kEmpty) || std::count(line.begin(), line.end(), kTab) != TrackRecord::kFieldCount - 1)
        return false;
    ++m_version;
    appendSlot(storeBytes(line.data(), line.size()));
    return true;
}

void TrackTable::appendTable(TrackTable &&piece)
{
    if (!piece.hasTracks())
        return;
    ++m_version;
    if (!m_hasTracks) {
        release(m_slots.front());
        m_slots.clear();
        m_hasTracks = true;
    }
    // The last blocks of both keep only what they hold, since new lines go to a block after them.
    trimLastBlock();
    piece.trimLastBlock();
    const quint32 blockBase = quint32(m_blocks.size());
    const quint32 recordBase = quint32(m_records.size());
    m_blocks.insert(m_blocks.end(), std::make_move_iterator(piece.m_blocks.begin()),
                    std::make_move_iterator(piece.m_blocks.end()));
    m_records.insert(m_records.end(), std::make_move_iterator(piece.m_records.begin()),
                     std::make_move_iterator(piece.m_records.end()));
    m_slots.reserve(m_slots.size() + piece.m_slots.size());
    for (Slot slot : piece.m_slots) {
        if (slot.block == kRecord)
            slot.offset += recordBase;
        else
            slot.block += blockBase;
        m_slots.push_back(slot);
    }
    m_usedBytes += piece.m_usedBytes;
    m_unusedBytes += piece.m_unusedBytes;
    m_heldBytes += piece.m_heldBytes;
    m_unusedRecords += piece.m_unusedRecords;
    piece.ClearTracks();
    gatherIfWasteful();
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
    release(m_slots[size_t(i - 1)]);
    m_slots.erase(m_slots.begin() + (i - 1));
    gatherIfWasteful();
}

TrackRecord TrackTable::at(int i) const
{
    const Slot &slot = m_slots[size_t(i - 1)];
    if (slot.block == kRecord)
        return m_records[slot.offset];
    if (slot.block == kEmpty)
        return TrackRecord();
    return TrackRecord::fromLine(Cp1251::decode(line(i)));
}

void TrackTable::read(int i, TrackRecord &record) const
{
    const QByteArrayView bytes = line(i);
    if (bytes.isEmpty()) {
        record = at(i);
        return;
    }
    Cp1251::decodeInto(bytes, record.m_text);
    record.split(TrackRecord::kFieldCount, nullptr);
}

QString TrackTable::field(int i, int f) const
{
    QString text;
    readField(i, f, text);
    return text;
}

void TrackTable::readField(int i, int f, QString &text) const
{
    const QByteArrayView bytes = line(i);
    if (bytes.isEmpty()) {
        text = at(i).value(f);
        return;
    }
    if (f < 0 || f >= TrackRecord::kFieldCount) {
        text.clear();
        return;
    }
    // The line has exactly one TAB between each two fields.
    const char *begin = bytes.data();
    const char *end = begin + bytes.size();
    for (int k = 0; k < f; ++k)
        begin = static_cast<const char *>(std::memchr(begin, kTab, size_t(end - begin))) + 1;
    const void *tab = std::memchr(begin, kTab, size_t(end - begin));
    Cp1251::decodeInto(QByteArrayView(begin, tab ? static_cast<const char *>(tab) : end), text);
}

QByteArrayView TrackTable::line(int i) const
{
    const Slot &slot = m_slots[size_t(i - 1)];
    if (slot.block == kRecord || slot.block == kEmpty)
        return {};
    return QByteArrayView(m_blocks[slot.block].bytes.constData() + slot.offset, slot.length);
}

void TrackTable::replace(int i, const TrackRecord &record)
{
    ++m_version;
    Slot &slot = m_slots[size_t(i - 1)];
    const Slot old = slot;
    slot = store(record);
    release(old);
    gatherIfWasteful();
}

void TrackTable::setField(int i, int f, const QString &value)
{
    TrackRecord record = at(i);
    record.set(f, value);
    replace(i, record);
}

void TrackTable::setRecord(int i, const TrackRecord &record)
{
    replace(i, record);
}

bool TrackTable::replaceTabsInFields(int i)
{
    if (m_slots[size_t(i - 1)].block != kRecord)
        return false;
    TrackRecord record = at(i);
    if (!record.replaceTabsInFields())
        return false;
    replace(i, record);
    return true;
}

void TrackTable::reorder(const std::vector<int> &order)
{
    const size_t n = size_t(count());
    if (order.size() != n || n == 0)
        return;
    std::vector<Slot> slots;
    slots.reserve(n);
    std::vector<bool> taken(n, false);
    bool moved = false;
    for (const int from : order) {
        moved |= size_t(from) != slots.size();
        if (from < 0 || size_t(from) >= n || taken[size_t(from)])
            return;
        taken[size_t(from)] = true;
        slots.push_back(m_slots[size_t(from)]);
    }
    if (!moved)
        return;
    ++m_version;
    m_slots.swap(slots);
}
