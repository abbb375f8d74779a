#include "modAutoComplete.h"

#include <QHash>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// The first four UTF-16 units of an upper-case form in one number, the first in the high bits (a missing
// unit counts as 0). A value can only start with the text when its key agrees with the text's key on the
// units the text has, so the scan for a completion reads one number per value, from one contiguous array,
// and reaches the strings themselves (scattered over the heap) only for the few values that pass.
constexpr int kKeyUnits = 4;

quint64 headKey(QStringView upper)
{
    quint64 key = 0;
    for (int i = 0; i < kKeyUnits; ++i)
        key = (key << 16) | (i < upper.size() ? upper[i].unicode() : 0u);
    return key;
}

// The bits of a key that a text of `length` units decides.
quint64 keyMask(qsizetype length)
{
    return length >= kKeyUnits ? ~quint64(0) : ~(~quint64(0) >> (16 * length));
}

const QStringList &emptyList()
{
    static const QStringList empty;
    return empty;
}

bool isListIndex(int list)
{
    return list >= 0 && list < modAutoComplete::kLists;
}

// The track fields the lists are fed from; field f goes to list f + 1 (the editor box of that field).
constexpr int kFedFields[] = {TrackRecord::Artist, TrackRecord::Album, TrackRecord::Style, TrackRecord::Label,
                              TrackRecord::Comment};
// A load feeds the last this many tracks (or all of them when there are fewer).
constexpr int kFedTracks = 3001;

} // namespace

// One list: the values as added, and beside each its upper-case form, which both the membership test and
// the completion compare, so no keystroke converts the stored values again. Upper-case forms that equal the
// value (and the hash keys, which are the same strings) share the value's text instead of copying it.
struct modAutoComplete::ValueList
{
    QStringList values;
    std::vector<QString> uppers;
    std::vector<quint64> keys;      // headKey() of each upper-case form
    std::vector<qsizetype> lengths; // length of each value as stored, which a completion's selection is measured on
    QHash<QString, int> positions;  // upper-case form -> index in `values`
};

void modAutoComplete::AddValue(int list, const QString &value)
{
    if (value.isEmpty() || !isListIndex(list))
        return;
    QString upper = value.toUpper();
    std::shared_ptr<ValueList> &target = m_lists[size_t(list)];
    if (!target) {
        target = std::make_shared<ValueList>();
    } else {
        if (target->positions.contains(upper))
            return;
        // A copy of this object shares its lists until one side adds a value: the side that changes a
        // shared list takes its own copy first, so copies never see each other's values.
        if (target.use_count() > 1)
            target = std::make_shared<ValueList>(*target);
    }
    target->positions.insert(upper, int(target->values.size()));
    target->keys.push_back(headKey(upper));
    target->lengths.push_back(value.size());
    target->uppers.push_back(std::move(upper));
    target->values.append(value);
}

int modAutoComplete::FindValue(int list, const QString &value) const
{
    if (!isListIndex(list) || !m_lists[size_t(list)] || value.isEmpty())
        return 0;
    return m_lists[size_t(list)]->positions.value(value.toUpper(), -1) + 1;
}

const QStringList &modAutoComplete::values(int list) const
{
    if (!isListIndex(list) || !m_lists[size_t(list)])
        return emptyList();
    return m_lists[size_t(list)]->values;
}

void modAutoComplete::feed(const TrackTable &table)
{
    const int last = table.count();
    for (int i = std::max(1, last - (kFedTracks - 1)); i <= last; ++i) {
        const TrackRecord record = table.at(i);
        for (const int field : kFedFields) {
            const QStringView text = record.at(field);
            if (!text.isEmpty())
                AddValue(field + 1, text.toString());
        }
    }
}

std::optional<modAutoComplete::Completion> modAutoComplete::Complete(int list, const QString &text, int caret,
                                                                     bool &iDeleteKey, bool &iAcSetting) const
{
    // Backspace and Delete shorten the text on purpose: completing it again would put back what the user
    // has just removed.
    if (iDeleteKey) {
        iDeleteKey = false;
        return std::nullopt;
    }
    const QString typed = text.toUpper();
    const qsizetype n = typed.size();
    if (n == 0)
        return std::nullopt;
    // The box's change that a completion itself causes is not the user typing.
    if (iAcSetting) {
        iAcSetting = false;
        return std::nullopt;
    }
    if (!isListIndex(list) || !m_lists[size_t(list)])
        return std::nullopt;

    const ValueList &source = *m_lists[size_t(list)];
    const quint64 mask = keyMask(n);
    const quint64 key = headKey(typed) & mask;
    const quint64 *keys = source.keys.data();
    // From the most recently added value back to the first: the latest value that starts with the text is
    // proposed.
    for (size_t i = source.keys.size(); i-- > 0;) {
        // The key test fails for nearly every value, so it goes first and alone in the hot loop.
        if ((keys[i] & mask) != key)
            continue;
        const qsizetype m = source.lengths[i];
        if (m <= n || !QStringView(source.uppers[i]).startsWith(typed))
            continue;
        iAcSetting = true;
        return Completion{source.values.at(qsizetype(i)), caret, int(m - n)};
    }
    return std::nullopt;
}
