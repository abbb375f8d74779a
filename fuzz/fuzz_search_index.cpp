// The search's prepared index against the plain rule: for a catalogue, a search text and a choice of fields made
// from the input, SearchIndex::find() gives exactly the tracks (ascending, from 1) for which the text occurs in
// one of the chosen fields 0..11 by QString::contains(text, Qt::CaseInsensitive), or every track for an empty
// text; and SearchIndex::matches() says the same of each track.
//
// The input:
//   bytes 0 and 1   the chosen fields, one bit per field (little endian; bits 12 to 15 are never searched)
//   byte 2          how many times the tracks are repeated: 1 to 4 below 0xFC; 300, 1100, 2100 or 4100 times for
//                   0xFC to 0xFF, so that a catalogue spans several pieces of the index's work (at most 6000 tracks)
//   the rest        the search text, then each track after a 0x01 byte, its fields separated by 0x00 bytes
//                   (in the search text 0x00 is the character U+0000)
// A character is written as
//   0x02 lo hi      the UTF-16 code unit hi:lo (a lone surrogate too)
//   0x03 n          the n-th of a list of characters whose case folding needs care (ß, İ, ſ, the Kelvin sign,
//                   final sigma, old Cyrillic letter forms that fold into the code page, combining marks,
//                   characters beyond 16 bits, ...)
//   0x80 to 0xFF    the code page's character for that byte (Cyrillic letters, Ё, typographic marks)
//   any other byte  the character of that code: ASCII, TAB, LF, CR and the other control characters

#include "FuzzSupport.h"
#include "core/catalogue/TrackTable.h"
#include "core/search/SearchIndex.h"
#include "core/text/Cp1251.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <iterator>
#include <vector>

namespace {

constexpr int kMaxTracks = 6000;
constexpr int kSearchedFields = 12;

// Characters, up to two code units each, whose case folding is easy to get wrong.
constexpr char16_t kUnusual[][2] = {
    {0x00DF},         {0x1E9E},         {0x0130},         {0x0131}, {0x017F}, {0x212A},
    {0x212B},         {0x00C5},         {0x00E5},         {0x03C2}, {0x03C3}, {0x03A3},
    {0x00B5},         {0x03BC},         {0x039C},         {0xFB00}, {0x01C4}, {0x01C5},
    {0x01C6},         {0x0345},         {0x0399},         {0x03B9}, {0x1FBE}, {0x1C80},
    {0x1C81},         {0x1C82},         {0x1C83},         {0x1C84}, {0x1C85}, {0x1C86},
    {0x1C87},         {0x1C88},         {0xA64A},         {0xA64B}, {0x0462}, {0x0463},
    {0x0400},         {0x0450},         {0x0401},         {0x0451}, {0x0406}, {0x0456},
    {0x0407},         {0x0457},         {0x0490},         {0x0491}, {0x0419}, {0x0439},
    {0x0418, 0x0306}, {0x0438, 0x0306}, {0x0415, 0x0308}, {0x0301}, {0x0306}, {0x0308},
    {0x0098},         {0x00A0},         {0x0178},         {0x00FF}, {0x2126}, {0x03C9},
    {0xD801, 0xDC00}, {0xD801, 0xDC28}, {0xD801},         {0xDC00}, {0xDC28}, {0xD83D, 0xDE00},
    {0xFFFD},         {0xFEFF},         {u'K'},           {u'k'},   {u's'},   {u'S'},
    {u'i'},           {u'I'},           {0x0410},         {0x0430}, {0x0412}, {0x0432},
};

class Reader
{
public:
    Reader(const uint8_t *data, size_t size) : m_p(data), m_end(data + size) {}

    bool atEnd() const { return m_p == m_end; }
    uint8_t peek() const { return *m_p; }
    uint8_t next() { return atEnd() ? 0 : *m_p++; }

    // Appends the character(s) starting at the current byte.
    void appendCharacter(QString &out)
    {
        const uint8_t byte = next();
        if (byte == 0x02) {
            const uint8_t lo = next();
            const uint8_t hi = next();
            out += QChar(char16_t(lo | (hi << 8)));
        } else if (byte == 0x03) {
            const auto &unusual = kUnusual[next() % std::size(kUnusual)];
            out += QChar(unusual[0]);
            if (unusual[1])
                out += QChar(unusual[1]);
        } else if (byte >= 0x80) {
            const char c = char(byte);
            out += Cp1251::decode(QByteArrayView(&c, 1));
        } else {
            out += QChar(char16_t(byte));
        }
    }

private:
    const uint8_t *m_p;
    const uint8_t *m_end;
};

QByteArray describe(const TrackRecord &record)
{
    QByteArray out;
    for (int f = 0; f < kSearchedFields; ++f)
        out += "  field " + QByteArray::number(f) + ": " + FuzzSupport::hex(record.at(f)) + "\n";
    return out;
}

QByteArray describeList(const std::vector<int> &list)
{
    QByteArray out;
    for (size_t k = 0; k < list.size() && k < 40; ++k)
        out += QByteArray::number(list[k]) + ' ';
    if (list.size() > 40)
        out += "... (" + QByteArray::number(qulonglong(list.size())) + " in all)";
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Reader reader(data, size);
    const quint16 fields = quint16(reader.next() | (reader.next() << 8));
    const uint8_t repeat = reader.next();
    const int copies = repeat < 0xFC ? 1 + repeat % 4 : std::array{300, 1100, 2100, 4100}[repeat - 0xFC];

    QString text;
    while (!reader.atEnd() && reader.peek() != 0x01)
        reader.appendCharacter(text);

    std::vector<TrackRecord> records;
    while (!reader.atEnd()) {
        reader.next(); // the 0x01 before the track
        QStringList values{QString()};
        while (!reader.atEnd() && reader.peek() != 0x01) {
            if (reader.peek() == 0x00) {
                reader.next();
                values.append(QString());
            } else {
                reader.appendCharacter(values.last());
            }
        }
        records.push_back(TrackRecord::fromList(values));
    }

    // The plain rule, written out: QString::contains over the chosen fields; an empty text finds every track.
    // Worked out once per record: the catalogue repeats them.
    std::vector<bool> plainFound;
    for (const TrackRecord &record : records) {
        bool found = text.isEmpty();
        for (int f = 0; f < kSearchedFields && !found; ++f)
            found = (fields & (1u << f)) && record.value(f).contains(text, Qt::CaseInsensitive);
        FUZZ_CHECK_SAYING(SearchIndex::matches(record, text, fields) == found,
                          "text: " + FuzzSupport::hex(text) + "\nfields: " + QByteArray::number(fields, 16) +
                              "\ntrack:\n" + describe(record));
        plainFound.push_back(found);
    }

    TrackTable table;
    std::vector<int> plain;
    for (int copy = 0; copy < copies && !records.empty(); ++copy) {
        for (size_t r = 0; r < records.size() && table.count() < kMaxTracks; ++r) {
            const int i = table.AddTrack(records[r]);
            if (plainFound[r])
                plain.push_back(i);
        }
    }

    const std::shared_ptr<const SearchIndex> index = SearchIndex::build(table);
    FUZZ_CHECK(index->trackCount() == table.count());
    const std::optional<std::vector<int>> result = index->find(text, fields);
    FUZZ_CHECK(result.has_value());
    if (*result != plain) {
        std::vector<int> missing;
        std::vector<int> extra;
        std::set_difference(plain.begin(), plain.end(), result->begin(), result->end(), std::back_inserter(missing));
        std::set_difference(result->begin(), result->end(), plain.begin(), plain.end(), std::back_inserter(extra));
        const int first = !missing.empty() ? missing.front() : !extra.empty() ? extra.front() : 0;
        FuzzSupport::fail("index->find(text, fields) == plain", __FILE__, __LINE__,
                          "text: " + FuzzSupport::hex(text) + "\nfields: " + QByteArray::number(fields, 16) +
                              "\ntracks: " + QByteArray::number(table.count()) +
                              "\nnot found: " + describeList(missing) + "\nfound wrongly: " + describeList(extra) +
                              (first > 0 ? "\ntrack " + QByteArray::number(first) + ":\n" + describe(table.at(first))
                                         : QByteArray("\n(same tracks, another order)")));
    }
    return 0;
}
