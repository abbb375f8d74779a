// The ID3v1 tag over arbitrary bytes: parsing a file's last 128 bytes, the 128 bytes made from any buffer,
// and reading a whole file, which hands files that start with an ID3v2 header to TagLib.
#include "FuzzSupport.h"
#include "core/media/modMP3Tags.h"
#include "core/text/Cp1251.h"

#include <cstring>

using namespace modMP3Tags;

namespace {

// A buffer that no parse would produce, to see whether a refused parse changed it.
TagBuffer marked()
{
    TagBuffer buffer;
    buffer.Title = QStringLiteral("untouched");
    buffer.Year = QStringLiteral("x");
    buffer.Genre = 200;
    return buffer;
}

bool same(const TagBuffer &a, const TagBuffer &b)
{
    return a.Tag == b.Tag && a.Title == b.Title && a.Artist == b.Artist && a.Album == b.Album && a.Year == b.Year &&
           a.Comment == b.Comment && a.Genre == b.Genre;
}

bool widthsHold(const TagBuffer &buffer)
{
    return buffer.Tag.size() == kMarkerWidth && buffer.Title.size() == kTextWidth &&
           buffer.Artist.size() == kTextWidth && buffer.Album.size() == kTextWidth &&
           buffer.Year.size() == kYearWidth && buffer.Comment.size() == kTextWidth;
}

// parseTag over `bytes`: true exactly when their last 128 begin with "TAG", and then the tag written again
// from the buffer over those 128 bytes is those bytes.
void checkParse(const QByteArray &bytes)
{
    TagBuffer buffer = marked();
    const bool parsed = parseTag(bytes, buffer);
    const bool hasTag = bytes.size() >= kTagSize && bytes.right(kTagSize).startsWith("TAG");
    FUZZ_CHECK(parsed == hasTag);
    if (!parsed) {
        FUZZ_CHECK(same(buffer, marked()));
        return;
    }
    FUZZ_CHECK(widthsHold(buffer));
    const QByteArray last = bytes.right(kTagSize);
    FUZZ_CHECK(buffer.Genre == quint8(last.at(kTagSize - 1)));
    const QString style = genreNames().value(buffer.Genre);
    const QByteArray again = tagBytes(buffer, style, last);
    FUZZ_CHECK_SAYING(again == last, again.toHex() + " from " + last.toHex());
}

// Any buffer, its fields of any width and any characters: 128 bytes that parse back to the fields the code
// page can hold, without a year and with the genre the style names (none for any other style); written
// over `old`, a file's tag, with that tag's year and, unless the style names one, its genre.
void checkWrite(const QByteArray &bytes, const QByteArray &old)
{
    QString text(bytes.size() / 2, Qt::Uninitialized);
    std::memcpy(text.data(), bytes.constData(), size_t(text.size()) * 2);
    TagBuffer buffer;
    QString *fields[] = {&buffer.Title, &buffer.Artist, &buffer.Album, &buffer.Year, &buffer.Comment};
    const int widths[] = {kTextWidth, kTextWidth, kTextWidth, kYearWidth, kTextWidth};
    qsizetype at = 0;
    for (int i = 0; i < 5; ++i) {
        // Mostly the field's own width, otherwise shorter or longer.
        const int code = at < text.size() ? text.at(at).unicode() : 0;
        const qsizetype length = code % 4 == 0 ? widths[i] : code % 40;
        *fields[i] = text.mid(at + 1, length);
        at += 1 + length;
    }
    const QString style = text.mid(at);
    const bool hasOld = old.size() == kTagSize && old.startsWith("TAG");
    const QByteArray tag = tagBytes(buffer, style, old);
    FUZZ_CHECK(tag.size() == kTagSize);
    TagBuffer back;
    FUZZ_CHECK(parseTag(tag, back));
    const bool named = genreNumber(style) != kNoGenre;
    FUZZ_CHECK(back.Genre == (named || !hasOld ? genreNumber(style) : quint8(old.back())));
    FUZZ_CHECK(tag.mid(93, 4) == (hasOld ? old.mid(93, 4) : QByteArray(4, '\0')));
    const QString *backFields[] = {&back.Title, &back.Artist, &back.Album, nullptr, &back.Comment};
    for (int i = 0; i < 5; ++i) {
        if (backFields[i] && fields[i]->size() == widths[i] && Cp1251::canEncode(*fields[i]))
            FUZZ_CHECK_SAYING(*backFields[i] == *fields[i], FuzzSupport::hex(*fields[i]));
    }
}

// A whole file: never a crash, the widths always hold, an ID3v1 tag reads as parseTag reads it, and without
// one only a file that starts with "ID3" can fill the buffer, and then neither the marker nor the genre.
void checkFile(const QByteArray &bytes)
{
    const QString path = FuzzSupport::writeFile(QStringLiteral("input.mp3"), bytes);
    TagBuffer buffer;
    const bool read = ReadTag(path, buffer);
    FUZZ_CHECK(widthsHold(buffer));
    TagBuffer parsed;
    if (parseTag(bytes, parsed)) {
        FUZZ_CHECK(read && same(buffer, parsed));
    } else if (!read || !bytes.startsWith("ID3")) {
        FUZZ_CHECK(!read && same(buffer, TagBuffer()));
    } else {
        FUZZ_CHECK(buffer.Tag == TagBuffer().Tag && buffer.Genre == 0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = FuzzSupport::bytes(data, size);
    checkParse(input);
    checkParse(input.right(kTagSize));
    checkWrite(input, {});
    checkWrite(input, input.right(kTagSize));
    checkFile(input);
    return 0;
}
