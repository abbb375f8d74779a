#include "SearchIndex.h"

#include "core/text/Cp1251.h"

#include <QVarLengthArray>
#include <QtAlgorithms>

#include <algorithm>
#include <array>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <numeric>
#include <optional>
#include <system_error>
#include <thread>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(Q_OS_LINUX)
#include <sys/mman.h>
#endif

// How the index works.
//
// Every record of the code page is written once into one contiguous byte buffer: its fields 0..11, each
// character replaced by one byte standing for its whole case-fold class (A, a and every other character
// folding to "a" become the same byte), fields separated by TAB, records by a newline. A search folds the
// text the same way and looks for those bytes in the buffer, so case-insensitive matching costs no more
// than a plain byte search; a hit is turned into its track through the table of record starts, and into
// its field by counting the TABs before it in the record.
//
// What the buffer cannot say is left to the plain rule:
//  - a record holding a character outside the code page ("foreign") is kept aside, written as an empty
//    record, and checked with matches() by every search that could find something;
//  - a TAB or a newline inside a field is written as a newline, so that TABs in the buffer are exactly the
//    field separators; a text holding a TAB or a newline can only occur in such records ("odd" ones), so
//    such a text checks just them (and the foreign ones) with matches();
//  - a text with a character no code-page character folds like matches no code-page record, so it checks
//    only the foreign records.
//
// The buffer is searched in pieces of a few thousand tracks, taken in turn by the calling thread and, for
// a large catalogue, by one helper thread. Each piece writes its hits where its tracks would stand in a
// full result, so the pieces are only closed up at the end, never merged.

namespace {

constexpr int kSearchedFields = 12;
constexpr quint16 kSearchedMask = SearchIndex::kAllFields;
constexpr uchar kFieldSeparator = '\t';
constexpr uchar kRecordSeparator = '\n';
// Bytes readable past the end of the buffer, so that the 32-byte loads near its end stay inside.
constexpr qsizetype kPadding = 64;
// The tracks of one piece of work: after each piece the search asks whether it was cancelled.
constexpr int kChunkTracks = 4096;
constexpr qsizetype kChunkBytes = 256 * 1024;
constexpr int kChunkForeign = 256; // foreign records are slow to check
// How many records the plain rule checks between two questions to `cancelled`.
constexpr int kPlainBatch = 512;
// Below this size a second thread costs more than it saves.
constexpr qsizetype kParallelBytes = 1024 * 1024;

// Memory for the large arrays of the index, released with std::free. On Linux it is aligned to and
// marked for huge pages: a fresh 4 KiB page costs a fault on first touch, and on a virtual machine the
// faults of a 100 MB buffer can take longer than filling it.
struct FreeMemory
{
    void operator()(void *p) const { std::free(p); }
};

template <typename T> std::unique_ptr<T[], FreeMemory> allocateLarge(size_t count)
{
    const size_t bytes = std::max<size_t>(count * sizeof(T), 1);
#if defined(Q_OS_LINUX)
    constexpr size_t kHugePage = size_t(2) << 20;
    if (bytes >= kHugePage) {
        const size_t rounded = (bytes + kHugePage - 1) & ~(kHugePage - 1);
        if (void *p = std::aligned_alloc(kHugePage, rounded)) {
            madvise(p, rounded, MADV_HUGEPAGE); // only a hint: without it the memory works all the same
            return std::unique_ptr<T[], FreeMemory>(static_cast<T *>(p));
        }
    }
#endif
    void *p = std::malloc(bytes);
    if (!p)
        throw std::bad_alloc();
    return std::unique_ptr<T[], FreeMemory>(static_cast<T *>(p));
}

// The number of bits set in a 32-bit mask, without relying on a POPCNT instruction being available.
inline int bitCount(quint32 v)
{
    v = v - ((v >> 1) & 0x55555555u);
    v = (v & 0x33333333u) + ((v >> 2) & 0x33333333u);
    return int((((v + (v >> 4)) & 0x0F0F0F0Fu) * 0x01010101u) >> 24);
}

// The fold classes of the code page.
struct FoldTables
{
    // For each UTF-16 code unit: 0x100 | its class byte when the code page holds it, 0 otherwise.
    std::array<quint16, 65536> classOf{};
    // The class byte of each byte of the code page.
    std::array<uchar, 256> classOfByte{};
    // The case fold of each class and its byte, sorted by fold, for folding a search text.
    std::vector<std::pair<char32_t, uchar>> foldToClass;

    FoldTables()
    {
        std::array<char16_t, 256> chars{};
        std::array<char32_t, 256> folds{};
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString s = Cp1251::decode(QByteArrayView(&byte, 1));
            chars[size_t(b)] = s.at(0).unicode();
            folds[size_t(b)] = QChar::toCaseFolded(char32_t(chars[size_t(b)]));
        }
        // A class is named by the byte of its folded form when the code page holds that form (so Latin
        // and Cyrillic letters are stored in lower case), otherwise by its smallest byte.
        for (int b = 0; b < 256; ++b) {
            int name = -1;
            for (int k = 0; k < 256; ++k) {
                if (folds[size_t(k)] != folds[size_t(b)])
                    continue;
                if (name < 0 || char32_t(chars[size_t(k)]) == folds[size_t(b)])
                    name = k;
                if (char32_t(chars[size_t(k)]) == folds[size_t(b)])
                    break;
            }
            classOf[chars[size_t(b)]] = quint16(0x100 | name);
            classOfByte[size_t(b)] = uchar(name);
            foldToClass.emplace_back(folds[size_t(b)], uchar(name));
        }
        std::sort(foldToClass.begin(), foldToClass.end());
        foldToClass.erase(std::unique(foldToClass.begin(), foldToClass.end()), foldToClass.end());

        // The fast conversion computes the classes of ASCII (lower case) and of А..я (0xE0 + letter)
        // instead of looking them up; it is used only when that gives exactly what the table says.
        plainLettersComputable = true;
        for (char16_t c = 0; c < 0x80; ++c) {
            const char16_t lower = (c >= u'A' && c <= u'Z') ? char16_t(c + 0x20) : c;
            plainLettersComputable &= classOf[c] == (0x100 | lower);
        }
        for (char16_t c = 0x0410; c < 0x0450; ++c)
            plainLettersComputable &= classOf[c] == (0x100 | (0xE0 + ((c - 0x0410) & 0x1F)));
    }

    bool plainLettersComputable = false;

    // The class byte of search-text character `c`, or -1 when no code-page character folds like it.
    int classOfNeedleChar(char16_t c) const
    {
        // (A surrogate folds to itself here and so has no class; Qt folds a pair as one character, which
        // cannot fold into the 16-bit range either, so no code-page character matches it anyway.)
        const char32_t fold = QChar::toCaseFolded(char32_t(c));
        const auto it = std::lower_bound(foldToClass.begin(), foldToClass.end(), std::make_pair(fold, uchar(0)));
        if (it == foldToClass.end() || it->first != fold)
            return -1;
        return it->second;
    }
};

const FoldTables &foldTables()
{
    static const FoldTables tables;
    return tables;
}

// The folded search text and how to look for it.
struct Pattern
{
    const uchar *bytes = nullptr;
    qsizetype size = 0;
    // The positions of its two rarest bytes (different positions when size > 1), compared first.
    qsizetype rare1 = 0;
    qsizetype rare2 = 0;
};

// The first start s in [p, end - size] where the pattern occurs, or null. Reads up to 32 bytes past `end`.
const uchar *findPattern(const uchar *p, const uchar *end, const Pattern &pattern)
{
    const qsizetype m = pattern.size;
    if (end - p < m)
        return nullptr;
    const uchar *last = end - m;
#if defined(__SSE2__)
    // glibc's memchr is the fastest search for one byte, once the span is long enough to pay for its call.
    if (m == 1 && last - p >= 64)
        return static_cast<const uchar *>(std::memchr(p, pattern.bytes[0], size_t(last - p + 1)));
    const __m128i first = _mm_set1_epi8(char(pattern.bytes[pattern.rare1]));
    const __m128i second = _mm_set1_epi8(char(pattern.bytes[pattern.rare2]));
    const uchar *const at1 = p + pattern.rare1;
    const uchar *const at2 = p + pattern.rare2;
    for (qsizetype i = 0; p + i <= last; i += 32) {
        const auto load = [](const uchar *q) { return _mm_loadu_si128(reinterpret_cast<const __m128i *>(q)); };
        const __m128i lo = _mm_and_si128(_mm_cmpeq_epi8(load(at1 + i), first), _mm_cmpeq_epi8(load(at2 + i), second));
        const __m128i hi =
            _mm_and_si128(_mm_cmpeq_epi8(load(at1 + i + 16), first), _mm_cmpeq_epi8(load(at2 + i + 16), second));
        quint32 mask = quint32(_mm_movemask_epi8(lo)) | (quint32(_mm_movemask_epi8(hi)) << 16);
        if (!mask)
            continue;
        const qsizetype room = last - (p + i); // the highest start this block may report
        if (room < 31)
            mask &= (quint32(2) << room) - 1;
        while (mask) {
            const uchar *s = p + i + qCountTrailingZeroBits(mask);
            if (m <= 2 || std::memcmp(s, pattern.bytes, size_t(m)) == 0)
                return s;
            mask &= mask - 1;
        }
    }
    return nullptr;
#else
    const uchar rare = pattern.bytes[pattern.rare1];
    const uchar *q = p + pattern.rare1;
    const uchar *qLast = last + pattern.rare1;
    while (q <= qLast) {
        q = static_cast<const uchar *>(std::memchr(q, rare, size_t(qLast - q + 1)));
        if (!q)
            return nullptr;
        const uchar *s = q - pattern.rare1;
        if (std::memcmp(s, pattern.bytes, size_t(m)) == 0)
            return s;
        ++q;
    }
    return nullptr;
#endif
}

// The number of field separators in [p, end). Reads up to 15 bytes past `end`.
int countSeparators(const uchar *p, const uchar *end)
{
    int count = 0;
#if defined(__SSE2__)
    const __m128i tab = _mm_set1_epi8(char(kFieldSeparator));
    for (; p < end; p += 16) {
        quint32 mask =
            quint32(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)), tab)));
        if (end - p < 16)
            mask &= (quint32(1) << (end - p)) - 1;
        count += bitCount(mask);
    }
#else
    for (; p < end; ++p)
        count += *p == kFieldSeparator;
#endif
    return count;
}

// Just past the `n`-th field separator from `p` on (n >= 1); the caller knows there are that many.
const uchar *skipSeparators(const uchar *p, int n)
{
#if defined(__SSE2__)
    const __m128i tab = _mm_set1_epi8(char(kFieldSeparator));
    for (;; p += 16) {
        quint32 mask =
            quint32(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)), tab)));
        const int count = int(bitCount(mask));
        if (count < n) {
            n -= count;
            continue;
        }
        while (--n > 0)
            mask &= mask - 1;
        return p + qCountTrailingZeroBits(mask) + 1;
    }
#else
    for (;; ++p) {
        if (*p == kFieldSeparator && --n == 0)
            return p + 1;
    }
#endif
}

// What folding the searched part of one record found.
struct FoldedText
{
    bool foreign = false; // a character outside the code page (the output is then incomplete)
    int tabs = 0;         // TAB characters, separators included
    bool newline = false; // a newline character
};

// Writes the class byte of each of the `n` characters at `src` to `out`.
FoldedText foldText(const char16_t *src, qsizetype n, uchar *out)
{
    const FoldTables &fold = foldTables();
    FoldedText result;
    qsizetype i = 0;
#if defined(__SSE2__)
    if (fold.plainLettersComputable) {
        // Sixteen characters at a time while they are ASCII or basic Cyrillic, which is nearly all text.
        const __m128i zero = _mm_setzero_si128();
        const auto convert = [&](__m128i v, __m128i &known) {
            const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(short(0xFF80))), zero);
            const __m128i letter = _mm_sub_epi16(v, _mm_set1_epi16(0x0410));
            const __m128i cyrillic = _mm_cmpeq_epi16(_mm_and_si128(letter, _mm_set1_epi16(short(0xFFC0))), zero);
            known = _mm_or_si128(ascii, cyrillic);
            const __m128i upper =
                _mm_and_si128(_mm_cmpgt_epi16(v, _mm_set1_epi16(0x40)), _mm_cmplt_epi16(v, _mm_set1_epi16(0x5B)));
            const __m128i latin = _mm_add_epi16(v, _mm_and_si128(upper, _mm_set1_epi16(0x20)));
            const __m128i russian = _mm_add_epi16(_mm_and_si128(letter, _mm_set1_epi16(0x1F)), _mm_set1_epi16(0xE0));
            return _mm_or_si128(_mm_and_si128(ascii, latin), _mm_andnot_si128(ascii, russian));
        };
        const __m128i tab = _mm_set1_epi8(char(kFieldSeparator));
        const __m128i newline = _mm_set1_epi8(char(kRecordSeparator));
        for (; i + 16 <= n; i += 16) {
            __m128i known0;
            __m128i known1;
            const __m128i lo = convert(_mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i)), known0);
            const __m128i hi = convert(_mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i + 8)), known1);
            if (_mm_movemask_epi8(_mm_and_si128(known0, known1)) != 0xFFFF)
                break;
            const __m128i bytes = _mm_packus_epi16(lo, hi);
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), bytes);
            result.tabs += bitCount(quint32(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, tab))));
            result.newline |= _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, newline)) != 0;
        }
    }
#endif
    for (; i < n; ++i) {
        const quint16 entry = fold.classOf[src[i]];
        if (!entry) {
            result.foreign = true;
            return result;
        }
        const uchar byte = uchar(entry);
        result.tabs += byte == kFieldSeparator;
        result.newline |= byte == kRecordSeparator;
        out[i] = byte;
    }
    return result;
}

// Writes the class byte of each of the `n` bytes of the code page at `src` to `out`.
FoldedText foldBytes(const char *src, qsizetype n, uchar *out)
{
    const FoldTables &fold = foldTables();
    FoldedText result;
    const auto foldOne = [&](qsizetype i) {
        const uchar byte = fold.classOfByte[uchar(src[i])];
        result.tabs += byte == kFieldSeparator;
        result.newline |= byte == kRecordSeparator;
        out[i] = byte;
    };
    qsizetype i = 0;
#if defined(__SSE2__)
    if (fold.plainLettersComputable) {
        // Sixteen bytes at a time: ASCII (lower-cased) and А..я (bytes 0xC0 and up, as 0xE0 + letter) are
        // computed; sixteen bytes with any other among them go through the table.
        const __m128i tab = _mm_set1_epi8(char(kFieldSeparator));
        const __m128i newline = _mm_set1_epi8(char(kRecordSeparator));
        for (; i + 16 <= n; i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i));
            // As signed bytes: ASCII is 0..127, А..я -64..-1, the rest of the upper half -128..-65.
            if (_mm_movemask_epi8(_mm_cmpgt_epi8(v, _mm_set1_epi8(-65))) != 0xFFFF) {
                for (qsizetype k = i; k < i + 16; ++k)
                    foldOne(k);
                continue;
            }
            const __m128i ascii = _mm_cmpgt_epi8(v, _mm_set1_epi8(-1));
            const __m128i upper =
                _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(0x40)), _mm_cmplt_epi8(v, _mm_set1_epi8(0x5B)));
            const __m128i latin = _mm_add_epi8(v, _mm_and_si128(upper, _mm_set1_epi8(0x20)));
            const __m128i russian = _mm_or_si128(_mm_and_si128(v, _mm_set1_epi8(0x1F)), _mm_set1_epi8(char(0xE0)));
            const __m128i bytes = _mm_or_si128(_mm_and_si128(ascii, latin), _mm_andnot_si128(ascii, russian));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), bytes);
            result.tabs += bitCount(quint32(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, tab))));
            result.newline |= _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, newline)) != 0;
        }
    }
#endif
    for (; i < n; ++i)
        foldOne(i);
    return result;
}

// The length of the searched part of a line of the base file, which has every field: up to the TAB after
// field 11, found from the end since the fields after it are short.
qsizetype searchedLength(QByteArrayView line)
{
    qsizetype end = line.size();
    for (int tabs = 0; tabs < TrackRecord::kFieldCount - kSearchedFields; ++tabs) {
        do
            --end;
        while (line[end] != char(kFieldSeparator));
    }
    return end;
}

// The length of the searched part of `record`: fields 0..11 with the TABs between them.
qsizetype searchedLength(const TrackRecord &record)
{
    qsizetype length = kSearchedFields - 1;
    for (int f = 0; f < kSearchedFields; ++f)
        length += record.at(f).size();
    return length;
}

// Writes the searched part of `record` field by field, every TAB or newline inside a field as a newline,
// so that the TABs written are exactly the separators.
void writeOddRecord(const TrackRecord &record, uchar *out)
{
    const FoldTables &fold = foldTables();
    for (int f = 0; f < kSearchedFields; ++f) {
        if (f > 0)
            *out++ = kFieldSeparator;
        for (const QChar c : record.at(f)) {
            const uchar byte = uchar(fold.classOf[c.unicode()]);
            *out++ = byte == kFieldSeparator ? kRecordSeparator : byte;
        }
    }
}

// A search text made ready for one find().
struct Query
{
    enum Kind {
        Buffer,     // a text the buffer can answer; foreign records by the plain rule
        OddOnly,    // a text with a TAB or a newline: odd and foreign records by the plain rule
        ForeignOnly // a text no code-page record can hold: foreign records by the plain rule
    };
    Kind kind = Buffer;
    quint16 mask = 0;
    bool allFields = false;
    // For each field, the next chosen field after it (kSearchedFields when none).
    std::array<int, kSearchedFields> nextChosen{};
    QVarLengthArray<uchar, 256> bytes;
    Pattern pattern;
};

} // namespace

struct SearchIndex::Data
{
    int trackCount = 0;
    // The folded records, each followed by a newline, starting at offset 1; kPadding newlines at the end.
    std::unique_ptr<uchar[], FreeMemory> text;
    qsizetype textSize = 0;
    // Where each track's record starts (0-based track t at starts[t]); starts[trackCount] is the end.
    std::unique_ptr<qsizetype[], FreeMemory> starts;
    // The first track of each piece of work, and trackCount at the end.
    std::vector<int> chunkFirst;
    // The records searched by the plain rule, with their 0-based track numbers, ascending.
    std::vector<int> foreignTracks;
    std::vector<TrackRecord> foreignRecords;
    std::vector<int> oddTracks;
    std::vector<TrackRecord> oddRecords;
    // How often each byte occurs in (a sample of) the buffer.
    std::array<quint32, 256> frequency{};

    int *scanTracks(int from, int to, const Query &query, int *out) const;
    int *scanChunk(int chunk, const Query &query, QStringView text, int *out) const;
};

namespace {

// The track holding buffer offset `offset`, knowing it is after track `t` (starts[t + 1] <= offset) and
// before track `to`.
int locateTrack(const qsizetype *starts, int t, int to, qsizetype offset)
{
    // Hits are usually close together: a few steps first, then a binary search.
    for (int step = 0; step < 4; ++step) {
        ++t;
        if (starts[t + 1] > offset)
            return t;
    }
    return int(std::upper_bound(starts + t + 1, starts + to + 1, offset) - starts) - 1;
}

} // namespace

// Writes the 1-based numbers of the tracks in [from, to) whose chosen fields hold the pattern to `out`,
// ascending; returns the end of what it wrote. Foreign records are empty in the buffer and never hit.
//
// It goes from hit to hit. A hit in a chosen field settles its track, so the scan goes on at the next
// track; a hit in a field not chosen sends it on to the next chosen field of the same track, so a track
// costs at most one hit per run of chosen fields however often the text occurs in the others.
int *SearchIndex::Data::scanTracks(int from, int to, const Query &query, int *out) const
{
    if (from >= to)
        return out;
    const uchar *const buffer = text.get();
    const qsizetype *const st = starts.get();
    const uchar *p = buffer + st[from];
    const uchar *const end = buffer + st[to];
    int t = from;
    // The start of field `knownField` of track t, so the field of a hit counts separators from there.
    const uchar *known = p;
    int knownField = 0;
    while (const uchar *hit = findPattern(p, end, query.pattern)) {
        const qsizetype offset = hit - buffer;
        if (st[t + 1] <= offset) {
            t = locateTrack(st, t, to, offset);
            known = buffer + st[t];
            knownField = 0;
        }
        // A text without TAB lies inside one field; with every field chosen, any hit is a match.
        const int field = query.allFields ? 0 : knownField + countSeparators(known, hit);
        if (query.mask & (1u << field)) {
            *out++ = t + 1;
            p = buffer + st[t + 1];
            continue;
        }
        const int next = query.nextChosen[size_t(field)];
        if (next >= kSearchedFields) {
            p = buffer + st[t + 1];
            continue;
        }
        known = skipSeparators(hit, next - field);
        knownField = next;
        p = known;
    }
    return out;
}

// Searches the tracks of one piece of work, foreign ones by the plain rule in their place.
int *SearchIndex::Data::scanChunk(int chunk, const Query &query, QStringView needle, int *out) const
{
    int from = chunkFirst[size_t(chunk)];
    const int to = chunkFirst[size_t(chunk) + 1];
    auto foreign = std::lower_bound(foreignTracks.begin(), foreignTracks.end(), from);
    for (; foreign != foreignTracks.end() && *foreign < to; ++foreign) {
        out = scanTracks(from, *foreign, query, out);
        const size_t k = size_t(foreign - foreignTracks.begin());
        if (matches(foreignRecords[k], needle, query.mask))
            *out++ = *foreign + 1;
        from = *foreign + 1;
    }
    return scanTracks(from, to, query, out);
}

std::shared_ptr<const SearchIndex> SearchIndex::build(const TrackTable &table)
{
    auto data = std::make_shared<Data>();
    const int n = table.count();
    data->trackCount = n;

    // Each record takes one byte per character of its fields 0..11 with the TABs between them, and a
    // newline; what a foreign record leaves unused stays as newlines at the end.
    data->starts = allocateLarge<qsizetype>(size_t(n) + 1);
    qsizetype total = 1;
    for (int t = 0; t < n; ++t) {
        data->starts[size_t(t)] = total;
        const QByteArrayView line = table.line(t + 1);
        total += (line.isEmpty() ? searchedLength(table.at(t + 1)) : searchedLength(line)) + 1;
    }
    data->starts[size_t(n)] = total;
    data->text = allocateLarge<uchar>(size_t(total + kPadding));
    uchar *const buffer = data->text.get();
    buffer[0] = kRecordSeparator;

    data->chunkFirst.push_back(0);
    int chunkForeign = 0;
    qsizetype pos = 1;
    for (int t = 0; t < n; ++t) {
        const qsizetype length = data->starts[size_t(t + 1)] - data->starts[size_t(t)] - 1;
        data->starts[size_t(t)] = pos;
        // A track kept as its line has every character in the code page: its bytes are folded directly,
        // and a record is made only for an odd one. Any other is folded from its joined text.
        const QByteArrayView line = table.line(t + 1);
        std::optional<TrackRecord> record;
        FoldedText folded;
        if (!line.isEmpty()) {
            folded = foldBytes(line.data(), length, buffer + pos);
        } else {
            record = table.at(t + 1);
            // The searched part is the start of the joined text: fields 0..11 and the TABs between them.
            const QString &joined = record->joined();
            // (A record always has all its fields; one that did not would be left to the plain rule.)
            folded = joined.size() >= length
                         ? foldText(reinterpret_cast<const char16_t *>(joined.utf16()), length, buffer + pos)
                         : FoldedText{true, 0, false};
        }
        if (folded.foreign) {
            ++chunkForeign;
            data->foreignTracks.push_back(t);
            data->foreignRecords.push_back(*record);
        } else {
            if (folded.tabs != kSearchedFields - 1 || folded.newline) {
                if (!record)
                    record = table.at(t + 1);
                writeOddRecord(*record, buffer + pos);
                data->oddTracks.push_back(t);
                data->oddRecords.push_back(*record);
            }
            pos += length;
        }
        buffer[pos++] = kRecordSeparator;
        if (t + 1 - data->chunkFirst.back() >= kChunkTracks || chunkForeign >= kChunkForeign ||
            pos - data->starts[size_t(data->chunkFirst.back())] >= kChunkBytes) {
            data->chunkFirst.push_back(t + 1);
            chunkForeign = 0;
        }
    }
    data->starts[size_t(n)] = pos;
    if (data->chunkFirst.back() != n)
        data->chunkFirst.push_back(n);
    std::memset(buffer + pos, kRecordSeparator, size_t(total + kPadding - pos));
    data->textSize = pos;

    // Byte frequencies from every eighth block of 4 KiB: enough to tell rare letters from common ones.
    constexpr qsizetype kBlock = 4096;
    for (qsizetype block = 0; block < pos; block += 8 * kBlock) {
        const qsizetype blockEnd = std::min(pos, block + kBlock);
        for (qsizetype i = block; i < blockEnd; ++i)
            ++data->frequency[buffer[i]];
    }

    std::shared_ptr<SearchIndex> index(new SearchIndex);
    index->d = std::move(data);
    return index;
}

int SearchIndex::trackCount() const
{
    return d ? d->trackCount : 0;
}

bool SearchIndex::matches(const TrackRecord &record, QStringView text, quint16 fields)
{
    if (text.isEmpty())
        return true;
    for (int f = 0; f < kSearchedFields; ++f) {
        if ((fields & (1u << f)) && record.at(f).contains(text, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

std::optional<std::vector<int>> SearchIndex::find(const QString &text, quint16 fields,
                                                  const std::function<bool()> &cancelled) const
{
    const auto isCancelled = [&cancelled] { return cancelled && cancelled(); };
    if (isCancelled())
        return std::nullopt;
    const Data &data = *d;
    const int n = data.trackCount;
    std::vector<int> result;
    if (text.isEmpty()) {
        result.resize(size_t(n));
        std::iota(result.begin(), result.end(), 1);
        return result;
    }
    Query query;
    query.mask = fields & kSearchedMask;
    query.allFields = query.mask == kSearchedMask;
    if (query.mask == 0 || n == 0)
        return result;

    const FoldTables &fold = foldTables();
    query.bytes.resize(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int byte = fold.classOfNeedleChar(text.at(i).unicode());
        if (byte < 0) {
            query.kind = Query::ForeignOnly;
            break;
        }
        if (byte == kFieldSeparator || byte == kRecordSeparator)
            query.kind = Query::OddOnly;
        query.bytes[i] = uchar(byte);
    }

    if (query.kind != Query::Buffer) {
        // Only the records kept aside can match: check them by the plain rule, in track order.
        const bool withOdd = query.kind == Query::OddOnly;
        size_t a = 0;
        size_t b = 0;
        int checked = 0;
        while (a < data.foreignTracks.size() || (withOdd && b < data.oddTracks.size())) {
            const int nextForeign = a < data.foreignTracks.size() ? data.foreignTracks[a] : INT_MAX;
            const int nextOdd = withOdd && b < data.oddTracks.size() ? data.oddTracks[b] : INT_MAX;
            const bool takeForeign = nextForeign < nextOdd;
            const TrackRecord &record = takeForeign ? data.foreignRecords[a] : data.oddRecords[b];
            if (matches(record, text, query.mask))
                result.push_back((takeForeign ? nextForeign : nextOdd) + 1);
            (takeForeign ? a : b) += 1;
            if (++checked % kPlainBatch == 0 && isCancelled())
                return std::nullopt;
        }
        return result;
    }

    query.pattern.bytes = query.bytes.constData();
    query.pattern.size = query.bytes.size();
    if (query.pattern.size > 1) {
        const auto rarest = [&](qsizetype except) {
            qsizetype best = -1;
            for (qsizetype i = 0; i < query.pattern.size; ++i) {
                if (i != except && (best < 0 || data.frequency[query.bytes[i]] < data.frequency[query.bytes[best]]))
                    best = i;
            }
            return best;
        };
        query.pattern.rare1 = rarest(-1);
        query.pattern.rare2 = rarest(query.pattern.rare1);
    }
    int next = kSearchedFields;
    for (int f = kSearchedFields - 1; f >= 0; --f) {
        query.nextChosen[size_t(f)] = next;
        if (query.mask & (1u << f))
            next = f;
    }

    // Each piece of work writes its hits where its own tracks would go in a full result, then the
    // pieces are closed up in order: the result is the only allocation the size of the catalogue.
    const int chunks = int(data.chunkFirst.size()) - 1;
    result.resize(size_t(n));
    std::vector<int> found(size_t(chunks), 0);
    std::atomic<int> nextChunk{0};
    std::atomic<bool> stop{false};
    const auto work = [&](bool asksCancelled) {
        for (;;) {
            if (stop.load(std::memory_order_relaxed))
                return;
            const int chunk = nextChunk.fetch_add(1, std::memory_order_relaxed);
            if (chunk >= chunks)
                return;
            int *begin = result.data() + data.chunkFirst[size_t(chunk)];
            found[size_t(chunk)] = int(data.scanChunk(chunk, query, text, begin) - begin);
            // `cancelled` is only ever asked on the caller's thread; the helper follows the flag.
            if (asksCancelled && isCancelled())
                stop.store(true, std::memory_order_relaxed);
        }
    };

    static const bool severalCores = std::thread::hardware_concurrency() > 1;
    std::thread helper;
    if (chunks > 1 && data.textSize >= kParallelBytes && severalCores) {
        try {
            helper = std::thread(work, false);
        } catch (const std::system_error &) {
            // No second thread: this one does all the work.
        }
    }
    try {
        work(true);
    } catch (...) {
        // `cancelled` threw: the helper must be stopped and joined before the exception goes on.
        stop.store(true);
        if (helper.joinable())
            helper.join();
        throw;
    }
    if (helper.joinable())
        helper.join();
    if (stop.load())
        return std::nullopt;

    size_t size = 0;
    for (int chunk = 0; chunk < chunks; ++chunk) {
        const size_t first = size_t(data.chunkFirst[size_t(chunk)]);
        const size_t count = size_t(found[size_t(chunk)]);
        if (count > 0 && first != size)
            std::memmove(result.data() + size, result.data() + first, count * sizeof(int));
        size += count;
    }
    result.resize(size);
    // A short result should not keep the room of a full one alive.
    if (result.capacity() > 2 * result.size() + 1024)
        result.shrink_to_fit();
    return result;
}
