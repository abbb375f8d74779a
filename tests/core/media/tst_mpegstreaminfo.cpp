// The stream information of MP3 files: the header rules on hand-made frames, reading files of every length
// and of every kind a path can name, and files made with lame checked against mediainfo.
#include "core/media/MpegStreamInfo.h"
#include "support/TestFiles.h"
#include "support/WavFile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <cmath>
#include <sys/stat.h>
#include <unistd.h>

using TestSupport::readBytes;

namespace {

constexpr int kFrameSize = 417;    // an MPEG-1 layer III frame at 128 kbit/s and 44.1 kHz
constexpr qint64 kLength = 16'000; // a file longer than the frames given, one second at 128 kbit/s

// A frame of zeros after the four header bytes `header` (0xFFFB9044 and so on), as long as the header says (a
// free-format one 417 bytes), and the next frame's header after it.
QByteArray frame(quint32 header)
{
    QByteArray h(4, '\0');
    qToBigEndian(header, h.data());
    const int length = MpegStreamInfo::frameLength(h);
    return h + QByteArray((length > 0 ? length : kFrameSize) - 4, '\0') + h;
}

// A frame carrying a Xing header (`magic`, flags, frame count) `offset` bytes after its start.
QByteArray xingFrame(quint32 header, int offset, quint32 frames, quint32 flags = 0x0F, const char *magic = "Xing")
{
    QByteArray f = frame(header);
    f.replace(offset, 4, QByteArrayView(magic, 4));
    qToBigEndian(flags, f.data() + offset + 4);
    qToBigEndian(frames, f.data() + offset + 8);
    return f;
}

// An ID3v2.4 tag of `size` bytes in all, header and footer (flag 0x10) included, with a body of zeros.
QByteArray id3v2(int size, quint8 flags = 0)
{
    QByteArray tag(size, '\0');
    tag.replace(0, 4, QByteArrayView("ID3\x04", 4));
    tag[5] = char(flags);
    const int body = size - 10 - ((flags & 0x10) ? 10 : 0);
    for (int i = 0; i < 4; ++i)
        tag[9 - i] = char((body >> (7 * i)) & 0x7F);
    return tag;
}

QString joined(const MpegStreamInfo &info)
{
    return info.texts.join(QLatin1Char('|'));
}

// Seconds of a Xing stream, counted frame group by frame group: 57 frames first, then 38, 38 and 39 a second.
int countedByLoop(int frames)
{
    int a = frames - 57, s = 0;
    while (a > 0) {
        ++s;
        a -= 38 + (s % 3 == 0 ? 1 : 0);
    }
    return s;
}

// Every text empty but the size, and no play time: what a stream without a header gives.
void verifyNotFound(const MpegStreamInfo &info, qint64 length)
{
    QVERIFY(!info.headerFound);
    QCOMPARE(info.seconds, -1);
    QCOMPARE(joined(info), QStringLiteral("||||||||||%1 bytes").arg(length));
}

} // namespace

class tst_mpegstreaminfo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void headerTexts_data();
    void headerTexts();
    void frameLengths();
    void bitRateTable();
    void playTime_data();
    void playTime();
    void xingCountingMatchesTheRule();
    void frameSearch_data();
    void frameSearch();
    void id3v2Size_data();
    void id3v2Size();
    void id3v2Skipped();
    void pathsThatAreNotReadableFiles();
    void readAgreesWithBytesAtEveryLength();
    void lameFilesAgreeWithMediainfo_data();
    void lameFilesAgreeWithMediainfo();

private:
    QString encode(const QString &name, const QStringList &lameArgs);

    QTemporaryDir m_dir;
    QString m_wav;
};

void tst_mpegstreaminfo::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // Six seconds of 16-bit stereo at 44.1 kHz: a tone, with noise in every other second so that a
    // variable bit rate varies.
    const int rate = 44100, samples = rate * 6;
    QByteArray pcm;
    QRandomGenerator random(7);
    for (int i = 0; i < samples; ++i) {
        const int noise = (i / rate) % 2 ? random.bounded(-6000, 6000) : 0;
        const qint16 v = qint16(8000 * std::sin(2 * M_PI * 440 * i / rate) + noise);
        char two[4];
        qToLittleEndian(v, two);
        qToLittleEndian(qint16(-v / 2), two + 2);
        pcm.append(two, 4);
    }
    m_wav = m_dir.filePath(QStringLiteral("tone.wav"));
    QFile f(m_wav);
    QVERIFY(f.open(QIODevice::WriteOnly));
    const QByteArray wav = TestSupport::stereoWav(pcm, rate);
    QCOMPARE(f.write(wav), wav.size());
}

// Every text of a lone frame of 417 bytes, from its header.
void tst_mpegstreaminfo::headerTexts_data()
{
    QTest::addColumn<quint32>("header");
    QTest::addColumn<QString>("texts");
    const auto row = [](const char *name, quint32 header, const char *texts) {
        QTest::newRow(name) << header << QString::fromLatin1(texts);
    };
    row("MPEG-1 L3 128 joint", 0xFFFB9044,
        "128Kbit| Joint Stereo| No|No| None|44100 Hz|layer 3|1|MPEG 1.0| Yes|16000 bytes");
    row("with CRC, 48 kHz", 0xFFFA9400, "128Kbit| Stereo| No|Yes| None|48000 Hz|layer 3|1|MPEG 1.0| No|16000 bytes");
    row("padding, private bit", 0xFFFB9300, "128Kbit| Stereo| No|No| None|44100 Hz|layer 3|1|MPEG 1.0| No|16000 bytes");
    row("layer 2, 32 kHz, dual", 0xFFFD5889,
        "64Kbit| 2 Channel| Yes|No| 50/15 microsec|32000 Hz|layer 2|2|MPEG 1.0| No|16000 bytes");
    row("layer 1", 0xFFFFE00F, "320Kbit| Stereo| Yes|No| CITT j. 17|44100 Hz|layer 1|0|MPEG 1.0| Yes|16000 bytes");
    row("layer 1 with CRC", 0xFFFE0044,
        "24Kbit| Joint Stereo| No|Yes| None|44100 Hz|layer 1|5|MPEG 1.0| Yes|16000 bytes");
    row("MPEG-2 22.05 kHz", 0xFFF38064,
        "64Kbit| Joint Stereo| No|No| None|22050 Hz|layer 3|2|MPEG 2.0| Yes|16000 bytes");
    row("MPEG-2 24 kHz", 0xFFF214C0, "8Kbit| Mono| No|Yes| None|24000 Hz|layer 3|16|MPEG 2.0| No|16000 bytes");
    row("MPEG-2 16 kHz", 0xFFF3E800, "160Kbit| Stereo| No|No| None|16000 Hz|layer 3|0|MPEG 2.0| No|16000 bytes");
    row("MPEG-2 layer 2", 0xFFF5A080, "96Kbit| 2 Channel| No|No| None|22050 Hz|layer 2|1|MPEG 2.0| No|16000 bytes");
    row("MPEG-2 layer 1", 0xFFF60440, "0Kbit| Joint Stereo| No|Yes| None|24000 Hz|layer 1||MPEG 2.0| No|16000 bytes");
    row("MPEG-2.5 11.025 kHz", 0xFFE38064,
        "64Kbit| Joint Stereo| No|No| None|11025 Hz|layer 3|2|MPEG 2.5| Yes|16000 bytes");
    row("MPEG-2.5 12 kHz", 0xFFE284C0, "64Kbit| Mono| No|Yes| None|12000 Hz|layer 3|2|MPEG 2.5| No|16000 bytes");
    row("MPEG-2.5 8 kHz", 0xFFE31800, "8Kbit| Stereo| No|No| None|8000 Hz|layer 3|16|MPEG 2.5| No|16000 bytes");
}

void tst_mpegstreaminfo::headerTexts()
{
    QFETCH(quint32, header);
    QFETCH(QString, texts);
    const MpegStreamInfo info = MpegStreamInfo::fromBytes(frame(header), kLength);
    QVERIFY(info.headerFound);
    QCOMPARE(joined(info), texts);
}

// Frame lengths in bytes as the standard gives them, by version and layer, with padding and without; 0 for
// free format, -1 for what is no header.
void tst_mpegstreaminfo::frameLengths()
{
    const std::pair<quint32, int> lengths[] = {
        {0xFFFB9244, 418},  {0xFFFDEA44, 1729}, {0xFFFF4244, 140}, {0xFFF5A044, 626}, {0xFFF74444, 128},
        {0xFFE3EA44, 1441}, {0xFFFB0044, 0},    {0xFFFB9C44, -1},  {0xFFF99044, -1},  {0xFFE59044, -1},
    };
    for (const auto &[header, length] : lengths) {
        QByteArray h(4, '\0');
        qToBigEndian(header, h.data());
        QVERIFY2(MpegStreamInfo::frameLength(h) == length, qPrintable(QString::number(header, 16)));
    }
}

// One table for all layers, by version: the rates of MPEG layer III, free format read as 24 and 0.
void tst_mpegstreaminfo::bitRateTable()
{
    const int mpeg1[] = {24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    const int mpeg2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    for (quint32 layer : {0x02u, 0x04u, 0x06u}) {
        for (quint32 b = 0; b < 15; ++b) { // 15 is no bit rate: no header has it
            const auto bitRate = [&](quint32 h1) {
                return MpegStreamInfo::fromBytes(frame(0xFF000000 | (h1 | layer) << 16 | b << 12), kLength)
                    .texts[MpegStreamInfo::BitRate];
            };
            QCOMPARE(bitRate(0xF9), QString::number(mpeg1[b]) + QStringLiteral("Kbit"));
            QCOMPARE(bitRate(0xF1), QString::number(mpeg2[b]) + QStringLiteral("Kbit"));
        }
    }
}

// The play time and the bit rate text of constant and Xing streams, from the file's length, the tag before
// the stream and the frame count.
void tst_mpegstreaminfo::playTime_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("tagSize");
    QTest::addColumn<qint64>("fileLength");
    QTest::addColumn<QString>("bitRate");
    QTest::addColumn<QString>("length");
    QTest::addColumn<int>("seconds");
    const auto row = [](const char *name, const QByteArray &stream, int tag, qint64 length, const char *bitRate,
                        const char *lengthText, int seconds) {
        QTest::newRow(name) << stream << tag << length << QString::fromLatin1(bitRate)
                            << QString::fromLatin1(lengthText) << seconds;
    };
    const quint32 joint = 0xFFFB9064, mono = 0xFFFB90C4, mpeg2 = 0xFFF38064, mpeg2Mono = 0xFFF380C4;
    row("CBR 4 000 000 bytes", frame(joint), 0, 4'000'000, "128Kbit", "250", 250);
    row("CBR drops the remainder", frame(joint), 0, 4'015'999, "128Kbit", "250", 250);
    row("CBR next second", frame(joint), 0, 4'016'000, "128Kbit", "251", 251);
    row("CBR without the ID3v2 tag", frame(joint), 16'000, 4'016'000, "128Kbit", "250", 250);
    row("CBR 8 kbit/s", frame(0xFFF31064), 0, 250'000, "8Kbit", "250", 250);
    row("CBR shorter than a second", frame(joint), 0, 417, "128Kbit", "0", 0);
    row("bit rate 0", frame(0xFFF30064), 0, 4'000'000, "0Kbit", "", -1);
    row("Xing 9 640 frames", xingFrame(joint, 36, 9640), 0, 5'000'000, "160 Kbit (VBR)", "250 seconds", 250);
    row("Xing 58 frames", xingFrame(joint, 36, 58), 0, 5'000, "40 Kbit (VBR)", "1 seconds", 1);
    row("Xing 57 frames", xingFrame(joint, 36, 57), 0, 5'000, "", "", -1);
    row("Xing no frames", xingFrame(joint, 36, 0), 0, 5'000, "", "", -1);
    row("Xing, bit rate 0", xingFrame(0xFFF30064, 21, 9640), 0, 5'000'000, "160 Kbit (VBR)", "250 seconds", 250);
    row("Xing after a tag", xingFrame(joint, 36, 9640), 1'000'000, 6'000'000, "160 Kbit (VBR)", "250 seconds", 250);
    row("Xing count's top byte", xingFrame(joint, 36, 0x01000000 + 9640), 0, 5'000'000, "160 Kbit (VBR)", "250 seconds",
        250);
    row("Xing without frame count", xingFrame(joint, 36, 9640, 0x0E), 0, 5'000'000, "", "", -1);
    row("Xing in MPEG-1 mono", xingFrame(mono, 21, 9640), 0, 5'000'000, "160 Kbit (VBR)", "250 seconds", 250);
    row("Xing in MPEG-2", xingFrame(mpeg2, 21, 9640), 0, 5'000'000, "160 Kbit (VBR)", "250 seconds", 250);
    row("Xing in MPEG-2 mono", xingFrame(mpeg2Mono, 13, 9640), 0, 5'000'000, "160 Kbit (VBR)", "250 seconds", 250);
    row("Xing where mono has none", xingFrame(mono, 36, 9640), 0, 4'000'000, "128Kbit", "250", 250);
    row("Info is CBR", xingFrame(joint, 36, 9640, 0x0F, "Info"), 0, 4'000'000, "128Kbit", "250", 250);
    row("Xing 48 kHz", xingFrame(0xFFFB9464, 36, 10'000), 0, 4'800'000, "160 Kbit (VBR)", "240 seconds", 240);
    row("Xing 48 kHz 58 frames", xingFrame(0xFFFB9464, 36, 58), 0, 1'000, "8 Kbit (VBR)", "1 seconds", 1);
    row("Xing 32 kHz", xingFrame(0xFFFB9864, 36, 10'000), 0, 3'600'000, "80 Kbit (VBR)", "360 seconds", 360);
    row("Xing 24 kHz", xingFrame(0xFFF38464, 21, 10'000), 0, 2'400'000, "80 Kbit (VBR)", "240 seconds", 240);
    row("Xing 16 kHz", xingFrame(0xFFF38864, 21, 10'000), 0, 3'600'000, "80 Kbit (VBR)", "360 seconds", 360);
    row("Xing layer 2 at 44.1 kHz", xingFrame(0xFFFD9064, 36, 9640), 0, 5'020'000, "160 Kbit (VBR)", "251 seconds",
        251);
    row("Xing layer 2 MPEG-2", xingFrame(0xFFF58064, 21, 9640), 0, 5'030'000, "80 Kbit (VBR)", "503 seconds", 503);
    row("Xing layer 1", xingFrame(0xFFFF9064, 36, 9640), 0, 830'000, "80 Kbit (VBR)", "83 seconds", 83);
    row("Xing under a second", xingFrame(0xFFFF9464, 36, 100), 0, 5'000, "", "", -1);
}

void tst_mpegstreaminfo::playTime()
{
    QFETCH(QByteArray, stream);
    QFETCH(int, tagSize);
    QFETCH(qint64, fileLength);
    const QByteArray head = (tagSize ? id3v2(tagSize) : QByteArray()) + stream;
    const MpegStreamInfo info = MpegStreamInfo::fromBytes(head, fileLength);
    QVERIFY(info.headerFound);
    QTEST(info.texts[MpegStreamInfo::BitRate], "bitRate");
    QTEST(info.texts[MpegStreamInfo::Length], "length");
    QTEST(info.seconds, "seconds");
    QCOMPARE(info.texts[MpegStreamInfo::Size], QString::number(fileLength) + QStringLiteral(" bytes"));
}

// At 44.1 and 22.05 kHz (layer III) the seconds of a Xing stream are counted the long way round, frame
// group by frame group; the counting must give the same for every count up to beyond an hour.
void tst_mpegstreaminfo::xingCountingMatchesTheRule()
{
    const std::pair<quint32, int> streams[] = {{0xFFFB9064, 36}, {0xFFF38064, 21}}; // header, Xing offset
    for (const auto &[header, offset] : streams) {
        for (int frames = 0; frames <= 140'000; ++frames) {
            const int expected = countedByLoop(frames);
            const MpegStreamInfo info = MpegStreamInfo::fromBytes(xingFrame(header, offset, frames), 1'000'000);
            if (info.seconds != (expected > 0 ? expected : -1))
                QFAIL(qPrintable(
                    QStringLiteral("%1 frames: %2 seconds, not %3").arg(frames).arg(info.seconds).arg(expected)));
        }
    }
}

// Where the first frame header is found in the search buffer, and what is not one.
void tst_mpegstreaminfo::frameSearch_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<qint64>("fileLength");
    QTest::addColumn<QString>("layerAndRate"); // empty: no header found
    const auto at = [](int offset, const QByteArray &bytes) { return QByteArray(QByteArray(offset, '\0') + bytes); };
    const QByteArray l3 = frame(0xFFFB9064);
    QTest::newRow("at 0") << l3 << qint64(l3.size()) << "layer 3 128Kbit";
    QTest::newRow("at 4091") << at(4091, l3) << qint64(4091 + l3.size()) << "layer 3 128Kbit";
    QTest::newRow("at 4092") << at(4092, l3) << qint64(4092 + l3.size()) << "";
    QTest::newRow("not MPEG") << QByteArray("\xFF\xF8\xFF\xF9\xFF\xF0\xFF\xF1\xFF\xE1\xFF\xE4\xFE\xFB") + l3
                              << qint64(500) << "layer 3 128Kbit";
    QTest::newRow("first 0xFF of two") << QByteArray("\xFF") + l3 << qint64(500) << "layer 3 128Kbit";
    QTest::newRow("MPEG-2.5") << frame(0xFFE39064) << kLength << "layer 3 80Kbit";
    // Two bytes that look like a header's start are one only where the next frame follows it.
    const QByteArray lone = l3.left(kFrameSize);
    QTest::newRow("no next frame") << at(100, lone) << kLength << "";
    QTest::newRow("next frame a byte late") << at(100, lone + '\0' + l3.left(4)) << kLength << "";
    QTest::newRow("next frame of layer 2") << at(100, lone + frame(0xFFFD9064).left(4)) << kLength << "";
    QTest::newRow("bit rate 15") << frame(0xFFFBF064) << kLength << "";
    QTest::newRow("sampling index 3") << frame(0xFFFC1CC2) << kLength << "";
    QTest::newRow("free format unchecked") << at(100, frame(0xFFFB0064).left(4)) << kLength << "layer 3 24Kbit";
    // Or where the frame ends the audio.
    const QByteArray tag = "TAG" + QByteArray(125, ' ');
    QTest::newRow("ends the file") << at(100, lone) << qint64(100 + kFrameSize) << "layer 3 128Kbit";
    QTest::newRow("ends at the ID3v1 tag")
        << at(100, lone + tag) << qint64(100 + kFrameSize + 128) << "layer 3 128Kbit";
    QTest::newRow("a byte before the ID3v1 tag") << at(100, lone + 'x' + tag) << qint64(100 + kFrameSize + 129) << "";
    QTest::newRow("a WAV file") << readBytes(m_wav) << qint64(readBytes(m_wav).size()) << "";
    QTest::newRow("empty") << QByteArray() << qint64(0) << "";
    QTest::newRow("0xFF alone") << QByteArray("\xFF") << qint64(1) << "";
    QTest::newRow("two bytes") << QByteArray("\xFF\xFB") << qint64(2) << "layer 3 24Kbit";
    QTest::newRow("head past the file") << at(100, l3) << qint64(100) << "";
    QTest::newRow("file past the head") << at(100, l3).left(101) << qint64(10'000) << "";
    QTest::newRow("Xing past the search buffer")
        << at(4080, xingFrame(0xFFFB9064, 36, 9640)) << qint64(5'000'000) << "layer 3 160 Kbit (VBR)";
}

void tst_mpegstreaminfo::frameSearch()
{
    QFETCH(QByteArray, head);
    QFETCH(qint64, fileLength);
    QFETCH(QString, layerAndRate);
    const MpegStreamInfo info = MpegStreamInfo::fromBytes(head, fileLength);
    if (layerAndRate.isEmpty())
        return verifyNotFound(info, fileLength);
    QVERIFY(info.headerFound);
    QCOMPARE(info.texts[MpegStreamInfo::Layer] + QLatin1Char(' ') + info.texts[MpegStreamInfo::BitRate], layerAndRate);
}

void tst_mpegstreaminfo::id3v2Size_data()
{
    QTest::addColumn<QByteArray>("first10");
    QTest::addColumn<qint64>("size");
    QTest::newRow("10 000 bytes") << id3v2(10'000).left(10) << qint64(10'000);
    QTest::newRow("with a footer") << id3v2(10'010, 0x10).left(10) << qint64(10'010);
    QTest::newRow("other flags") << id3v2(10'000, 0xEF).left(10) << qint64(10'000);
    QTest::newRow("largest") << QByteArray("ID3\x04\x00\x00\x7F\x7F\x7F\x7F", 10) << qint64(10 + (1 << 28) - 1);
    QTest::newRow("eighth bits") << QByteArray("ID3\x03\x00\x00\x80\x80\x81\x81", 10) << qint64(10 + 129);
    QTest::newRow("nine bytes") << id3v2(10'000).left(9) << qint64(0);
    QTest::newRow("no ID3") << QByteArray("ID2\x04\x00\x00\x00\x00\x4E\x06", 10) << qint64(0);
    QTest::newRow("lower case") << QByteArray("id3\x04\x00\x00\x00\x00\x4E\x06", 10) << qint64(0);
}

void tst_mpegstreaminfo::id3v2Size()
{
    QFETCH(QByteArray, first10);
    QTEST(MpegStreamInfo::id3v2Size(first10), "size");
}

// The search starts after a leading ID3v2 tag: headers inside the tag do not count, and the search buffer
// is counted from the tag's end.
void tst_mpegstreaminfo::id3v2Skipped()
{
    const QByteArray mono = frame(0xFFFB90C4);
    QByteArray tag = id3v2(10'000);
    tag.replace(5000, 4, frame(0xFFFB9064).left(4));
    MpegStreamInfo info = MpegStreamInfo::fromBytes(QByteArray(tag + mono), 20'000);
    QVERIFY(info.headerFound);
    QCOMPARE(info.texts[MpegStreamInfo::ChannelMode], QStringLiteral(" Mono"));

    // A footer counts, and a header in its place is not the stream's.
    QByteArray footed = id3v2(10'010, 0x10);
    footed.replace(10'000, 4, frame(0xFFFB9064).left(4));
    info = MpegStreamInfo::fromBytes(QByteArray(footed + mono), 20'000);
    QCOMPARE(info.texts[MpegStreamInfo::ChannelMode], QStringLiteral(" Mono"));

    QVERIFY(MpegStreamInfo::fromBytes(QByteArray(tag + QByteArray(4091, '\0') + mono), 20'000).headerFound);
    verifyNotFound(MpegStreamInfo::fromBytes(QByteArray(tag + QByteArray(4092, '\0') + mono), 20'000), 20'000);
    verifyNotFound(MpegStreamInfo::fromBytes(QByteArray(tag + QByteArray(5000, '\0')), 15'000), 15'000);
    // A tag said to be longer than the file is broken: the search starts at the file's start.
    info = MpegStreamInfo::fromBytes(QByteArray(tag.left(10) + mono), 9'999);
    QCOMPARE(info.texts[MpegStreamInfo::ChannelMode], QStringLiteral(" Mono"));
}

// A path that names no readable regular file: the reason in Russian, no texts, nothing found.
void tst_mpegstreaminfo::pathsThatAreNotReadableFiles()
{
    const auto verifyRefused = [](const QString &path, const QString &reason) {
        const MpegStreamInfo info = MpegStreamInfo::read(path);
        QVERIFY2(!info.headerFound, qPrintable(path));
        QCOMPARE(info.seconds, -1);
        QCOMPARE(info.texts.size(), int(MpegStreamInfo::kTextCount));
        QCOMPARE(info.texts.join(QString()), QString());
        QCOMPARE(info.error, reason);
    };
    const QString missing = QStringLiteral("файл или папка не найдены");
    verifyRefused(m_dir.filePath(QStringLiteral("missing.mp3")), missing);
    verifyRefused(QString(), missing);
    verifyRefused(m_dir.path(), QStringLiteral("это папка, а не файл"));
    verifyRefused(QStringLiteral("/dev/null"), QStringLiteral("это не файл, а устройство или канал"));
    const QString fifo = m_dir.filePath(QStringLiteral("pipe.mp3"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    verifyRefused(fifo, QStringLiteral("это не файл, а устройство или канал")); // and does not wait for a writer

    const QString file = m_dir.filePath(QStringLiteral("file.mp3"));
    QVERIFY(QFile(file).open(QIODevice::WriteOnly));
    verifyRefused(file + QStringLiteral("/inside.mp3"), QStringLiteral("часть пути не является папкой"));
    const MpegStreamInfo empty = MpegStreamInfo::read(file);
    QCOMPARE(empty.error, QString());
    verifyNotFound(empty, 0);

    if (::geteuid() == 0)
        QSKIP("Running as root, which reads any file: the unreadable file is not tried");
    QVERIFY(QFile::setPermissions(file, QFileDevice::WriteOwner));
    verifyRefused(file, QStringLiteral("нет прав на чтение этого файла"));
}

// Reading a file of each length from 0 to beyond the search buffer gives what its bytes give: reads past the
// end, short reads and the ID3v2 tag's second read all land where they should.
void tst_mpegstreaminfo::readAgreesWithBytesAtEveryLength()
{
    const QByteArray plain = QByteArray(3000, '\x01') + xingFrame(0xFFFB9064, 36, 9640) + QByteArray(2000, '\xFF');
    const QByteArray tagged = id3v2(5000) + plain;
    // At its whole length, its only frame ends at the ID3v1 tag.
    const QByteArray lone =
        QByteArray(3000, '\x01') + frame(0xFFFB9064).left(kFrameSize) + "TAG" + QByteArray(125, 't');
    for (const QByteArray &content : {plain, tagged, lone}) {
        const QString path = m_dir.filePath(QStringLiteral("lengths.mp3"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(f.write(content), content.size());
        f.close();
        for (qint64 n = content.size(); n >= 0; --n) {
            QVERIFY(f.resize(n));
            const MpegStreamInfo fromFile = MpegStreamInfo::read(path);
            const MpegStreamInfo fromBytes = MpegStreamInfo::fromBytes(content, n);
            if (joined(fromFile) != joined(fromBytes) || fromFile.seconds != fromBytes.seconds ||
                !fromFile.error.isEmpty())
                QFAIL(qPrintable(QStringLiteral("at %1 bytes: %2 (%3), not %4")
                                     .arg(n)
                                     .arg(joined(fromFile), fromFile.error, joined(fromBytes))));
        }
    }
}

QString tst_mpegstreaminfo::encode(const QString &name, const QStringList &lameArgs)
{
    const QString mp3 = m_dir.filePath(name + QStringLiteral(".mp3"));
    QProcess lame;
    lame.start(QStringLiteral("lame"), QStringList{QStringLiteral("--quiet")} + lameArgs + QStringList{m_wav, mp3});
    if (!lame.waitForFinished(60'000) || lame.exitStatus() != QProcess::NormalExit || lame.exitCode() != 0) {
        qWarning("lame %s: %s", qPrintable(lameArgs.join(QLatin1Char(' '))), lame.readAllStandardError().constData());
        return QString();
    }
    return mp3;
}

void tst_mpegstreaminfo::lameFilesAgreeWithMediainfo_data()
{
    QTest::addColumn<QStringList>("lameArgs");
    const auto row = [](const char *name, const char *args) {
        QTest::newRow(name) << QString::fromLatin1(args).split(QLatin1Char(' '));
    };
    row("CBR 128 joint stereo", "-b 128");
    row("CBR 192 stereo", "-b 192 -m s");
    row("CBR 96 mono", "-b 96 -m m");
    row("CBR 128 dual channel", "-b 128 -m d");
    row("CBR 320 48 kHz", "-b 320 --resample 48");
    row("CBR 40 32 kHz", "-b 40 --resample 32");
    row("MPEG-2 CBR 64 22.05 kHz mono", "-b 64 -m m --resample 22.05");
    row("MPEG-2 CBR 80 24 kHz", "-b 80 --resample 24");
    row("MPEG-2 CBR 32 16 kHz stereo", "-b 32 -m s --resample 16");
    row("VBR 44.1 kHz", "-V 2");
    row("VBR 44.1 kHz mono", "-V 4 -m m");
    row("VBR 48 kHz", "-V 2 --resample 48");
    row("MPEG-2 VBR 22.05 kHz", "-V 4 --resample 22.05");
    row("MPEG-2 VBR 22.05 kHz mono", "-V 6 -m m --resample 22.05");
    row("MPEG-2 VBR 24 kHz", "-V 5 --resample 24");
    row("MPEG-2.5 CBR 32 11.025 kHz", "-b 32 --resample 11.025");
    row("MPEG-2.5 VBR 8 kHz", "-V 7 --resample 8");
    row("ID3v1 only", "-b 128 --id3v1-only --tt Title --ta Artist");
    row("ID3v2 only", "-b 128 --id3v2-only --tt Title --ta Artist");
    row("ID3v1 and ID3v2", "-b 160 --add-id3v2 --tt Title --ta Artist");
    row("padded ID3v2 over 4 KB", "-b 128 --id3v2-only --pad-id3v2-size 10000 --tt Title");
    row("VBR long ID3v2 comment", QByteArray("-V 3 --add-id3v2 --tc " + QByteArray(6000, 'c')).constData());
}

// Files made by lame, each header text beside what mediainfo, a reader of its own, says of the same file.
void tst_mpegstreaminfo::lameFilesAgreeWithMediainfo()
{
    QFETCH(QStringList, lameArgs);
    if (QStandardPaths::findExecutable(QStringLiteral("lame")).isEmpty())
        QSKIP("lame is not installed (scripts/install-deps installs it): no MP3 files to read");
    if (QStandardPaths::findExecutable(QStringLiteral("mediainfo")).isEmpty())
        QSKIP("mediainfo is not installed (scripts/install-deps installs it): nothing to check the files against");
    const QString mp3 =
        encode(QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('_')), lameArgs);
    QVERIFY(!mp3.isEmpty());

    QProcess mediainfo;
    mediainfo.start(QStringLiteral("mediainfo"), {QStringLiteral("--Output=JSON"), mp3});
    QVERIFY(mediainfo.waitForFinished(60'000));
    QJsonObject general, audio;
    const QJsonDocument json = QJsonDocument::fromJson(mediainfo.readAllStandardOutput());
    for (const QJsonValue &track : json[QLatin1String("media")][QLatin1String("track")].toArray()) {
        const QString type = track[QLatin1String("@type")].toString();
        if (type == QLatin1String("General"))
            general = track.toObject();
        else if (type == QLatin1String("Audio"))
            audio = track.toObject();
    }
    QVERIFY2(!audio.isEmpty(), "mediainfo found no audio stream");
    const auto said = [&audio](const char *key) { return audio[QLatin1String(key)].toString(); };

    const MpegStreamInfo info = MpegStreamInfo::read(mp3);
    QVERIFY(info.headerFound);
    QCOMPARE(info.error, QString());
    QCOMPARE(info.texts[MpegStreamInfo::Size],
             general[QLatin1String("FileSize")].toString() + QStringLiteral(" bytes"));
    const QString version = said("Format_Version"); // "1", "2" or "2.5"
    QCOMPARE(info.texts[MpegStreamInfo::Version],
             QStringLiteral("MPEG ") + version + (version.contains(QLatin1Char('.')) ? "" : ".0"));
    QCOMPARE(info.texts[MpegStreamInfo::Layer], said("Format_Profile").toLower());
    QCOMPARE(info.texts[MpegStreamInfo::SamplingFrequency], said("SamplingRate") + QStringLiteral(" Hz"));
    const QString mode = said("Format_Settings_Mode"); // given for joint stereo and dual mono only
    const QString channels = mode == QLatin1String("Joint stereo")    ? QStringLiteral(" Joint Stereo")
                             : mode == QLatin1String("Dual mono")     ? QStringLiteral(" 2 Channel")
                             : said("Channels") == QLatin1String("1") ? QStringLiteral(" Mono")
                                                                      : QStringLiteral(" Stereo");
    QCOMPARE(info.texts[MpegStreamInfo::ChannelMode], channels);

    const double duration = said("Duration").toDouble();
    const int frames = said("FrameCount").toInt();
    QVERIFY(duration > 5 && frames > 80); // 83 frames of 576 samples at 8 kHz
    if (said("BitRate_Mode") == QLatin1String("CBR")) {
        QCOMPARE(info.texts[MpegStreamInfo::BitRate],
                 QString::number(said("BitRate").toInt() / 1000) + QStringLiteral("Kbit"));
        QVERIFY2(std::abs(info.seconds - duration) <= 1,
                 qPrintable(QStringLiteral("%1 s, mediainfo %2 s").arg(info.seconds).arg(duration)));
        QCOMPARE(info.texts[MpegStreamInfo::Length], QString::number(info.seconds));
        return;
    }
    QCOMPARE(said("BitRate_Mode"), QStringLiteral("VBR"));
    QVERIFY(info.texts[MpegStreamInfo::BitRate].endsWith(QLatin1String(" Kbit (VBR)")));
    QCOMPARE(info.texts[MpegStreamInfo::Length], QString::number(info.seconds) + QStringLiteral(" seconds"));
    const int rate = said("SamplingRate").toInt();
    if (rate == 44100 || rate == 22050) // the seconds after the first 57 frames, counted in groups of frames
        QCOMPARE(info.seconds, countedByLoop(frames));
    else
        QVERIFY2(std::abs(info.seconds - duration) <= 1,
                 qPrintable(QStringLiteral("%1 s, mediainfo %2 s").arg(info.seconds).arg(duration)));
}

QTEST_GUILESS_MAIN(tst_mpegstreaminfo)
#include "tst_mpegstreaminfo.moc"
