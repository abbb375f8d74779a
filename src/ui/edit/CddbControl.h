#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// Looks up the audio CD in a drive in a CDDB database: reads the disc's table of contents, asks the
// server over CDDBP (TCP), or the MusicBrainz web service over HTTP(S), and keeps what it answered. The album dialogs
// use it through the members and signals below; the work runs in the event loop, so no window waits on it.
//
// Each lookup forgets the previous disc first: after a failed, timed-out or stopped lookup there is no
// disc data at all (track count 0, empty texts).
//
// The signals of one lookup, in order: connected() once the server accepts the connection; lineReceived()
// for every line it sends until the lookup ends (a few hundred lines a turn of the event loop); then, ending
// it, failure() when it failed, disconnected() when it had connected, and finished() last, always. A stopped
// lookup sends no failure(). The server is told "quit" whenever it can still hear it, and a lookup that has
// the disc ends without waiting for the server's goodbye. A server that says nothing for
// settings().timeoutMs (also while connecting) fails the lookup; the time the user spends picking a match
// does not count.
class CddbControl : public QObject
{
    Q_OBJECT

public:
    // Where the server is and whom to introduce as: settings.ini, section "CDDB", keys "Server", "Port"
    // and "Email"; whether the MusicBrainz web service is asked instead, and where it is: section
    // "MusicBrainz", keys "Use" and "Server" (see MusicBrainzRequest). All read, never written.
    struct Settings
    {
        QString server = QStringLiteral("gnudb.gnudb.org");
        quint16 port = 8880;
        QString email;
        // A server that says nothing for this long fails the lookup.
        int timeoutMs = 30000;
        bool musicBrainz = false;
        QString musicBrainzServer = QStringLiteral("musicbrainz.org");
    };
    // The settings from the settings file at `iniPath`, the defaults where it has none.
    static Settings readSettings(const QString &iniPath);

    explicit CddbControl(QObject *parent = nullptr);
    ~CddbControl() override;

    void setSettings(const Settings &settings);
    const Settings &settings() const;

    // The CD drives of the system, by device name ("/dev/sr0"), in order; empty when it has none.
    QStringList drives() const;

    // Starts a lookup of the disc in `drive` (one of drives()). Returns at once: the signals below tell
    // how it goes, and finished() ends every lookup. False (and nothing starts) while a lookup runs.
    bool lookup(const QString &drive);
    // Stops a running lookup: it ends with finished(false); nothing when none runs.
    void stop();
    bool isRunning() const;

    // The disc of the last lookup that succeeded, and nothing after one that did not.
    QString albumTitle() const;
    QString labelValue() const;
    int trackCount() const;
    // Track `track` (from 1): "artist - title" (the track's own artist on a compilation, the disc's
    // otherwise), and its length in seconds; empty and 0 for a track the disc does not have, -1 for a
    // length the service does not know.
    QString trackTitle(int track) const;
    int trackLength(int track) const;
    // A length as the editor writes durations: "m:ss"; empty for an unknown (negative) one.
    QString formatLength(int length) const;
    QString genre() const;

    // Test seams: where the table of contents comes from (instead of the drive), and who picks among
    // several matches (returns the index picked, or -1 to give up: the lookup then fails). Without a
    // chooser the user is asked in a list.
    //
    // The reader gives the start of each audio track and the lead-out in frames (1/75 s) from the start of
    // the disc, as libdiscid does (a plain CD's first track starts at 150); on failure it returns false and
    // may set `error` to the sentence failure() is to carry. The chooser is given each match as
    // "Artist / Album (category, disc id)".
    using TocReader = std::function<bool(const QString &drive, QList<int> &frameOffsets, int &leadout, QString *error)>;
    void setTocReader(TocReader reader);
    using MatchChooser = std::function<int(const QStringList &matches)>;
    void setMatchChooser(MatchChooser chooser);

Q_SIGNALS:
    // A line the server sent, as received.
    void lineReceived(const QString &line);
    void connected();
    void disconnected();
    // The lookup failed (`code`: the server's reply code, or 0 for a failure of our own). `text` says why in
    // Russian: a sentence of its own for failures of the drive, the connection or the answer's form; after a
    // reply of the server, that line, CR LF, and what it means (for a refusal, which setting to change).
    void failure(int code, const QString &text);
    // The lookup ended: with disc data (`ok`), or failed or stopped.
    void finished(bool ok);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
