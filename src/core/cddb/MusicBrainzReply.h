#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The answer of the MusicBrainz web service to a disc lookup (/ws/2/discid/..., JSON, with the recordings,
// artist credits, labels and genres included) read into what the album dialog takes: per release the album,
// the record label, the style and each track's artist, title and duration.
//
// The rules, where the answer leaves room:
// - An answer is an object with a "releases" array; anything else (not JSON, not an object, no such array)
//   is malformed, and so is an answer over kMaxBytes, which is not read at all. Entries of the array that are
//   not objects, and releases without a medium that has tracks, are left out; an answer left with no release
//   finds nothing.
// - The medium of a release is the one whose "discs" name the disc id looked up; else the first one with as
//   many tracks as the disc has (a lookup by table of contents names no disc); else the first with tracks.
// - An artist credit reads as MusicBrainz shows it: each credited name followed by its join phrase. A
//   track's artist is its own credit, else its recording's, else the release's.
// - A track's title is its own, else its recording's. Its duration is the recording's length, else the
//   track's, in milliseconds rounded to whole seconds and written "m:ss"; empty when neither is a length.
// - The label is the name of the first label that has one; the style the name of the release's first genre.
//   Either is empty when the release has none.
// - Every text has its control characters turned into spaces and is trimmed: none of them is more than one
//   line in the album dialog.
class MusicBrainzReply
{
public:
    // An answer larger than this is not a disc lookup's.
    static constexpr qsizetype kMaxBytes = 1 << 20;

    enum class Status { Ok, NotFound, TooLarge, Malformed };

    struct Track
    {
        QString artist;
        QString title;
        int lengthSeconds = -1; // -1 when not known
        QString duration;       // "m:ss", or empty when not known
    };

    struct Release
    {
        QString id;
        QString artist; // the release's artist credit
        QString album;
        QString label;
        QString catalogNumber;
        QString style;
        QString date;
        QString country;
        QList<Track> tracks;

        // How the user is shown it among several: "Artist / Album (date, country, label, catalogue number)",
        // with only the details it has, and no brackets without any.
        QString displayText() const;
    };

    // Reads `json`, the answer to a lookup of the disc with MusicBrainz id `discId` and `trackCount` tracks
    // (0 when not known).
    static MusicBrainzReply parse(const QByteArray &json, const QString &discId = QString(), int trackCount = 0);

    Status status() const { return m_status; }
    bool isOk() const { return m_status == Status::Ok; }
    // The releases found: at least one when isOk(), none otherwise.
    const QList<Release> &releases() const { return m_releases; }
    // Why nothing can be taken from the answer, in Russian for the lookup's log; empty when isOk().
    QString errorText() const;
    static QString statusText(Status status);

private:
    Status m_status = Status::NotFound;
    QList<Release> m_releases;
};
