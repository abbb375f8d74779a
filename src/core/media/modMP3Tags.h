#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// The ID3v1 tag of an MP3 file: the file's last 128 bytes, "TAG" followed by title, artist, album (30
// bytes each), year (4), comment (30) and a genre number (1 byte), in the program's code page.
//
// Reading and writing go through one tag buffer of fixed-width fields. The buffer is never reset: a field
// keeps its value until a read or the editor replaces it. Writing takes only the title, artist, album and
// comment from it: the year and genre of another file are not this file's.
namespace modMP3Tags {

constexpr int kTagSize = 128;
constexpr int kMarkerWidth = 3;
constexpr int kTextWidth = 30; // title, artist, album, comment
constexpr int kYearWidth = 4;
// The genre byte of a tag without a genre.
constexpr quint8 kNoGenre = 255;

// The tag buffer. Each text field always holds exactly its width in characters; a new buffer holds NULs
// and genre 0.
struct TagBuffer
{
    QString Tag = QString(kMarkerWidth, QChar(0));
    QString Title = QString(kTextWidth, QChar(0));
    QString Artist = QString(kTextWidth, QChar(0));
    QString Album = QString(kTextWidth, QChar(0));
    QString Year = QString(kYearWidth, QChar(0));
    QString Comment = QString(kTextWidth, QChar(0));
    quint8 Genre = 0;
};

// `text` left-aligned into a field of `width` characters: cut, or padded with spaces.
QString fixedField(const QString &text, int width);
// A field as the editor shows it: up to its first NUL, without leading and trailing spaces.
QString fieldText(const QString &field);

// The 126 genre names, by number from 0 ("Blues") to 125 ("Dance Hall"), spelt exactly as the tag
// standard's list spells them ("Psychadelic", "Low-Fi", "AlternRock").
const QStringList &genreNames();
// The number of the genre named exactly `style` (case-sensitive, whole text); kNoGenre for any other text.
quint8 genreNumber(const QString &style);

// Fills `buffer` from `last128`, a file's last 128 bytes, when they hold an ID3v1 tag ("TAG" first):
// true. Otherwise (fewer bytes, no marker) the buffer is left as it was: false. Given more than 128 bytes
// (a whole file), it looks at the last 128 of them.
bool parseTag(QByteArrayView last128, TagBuffer &buffer);

// Reads the tag of file `path` into `buffer`. A file without an ID3v1 tag but with an ID3v2 tag fills
// title, artist, album, comment (cut to 30 characters) and year (4) from that; the genre stays. A file
// with neither, or one that cannot be read (missing, a folder, unreadable, too short), leaves the buffer
// as it was. Reports nothing; true when the buffer was filled.
//
// From an ID3v2 tag: each text is padded with NULs to its width (a short text reads like an ID3v1 field
// that ended early), a text the tag lacks becomes empty, characters the code page cannot hold are kept
// (writing applies the best fit), and a tag with none of the five texts counts as no tag.
bool ReadTag(const QString &path, TagBuffer &buffer);

// The 128 bytes written for `buffer` into a file whose present tag is `old` (empty when it has none): "TAG",
// the buffer's title, artist, album and comment as they stand in the code page (characters the code page
// cannot hold written as base files write them), the file's own year (empty without a tag), and the genre
// named by `style`, else the file's own genre (kNoGenre without a tag).
QByteArray tagBytes(const TagBuffer &buffer, const QString &style, QByteArrayView old = {});

// How a write ended: `error` is empty on success, otherwise the reason in the user's words (Russian).
// `fileKept`: the file is as it was before the write (refused before anything was written, or put back).
struct WriteResult
{
    QString error;
    bool fileKept = false;
    bool ok() const { return error.isEmpty(); }
};

// Writes `buffer` (genre from `style`; see tagBytes) as the ID3v1 tag of file `path`: over the file's last
// 128 bytes when they hold a tag, else appended at the end. The audio bytes are never touched. On failure the
// file keeps its old length and bytes, and the reason is returned.
//
// The file is changed in place (same inode, links and permissions). A missing file, a folder, anything but a
// regular file and a read-only file are refused before anything is written. Should the old bytes themselves
// fail to go back after a failure, the reason ends in "; файл мог измениться".
WriteResult WriteTag(const QString &path, const TagBuffer &buffer, const QString &style);

} // namespace modMP3Tags
