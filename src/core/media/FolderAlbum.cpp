#include "FolderAlbum.h"

#include "MpegStreamInfo.h"
#include "core/catalogue/FieldList.h"
#include "core/edit/EditorRules.h"
#include "core/system/AtomicFile.h"
#include "modMP3Tags.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QVarLengthArray>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <taglib/aifffile.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/tpropertymap.h>
#include <taglib/tstring.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <unistd.h>

namespace {

// The bytes looked at to tell the format of a file: enough for the Ogg codec's name on its first page.
constexpr int kHeadSize = 64;

const QStringList &audioExtensions()
{
    static const QStringList extensions{QStringLiteral("mp3"), QStringLiteral("flac"), QStringLiteral("ogg"),
                                        QStringLiteral("oga"), QStringLiteral("opus"), QStringLiteral("m4a"),
                                        QStringLiteral("wav"), QStringLiteral("aif"),  QStringLiteral("aiff"),
                                        QStringLiteral("aifc")};
    return extensions;
}

QString notAudioText()
{
    return QStringLiteral("это не звуковой файл или он повреждён");
}

// The format a file's first bytes announce. A file is handed to TagLib only when they announce one: TagLib
// searches a file whose header it does not find for its marker, which on a large foreign file reads it all.
enum class Kind { Unknown, Flac, OggVorbis, OggOpus, OggFlac, Mp4, Wav, Aiff };

Kind kindOf(QByteArrayView head, QByteArrayView afterId3v2)
{
    const auto at = [&head](int offset, const char *text) {
        const QByteArrayView marker(text);
        return head.size() >= offset + marker.size() && head.sliced(offset, marker.size()) == marker;
    };
    if (at(0, "fLaC") || afterId3v2.startsWith("fLaC"))
        return Kind::Flac;
    if (at(0, "OggS")) {
        // The first page's only packet starts after its 27-byte header and one-byte segment table.
        if (at(28, "\x01vorbis"))
            return Kind::OggVorbis;
        if (at(28, "OpusHead"))
            return Kind::OggOpus;
        if (at(28, "\x7F"
                   "FLAC"))
            return Kind::OggFlac;
        return Kind::Unknown;
    }
    if (at(4, "ftyp"))
        return Kind::Mp4;
    if (at(0, "RIFF") && at(8, "WAVE"))
        return Kind::Wav;
    if (at(0, "FORM") && (at(8, "AIFF") || at(8, "AIFC")))
        return Kind::Aiff;
    return Kind::Unknown;
}

std::unique_ptr<TagLib::File> openTagLib(Kind kind, const char *name)
{
    switch (kind) {
    case Kind::Flac:
        return std::make_unique<TagLib::FLAC::File>(name);
    case Kind::OggVorbis:
        return std::make_unique<TagLib::Ogg::Vorbis::File>(name);
    case Kind::OggOpus:
        return std::make_unique<TagLib::Ogg::Opus::File>(name);
    case Kind::OggFlac:
        return std::make_unique<TagLib::Ogg::FLAC::File>(name);
    case Kind::Mp4:
        return std::make_unique<TagLib::MP4::File>(name);
    case Kind::Wav:
        return std::make_unique<TagLib::RIFF::WAV::File>(name);
    case Kind::Aiff:
        return std::make_unique<TagLib::RIFF::AIFF::File>(name);
    case Kind::Unknown:
        break;
    }
    return nullptr;
}

QString fromTagLib(const TagLib::String &text)
{
    return FieldList::oneLine(QString::fromUtf8(text.toCString(true)));
}

// The record label: the name each tag format gives it (ID3v2's TPUB and MP4's label atom read as LABEL).
QString labelOf(const TagLib::PropertyMap &properties)
{
    for (const char *key : {"LABEL", "PUBLISHER", "ORGANIZATION"}) {
        const auto it = properties.find(key);
        if (it != properties.end() && !it->second.isEmpty())
            return fromTagLib(it->second.front());
    }
    return QString();
}

// Fills from `tag` what the track does not have yet; the label from `properties`, which must come from the
// format's own class: TagLib's base Tag gives only the common fields.
void fillMissing(FolderAlbum::Track &track, const TagLib::Tag &tag, const TagLib::PropertyMap &properties)
{
    const auto fill = [](QString &field, const TagLib::String &text) {
        if (field.isEmpty())
            field = fromTagLib(text);
    };
    fill(track.artist, tag.artist());
    fill(track.title, tag.title());
    fill(track.album, tag.album());
    fill(track.comment, tag.comment());
    fill(track.genre, tag.genre());
    if (track.tagTrack == 0)
        track.tagTrack = int(std::min(tag.track(), 9999u));
    if (track.label.isEmpty())
        track.label = labelOf(properties);
}

// An MP3 file, the way the editor reads one: texts from the ID3v1 tag (from the ID3v2 tag when there is no
// ID3v1 tag), the play time from the first frame. Track number, genre and label missing there come from
// the ID3v2 tag.
void readMp3(const QString &path, QByteArrayView head, FolderAlbum::Track &track)
{
    const MpegStreamInfo info = MpegStreamInfo::read(path);
    if (!info.error.isEmpty()) {
        track.error = info.error;
        return;
    }
    if (!info.headerFound) {
        track.error = notAudioText();
        return;
    }
    if (info.seconds >= 0)
        track.duration = EditorRules::durationText(info.seconds);

    modMP3Tags::TagBuffer buffer;
    buffer.Genre = modMP3Tags::kNoGenre;
    if (modMP3Tags::ReadTag(path, buffer)) {
        track.title = FieldList::oneLine(modMP3Tags::fieldText(buffer.Title));
        track.artist = FieldList::oneLine(modMP3Tags::fieldText(buffer.Artist));
        track.album = FieldList::oneLine(modMP3Tags::fieldText(buffer.Album));
        track.comment = FieldList::oneLine(modMP3Tags::fieldText(buffer.Comment));
        if (buffer.Genre < modMP3Tags::genreNames().size())
            track.genre = modMP3Tags::genreNames().at(buffer.Genre);
        // ID3v1.1: a NUL in the comment's 29th byte and the track number in its 30th.
        const QString &comment = buffer.Comment;
        if (comment.size() == modMP3Tags::kTextWidth && comment.at(28).isNull() && comment.at(29).unicode() < 128)
            track.tagTrack = comment.at(29).unicode();
    }
    if (MpegStreamInfo::id3v2Size(head.first(std::min<qsizetype>(head.size(), 10))) > 0) {
        TagLib::MPEG::File file(QFile::encodeName(path).constData(), false);
        if (const TagLib::ID3v2::Tag *tag = file.isValid() ? file.ID3v2Tag(false) : nullptr)
            fillMissing(track, *tag, tag->properties());
    }
}

// Reads up to `count` bytes at `offset`; an empty array at the end of the file or on a read error.
QByteArray readAt(int fd, qint64 offset, int count)
{
    QByteArray bytes(count, '\0');
    ssize_t n;
    do
        n = ::pread(fd, bytes.data(), size_t(count), off_t(offset));
    while (n < 0 && errno == EINTR);
    bytes.resize(n > 0 ? n : 0);
    return bytes;
}

// The most top-level chunks (RIFF, AIFF), FLAC metadata blocks or MP4 atoms (all of them, at every depth) a file
// may have. Real files have a handful, or a few dozen atoms; TagLib keeps a record of each, so a file of millions
// of empty ones would hold the reading for minutes and take gigabytes.
constexpr int kMaxChunks = 1000;
constexpr int kMaxAtoms = 10000;
// How deep MP4 atoms may nest: real files go six or seven levels down. TagLib reads nested atoms by recursion, so
// a file of atoms each inside the one before would overflow the stack.
constexpr int kMaxAtomDepth = 32;
// The largest MP4 "moov" atom read: the sample tables of many hours of audio are a few megabytes.
constexpr qint64 kMaxMoovSize = 64 << 20;
// Where an Ogg stream's last page must start: no page is longer than this.
constexpr int kMaxOggPage = 65307;

// The RIFF (WAV) or AIFF chunks after the 12-byte file header, each with its length; a chunk of odd length is
// followed by a padding byte.
bool boundedChunks(int fd, bool littleEndian, qint64 fileSize)
{
    qint64 offset = 12;
    for (int count = 0; offset + 8 <= fileSize; ++count) {
        const QByteArray header = readAt(fd, offset, 8);
        if (header.size() < 8 || count == kMaxChunks)
            return false;
        const auto *b = reinterpret_cast<const uchar *>(header.constData());
        // TagLib stops at a chunk whose name is not text (padding, trailing garbage), and so does this walk.
        if (std::any_of(b, b + 4, [](uchar c) { return c < 32 || c > 126; }))
            return true;
        const qint64 size = 8 + (littleEndian ? qFromLittleEndian<quint32>(b + 4) : qFromBigEndian<quint32>(b + 4));
        offset += size + (size & 1);
    }
    return true;
}

// The FLAC metadata blocks from the "fLaC" marker at `start`, each with its 24-bit length, up to the one marked
// last. TagLib reads every block, empty padding included.
bool boundedFlac(int fd, qint64 start, qint64 fileSize)
{
    qint64 offset = start + 4;
    for (int count = 0; offset + 4 <= fileSize; ++count) {
        const QByteArray header = readAt(fd, offset, 4);
        if (header.size() < 4 || count == kMaxChunks)
            return false;
        const auto *b = reinterpret_cast<const uchar *>(header.constData());
        if (b[0] & 0x80)
            return true;
        offset += 4 + ((qint64(b[1]) << 16) | (b[2] << 8) | b[3]);
    }
    return true;
}

// Whether TagLib reads the children of an MP4 atom of this name.
bool isMp4Container(QByteArrayView name)
{
    for (const char *container :
         {"moov", "udta", "mdia", "meta", "ilst", "stbl", "minf", "moof", "traf", "trak", "stsd"}) {
        if (name == QByteArrayView(container))
            return true;
    }
    return false;
}

// Every MP4 atom TagLib reads: the top-level ones and, inside those it takes for containers, their children at
// every depth. A length of 0 runs to the end of the file, 1 has a 64-bit length follow; a length past the end is
// taken as ending there, so that the walk counts at least every atom TagLib would read.
bool boundedAtoms(int fd, qint64 fileSize)
{
    QVarLengthArray<qint64, kMaxAtomDepth> ends; // where each container being walked ends
    qint64 offset = 0;
    for (int count = 0;; ++count) {
        while (!ends.isEmpty() && offset >= ends.last())
            ends.removeLast();
        if (ends.isEmpty() ? offset + 8 > fileSize : offset >= fileSize)
            return true;
        const QByteArray header = readAt(fd, offset, 16);
        if (header.size() < 8 || count == kMaxAtoms)
            return false;
        const auto *b = reinterpret_cast<const uchar *>(header.constData());
        const QByteArrayView name = QByteArrayView(header).sliced(4, 4);
        qint64 size = qFromBigEndian<quint32>(b);
        qint64 headerSize = 8;
        if (size == 0) {
            size = fileSize - offset;
        } else if (size == 1 && header.size() == 16) {
            size = qint64(std::min<quint64>(qFromBigEndian<quint64>(b + 8), quint64(fileSize)));
            headerSize = 16;
        }
        if (size < headerSize || (name == "moov" && size > kMaxMoovSize))
            return false;
        size = std::min(size, fileSize - offset);
        if (!isMp4Container(name)) {
            offset += size;
            continue;
        }
        if (ends.size() == kMaxAtomDepth)
            return false;
        ends.append(offset + size);
        offset += headerSize;
        if (name == "meta") {
            // A full atom (version and flags first) unless its first child follows at once.
            const QByteArray next = readAt(fd, offset + 4, 4);
            const bool full = !(next == "hdlr" || next == "ilst" || next == "mhdr" || next == "ctry" || next == "lang");
            offset += full ? 4 : 0;
        } else if (name == "stsd") {
            offset += 8; // version, flags and the entry count
        }
    }
}

// Whether TagLib can read the file in bounded time: its layout is walked (a few reads) and a file that would make
// TagLib search, list or nest without end is refused before TagLib sees it. `id3v2` is the size of the ID3v2 tag
// the file starts with (0 without one).
bool boundedLayout(int fd, Kind kind, qint64 fileSize, qint64 id3v2)
{
    switch (kind) {
    case Kind::OggVorbis:
    case Kind::OggOpus:
    case Kind::OggFlac: {
        // TagLib looks for the last page backwards from the end: it must be near.
        const qint64 from = std::max<qint64>(0, fileSize - kMaxOggPage - 128);
        return readAt(fd, from, int(fileSize - from)).contains("OggS");
    }
    case Kind::Flac:
        return boundedFlac(fd, readAt(fd, 0, 4) == "fLaC" ? 0 : id3v2, fileSize);
    case Kind::Mp4:
        return boundedAtoms(fd, fileSize);
    case Kind::Wav:
    case Kind::Aiff:
        return boundedChunks(fd, kind == Kind::Wav, fileSize);
    case Kind::Unknown:
        break;
    }
    return false;
}

} // namespace

bool FolderAlbum::isAudioName(QStringView fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return false;
    const QStringView extension = fileName.sliced(dot + 1);
    return std::any_of(audioExtensions().begin(), audioExtensions().end(),
                       [extension](const QString &e) { return extension.compare(e, Qt::CaseInsensitive) == 0; });
}

FolderAlbum::Track FolderAlbum::readFile(const QString &path)
{
    Track track;
    track.fileName = QFileInfo(path).fileName();
    const QByteArray name = QFile::encodeName(path);

    // Only a regular file is opened: a pipe or a device would block the reading or never end.
    struct stat st;
    if (::stat(name.constData(), &st) != 0) {
        track.error = systemErrorText(errno);
        return track;
    }
    if (!S_ISREG(st.st_mode)) {
        track.error = S_ISDIR(st.st_mode) ? QStringLiteral("это папка, а не файл")
                                          : QStringLiteral("это не файл, а устройство или канал");
        return track;
    }
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        track.error = errno == EACCES ? QStringLiteral("нет прав на чтение этого файла") : systemErrorText(errno);
        return track;
    }
    const QByteArray head = readAt(fd, 0, kHeadSize);
    const qint64 id3v2 = MpegStreamInfo::id3v2Size(head.left(10));
    const QByteArray afterId3v2 = id3v2 > 0 && id3v2 < st.st_size ? readAt(fd, id3v2, 4) : QByteArray();
    const Kind kind = kindOf(head, afterId3v2);
    const bool bounded = kind != Kind::Unknown && boundedLayout(fd, kind, st.st_size, id3v2);
    ::close(fd);
    if (head.isEmpty()) {
        track.error = st.st_size == 0 ? QStringLiteral("файл пуст") : QStringLiteral("файл не удалось прочитать");
        return track;
    }

    if (kind == Kind::Unknown) {
        if (track.fileName.endsWith(QLatin1String(".mp3"), Qt::CaseInsensitive))
            readMp3(path, head, track);
        else
            track.error = notAudioText();
        return track;
    }

    if (!bounded) {
        track.error = notAudioText();
        return track;
    }
    const std::unique_ptr<TagLib::File> file = openTagLib(kind, name.constData());
    if (!file || !file->isValid() || !file->audioProperties()) {
        track.error = notAudioText();
        return track;
    }
    if (file->tag())
        fillMissing(track, *file->tag(), file->properties());
    // TagLib's tag of a WAV file is its ID3v2 chunk alone; what that lacks comes from the RIFF INFO list, where
    // most programs write a WAV file's texts.
    if (kind == Kind::Wav) {
        const auto &wav = static_cast<const TagLib::RIFF::WAV::File &>(*file);
        if (wav.hasInfoTag())
            fillMissing(track, *wav.InfoTag(), wav.InfoTag()->properties());
    }
    const int ms = file->audioProperties()->lengthInMilliseconds();
    if (ms > 0)
        track.duration = EditorRules::durationText(int(std::lround(ms / 1000.0)));
    return track;
}

int FolderAlbum::naturalCompare(QStringView a, QStringView b)
{
    const auto isDigit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
    const auto sign = [](int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; };
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            // Runs of digits compare as numbers of any length: without leading zeros, the longer is larger.
            qsizetype ei = i, ej = j;
            while (ei < a.size() && isDigit(a[ei]))
                ++ei;
            while (ej < b.size() && isDigit(b[ej]))
                ++ej;
            while (i < ei - 1 && a[i] == QLatin1Char('0'))
                ++i;
            while (j < ej - 1 && b[j] == QLatin1Char('0'))
                ++j;
            if (ei - i != ej - j)
                return ei - i < ej - j ? -1 : 1;
            if (const int c = a.sliced(i, ei - i).compare(b.sliced(j, ej - j)))
                return sign(c);
            i = ei;
            j = ej;
            continue;
        }
        const QChar ca = a[i].toCaseFolded(), cb = b[j].toCaseFolded();
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    return sign(a.compare(b));
}

void FolderAlbum::sortTracks(QVector<Track> &tracks)
{
    QSet<int> numbers;
    for (const Track &track : tracks) {
        if (track.tagTrack > 0)
            numbers.insert(track.tagTrack);
    }
    const bool byTag = numbers.size() == tracks.size();
    std::stable_sort(tracks.begin(), tracks.end(), [byTag](const Track &x, const Track &y) {
        if (byTag)
            return x.tagTrack < y.tagTrack;
        return naturalCompare(x.fileName, y.fileName) < 0;
    });
}

void FolderAlbum::findShared()
{
    const auto shared = [this](QString Track::*field) {
        if (tracks.isEmpty())
            return QString();
        const QString &first = tracks.front().*field;
        for (const Track &track : tracks) {
            if (track.*field != first)
                return QString();
        }
        return first;
    };
    album = shared(&Track::album);
    genre = shared(&Track::genre);
    label = shared(&Track::label);
}

FolderAlbum FolderAlbum::read(const QString &folder, const Progress &progress, const Stop &stop)
{
    FolderAlbum result;
    const QFileInfo info(folder);
    if (!info.exists()) {
        result.error = QStringLiteral("папка не найдена");
        return result;
    }
    if (!info.isDir()) {
        result.error = QStringLiteral("это файл, а не папка");
        return result;
    }
    const QDir dir(folder);
    if (!dir.isReadable()) {
        result.error = QStringLiteral("нет прав на чтение этой папки");
        return result;
    }

    // Files of every kind, so that a pipe or a broken link named like audio is told about, not passed over.
    QStringList names;
    const QStringList entries =
        dir.entryList(QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString &name : entries) {
        if (name.startsWith(QLatin1Char('.')) || !isAudioName(name))
            ++result.skipped;
        else
            names << name;
    }
    std::sort(names.begin(), names.end(), [](const QString &x, const QString &y) { return naturalCompare(x, y) < 0; });

    for (int n = 0; n < names.size(); ++n) {
        if (stop && stop()) {
            result.stopped = true;
            break;
        }
        Track track = readFile(dir.filePath(names.at(n)));
        (track.ok() ? result.tracks : result.failed).append(std::move(track));
        if (progress)
            progress(n + 1, int(names.size()));
    }
    sortTracks(result.tracks);
    result.findShared();
    return result;
}
