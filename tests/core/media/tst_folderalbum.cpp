// A folder of audio files read as one CD: natural name order and the track-number rule on tables, and a real
// folder made with lame, ffmpeg and flac (mixed formats, tagged and untagged, broken files, Cyrillic names)
// checked against the MP3 reader the editor uses and against ffprobe.
#include "core/edit/EditorRules.h"
#include "core/media/FolderAlbum.h"
#include "core/media/MpegStreamInfo.h"
#include "support/TestFiles.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using TestSupport::run;
using TestSupport::writeBytes;

namespace {

// `seconds` of a tone through ffmpeg into `path`, the codec chosen by its extension, with `metadata`.
bool ffmpeg(const QString &path, int seconds, const QStringList &metadata = {}, const QStringList &codec = {})
{
    QStringList args{
        "-v",  "error", "-y", "-f", "lavfi", "-i", QStringLiteral("sine=frequency=440:duration=%1").arg(seconds),
        "-ac", "2"};
    for (const QString &m : metadata)
        args << "-metadata" << m;
    return run("ffmpeg", args + codec + QStringList{path});
}

double ffprobeSeconds(const QString &path)
{
    QByteArray out;
    run("ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", path}, &out);
    return out.trimmed().toDouble();
}

QStringList namesOf(const QVector<FolderAlbum::Track> &tracks)
{
    QStringList names;
    for (const FolderAlbum::Track &t : tracks)
        names << t.fileName;
    return names;
}

} // namespace

class TestFolderAlbum : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void naturalCompare_data();
    void naturalCompare();
    void order_data();
    void order();
    void mixedFolder();
    void trackNumbersAndSharedFields();
    void folderErrorsAndStop();

private:
    QTemporaryDir m_dir;
    QString m_wav;
};

void TestFolderAlbum::initTestCase()
{
    for (const char *tool : {"lame", "ffmpeg", "ffprobe", "flac"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QFAIL(qPrintable(QStringLiteral("%1 is needed: run scripts/install-deps").arg(tool)));
    }
    m_wav = m_dir.filePath("source.wav");
    QVERIFY(ffmpeg(m_wav, 3));
}

void TestFolderAlbum::naturalCompare_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("expected");
    const struct
    {
        const char *row, *a, *b;
        int expected;
    } rows[] = {
        {"digits as numbers", "2.mp3", "10.mp3", -1},
        {"inside a name", "track 9 b.mp3", "track 10 a.mp3", -1},
        {"leading zeros", "01 b.mp3", "1 a.mp3", 1},
        {"equal numbers, zeros decide", "007.mp3", "7.mp3", -1},
        {"longer than any integer", "x99999999999999999999", "x100000000000000000000", -1},
        {"case ignored first", "B.mp3", "a.mp3", 1},
        {"case decides a tie", "A.mp3", "a.mp3", -1},
        {"Cyrillic case", "Б", "а", 1},
        {"digit before letter", "a1", "ab", -1},
        {"same", "Трек 5", "Трек 5", 0},
    };
    for (const auto &r : rows)
        QTest::newRow(r.row) << QString::fromUtf8(r.a) << QString::fromUtf8(r.b) << r.expected;
}

void TestFolderAlbum::naturalCompare()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, expected);
    QCOMPARE(FolderAlbum::naturalCompare(a, b), expected);
    QCOMPARE(FolderAlbum::naturalCompare(b, a), -expected);
}

void TestFolderAlbum::order_data()
{
    // Files as "name:tag track", and the order expected.
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("distinct tags win") << QStringList{"a:3", "b:1", "c:2"} << QStringList{"b", "c", "a"};
    QTest::newRow("tags past the count") << QStringList{"a:12", "b:7"} << QStringList{"b", "a"};
    QTest::newRow("one untagged") << QStringList{"10:1", "9:2", "x:0"} << QStringList{"9", "10", "x"};
    QTest::newRow("shared number") << QStringList{"t10:1", "t2:1", "t1:2"} << QStringList{"t1", "t2", "t10"};
    QTest::newRow("none tagged") << QStringList{"Track 10", "track 2", "Track 1"}
                                 << QStringList{"Track 1", "track 2", "Track 10"};
    QTest::newRow("one file") << QStringList{"only:5"} << QStringList{"only"};
}

void TestFolderAlbum::order()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, expected);
    QVector<FolderAlbum::Track> tracks;
    for (const QString &file : files) {
        FolderAlbum::Track t;
        t.fileName = file.section(QLatin1Char(':'), 0, 0);
        t.tagTrack = file.section(QLatin1Char(':'), 1).toInt();
        tracks << t;
    }
    FolderAlbum::sortTracks(tracks);
    QCOMPARE(namesOf(tracks), expected);
}

void TestFolderAlbum::mixedFolder()
{
    const QDir folder(m_dir.filePath(QStringLiteral("Сборник")));
    QVERIFY(QDir().mkpath(folder.path()));
    const auto path = [&folder](const QString &name) { return folder.filePath(name); };

    // Not every file has a track number: the names decide, naturally ("2" before "10").
    QVERIFY(run("lame", {"--silent", "--tt", "Intro", "--ta", "DJ One", "--tl", "Mix", "--tg", "Techno", "--tn", "7",
                         "--tc", "first", m_wav, path("01 Intro.mp3")}));
    QVERIFY(ffmpeg(path(QStringLiteral("2 Второй.mp3")), 4,
                   {QStringLiteral("title=Второй трек"), QStringLiteral("artist=Диджей"), "album=Mix", "genre=Techno",
                    "track=2", QStringLiteral("publisher=Лейбл")}));
    QVERIFY(run("flac",
                {"-s", "-f", "-T", "TITLE=Tenth", "-T", "ARTIST=Flac", "-T", "ALBUM=Mix", "-T", "GENRE=House", "-T",
                 "TRACKNUMBER=3", "-T", "LABEL=Label", "-T", "COMMENT=lossless", "-o", path("10 Tenth.flac"), m_wav}));
    QVERIFY(ffmpeg(path("11 Ogg.ogg"), 5, {QStringLiteral("title=Огг"), "track=4"}, {"-c:a", "libvorbis"}));
    QVERIFY(ffmpeg(path("12 Opus.opus"), 2, {"title=Opus", "artist=Xiph"}, {"-c:a", "libopus"}));
    QVERIFY(ffmpeg(path("13 Aac.m4a"), 6, {"title=M4A", "artist=Apple", "album=Mix"}, {"-c:a", "aac"}));
    QVERIFY(ffmpeg(path(QStringLiteral("14 Без тегов.wav")), 2));
    QVERIFY(ffmpeg(path("15 Plain.aiff"), 3));
    // Texts in the RIFF INFO list only, as ffmpeg writes them; line breaks and a TAB, made spaces.
    QVERIFY(ffmpeg(path("16 Info.wav"), 2,
                   {"title=Info", "artist=Riff\tRaff", "album=Mix", "comment=two\r\nlines\n", "track=9"}));
    // Broken and foreign files among them, files that are not audio, a hidden one and a subfolder.
    QVERIFY(writeBytes(path(QStringLiteral("03 Сломанный.flac")), QByteArray("fLaC") + QByteArray(300, '\x7f')));
    QVERIFY(writeBytes(path("04 text.ogg"), "not an Ogg stream"));
    QVERIFY(writeBytes(path("05 empty.mp3"), QByteArray()));
    QVERIFY(writeBytes(path("readme.txt"), "hello"));
    QVERIFY(writeBytes(path("cover.jpg"), "\xFF\xD8\xFF"));
    QVERIFY(QFile::copy(path("01 Intro.mp3"), path(".hidden.mp3")));
    QVERIFY(folder.mkdir("sub"));
    QVERIFY(QFile::copy(path("01 Intro.mp3"), path("sub/99 Deeper.mp3")));

    QVector<QPair<int, int>> progress;
    const FolderAlbum album = FolderAlbum::read(folder.path(), [&progress](int done, int total) {
        progress.append({done, total});
    });

    QVERIFY(album.error.isEmpty());
    QVERIFY(!album.stopped);
    QCOMPARE(album.skipped, 3);
    QCOMPARE(progress.size(), 12);
    QCOMPARE(progress.last(), qMakePair(12, 12));
    QCOMPARE(namesOf(album.failed), QStringList({QStringLiteral("03 Сломанный.flac"), "04 text.ogg", "05 empty.mp3"}));
    for (const FolderAlbum::Track &t : album.failed)
        QVERIFY2(t.error.contains(QRegularExpression(QStringLiteral("[а-я]"))), qPrintable(t.error));

    // name|artist|title|album|genre|label|comment|tag track, in the order of the CD.
    const QStringList expected{
        "01 Intro.mp3|DJ One|Intro|Mix|Techno||first|7",
        QStringLiteral("2 Второй.mp3|Диджей|Второй трек|Mix|Techno|Лейбл||2"),
        "10 Tenth.flac|Flac|Tenth|Mix|House|Label|lossless|3",
        QStringLiteral("11 Ogg.ogg||Огг|||||4"),
        "12 Opus.opus|Xiph|Opus|||||0",
        "13 Aac.m4a|Apple|M4A|Mix||||0",
        QStringLiteral("14 Без тегов.wav|||||||0"),
        "15 Plain.aiff|||||||0",
        "16 Info.wav|Riff Raff|Info|Mix|||two  lines|9",
    };
    QCOMPARE(album.tracks.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        const FolderAlbum::Track &t = album.tracks[i];
        QCOMPARE(QStringList(
                     {t.fileName, t.artist, t.title, t.album, t.genre, t.label, t.comment, QString::number(t.tagTrack)})
                     .join(QLatin1Char('|')),
                 expected[i]);
        if (t.fileName.endsWith(".mp3")) {
            // The very text the editor's "Из тега MP3" gives.
            QCOMPARE(t.duration, EditorRules::durationText(MpegStreamInfo::read(path(t.fileName)).seconds));
        } else {
            const double probed = ffprobeSeconds(path(t.fileName));
            QVERIFY2(probed > 1 && qAbs(QTime(0, 0).secsTo(QTime::fromString(t.duration, "m:ss")) - probed) <= 1.0,
                     qPrintable(t.fileName + ": " + t.duration + " vs " + QString::number(probed)));
        }
    }
    // Shared only where every readable file agrees.
    QCOMPARE(album.album, QString());
    QCOMPARE(album.genre, QString());
    QCOMPARE(album.label, QString());
}

void TestFolderAlbum::trackNumbersAndSharedFields()
{
    const QDir folder(m_dir.filePath("numbered"));
    QVERIFY(QDir().mkpath(folder.path()));
    QVERIFY(run("lame", {"--silent", "--tl", "Best", "--tg", "Techno", "--tn", "3", "--ta", "A", "--tt", "a", m_wav,
                         folder.filePath("a.mp3")}));
    QVERIFY(run("flac", {"-s", "-f", "-T", "ALBUM=Best", "-T", "GENRE=Techno", "-T", "TRACKNUMBER=1", "-T",
                         QStringLiteral("LABEL=Лейбл"), "-o", folder.filePath("b.flac"), m_wav}));
    QVERIFY(ffmpeg(folder.filePath("c.ogg"), 2, {"album=Best", "genre=Techno", "track=2/3"}, {"-c:a", "libvorbis"}));

    const FolderAlbum album = FolderAlbum::read(folder.path());
    QCOMPARE(namesOf(album.tracks), QStringList({"b.flac", "c.ogg", "a.mp3"}));
    QCOMPARE(album.album, QStringLiteral("Best"));
    QCOMPARE(album.genre, QStringLiteral("Techno"));
    QCOMPARE(album.label, QString()); // only one file has a label
}

void TestFolderAlbum::folderErrorsAndStop()
{
    QVERIFY(!FolderAlbum::read(m_dir.filePath("missing")).error.isEmpty());
    QVERIFY(!FolderAlbum::read(m_wav).error.isEmpty());

    // A pipe named like audio is told about, never opened (that would wait for a writer forever).
    const QDir folder(m_dir.filePath("stop"));
    QVERIFY(QDir().mkpath(folder.path()));
    QVERIFY(run("mkfifo", {folder.filePath("1 pipe.wav")}));
    for (int i = 2; i <= 4; ++i)
        QVERIFY(QFile::copy(m_wav, folder.filePath(QStringLiteral("%1.wav").arg(i))));
    // Files that would hold TagLib for minutes: thousands of empty chunks, a stream followed by a gigabyte of
    // nothing (sparse) that TagLib would search backwards for its last page.
    const QByteArray wav = TestSupport::readBytes(m_wav);
    QVERIFY(writeBytes(folder.filePath("5 chunks.wav"),
                       wav.left(12) + QByteArray("JUNK\0\0\0\0", 8).repeated(2000) + wav.mid(12)));
    QVERIFY(ffmpeg(folder.filePath("6 tail.ogg"), 1, {}, {"-c:a", "libvorbis"}));
    QVERIFY(QFile::resize(folder.filePath("6 tail.ogg"), qint64(1) << 30));
    // Real files that TagLib reads, each past a limit of its layout: thousands of AIFF chunks or FLAC padding
    // blocks, MP4 atoms forty deep (millions deep overflow TagLib's stack) or ten thousand in one atom.
    const QString aiff = m_dir.filePath("source.aiff"), flac = m_dir.filePath("source.flac"),
                  m4a = m_dir.filePath("source.m4a");
    QVERIFY(ffmpeg(aiff, 1) && ffmpeg(m4a, 1, {}, {"-c:a", "aac"}));
    QVERIFY(run("flac", {"-s", "-f", "-o", flac, m_wav}));
    const QByteArray aiffBytes = TestSupport::readBytes(aiff), flacBytes = TestSupport::readBytes(flac);
    QVERIFY(writeBytes(folder.filePath("7 chunks.aiff"),
                       aiffBytes.left(12) + QByteArray("JUNK\0\0\0\0", 8).repeated(2000) + aiffBytes.mid(12)));
    QVERIFY(writeBytes(folder.filePath("8 padding.flac"),
                       flacBytes.left(42) + QByteArray("\x01\0\0\0", 4).repeated(2000) + flacBytes.mid(42)));
    const auto atom = [](const char *name, const QByteArray &body) {
        QByteArray size(4, '\0');
        qToBigEndian<quint32>(quint32(8 + body.size()), size.data());
        return QByteArray(size + name + body);
    };
    QByteArray nested;
    for (int i = 0; i < 40; ++i)
        nested = atom("traf", nested);
    QVERIFY(writeBytes(folder.filePath("9 nested.m4a"), TestSupport::readBytes(m4a) + atom("moof", nested)));
    QVERIFY(writeBytes(folder.filePath("10 atoms.m4a"),
                       TestSupport::readBytes(m4a) + atom("moof", atom("free", {}).repeated(10000))));
    for (const QString &file : {aiff, flac, m4a})
        QVERIFY2(FolderAlbum::readFile(file).ok(), qPrintable(file));
    const FolderAlbum whole = FolderAlbum::read(folder.path());
    QCOMPARE(namesOf(whole.failed), QStringList({"1 pipe.wav", "5 chunks.wav", "6 tail.ogg", "7 chunks.aiff",
                                                 "8 padding.flac", "9 nested.m4a", "10 atoms.m4a"}));
    QCOMPARE(whole.tracks.size(), 3);

    int asked = 0;
    const FolderAlbum stopped = FolderAlbum::read(folder.path(), {}, [&asked] { return ++asked > 2; });
    QVERIFY(stopped.stopped);
    QCOMPARE(stopped.tracks.size() + stopped.failed.size(), 2);
}

QTEST_GUILESS_MAIN(TestFolderAlbum)
#include "tst_folderalbum.moc"
