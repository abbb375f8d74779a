#include "modMP3Tags.h"

#include "core/system/AtomicFile.h"
#include "core/text/Cp1251.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tstring.h>
#include <unistd.h>
#include <utility>

namespace modMP3Tags {

namespace {

constexpr char kMarker[] = "TAG";
constexpr int kGenreCount = 126;

// Where each field of the tag starts in its 128 bytes.
constexpr int kTitleAt = kMarkerWidth;
constexpr int kArtistAt = kTitleAt + kTextWidth;
constexpr int kAlbumAt = kArtistAt + kTextWidth;
constexpr int kYearAt = kAlbumAt + kTextWidth;
constexpr int kCommentAt = kYearAt + kYearWidth;
constexpr int kGenreAt = kCommentAt + kTextWidth;
static_assert(kGenreAt == kTagSize - 1, "the ID3v1 fields fill 128 bytes");

// Closes a descriptor when it goes out of scope, unless release() took it back.
class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

// Reads exactly `size` bytes at `offset` into `out`. False when the file ends first or the system fails.
bool readAt(int fd, off_t offset, qsizetype size, QByteArray &out)
{
    out.resize(size);
    qsizetype done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, out.data() + done, size_t(size - done), offset + off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO; // the file is shorter than it was a moment ago
            return false;
        }
        done += n;
    }
    return true;
}

// Writes all of `bytes` at `offset`; false with errno set when the system refused. `changed` becomes true
// as soon as any byte reached the file. A positioned plain write() rather than pwrite(), so that the tests'
// fault injector, which stands in for write(), can fail it.
bool writeAt(int fd, off_t offset, QByteArrayView bytes, bool &changed)
{
    const off_t at = ::lseek(fd, offset, SEEK_SET);
    if (at != offset) {
        if (at >= 0)
            errno = EIO;
        return false;
    }
    qsizetype written = 0;
    const bool ok = writeAll(fd, bytes, &written);
    changed = changed || written > 0;
    return ok;
}

// `field` as exactly `width` bytes of the code page: cut, or padded with NULs.
void appendField(QByteArray &out, const QString &field, int width)
{
    QByteArray bytes = Cp1251::encode(QStringView(field).left(width));
    // A character the code page writes as two (ß as "ss") can make the text longer than its field.
    bytes.resize(width, '\0');
    out += bytes;
}

// An ID3v2 header as the standard allows it: "ID3", a version below 0xFF and a size of four 7-bit bytes.
bool isId3v2Header(QByteArrayView head)
{
    if (head.size() < 10 || !head.startsWith("ID3"))
        return false;
    if (quint8(head[3]) == 0xFF || quint8(head[4]) == 0xFF)
        return false;
    for (int i = 6; i < 10; ++i) {
        if (quint8(head[i]) & 0x80)
            return false;
    }
    return true;
}

// The start of `text` that fits `width` characters, cut between characters: a character beyond 16 bits (an
// emoji) is kept whole or left out, never cut in half.
QStringView cutField(QStringView text, int width)
{
    qsizetype length = qMin(text.size(), qsizetype(width));
    if (length < text.size() && length > 0 && text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}

QString fromTagLib(const TagLib::String &text)
{
    return QString::fromUtf8(text.toCString(true));
}

// An ID3v2 text in a field of `width` characters: cut (never between the halves of a character beyond 16
// bits), then padded with NULs. NUL rather than space, so that a short text reads like an ID3v1 field that
// ended early and the editor, which stops at the first NUL, shows it as it was. Characters the code page
// cannot hold stay as they are, so the editor shows them; writing the tag applies the code page's best fit.
QString id3v2Field(const QString &text, int width)
{
    QString field = cutField(text, width).toString();
    field.resize(width, QChar(0));
    return field;
}

// Fills the buffer's texts from the ID3v2 tag of the file `native` (the path in the file system's
// encoding). Only the tag is read, not the audio. The tag stands for the file as a whole, as an ID3v1 tag
// would: a field it lacks becomes empty rather than keeping the previous file's value. A tag that holds none
// of the five texts (only a picture, or only the encoder's name) counts as no tag and changes nothing.
bool readId3v2(const QByteArray &native, TagBuffer &buffer)
{
    TagLib::MPEG::File file(native.constData(), false);
    if (!file.isValid() || !file.hasID3v2Tag())
        return false;
    const TagLib::ID3v2::Tag *tag = file.ID3v2Tag(false);
    if (!tag)
        return false;
    const QString title = fromTagLib(tag->title());
    const QString artist = fromTagLib(tag->artist());
    const QString album = fromTagLib(tag->album());
    const QString comment = fromTagLib(tag->comment());
    const unsigned int yearNumber = tag->year();
    const QString year = yearNumber >= 1 && yearNumber <= 9999 ? QString::number(yearNumber) : QString();
    if (title.isEmpty() && artist.isEmpty() && album.isEmpty() && comment.isEmpty() && year.isEmpty())
        return false;
    buffer.Title = id3v2Field(title, kTextWidth);
    buffer.Artist = id3v2Field(artist, kTextWidth);
    buffer.Album = id3v2Field(album, kTextWidth);
    buffer.Year = id3v2Field(year, kYearWidth);
    buffer.Comment = id3v2Field(comment, kTextWidth);
    return true;
}

// A write refused before anything was written: the file is as it was.
WriteResult failure(const QString &reason)
{
    return {reason, true};
}

} // namespace

QString fixedField(const QString &text, int width)
{
    return cutField(text, width).toString().leftJustified(width, QLatin1Char(' '));
}

QString fieldText(const QString &field)
{
    const qsizetype nul = field.indexOf(QChar(0));
    return (nul < 0 ? field : field.left(nul)).trimmed();
}

const QStringList &genreNames()
{
    static const QStringList names = {
        QStringLiteral("Blues"),
        QStringLiteral("Classic Rock"),
        QStringLiteral("Country"),
        QStringLiteral("Dance"),
        QStringLiteral("Disco"),
        QStringLiteral("Funk"),
        QStringLiteral("Grunge"),
        QStringLiteral("Hip-Hop"),
        QStringLiteral("Jazz"),
        QStringLiteral("Metal"),
        QStringLiteral("New Age"),
        QStringLiteral("Oldies"),
        QStringLiteral("Other"),
        QStringLiteral("Pop"),
        QStringLiteral("R&B"),
        QStringLiteral("Rap"),
        QStringLiteral("Reggae"),
        QStringLiteral("Rock"),
        QStringLiteral("Techno"),
        QStringLiteral("Industrial"),
        QStringLiteral("Alternative"),
        QStringLiteral("Ska"),
        QStringLiteral("Death Metal"),
        QStringLiteral("Pranks"),
        QStringLiteral("Soundtrack"),
        QStringLiteral("Euro-Techno"),
        QStringLiteral("Ambient"),
        QStringLiteral("Trip-Hop"),
        QStringLiteral("Vocal"),
        QStringLiteral("Jazz+Funk"),
        QStringLiteral("Fusion"),
        QStringLiteral("Trance"),
        QStringLiteral("Classical"),
        QStringLiteral("Instrumental"),
        QStringLiteral("Acid"),
        QStringLiteral("House"),
        QStringLiteral("Game"),
        QStringLiteral("Sound Clip"),
        QStringLiteral("Gospel"),
        QStringLiteral("Noise"),
        QStringLiteral("AlternRock"),
        QStringLiteral("Bass"),
        QStringLiteral("Soul"),
        QStringLiteral("Punk"),
        QStringLiteral("Space"),
        QStringLiteral("Meditative"),
        QStringLiteral("Instrumental Pop"),
        QStringLiteral("Instrumental Rock"),
        QStringLiteral("Ethnic"),
        QStringLiteral("Gothic"),
        QStringLiteral("Darkwave"),
        QStringLiteral("Techno-Industrial"),
        QStringLiteral("Electronic"),
        QStringLiteral("Pop-Folk"),
        QStringLiteral("Eurodance"),
        QStringLiteral("Dream"),
        QStringLiteral("Southern Rock"),
        QStringLiteral("Comedy"),
        QStringLiteral("Cult"),
        QStringLiteral("Gangsta"),
        QStringLiteral("Top 40"),
        QStringLiteral("Christian Rap"),
        QStringLiteral("Pop/Funk"),
        QStringLiteral("Jungle"),
        QStringLiteral("Native American"),
        QStringLiteral("Cabaret"),
        QStringLiteral("New Wave"),
        QStringLiteral("Psychadelic"),
        QStringLiteral("Rave"),
        QStringLiteral("Showtunes"),
        QStringLiteral("Trailer"),
        QStringLiteral("Low-Fi"),
        QStringLiteral("Tribal"),
        QStringLiteral("Acid Punk"),
        QStringLiteral("Acid Jazz"),
        QStringLiteral("Polka"),
        QStringLiteral("Retro"),
        QStringLiteral("Musical"),
        QStringLiteral("Rock & Roll"),
        QStringLiteral("Hard Rock"),
        QStringLiteral("Folk"),
        QStringLiteral("Folk-Rock"),
        QStringLiteral("National Folk"),
        QStringLiteral("Swing"),
        QStringLiteral("Fast Fusion"),
        QStringLiteral("Bebop"),
        QStringLiteral("Latin"),
        QStringLiteral("Revival"),
        QStringLiteral("Celtic"),
        QStringLiteral("Bluegrass"),
        QStringLiteral("Avantgarde"),
        QStringLiteral("Gothic Rock"),
        QStringLiteral("Progressive Rock"),
        QStringLiteral("Psychadelic Rock"),
        QStringLiteral("Symphonic Rock"),
        QStringLiteral("Slow Rock"),
        QStringLiteral("Big Band"),
        QStringLiteral("Chorus"),
        QStringLiteral("Easy Listening"),
        QStringLiteral("Acoustic"),
        QStringLiteral("Humour"),
        QStringLiteral("Speech"),
        QStringLiteral("Chanson"),
        QStringLiteral("Opera"),
        QStringLiteral("Chamber Music"),
        QStringLiteral("Sonata"),
        QStringLiteral("Symphony"),
        QStringLiteral("Booty Bass"),
        QStringLiteral("Primus"),
        QStringLiteral("Porn Groove"),
        QStringLiteral("Satire"),
        QStringLiteral("Slow Jam"),
        QStringLiteral("Club"),
        QStringLiteral("Tango"),
        QStringLiteral("Samba"),
        QStringLiteral("Folklore"),
        QStringLiteral("Ballad"),
        QStringLiteral("Power Ballad"),
        QStringLiteral("Rhythmic Soul"),
        QStringLiteral("Freestyle"),
        QStringLiteral("Duet"),
        QStringLiteral("Punk Rock"),
        QStringLiteral("Drum Solo"),
        QStringLiteral("A Capella"),
        QStringLiteral("Euro-House"),
        QStringLiteral("Dance Hall"),
    };
    Q_ASSERT(names.size() == kGenreCount);
    return names;
}

quint8 genreNumber(const QString &style)
{
    // The first exactly equal name: case matters, and so does every blank.
    const qsizetype number = genreNames().indexOf(style);
    return number < 0 ? kNoGenre : quint8(number);
}

bool parseTag(QByteArrayView last128, TagBuffer &buffer)
{
    if (last128.size() < kTagSize)
        return false;
    const QByteArrayView tag = last128.last(kTagSize);
    if (!tag.startsWith(kMarker))
        return false;
    buffer.Tag = Cp1251::decode(tag.first(kMarkerWidth));
    buffer.Title = Cp1251::decode(tag.sliced(kTitleAt, kTextWidth));
    buffer.Artist = Cp1251::decode(tag.sliced(kArtistAt, kTextWidth));
    buffer.Album = Cp1251::decode(tag.sliced(kAlbumAt, kTextWidth));
    buffer.Year = Cp1251::decode(tag.sliced(kYearAt, kYearWidth));
    buffer.Comment = Cp1251::decode(tag.sliced(kCommentAt, kTextWidth));
    buffer.Genre = quint8(tag[kGenreAt]);
    return true;
}

bool ReadTag(const QString &path, TagBuffer &buffer)
{
    const QByteArray native = QFile::encodeName(path);
    if (native.isEmpty())
        return false;
    // Without blocking: a named pipe among the user's files must not hang the editor.
    const Descriptor fd(::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0)
        return false;
    struct stat info = {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;

    QByteArray bytes;
    if (info.st_size >= kTagSize && readAt(fd.get(), info.st_size - kTagSize, kTagSize, bytes) &&
        parseTag(bytes, buffer))
        return true;
    // TagLib is asked only about a file that starts with an ID3v2 header: elsewhere it would search the
    // whole file for a tag, and a tag that is not at the start is not one the program looks for.
    return readAt(fd.get(), 0, 10, bytes) && isId3v2Header(bytes) && readId3v2(native, buffer);
}

QByteArray tagBytes(const TagBuffer &buffer, const QString &style, QByteArrayView old)
{
    const bool hasOld = old.size() == kTagSize && old.startsWith(kMarker);
    QByteArray tag;
    tag.reserve(kTagSize);
    tag += kMarker;
    appendField(tag, buffer.Title, kTextWidth);
    appendField(tag, buffer.Artist, kTextWidth);
    appendField(tag, buffer.Album, kTextWidth);
    tag += hasOld ? old.sliced(kYearAt, kYearWidth) : QByteArrayView(QByteArray(kYearWidth, '\0'));
    appendField(tag, buffer.Comment, kTextWidth);
    const quint8 genre = genreNumber(style);
    tag += char(genre == kNoGenre && hasOld ? quint8(old[kGenreAt]) : genre);
    Q_ASSERT(tag.size() == kTagSize);
    return tag;
}

// The tag is written in place: MP3 files are large, often hard-linked or watched by music libraries, so the
// file keeps its inode, links, owner and permissions, and only the tag's bytes (and the length, when the tag
// is new) change. A write that fails is undone: an appended tag is cut off again, an overwritten one gets
// its old bytes back.
WriteResult WriteTag(const QString &path, const TagBuffer &buffer, const QString &style)
{
    const QByteArray native = QFile::encodeName(path);
    if (native.isEmpty())
        return failure(QStringLiteral("файл не найден"));

    struct stat info = {};
    if (::stat(native.constData(), &info) != 0)
        return failure(errno == ENOENT ? QStringLiteral("файл не найден") : systemErrorText(errno));
    if (S_ISDIR(info.st_mode))
        return failure(QStringLiteral("это папка, а не файл"));
    if (!S_ISREG(info.st_mode))
        return failure(QStringLiteral("это не обычный файл"));
    // A file the user made read-only stays as it is, even where the system would let the write through (root).
    if (!(info.st_mode & S_IWUSR))
        return failure(QStringLiteral("файл доступен только для чтения"));

    const int fd = ::open(native.constData(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return failure(errno == ENOENT ? QStringLiteral("файл не найден") : systemErrorText(errno));
    Descriptor guard(fd);
    // The name may have been given to something else since it was looked at.
    if (::fstat(fd, &info) != 0)
        return failure(systemErrorText(errno));
    if (!S_ISREG(info.st_mode))
        return failure(QStringLiteral("это не обычный файл"));

    const off_t length = info.st_size;
    QByteArray old;
    if (length >= kTagSize && !readAt(fd, length - kTagSize, kTagSize, old))
        return failure(systemErrorText(errno));
    const bool overwrite = length >= kTagSize && old.startsWith(kMarker);
    const off_t offset = overwrite ? length - kTagSize : length;
    const QByteArray tag = tagBytes(buffer, style, overwrite ? old : QByteArray());

    // Puts the file back as it was after a failure with `errnum`; says so in the reason when it could not.
    const auto undo = [&](int errnum, bool changed) {
        bool restored = true;
        if (changed) {
            bool rewritten = false;
            restored = overwrite ? writeAt(fd, offset, old, rewritten) : ::ftruncate(fd, length) == 0;
            if (restored)
                ::fsync(fd);
        }
        if (!restored)
            return WriteResult{systemErrorText(errnum) + QStringLiteral("; файл мог измениться"), false};
        return failure(systemErrorText(errnum));
    };

    bool changed = false;
    if (!writeAt(fd, offset, tag, changed))
        return undo(errno, changed);
    // The user is told the tag was written only once it is on the disk; if it cannot be put there, it is
    // taken back, since the user is told it was not written.
    if (::fsync(fd) != 0)
        return undo(errno, true);
    // A close that fails after a successful sync changes nothing on the disk: the tag is there, and the
    // descriptor is released all the same. Reporting a failure would tell the user the old tag is still in
    // the file when it is not, so the write counts as done.
    ::close(guard.release());
    return {};
}

} // namespace modMP3Tags
