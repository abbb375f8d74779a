#include "BenchCommon.h"
#include "core/media/FolderAlbum.h"
#include "ui/folder/FolderReader.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

using namespace Bench;

namespace {

// One file of each format a folder CD holds, `seconds` of a tagged tone, made by ffmpeg.
bool makeSample(const QString &path, int seconds, const QStringList &codec)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 QStringList{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                             QStringLiteral("lavfi"), QStringLiteral("-i"),
                             QStringLiteral("sine=frequency=440:duration=%1").arg(seconds), QStringLiteral("-ac"),
                             QStringLiteral("2"), QStringLiteral("-metadata"), QStringLiteral("title=Трек"),
                             QStringLiteral("-metadata"), QStringLiteral("artist=Artist"), QStringLiteral("-metadata"),
                             QStringLiteral("album=Album"), QStringLiteral("-metadata"), QStringLiteral("track=1")} +
                     codec + QStringList{path});
    return ffmpeg.waitForFinished(120'000) && ffmpeg.exitStatus() == QProcess::NormalExit && ffmpeg.exitCode() == 0;
}

// Reading a folder of `count` audio files of mixed formats (MP3, FLAC, Ogg Vorbis, Opus, M4A, WAV), all in
// the page cache, beside reading every byte of the same files.
void benchFolderAlbum(const QString &dir, int count, int runs)
{
    if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty()) {
        std::printf("%-28s skipped: ffmpeg is not installed (scripts/install-deps)\n", "Folder as one CD");
        return;
    }
    QTemporaryDir folder(dir + QStringLiteral("/folderXXXXXX"));
    struct Sample
    {
        const char *extension;
        int seconds;
        QStringList codec;
    };
    const std::vector<Sample> samples{{"mp3", 30, {}},
                                      {"flac", 10, {}},
                                      {"ogg", 30, {QStringLiteral("-c:a"), QStringLiteral("libvorbis")}},
                                      {"opus", 30, {QStringLiteral("-c:a"), QStringLiteral("libopus")}},
                                      {"m4a", 30, {QStringLiteral("-c:a"), QStringLiteral("aac")}},
                                      {"wav", 3, {}}};
    QStringList made;
    for (const Sample &s : samples) {
        const QString path = folder.filePath(QStringLiteral("sample.") + QLatin1String(s.extension));
        if (!makeSample(path, s.seconds, s.codec)) {
            std::printf("%-28s skipped: ffmpeg could not make a .%s file\n", "Folder as one CD", s.extension);
            return;
        }
        made << path;
    }
    const QString cd = folder.filePath(QStringLiteral("cd"));
    QDir().mkpath(cd);
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString &sample = made.at(i % made.size());
        paths << QStringLiteral("%1/%2 Трек.%3").arg(cd).arg(i + 1).arg(QFileInfo(sample).suffix());
        QFile::copy(sample, paths.last());
    }

    qint64 sink = 0;
    const auto readAll = [&] {
        for (const QString &path : paths) {
            QFile f(path);
            if (f.open(QIODevice::ReadOnly))
                sink += f.readAll().size();
        }
    };
    readAll(); // into the page cache

    std::vector<double> read, plain;
    for (int r = 0; r < runs; ++r) {
        plain.push_back(timeMs(readAll));
        read.push_back(timeMs([&] { sink += FolderAlbum::read(cd).tracks.size(); }));
    }
    report("Folder as one CD", count, median(read), median(plain), "QFile readAll of each file", "files");

    // The same folder read as the dialog reads it, on a worker, while the window's loop turns: the longest
    // turn, beside the longest turn of an idle loop over as long.
    std::vector<double> held, idle;
    FolderReader reader;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer clock;
        clock.start();
        reader.read(cd);
        held.push_back(longestTurn([&] { return reader.isReading(); }));
        const qint64 span = clock.nsecsElapsed();
        clock.restart();
        idle.push_back(longestTurn([&] { return clock.nsecsElapsed() < span; }));
    }
    report("Folder read, longest hold", count, median(held), median(idle), "idle loop, longest turn", "files");
    if (sink == 42)
        std::printf(" \n"); // keeps the reads from being left out
}

} // namespace

void benchFolder(const QString &dir)
{
    benchFolderAlbum(dir, 500, 5);
}
