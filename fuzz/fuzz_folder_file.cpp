// One audio file of a folder read as a CD track, on any bytes.
//
// The first byte picks the file's name: its low three bits the extension (mp3, flac, ogg, opus, m4a, wav, aiff,
// and again mp3), bit 3 the extension in capitals, bit 4 a Cyrillic name. The rest is the file. Whatever it
// holds, the reading must end (run-fuzzers' -timeout stops one that does not) and give a track that is either
// read or refused with a reason, never both:
//  - a refused track has its reason and nothing else but its name; an empty file is refused;
//  - a read track's play time, when it has one, is "m:ss" as the editor writes it, and an MP3's is the very
//    one the editor's stream reader gives; every text is one line, without NUL or other control characters;
//  - a file whose first bytes announce no format TagLib reads is read only when its name ends in .mp3;
//  - the track's file name is the name it was written under.

#include "FuzzSupport.h"
#include "core/edit/EditorRules.h"
#include "core/media/FolderAlbum.h"
#include "core/media/MpegStreamInfo.h"

namespace {

// Whether the first bytes announce one of the formats read through TagLib: a FLAC stream (after an ID3v2 tag
// too), an Ogg stream's first page, an MP4 file type box, a RIFF WAVE or an AIFF form.
bool announcesFormat(const QByteArray &content)
{
    const auto at = [&content](int offset, const QByteArray &marker) { return content.mid(offset).startsWith(marker); };
    const qint64 tag = MpegStreamInfo::id3v2Size(content.left(10));
    return at(0, "fLaC") || (tag > 0 && tag < content.size() && at(int(tag), "fLaC")) || at(0, "OggS") ||
           at(4, "ftyp") || (at(0, "RIFF") && at(8, "WAVE")) || (at(0, "FORM") && (at(8, "AIFF") || at(8, "AIFC")));
}

QByteArray describe(const FolderAlbum::Track &t)
{
    return QStringList({t.fileName, t.artist, t.title, t.album, t.comment, t.genre, t.label,
                        QString::number(t.tagTrack), t.duration, t.error})
        .join(QLatin1Char('|'))
        .toUtf8();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    static const char *const kExtensions[] = {"mp3", "flac", "ogg", "opus", "m4a", "wav", "aiff", "mp3"};
    QString extension = QString::fromLatin1(kExtensions[data[0] & 7]);
    if (data[0] & 8)
        extension = extension.toUpper();
    const QString name = ((data[0] & 16) ? QStringLiteral("Трек 1.") : QStringLiteral("track.")) + extension;
    const QByteArray content = FuzzSupport::bytes(data + 1, size - 1);
    const QString path = FuzzSupport::writeFile(name, content);

    const FolderAlbum::Track track = FolderAlbum::readFile(path);
    const QByteArray detail = describe(track);
    FUZZ_CHECK_SAYING(track.fileName == name, detail);
    FUZZ_CHECK_SAYING(track.ok() == track.error.isEmpty(), detail);
    for (const QString &text :
         {track.artist, track.title, track.album, track.comment, track.genre, track.label, track.duration, track.error})
        FUZZ_CHECK_SAYING(FuzzSupport::isOneLine(text), detail + "\n" + FuzzSupport::hex(text));

    if (!track.ok()) {
        FUZZ_CHECK_SAYING(track.artist.isEmpty() && track.title.isEmpty() && track.album.isEmpty() &&
                              track.comment.isEmpty() && track.genre.isEmpty() && track.label.isEmpty() &&
                              track.tagTrack == 0 && track.duration.isEmpty(),
                          detail);
        return 0;
    }
    FUZZ_CHECK_SAYING(!content.isEmpty(), detail);
    FUZZ_CHECK_SAYING(track.tagTrack >= 0 && track.tagTrack <= 9999, detail);
    const bool mp3 = name.endsWith(QLatin1String(".mp3"), Qt::CaseInsensitive);
    const bool announced = announcesFormat(content);
    FUZZ_CHECK_SAYING(announced || mp3, detail);

    if (!track.duration.isEmpty()) {
        const qsizetype colon = track.duration.indexOf(QLatin1Char(':'));
        bool minutesOk = false, secondsOk = false;
        const int minutes = track.duration.left(colon).toInt(&minutesOk);
        const int seconds = track.duration.mid(colon + 1).toInt(&secondsOk);
        FUZZ_CHECK_SAYING(colon > 0 && minutesOk && secondsOk && minutes >= 0 && seconds >= 0 && seconds < 60 &&
                              track.duration == EditorRules::durationText(minutes * 60 + seconds),
                          detail);
    }
    if (mp3 && !announced) {
        // The MP3 reader is the editor's own: the same play time, or none where it finds none.
        const MpegStreamInfo info = MpegStreamInfo::read(path);
        FUZZ_CHECK_SAYING(info.headerFound, detail);
        FUZZ_CHECK_SAYING(track.duration == (info.seconds >= 0 ? EditorRules::durationText(info.seconds) : QString()),
                          detail + " seconds=" + QByteArray::number(info.seconds));
    }
    return 0;
}
