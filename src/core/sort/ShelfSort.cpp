#include "ShelfSort.h"

#include "core/catalogue/Numbers.h"
#include "core/text/Cp1251.h"

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

// Why sorting gives exactly what the passes give.
//
// Within one visit of a pair the rules exchange it at most once: after an exchange by the media-number rule
// the two media-number texts differ (equal texts read as equal numbers), so the track rules are silent, and
// an exchange by the first-character test makes the second-character test false. So a visit exchanges the
// pair (P, C) exactly when P "goes after" C:
//     after(P, C) = P is an LP and C a CD
//                or same type and num(P.media) > num(C.media)
//                or both CDs, identical media texts and num(P.track) > num(C.track)
//                or both LPs, identical media texts, non-empty tracks and (code(P[0]) > code(C[0]) or
//                   (equal first codes, both at least two characters and code(P[1]) > code(C[1]))).
// `after` is irreflexive and transitive, so a strict partial order: of two chained steps x-y-z, an LP-CD
// step leaves x an LP and z a CD; two same-type steps of which one is by media number make num(x.media) >
// num(z.media); two track steps share one media text and chain by track number or by codes (a step by the
// first code with any other gives a larger first code, two second-code steps share the first code). The
// passes are then a rewriting of the sequence by "exchange a neighbouring pair that is in `after` order".
// That rewriting ends (a pair once exchanged is never exchanged back) and is confluent: two exchanges at
// disjoint places commute, and for overlapping ones, x y z with after(x, y) and after(y, z), transitivity
// gives after(x, z), so both y x z and x z y lead on to z y x. Hence every order of exchanges ends in the
// same table, and any schedule of allowed exchanges may stand in for the passes. The one used here:
//  1. Two records whose relative order `after` can never change (different types, not CD and LP) keep it;
//     a record between two others that it can never pass stays between them, so the table falls apart into
//     fixed stretches: runs of CD/LP records and runs of one other type. They are sorted separately.
//  2. In a CD/LP run, moving every CD before every LP exchanges only LP-CD pairs, all allowed; a CD then
//     never passes an LP again, so the CDs and the LPs are sorted separately.
//  3. In a run of one type, sorting stably by media number exchanges only pairs in `after` order; records
//     with equal numbers and different texts never pass each other, so each stretch of equal numbers falls
//     apart into maximal stretches of identical media texts.
//  4. Such a stretch of CDs is sorted stably by track number. A stretch of LPs falls apart at empty track
//     texts, the rest is sorted stably by first code, each stretch of equal first codes falls apart at
//     one-character tracks, and the rest is sorted stably by second code.
// Each step ends with no neighbouring pair in `after` order inside its stretches, and the stretches' borders
// are pairs that can never be exchanged, so the result is the table where the passes stop.

namespace {

enum Kind : quint8 { Cd, Lp, Other };

// A text of a record, copied into the sort's own buffer of characters (the records are made one at a
// time from the table, and do not outlive the reading of their keys).
struct TextRef
{
    quint32 start = 0;
    quint32 size = 0;
};

struct Key
{
    TextRef type;
    TextRef mediaText;
    double media = 0;
    double track = 0;
    Kind kind = Other;
    bool hasTrack = false;
    bool longTrack = false;
    quint8 first = 0;
    quint8 second = 0;
};

using Iter = std::vector<int>::iterator;

// Calls `fn(first, last)` for every maximal stretch of [begin, end) whose neighbours all satisfy `same`.
template <typename Same, typename Fn> void forEachRun(Iter begin, Iter end, Same same, Fn fn)
{
    while (begin != end) {
        Iter last = begin + 1;
        while (last != end && same(*(last - 1), *last))
            ++last;
        fn(begin, last);
        begin = last;
    }
}

class Sorter
{
public:
    Sorter(const std::vector<Key> &keys, const std::u16string &texts) : m_keys(keys), m_texts(texts) {}

    void sortAll(Iter begin, Iter end)
    {
        forEachRun(
            begin, end,
            [this](int a, int b) {
                const Key &x = m_keys[size_t(a)];
                const Key &y = m_keys[size_t(b)];
                return x.kind == Other ? y.kind == Other && text(x.type) == text(y.type) : y.kind != Other;
            },
            [this](Iter first, Iter last) {
                if (m_keys[size_t(*first)].kind == Other) {
                    sortBy(first, last, &Key::media);
                    return;
                }
                std::stable_sort(first, last, [this](int a, int b) { return key(a).kind < key(b).kind; });
                const Iter lps = std::partition_point(first, last, [this](int a) { return key(a).kind == Cd; });
                sortMedia(first, lps);
                sortMedia(lps, last);
            });
    }

private:
    const Key &key(int i) const { return m_keys[size_t(i)]; }
    QStringView text(TextRef ref) const { return QStringView(m_texts).mid(ref.start, ref.size); }

    template <typename T> void sortBy(Iter first, Iter last, T Key::*member)
    {
        std::stable_sort(first, last, [this, member](int a, int b) { return key(a).*member < key(b).*member; });
    }

    // CDs only or LPs only.
    void sortMedia(Iter begin, Iter end)
    {
        sortBy(begin, end, &Key::media);
        forEachRun(
            begin, end,
            [this](int a, int b) {
                return key(a).media == key(b).media && text(key(a).mediaText) == text(key(b).mediaText);
            },
            [this](Iter first, Iter last) {
                if (key(*first).kind == Cd)
                    sortBy(first, last, &Key::track);
                else
                    sortLpTracks(first, last);
            });
    }

    void sortLpTracks(Iter begin, Iter end)
    {
        const auto bothTracks = [this](int a, int b) { return key(a).hasTrack && key(b).hasTrack; };
        forEachRun(begin, end, bothTracks, [this](Iter first, Iter last) {
            sortBy(first, last, &Key::first);
            const auto sameFirst = [this](int a, int b) { return key(a).first == key(b).first; };
            forEachRun(first, last, sameFirst, [this](Iter from, Iter to) {
                const auto bothLong = [this](int a, int b) { return key(a).longTrack && key(b).longTrack; };
                forEachRun(from, to, bothLong, [this](Iter f, Iter l) { sortBy(f, l, &Key::second); });
            });
        });
    }

    const std::vector<Key> &m_keys;
    const std::u16string &m_texts;
};

} // namespace

namespace ShelfSort {

double numberOf(QStringView text)
{
    // Blanks, TABs and line feeds do not count wherever they stand: "1 0" reads 10.
    const auto ignored = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\n'; };
    if (std::none_of(text.begin(), text.end(), ignored))
        return Numbers::leadingNumber(text);
    QString packed;
    packed.reserve(text.size());
    for (const QChar c : text) {
        if (!ignored(c))
            packed.append(c);
    }
    return Numbers::leadingNumber(packed);
}

quint8 codeOf(QChar c)
{
    const QByteArray bytes = Cp1251::encode(QStringView(&c, 1));
    return bytes.isEmpty() ? 0 : quint8(bytes.front());
}

void sortTable(TrackTable &table)
{
    const int n = table.count();
    if (n < 2)
        return;

    std::vector<Key> keys(static_cast<size_t>(n));
    std::u16string texts;
    const auto keep = [&texts](QStringView text) {
        const TextRef ref{quint32(texts.size()), quint32(text.size())};
        texts.append(text.utf16(), size_t(text.size()));
        return ref;
    };
    QString type;
    QString mediaText;
    QString track;
    for (int i = 0; i < n; ++i) {
        table.readField(i + 1, TrackRecord::MediaType, type);
        table.readField(i + 1, TrackRecord::MediaNumber, mediaText);
        table.readField(i + 1, TrackRecord::TrackNumber, track);
        Key &k = keys[size_t(i)];
        k.type = keep(type);
        k.kind = QStringView(type) == u"CD" ? Cd : QStringView(type) == u"LP" ? Lp : Other;
        k.mediaText = keep(mediaText);
        k.media = numberOf(mediaText);
        if (k.kind == Cd) {
            k.track = numberOf(track);
        } else if (k.kind == Lp && !track.isEmpty()) {
            k.hasTrack = true;
            k.first = codeOf(track[0]);
            k.longTrack = track.size() >= 2;
            if (k.longTrack)
                k.second = codeOf(track[1]);
        }
    }

    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    Sorter(keys, texts).sortAll(order.begin(), order.end());
    table.reorder(order);
}

} // namespace ShelfSort
