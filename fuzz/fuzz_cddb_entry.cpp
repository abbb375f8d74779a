// The CDDB line reader and disc entry parser on any bytes.
//
// The first byte picks the disc (four, three or two tracks) and the reader's line limit; the rest is what a
// server sends. The reader's lines are checked against a plain split of the bytes at LF (a CR before the LF
// dropped), read as 8-bit text and by Qt's own UTF-8 decoder; then the lines, whatever their encoding, go
// to the parser, whose entry must fit the disc: a track per track of the disc, lengths of at least 0,
// one-line fields without control characters, and nothing at all when it reports an error.

#include "FuzzSupport.h"
#include "core/cddb/CddbLineReader.h"
#include "core/cddb/XmcdEntry.h"
#include "core/text/Cp1251.h"

#include <QStringDecoder>

namespace {

DiscToc disc(int which)
{
    DiscToc toc;
    switch (which % 3) {
    case 0:
        toc.frameOffsets = {150, 18390, 35700, 52815};
        toc.leadout = 70000;
        break;
    case 1:
        toc.frameOffsets = {150, 20000, 41000};
        toc.leadout = 60000;
        break;
    default:
        toc.frameOffsets = {0, 1};
        toc.leadout = 2;
    }
    return toc;
}

bool isOneLine(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    return text == text.trimmed();
}

bool isStrictUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError() && text.toUtf8() == bytes;
}

// 8-bit text is ISO 8859-1, or Windows-1251 where the line is no UTF-8 and every high byte is a Cyrillic
// letter in that code page.
bool isEightBitText(const QString &line, const QByteArray &bytes)
{
    if (line == QString::fromLatin1(bytes))
        return true;
    const QString cyrillic = Cp1251::decode(bytes);
    if (line != cyrillic || isStrictUtf8(bytes))
        return false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (static_cast<unsigned char>(bytes[i]) >= 0x80 && cyrillic[i].script() != QChar::Script_Cyrillic)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const DiscToc toc = disc(data[0]);
    const qsizetype limit = (data[0] & 0x08) ? 16 : CddbLineReader::kDefaultMaxLineBytes;
    const QByteArray bytes = FuzzSupport::bytes(data + 1, size - 1);

    // The plain rule: every LF ends a line, a CR before it is not text, bytes after the last LF wait.
    QList<QByteArray> expected = bytes.split('\n');
    expected.removeLast();
    for (QByteArray &line : expected) {
        if (line.endsWith('\r'))
            line.chop(1);
    }

    CddbLineReader latin1(limit);
    latin1.setEncoding(CddbLineReader::Encoding::Latin1);
    CddbLineReader utf8(limit);
    latin1.append(bytes);
    utf8.append(bytes);
    QStringList lines;
    bool utf8Failed = false;
    for (const QByteArray &want : expected) {
        QString line;
        const CddbLineReader::Status status = latin1.next(&line);
        if (want.size() > limit) {
            FUZZ_CHECK(status == CddbLineReader::Status::Error);
            FUZZ_CHECK(latin1.error() == CddbLineReader::Error::LineTooLong);
            FUZZ_CHECK(latin1.next(&line) == CddbLineReader::Status::Error);
            break;
        }
        FUZZ_CHECK(status == CddbLineReader::Status::Line);
        FUZZ_CHECK(isEightBitText(line, want));
        if (!utf8Failed) {
            QString text;
            const CddbLineReader::Status u = utf8.next(&text);
            FUZZ_CHECK_SAYING((u == CddbLineReader::Status::Line) == isStrictUtf8(want), want.toHex());
            utf8Failed = u != CddbLineReader::Status::Line;
            if (!utf8Failed)
                FUZZ_CHECK(text == QString::fromUtf8(want));
        }
        lines.append(utf8Failed ? line : QString::fromUtf8(want));
    }
    if (latin1.error() == CddbLineReader::Error::None) {
        // An unfinished line waits, unless it is too long already (one byte over the limit may be a CR).
        const bool tooLong = latin1.pendingBytes() > limit + 1;
        QString line;
        const CddbLineReader::Status status = latin1.next(&line);
        FUZZ_CHECK(status == (tooLong ? CddbLineReader::Status::Error : CddbLineReader::Status::NeedMore));
    }

    XmcdEntry::Error error = XmcdEntry::Error::BadKeyword;
    const XmcdEntry entry = XmcdEntry::parse(lines, QStringLiteral("rock"), toc, &error);
    if (error != XmcdEntry::Error::None) {
        FUZZ_CHECK(entry.isEmpty() && entry.artist.isEmpty() && entry.genre.isEmpty());
        return 0;
    }
    FUZZ_CHECK(entry.tracks.size() == toc.trackCount());
    for (const QString &field : {entry.artist, entry.album, entry.year, entry.genre, entry.label})
        FUZZ_CHECK(isOneLine(field));
    FUZZ_CHECK(!entry.genre.isEmpty());
    for (const XmcdEntry::Track &track : entry.tracks) {
        FUZZ_CHECK(isOneLine(track.artist) && isOneLine(track.title));
        FUZZ_CHECK(track.lengthSeconds >= 0 && track.lengthSeconds <= DiscToc::kMaxFrames / 75 + 1);
        FUZZ_CHECK(entry.compilation || track.artist == entry.artist);
    }
    return 0;
}
