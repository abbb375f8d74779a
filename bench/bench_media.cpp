#include "BenchCommon.h"
#include "core/media/MpegStreamInfo.h"
#include "core/media/modMP3Tags.h"
#include "support/WavFile.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QtEndian>

#include <cmath>
#include <cstdio>
#include <vector>

using namespace Bench;

namespace {

// `seconds` of a 440 Hz tone as a 16-bit stereo WAV file at 44.1 kHz.
QByteArray toneWav(int seconds)
{
    const int rate = 44100;
    QByteArray pcm(qsizetype(rate) * seconds * 4, '\0');
    for (int i = 0; i < rate * seconds; ++i) {
        const qint16 v = qint16(8000 * std::sin(2 * M_PI * 440 * i / rate));
        qToLittleEndian(v, pcm.data() + 4 * i);
        qToLittleEndian(v, pcm.data() + 4 * i + 2);
    }
    return TestSupport::stereoWav(pcm, rate);
}

// The bytes the two readers look at, read plainly: the ID3v2 tag and the 4 KB after it with the frame that
// may follow (6 KB in all), and the last 128 bytes (the ID3v1 tag, whose marker the stream information
// reads too).
qint64 plainRead(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    QByteArray head = f.read(10);
    qint64 tag = 0;
    if (head.size() == 10 && head.startsWith("ID3"))
        tag = 10 + ((head[6] & 0x7F) << 21 | (head[7] & 0x7F) << 14 | (head[8] & 0x7F) << 7 | (head[9] & 0x7F));
    head += f.read(tag + MpegStreamInfo::kSearchSize + 2048 - head.size());
    qint64 got = head.size();
    if (f.seek(f.size() - 128))
        got += f.read(128).size();
    return got;
}

// Tag and stream information of `count` copies of one MP3 file (ID3v2 and ID3v1 tags, as lame writes them
// with tag options), all in the page cache, beside a plain read of the same bytes.
void benchTagsAndStream(const QString &dir, int count, int runs)
{
    if (QStandardPaths::findExecutable(QStringLiteral("lame")).isEmpty()) {
        std::printf("%-28s skipped: lame is not installed (scripts/install-deps)\n", "MP3 tag + stream info");
        return;
    }
    QTemporaryDir folder(dir + QStringLiteral("/mediaXXXXXX"));
    const QString wav = folder.filePath(QStringLiteral("tone.wav"));
    const QString mp3 = folder.filePath(QStringLiteral("tone.mp3"));
    writeFile(wav, toneWav(20));
    QProcess lame;
    lame.start(QStringLiteral("lame"),
               {QStringLiteral("--quiet"), QStringLiteral("-V"), QStringLiteral("2"), QStringLiteral("--add-id3v2"),
                QStringLiteral("--tt"), QStringLiteral("Title"), QStringLiteral("--ta"), QStringLiteral("Artist"),
                QStringLiteral("--tc"), QStringLiteral("Comment"), wav, mp3});
    if (!lame.waitForFinished(120'000) || lame.exitCode() != 0) {
        std::printf("%-28s skipped: lame failed\n", "MP3 tag + stream info");
        return;
    }
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        paths.append(folder.filePath(QStringLiteral("%1.mp3").arg(i, 4, 10, QLatin1Char('0'))));
        QFile::copy(mp3, paths.last());
    }
    qint64 sink = 0;
    for (const QString &path : paths) { // into the page cache
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            sink += f.readAll().size();
    }

    std::vector<double> both, plainBoth, stream, plainHead;
    for (int r = 0; r < runs; ++r) {
        plainBoth.push_back(timeMs([&] {
            for (const QString &path : paths)
                sink += plainRead(path);
        }));
        both.push_back(timeMs([&] {
            for (const QString &path : paths) {
                modMP3Tags::TagBuffer b;
                modMP3Tags::ReadTag(path, b);
                sink += MpegStreamInfo::read(path).seconds;
            }
        }));
        plainHead.push_back(timeMs([&] {
            for (const QString &path : paths)
                sink += plainRead(path);
        }));
        stream.push_back(timeMs([&] {
            for (const QString &path : paths)
                sink += MpegStreamInfo::read(path).seconds;
        }));
    }
    report("MP3 tag + stream info", count, median(both), median(plainBoth), "QFile ID3v2+6 KB, last 128", "files");
    report("MP3 stream info alone", count, median(stream), median(plainHead), "QFile ID3v2+6 KB, last 128", "files");
    if (sink == 42)
        std::printf(" \n"); // keeps the reads from being left out
}

} // namespace

void benchMedia(const QString &dir)
{
    benchTagsAndStream(dir, 1'000, 7);
}
