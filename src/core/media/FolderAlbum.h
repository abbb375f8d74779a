#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVector>

#include <functional>

// The audio files of one folder read as the tracks of one CD: a burned CD-R copied to disk or a download
// folder. Only the folder's own files are read (no subfolders); files that are not audio by their name are
// skipped and counted. MP3 files are read by the program's own ID3v1 and MPEG code, so their play times are
// those the editor shows; FLAC, Ogg Vorbis, Opus, M4A, WAV and AIFF through TagLib.
//
// Reading is synchronous, with a progress and a stop callback, so that a window can run it on a worker thread
// and cancel it. Nothing here touches the catalogue.
class FolderAlbum
{
public:
    // One file as read.
    struct Track
    {
        QString fileName; // the name inside the folder
        QString artist;
        QString title;
        QString album;
        QString comment;
        QString genre;
        QString label;
        int tagTrack = 0; // the tag's track number; 0 without one
        QString duration; // "m:ss"; empty when the file tells no play time
        QString error;    // why the file could not be read (Russian); empty when it was read
        bool ok() const { return error.isEmpty(); }
    };

    // Called after each file: `done` of `total` files read.
    using Progress = std::function<void(int done, int total)>;
    // Asked before each file: true stops the reading (what was read is kept, `stopped` is set).
    using Stop = std::function<bool()>;

    // The readable files in the order of the CD: track i is position i + 1.
    QVector<Track> tracks;
    // The files that could not be read, by file name, each with its reason.
    QVector<Track> failed;
    // Files of the folder that are not audio files by their name (hidden files among them).
    int skipped = 0;
    // Whether the reading was stopped before the last file.
    bool stopped = false;
    // Why the folder itself could not be listed (Russian); empty when it was.
    QString error;
    // The album, genre and label every readable file has alike; empty where they differ or one lacks it.
    QString album;
    QString genre;
    QString label;

    // Reads the audio files of `folder`.
    static FolderAlbum read(const QString &folder, const Progress &progress = {}, const Stop &stop = {});
    // Reads one file, choosing the reader by its name and its first bytes.
    static Track readFile(const QString &path);

    // Whether `fileName` names an audio file this reads, by its extension (any case).
    static bool isAudioName(QStringView fileName);
    // Puts `tracks` in the order of the CD: by the tags' track numbers when every track has one and no two
    // share one, otherwise by file name in natural order.
    static void sortTracks(QVector<Track> &tracks);
    // Compares file names as people read them: runs of digits by their number ("2" before "10"), the rest
    // without regard to case; names still equal are compared as they are. Negative, zero or positive.
    static int naturalCompare(QStringView a, QStringView b);

private:
    void findShared();
};
