#include "Cp1251.h"

#include <QHash>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>

namespace {

// Bytes 0x80..0xBF of the code page (0xC0..0xFF are А..я in order), used only when Qt's codec is missing
// or gives something unexpected for a byte, so the tables are complete whatever Qt was built with.
constexpr char16_t kUpperHalf[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

// Look-alikes for characters that have no byte of their own and no decomposition that leads to one.
// Only consulted for characters the code page lacks, so an entry never shadows a real byte.
struct LookAlike
{
    char16_t from;
    const char16_t *to;
};
constexpr LookAlike kLookAlikes[] = {
    {0x00A1, u"!"},      {0x00A2, u"c"},  {0x00B4, u"'"},  {0x00B8, u","},      {0x00C6, u"AE"}, {0x00D0, u"D"},
    {0x00D7, u"x"},      {0x00D8, u"O"},  {0x00DF, u"ss"}, {0x00E6, u"ae"},     {0x00F0, u"d"},  {0x00F8, u"o"},
    {0x0110, u"D"},      {0x0111, u"d"},  {0x0126, u"H"},  {0x0127, u"h"},      {0x0131, u"i"},  {0x0141, u"L"},
    {0x0142, u"l"},      {0x0152, u"OE"}, {0x0153, u"oe"}, {0x0166, u"T"},      {0x0167, u"t"},  {0x02B9, u"'"},
    {0x02BA, u"\""},     {0x02BB, u"'"},  {0x02BC, u"'"},  {0x02C6, u"^"},      {0x02C8, u"'"},  {0x02CB, u"`"},
    {0x02CD, u"_"},      {0x02D0, u":"},  {0x02DC, u"~"},  {0x1E9E, u"SS"},     {0x2010, u"-"},  {0x2012, u"-"},
    {0x2015, u"\u2014"}, {0x201B, u"'"},  {0x201F, u"\""}, {0x2023, u"\u2022"}, {0x2032, u"'"},  {0x2033, u"\""},
    {0x2035, u"`"},      {0x2036, u"\""}, {0x2043, u"-"},  {0x2044, u"/"},      {0x2212, u"-"},  {0x2215, u"/"},
    {0x2216, u"\\"},     {0x2217, u"*"},  {0x2223, u"|"},  {0x2236, u":"},      {0x223C, u"~"},
};

constexpr bool isSorted(const LookAlike *begin, const LookAlike *end)
{
    for (const LookAlike *p = begin; p + 1 < end; ++p) {
        if (!(p->from < (p + 1)->from))
            return false;
    }
    return true;
}
static_assert(isSorted(std::begin(kLookAlikes), std::end(kLookAlikes)), "kLookAlikes must be sorted by `from`");

constexpr char kUnknown = '?';

bool isControlByte(quint8 byte)
{
    return byte < 0x20 || byte == 0x7F;
}

bool isMark(char32_t c)
{
    const QChar::Category category = QChar::category(c);
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
           category == QChar::Mark_Enclosing;
}

struct Tables
{
    // Byte -> character.
    std::array<char16_t, 256> toUnicode{};
    // Character -> its own byte, or the byte of its one-byte best fit ('?' when there is none). Zero (for
    // any character but U+0000) sends the encoder to its slow path: surrogates, combining marks and best
    // fits longer than one byte.
    std::array<quint8, 65536> toByte{};
    // One bit per character: set when the character has a byte of its own.
    std::array<quint64, 65536 / 64> exact{};
    // Best fits longer than one byte (ß as "ss", ½ as "1/2").
    QHash<char16_t, QByteArray> multi;

    Tables()
    {
        buildDecodeTable();
        for (int b = 0; b < 256; ++b) {
            const char16_t c = toUnicode[size_t(b)];
            toByte[c] = quint8(b);
            exact[c / 64] |= quint64(1) << (c % 64);
        }
        for (int c = 0; c < 65536; ++c) {
            if (isExact(char16_t(c)))
                continue;
            if (QChar::isSurrogate(char32_t(c)) || isMark(char32_t(c))) {
                toByte[size_t(c)] = 0;
                continue;
            }
            const QByteArray fit = bestFit(char32_t(c), 0);
            if (fit.isEmpty()) {
                toByte[size_t(c)] = kUnknown;
            } else if (fit.size() == 1) {
                toByte[size_t(c)] = quint8(fit[0]);
            } else {
                toByte[size_t(c)] = 0;
                multi.insert(char16_t(c), fit);
            }
        }
    }

    bool isExact(char16_t c) const { return (exact[c / 64] >> (c % 64)) & 1; }

    void buildDecodeTable()
    {
        for (int b = 0; b < 0x80; ++b)
            toUnicode[size_t(b)] = char16_t(b);
        for (int b = 0xC0; b < 0x100; ++b)
            toUnicode[size_t(b)] = char16_t(0x0410 + (b - 0xC0));
        for (int b = 0x80; b < 0xC0; ++b)
            toUnicode[size_t(b)] = kUpperHalf[b - 0x80];

        // Prefer what the system's codec says, one byte at a time, as long as it gives exactly one
        // character per byte and no two bytes share a character; otherwise keep the built-in table.
        QStringDecoder decoder("windows-1251", QStringDecoder::Flag::Stateless);
        if (!decoder.isValid())
            return;
        std::array<char16_t, 256> fromCodec{};
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString s = decoder.decode(QByteArrayView(&byte, 1));
            if (decoder.hasError() || s.size() != 1 || s.at(0).isSurrogate())
                return;
            fromCodec[size_t(b)] = s.at(0).unicode();
        }
        // 0x98 is unassigned: whatever the codec makes of it, it reads as U+0098 so it writes back as 0x98.
        fromCodec[0x98] = 0x0098;
        std::array<char16_t, 256> sorted = fromCodec;
        std::sort(sorted.begin(), sorted.end());
        if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end() ||
            std::find(sorted.begin(), sorted.end(), char16_t(0xFFFD)) != sorted.end())
            return;
        for (int b = 0; b < 0x80; ++b) {
            if (fromCodec[size_t(b)] != char16_t(b))
                return;
        }
        // The built-in table is only a stand-in for the codec; in a debug build a typo in it shows here.
        Q_ASSERT(fromCodec == toUnicode);
        toUnicode = fromCodec;
    }

    // The bytes that stand for `c` best: its own byte, a look-alike, or what its decomposition (compatibility
    // decompositions included, applied recursively) becomes with combining marks left out. Empty when
    // nothing fits. Never a control byte unless `c` is that control character.
    QByteArray bestFit(char32_t c, int depth) const
    {
        if (c < 0x10000 && isExact(char16_t(c))) {
            const quint8 byte = toByte[c];
            if (depth > 0 && isControlByte(byte))
                return {};
            return QByteArray(1, char(byte));
        }
        if (depth > 8 || c >= 0x10000)
            return {};
        const auto entry = std::lower_bound(std::begin(kLookAlikes), std::end(kLookAlikes), c,
                                            [](const LookAlike &e, char32_t key) { return e.from < key; });
        if (entry != std::end(kLookAlikes) && entry->from == c) {
            QByteArray bytes;
            for (const char16_t *p = entry->to; *p; ++p) {
                const QByteArray part = bestFit(*p, depth + 1);
                if (part.isEmpty())
                    return {};
                bytes += part;
            }
            return bytes;
        }
        if (QChar::decompositionTag(c) == QChar::NoDecomposition)
            return {};
        const QString decomposition = QChar::decomposition(c);
        QByteArray bytes;
        bool droppedMark = false;
        for (const char32_t part : QStringView(decomposition).toUcs4()) {
            if (isMark(part)) {
                droppedMark = true;
                continue;
            }
            const QByteArray partBytes = bestFit(part, depth + 1);
            if (partBytes.isEmpty())
                return {};
            bytes += partBytes;
        }
        // A spacing accent (¨ is a space plus a combining diaeresis) is not a look-alike of a space.
        if (bytes.isEmpty() || (droppedMark && bytes.count(' ') == bytes.size()))
            return {};
        // Fixed-width and narrow no-break spaces keep their no-break nature.
        if (bytes == QByteArrayLiteral(" ") && QChar::decompositionTag(c) == QChar::NoBreak)
            return QByteArray(1, char(toByte[0x00A0]));
        return bytes;
    }
};

const Tables &tables()
{
    static const Tables instance;
    return instance;
}

} // namespace

namespace Cp1251 {

QString decode(QByteArrayView bytes)
{
    QString result;
    decodeInto(bytes, result);
    return result;
}

void decodeInto(QByteArrayView bytes, QString &result)
{
    const std::array<char16_t, 256> &table = tables().toUnicode;
    const qsizetype size = bytes.size();
    result.resize(size);
    const uchar *src = reinterpret_cast<const uchar *>(bytes.data());
    char16_t *dst = reinterpret_cast<char16_t *>(result.data());
    qsizetype i = 0;
    while (i < size) {
        // Plain ASCII, eight bytes at a time.
        while (i + 8 <= size) {
            quint64 chunk;
            std::memcpy(&chunk, src + i, 8);
            if (chunk & Q_UINT64_C(0x8080808080808080))
                break;
            for (int k = 0; k < 8; ++k)
                dst[i + k] = src[i + k];
            i += 8;
        }
        if (i < size) {
            dst[i] = table[src[i]];
            ++i;
        }
    }
}

QByteArray encode(QStringView text)
{
    QByteArray out;
    encodeAppend(text, out);
    return out;
}

void encodeAppend(QStringView text, QByteArray &out)
{
    const Tables &t = tables();
    const qsizetype start = out.size();
    const qsizetype size = text.size();
    const char16_t *src = text.utf16();
    // One byte per character; the rare best fit longer than one byte grows the buffer as it goes.
    out.resize(start + size);
    char *dst = out.data() + start;
    qsizetype room = size;
    qsizetype o = 0;
    qsizetype i = 0;
    while (i < size) {
        // Four characters at a time: plain ASCII is copied, anything else is looked up; a zero from the
        // table (or a real NUL) leaves the rest to the character-by-character path below.
        while (i + 4 <= size) {
            quint64 chunk;
            std::memcpy(&chunk, src + i, 8);
            if (!(chunk & Q_UINT64_C(0xFF80FF80FF80FF80))) {
                for (int k = 0; k < 4; ++k)
                    dst[o + k] = char(src[i + k]);
            } else {
                const quint8 b0 = t.toByte[src[i]];
                const quint8 b1 = t.toByte[src[i + 1]];
                const quint8 b2 = t.toByte[src[i + 2]];
                const quint8 b3 = t.toByte[src[i + 3]];
                if (!b0 || !b1 || !b2 || !b3)
                    break;
                dst[o] = char(b0);
                dst[o + 1] = char(b1);
                dst[o + 2] = char(b2);
                dst[o + 3] = char(b3);
            }
            o += 4;
            i += 4;
        }
        if (i >= size)
            break;

        const char16_t c = src[i];
        const quint8 byte = t.toByte[c];
        if (byte != 0 || c == 0) {
            dst[o++] = char(byte);
            ++i;
            continue;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(src[i + 1])) {
            // A character beyond the 16-bit range (an emoji, say): one "?" for the pair.
            dst[o++] = kUnknown;
            i += 2;
            continue;
        }
        if (isMark(c)) {
            // A combining mark joins the character before it. When that character has a byte of its own
            // and the pair is a character of the code page (И and a breve make Й), the pair's byte replaces
            // the base's; otherwise the base alone stands for the pair, as it does for a precomposed
            // character. A mark with nothing before it is unknown.
            if (i == 0) {
                dst[o++] = kUnknown;
            } else if (const char16_t base = src[i - 1]; t.isExact(base)) {
                const QChar pair[2] = {QChar(base), QChar(c)};
                const QString composed = QString(pair, 2).normalized(QString::NormalizationForm_C);
                if (composed.size() == 1 && t.isExact(composed.at(0).unicode()))
                    dst[o - 1] = char(t.toByte[composed.at(0).unicode()]);
            }
            ++i;
            continue;
        }
        const QByteArray fit = t.multi.value(c);
        if (fit.isEmpty()) {
            dst[o++] = kUnknown; // also a lone surrogate
        } else {
            const qsizetype need = o + fit.size() + (size - i - 1);
            if (need > room) {
                out.resize(start + need);
                dst = out.data() + start;
                room = need;
            }
            std::memcpy(dst + o, fit.constData(), size_t(fit.size()));
            o += fit.size();
        }
        ++i;
    }
    out.resize(start + o);
}

bool canEncode(QStringView text)
{
    const Tables &t = tables();
    for (const QChar c : text) {
        if (!t.isExact(c.unicode()))
            return false;
    }
    return true;
}

bool encodeExact(QStringView text, char *out)
{
    const Tables &t = tables();
    const char16_t *src = text.utf16();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = src[i];
        if (c < 0x80) {
            out[i] = char(c);
            continue;
        }
        if (!t.isExact(c))
            return false;
        out[i] = char(t.toByte[c]);
    }
    return true;
}

char16_t decodeByte(quint8 byte)
{
    return tables().toUnicode[byte];
}

QString roundTrip(QStringView text)
{
    return decode(encode(text));
}

QStringList roundTripChanges(const QStringList &texts)
{
    QStringList changes;
    for (const QString &text : texts) {
        if (canEncode(text))
            continue;
        const QString change = QStringLiteral("«%1» → «%2»").arg(text, roundTrip(text));
        if (!changes.contains(change))
            changes.append(change);
    }
    return changes;
}

} // namespace Cp1251
