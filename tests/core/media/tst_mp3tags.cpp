// The ID3v1 tag: the genre table, reading into the tag buffer (and from an ID3v2 tag where there is no
// ID3v1 one), and writing in place. Real MP3 files are made with lame and tagged with id3v2, which also reads
// back what was written; every file operation of a write is failed in turn, and the file must then be the
// old one or the new one byte for byte.
#include "core/media/modMP3Tags.h"
#include "support/FaultShim.h"
#include "support/SmallFileSystem.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace modMP3Tags;
using TestSupport::readBytes;
using TestSupport::run;
using TestSupport::SmallFileSystem;
using TestSupport::writeBytes;

namespace {

const QString kCyrillicTitle = QStringLiteral("Группа крови");
const QByteArray kCyrillicTitleBytes = QByteArray::fromHex("c3f0f3efefe020eaf0eee2e8"); // the same in CP1251

// Bytes that stand for audio: no "TAG" or "ID3" anywhere near where a tag would be looked for.
QByteArray audio(int size)
{
    QByteArray bytes(size, '\0');
    QRandomGenerator random(size);
    for (char &c : bytes)
        c = char(0x80 | random.bounded(0x80));
    return bytes;
}

// An ID3v1 tag as another program writes it: texts padded with NULs.
QByteArray id3v1(const QByteArray &title, const QByteArray &year, quint8 genre)
{
    QByteArray tag = "TAG" + title.leftJustified(30, '\0') + QByteArray("Artist").leftJustified(60, '\0');
    return tag + year.leftJustified(4, '\0') + QByteArray("Comment").leftJustified(30, '\0') + char(genre);
}

QByteArray syncsafe(qsizetype n)
{
    const char bytes[] = {char(n >> 21 & 0x7F), char(n >> 14 & 0x7F), char(n >> 7 & 0x7F), char(n & 0x7F)};
    return QByteArray(bytes, 4);
}

// An ID3v2.4 tag whose frames carry UTF-8 text; `size` replaces the header's size bytes when given.
QByteArray id3v2(const QList<QPair<QByteArray, QString>> &frames, const QByteArray &size = {})
{
    QByteArray body;
    for (const auto &[id, text] : frames) {
        // Text encoding 3 (UTF-8); a comment also has a language and an empty description.
        const QByteArray payload = '\x03' + (id == "COMM" ? QByteArray("eng\0", 4) : QByteArray()) + text.toUtf8();
        body += id + syncsafe(payload.size()) + QByteArray(2, '\0') + payload;
    }
    return QByteArray("ID3\x04\x00\x00", 6) + (size.isEmpty() ? syncsafe(body.size()) : size) + body;
}

// A buffer as a previous file left it.
TagBuffer previous()
{
    TagBuffer buffer;
    parseTag(id3v1("Previous", "1999", 17), buffer);
    return buffer;
}

bool same(const TagBuffer &a, const TagBuffer &b)
{
    return a.Tag == b.Tag && a.Title == b.Title && a.Artist == b.Artist && a.Album == b.Album && a.Year == b.Year &&
           a.Comment == b.Comment && a.Genre == b.Genre;
}

QString nulPadded(const QString &text, int width)
{
    return text + QString(width - text.size(), QChar(0));
}

bool haveTools(const QStringList &tools)
{
    for (const QString &tool : tools) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            return false;
    }
    return true;
}

// The words of `text`, split at blanks: a tool's arguments.
QStringList words(const char *text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// One second of noise encoded by lame into `mp3`, with `options` (its tags) before the files.
bool encode(const QTemporaryDir &dir, const QString &mp3, const QStringList &options = {})
{
    const QString raw = dir.filePath(QStringLiteral("noise.raw"));
    writeBytes(raw, audio(88200));
    return run(QStringLiteral("lame"),
               words("--silent -r -s 44.1 --bitwidth 16 -m m") + options + QStringList{raw, mp3});
}

// The ID3v1 tag as the id3v2 tool reads it: title, artist, album, year, comment and genre, each as the
// file's bytes (Latin-1 keeps them as they are). Its listing pads each text to 30 columns:
// "Title  : <30>  Artist: <30>", "Album  : <30>  Year: <year>, Genre: <name> (<n>)", "Comment: <30>  Track: n".
QStringList listedByTool(const QString &path)
{
    QByteArray output;
    run(QStringLiteral("id3v2"), {QStringLiteral("-l"), path}, &output);
    const QStringList lines = QString::fromLatin1(output).split(QLatin1Char('\n'));
    const auto line = [&](const char *start) {
        for (const QString &l : lines)
            if (l.startsWith(QLatin1String(start)))
                return l;
        return QString();
    };
    const QString first = line("Title  : "), second = line("Album  : "), third = line("Comment: ");
    const auto column = [](const QString &l, int at) {
        QString text = l.mid(at, 30);
        while (text.endsWith(QLatin1Char(' ')))
            text.chop(1);
        return text;
    };
    const QString rest = second.mid(47);
    return {column(first, 9),  column(first, 49),
            column(second, 9), rest.section(QLatin1String(", Genre: "), 0, 0),
            column(third, 9),  rest.section(QLatin1String(", Genre: "), 1)};
}

ino_t inode(const QString &path)
{
    struct stat info = {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_ino;
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class tst_mp3tags : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { FaultShim::disarm(); }

    void genreNumbers_data();
    void genreNumbers();
    void tagLayout();
    void readLeavesBuffer_data();
    void readLeavesBuffer();
    void roundTripAndCarryOver();
    void id3v2Fallback();
    void id3v2ByTools();
    void writeInPlace();
    void writeRefuses();
    void everyOperationFails_data();
    void everyOperationFails();
    void fullDisk();
};

void tst_mp3tags::genreNumbers_data()
{
    QTest::addColumn<QString>("style");
    QTest::addColumn<int>("number");
    const QList<QPair<const char *, int>> rows = {
        {"Blues", 0},        {"Metal", 9},         {"Rock", 17},        {"Noise", 39},       {"AlternRock", 40},
        {"Gangsta", 59},     {"Pop/Funk", 62},     {"Psychadelic", 67}, {"Low-Fi", 71},      {"Folk", 80},
        {"Bebop", 85},       {"Avantgarde", 90},   {"A Capella", 123},  {"Euro-House", 124}, {"Dance Hall", 125},
        {"rock", 255},       {"Psychedelic", 255}, {"", 255},           {" Rock", 255},      {"Rock ", 255},
        {"A Cappella", 255}, {"Lo-Fi", 255},       {"Hip-Hop", 7},      {"R&B", 14},         {"Rock & Roll", 78},
    };
    for (const auto &[style, number] : rows)
        QTest::addRow("\"%s\"", style) << QString::fromLatin1(style) << number;
}

void tst_mp3tags::genreNumbers()
{
    QFETCH(QString, style);
    QFETCH(int, number);
    QCOMPARE(genreNames().size(), 126);
    QCOMPARE(int(genreNumber(style)), number);
    // A style that names no genre writes none into a file without a tag, and keeps a tag's own genre.
    QCOMPARE(tagBytes(TagBuffer(), style).at(127), char(number));
    QCOMPARE(tagBytes(TagBuffer(), style, id3v1("Old", "1970", 3)).at(127), char(number == 255 ? 3 : number));
}

void tst_mp3tags::tagLayout()
{
    TagBuffer buffer;
    buffer.Title = fixedField(QStringLiteral("Abc"), kTextWidth);
    buffer.Year = QStringLiteral("2001");
    QByteArray tag = tagBytes(buffer, QStringLiteral("Rock"));
    QCOMPARE(tag, "TAG" + QByteArray("Abc") + QByteArray(27, ' ') + QByteArray(64, '\0') + QByteArray(30, '\0') +
                      char(17)); // the buffer's year is another file's: a file without a tag gets none

    // Fields of a wrong width, and a character written as two bytes, still give 128 bytes, field by field.
    buffer.Title = QString(40, QLatin1Char('t'));
    buffer.Artist = QStringLiteral("ab");
    buffer.Album = QString(30, QChar(0x00DF)); // ß, written "ss"
    tag = tagBytes(buffer, {});
    QCOMPARE(tag.size(), kTagSize);
    QCOMPARE(tag.mid(3, 30), QByteArray(30, 't'));
    QCOMPARE(tag.mid(33, 30), "ab" + QByteArray(28, '\0'));
    QCOMPARE(tag.mid(63, 30), QByteArray("ss").repeated(15));

    // The editor's texts are cut to their field between characters, not inside one.
    const QString emoji = QStringLiteral("\U0001F3B5");
    QCOMPARE(fixedField(QString(29, QLatin1Char('a')) + emoji, kTextWidth), QString(29, QLatin1Char('a')) + u' ');
    QCOMPARE(fixedField(QString(28, QLatin1Char('a')) + emoji + u'b', kTextWidth),
             QString(28, QLatin1Char('a')) + emoji);
}

void tst_mp3tags::readLeavesBuffer_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("kind");
    const QByteArray tag = id3v1("New", "2020", 1);
    QTest::newRow("no tag") << audio(1000) << "file";
    QTest::newRow("tag one byte early") << audio(1000) + tag + 'x' << "file";
    QTest::newRow("127 bytes") << tag.left(127) << "file";
    QTest::newRow("empty") << QByteArray() << "file";
    QTest::newRow("missing") << QByteArray() << "missing";
    QTest::newRow("folder") << QByteArray() << "folder";
    QTest::newRow("named pipe") << QByteArray() << "pipe";
    QTest::newRow("ID3v2 of the encoder only") << id3v2({{"TSSE", QStringLiteral("encoder")}}) + audio(500) << "file";
    QTest::newRow("ID3v2 without frames") << id3v2({}) + audio(500) << "file";
    QTest::newRow("ID3v2 with a bad size") << id3v2({{"TIT2", QStringLiteral("x")}}, "\x80\0\0\x10") << "file";
    QTest::newRow("ID3v2 not at the start") << audio(10) + id3v2({{"TIT2", QStringLiteral("x")}}) << "file";
}

void tst_mp3tags::readLeavesBuffer()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.mp3"));
    if (kind == QLatin1String("file"))
        writeBytes(path, content);
    else if (kind == QLatin1String("folder"))
        QDir().mkdir(path);
    else if (kind == QLatin1String("pipe"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0); // must not block the read

    TagBuffer buffer = previous();
    QVERIFY(!ReadTag(path, buffer));
    QVERIFY(same(buffer, previous()));
}

// Cyrillic texts written and read back are unchanged and stand in the file in CP1251; the year of a file
// read before is not written into another file.
void tst_mp3tags::roundTripAndCarryOver()
{
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("first.mp3"));
    const QString second = dir.filePath(QStringLiteral("second.mp3"));
    writeBytes(first, audio(3000) + id3v1("Old", "1987", 0));
    writeBytes(second, audio(3000));

    TagBuffer buffer;
    QVERIFY(ReadTag(first, buffer));
    QCOMPARE(buffer.Tag, QStringLiteral("TAG"));
    QCOMPARE(buffer.Year, QStringLiteral("1987"));
    buffer.Title = fixedField(kCyrillicTitle, kTextWidth);
    buffer.Artist = fixedField(QStringLiteral("Кино"), kTextWidth);
    buffer.Comment = fixedField(QStringLiteral("ещё «копия» №2"), kTextWidth);
    QVERIFY(WriteTag(second, buffer, QStringLiteral("Rock")).ok());

    const QByteArray bytes = readBytes(second);
    QCOMPARE(bytes.mid(3000 + 3, 30), kCyrillicTitleBytes + QByteArray(18, ' '));
    TagBuffer back;
    QVERIFY(ReadTag(second, back));
    QCOMPARE(back.Title, buffer.Title);
    QCOMPARE(back.Artist, buffer.Artist);
    QCOMPARE(back.Comment, buffer.Comment);
    QCOMPARE(back.Album, QString(30, QChar(0)));
    QCOMPARE(back.Year, QString(4, QChar(0)));
    QCOMPARE(back.Genre, quint8(17));
}

// Hand-made ID3v2 tags at the start of files without an ID3v1 tag.
void tst_mp3tags::id3v2Fallback()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("v2.mp3"));
    const QString emoji = QStringLiteral("\U0001F600");
    writeBytes(path, id3v2({{"TIT2", QString(29, QLatin1Char('a')) + emoji + QLatin1Char('b')},
                            {"TPE1", QStringLiteral("Café")},
                            {"TDRC", QStringLiteral("2003-05-12")},
                            {"COMM", QStringLiteral("note")}}) +
                         audio(2000));
    TagBuffer buffer = previous();
    QVERIFY(ReadTag(path, buffer));
    // Cut before a character that would not fit whole; padded with NULs; a missing album is empty.
    QCOMPARE(buffer.Title, nulPadded(QString(29, QLatin1Char('a')), 30));
    QCOMPARE(buffer.Artist, nulPadded(QStringLiteral("Café"), 30));
    QCOMPARE(buffer.Album, QString(30, QChar(0)));
    QCOMPARE(buffer.Year, QStringLiteral("2003"));
    QCOMPARE(buffer.Comment, nulPadded(QStringLiteral("note"), 30));
    QCOMPARE(buffer.Genre, previous().Genre);
    QCOMPARE(fieldText(buffer.Artist), QStringLiteral("Café"));
    QCOMPARE(tagBytes(buffer, {}).mid(33, 4), QByteArray("Cafe")); // the code page's best fit on writing

    // With an ID3v1 tag as well, the ID3v1 tag is read.
    writeBytes(path, readBytes(path) + id3v1("One", "1990", 2));
    QVERIFY(ReadTag(path, buffer));
    QCOMPARE(fieldText(buffer.Title), QStringLiteral("One"));
    QCOMPARE(buffer.Album, QString(30, QChar(0)));
}

// Real files: lame makes the MP3 and its ID3v2 tag, the id3v2 tool adds tags the way other programs do.
void tst_mp3tags::id3v2ByTools()
{
    if (!haveTools({QStringLiteral("lame"), QStringLiteral("id3v2")}))
        QSKIP("lame and id3v2 are needed (scripts/install-deps installs them)");
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain.mp3"));
    QVERIFY(encode(dir, plain));
    TagBuffer buffer = previous();
    QVERIFY(!ReadTag(plain, buffer));
    QVERIFY(same(buffer, previous()));

    const QString tagged = dir.filePath(QStringLiteral("tagged.mp3"));
    QFile::copy(plain, tagged);
    QVERIFY(run(QStringLiteral("id3v2"), words("-2 -t Title2 -a Artist2 -A Album2 -y 2003 -c Comment2") << tagged));
    QVERIFY(ReadTag(tagged, buffer));
    QCOMPARE(buffer.Title, nulPadded(QStringLiteral("Title2"), 30));
    QCOMPARE(buffer.Artist, nulPadded(QStringLiteral("Artist2"), 30));
    QCOMPARE(buffer.Album, nulPadded(QStringLiteral("Album2"), 30));
    QCOMPARE(buffer.Year, QStringLiteral("2003"));
    QCOMPARE(buffer.Comment, nulPadded(QStringLiteral("Comment2"), 30));
    QCOMPARE(buffer.Genre, quint8(17));

    QVERIFY(run(QStringLiteral("id3v2"), words("-1 -t V1") << tagged));
    QVERIFY(ReadTag(tagged, buffer));
    QCOMPARE(fieldText(buffer.Title), QStringLiteral("V1"));

    // UTF-16 frames from lame itself, with a title longer than the field.
    const QString cyrillic = dir.filePath(QStringLiteral("cyrillic.mp3"));
    const QString longTitle = QStringLiteral("Звезда по имени Солнце (live in Moscow)");
    QVERIFY(encode(dir, cyrillic,
                   words("--id3v2-only --id3v2-utf16 --tt")
                       << longTitle << QStringLiteral("--ta") << QStringLiteral("Кино")));
    QVERIFY(ReadTag(cyrillic, buffer));
    QCOMPARE(buffer.Title, longTitle.left(30));
    QCOMPARE(buffer.Artist, nulPadded(QStringLiteral("Кино"), 30));
    QCOMPARE(buffer.Album, QString(30, QChar(0)));
    QCOMPARE(buffer.Year, QString(4, QChar(0)));
}

// Appending to a file without a tag and overwriting an existing one, read back by the id3v2 tool: the audio
// bytes stay, the file stays the same file (inode, hard links, permissions).
void tst_mp3tags::writeInPlace()
{
    if (!haveTools({QStringLiteral("lame"), QStringLiteral("id3v2")}))
        QSKIP("lame and id3v2 are needed (scripts/install-deps installs them)");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("song.mp3"));
    QVERIFY(encode(dir, path));
    const QString link = dir.filePath(QStringLiteral("link.mp3"));
    QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()), 0); // a hard link
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    const QByteArray sound = readBytes(path);
    const ino_t node = inode(path);

    TagBuffer buffer;
    buffer.Title = fixedField(kCyrillicTitle, kTextWidth);
    buffer.Artist = fixedField(QStringLiteral("Artist"), kTextWidth);
    buffer.Album = fixedField(QStringLiteral("Album"), kTextWidth);
    buffer.Year = QStringLiteral("1988");
    buffer.Comment = fixedField(QStringLiteral("Comment"), kTextWidth);
    QVERIFY(WriteTag(path, buffer, QStringLiteral("Rock")).ok());
    QByteArray now = readBytes(path);
    QCOMPARE(now.size(), sound.size() + 128);
    QVERIFY(now.startsWith(sound));
    QCOMPARE(listedByTool(path),
             QStringList({QString::fromLatin1(kCyrillicTitleBytes), QStringLiteral("Artist"), QStringLiteral("Album"),
                          QStringLiteral("    "), QStringLiteral("Comment"), QStringLiteral("Rock (17)")}));

    buffer.Title = fixedField(QStringLiteral("Second"), kTextWidth);
    QVERIFY(WriteTag(path, buffer, QStringLiteral("Techno")).ok());
    now = readBytes(path);
    QCOMPARE(now.size(), sound.size() + 128);
    QVERIFY(now.startsWith(sound));
    QCOMPARE(listedByTool(path).at(0), QStringLiteral("Second"));
    QCOMPARE(listedByTool(path).at(5), QStringLiteral("Techno (18)"));
    QCOMPARE(inode(path), node);
    QCOMPARE(readBytes(link), now);
    QCOMPARE(QFile::permissions(path) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);

    // A file shorter than a tag gets one appended too.
    const QString tiny = dir.filePath(QStringLiteral("tiny.mp3"));
    writeBytes(tiny, "TAG short");
    QVERIFY(WriteTag(tiny, buffer, {}).ok());
    QCOMPARE(readBytes(tiny), "TAG short" + tagBytes(buffer, {}));
}

void tst_mp3tags::writeRefuses()
{
    QTemporaryDir dir;
    const QString readOnly = dir.filePath(QStringLiteral("ro.mp3"));
    writeBytes(readOnly, audio(500));
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner);
    const QString folder = dir.filePath(QStringLiteral("folder.mp3"));
    QDir().mkdir(folder);
    QTemporaryDir pipeDir; // away from the snapshot, which would wait on the pipe
    const QString pipe = pipeDir.filePath(QStringLiteral("pipe.mp3"));
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QMap<QString, QString> expected = {
        {readOnly, QStringLiteral("файл доступен только для чтения")},
        {folder, QStringLiteral("это папка, а не файл")},
        {pipe, QStringLiteral("это не обычный файл")},
        {dir.filePath(QStringLiteral("missing.mp3")), QStringLiteral("файл не найден")},
        {dir.filePath(QStringLiteral("no/such/folder.mp3")), QStringLiteral("файл не найден")},
    };
    const auto before = TestSupport::snapshot(dir.path());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(WriteTag(it.key(), previous(), QStringLiteral("Rock")).error, it.value());
    QCOMPARE(TestSupport::snapshot(dir.path()), before);
}

void tst_mp3tags::everyOperationFails_data()
{
    QTest::addColumn<bool>("hasTag");
    QTest::newRow("appending") << false;
    QTest::newRow("overwriting") << true;
}

// Each file operation of a write fails in turn, once and from then on (a full disk). The file is then the old
// one and an error is returned, or the new one and none is. Two cases differ, both stated below.
void tst_mp3tags::everyOperationFails()
{
    QFETCH(bool, hasTag);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("song.mp3"));
    const QByteArray sound = audio(5000);
    const QByteArray oldTag = hasTag ? id3v1("Old", "1970", 3) : QByteArray();
    const QByteArray oldBytes = sound + oldTag;
    const TagBuffer buffer = previous();
    const QByteArray newBytes = sound + tagBytes(buffer, QStringLiteral("Rock"), oldTag);

    writeBytes(path, oldBytes);
    FaultShim::arm(dir.path(), 0, FaultShim::Mode::Once);
    QVERIFY(WriteTag(path, buffer, QStringLiteral("Rock")).ok());
    const int operations = FaultShim::operations();
    FaultShim::disarm();
    QCOMPARE(readBytes(path), newBytes);
    QVERIFY(operations >= 4); // open, write, fsync, close

    for (const FaultShim::Mode mode : {FaultShim::Mode::Once, FaultShim::Mode::FromThenOn}) {
        for (int n = 1; n <= operations; ++n) {
            writeBytes(path, oldBytes);
            FaultShim::arm(dir.path(), n, mode);
            const WriteResult result = WriteTag(path, buffer, QStringLiteral("Rock"));
            FaultShim::disarm();
            const QString what =
                QStringLiteral("%1 %2 (%3): %4")
                    .arg(mode == FaultShim::Mode::Once ? QStringLiteral("once at") : QStringLiteral("from"))
                    .arg(n)
                    .arg(FaultShim::operationName(n), result.error);
            QVERIFY2(FaultShim::failed(), qPrintable(what));
            const QByteArray now = readBytes(path);
            if (result.ok()) {
                // The last close: the tag is on the disk by then, and is reported as written.
                QVERIFY2(n == operations && FaultShim::operationName(n) == QLatin1String("close"), qPrintable(what));
                QVERIFY2(now == newBytes, qPrintable(what));
            }
            QVERIFY2(result.ok() || result.fileKept == (now == oldBytes), qPrintable(what));
            if (!result.ok() && now != oldBytes) {
                // On a full disk the old tag cannot go back once a sync has failed; the user is told so.
                QVERIFY2(now == newBytes && hasTag && mode == FaultShim::Mode::FromThenOn, qPrintable(what));
                QVERIFY2(result.error.endsWith(QStringLiteral("; файл мог измениться")), qPrintable(what));
            }
            QVERIFY2(!result.error.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))), qPrintable(what));
            QVERIFY2(entries(dir.path()) == QStringList(QStringLiteral("song.mp3")), qPrintable(what));
        }
    }
}

// A file system filled to the brim: a new tag cannot be appended (and the file keeps its length), while an
// existing one is overwritten in the space it already has. Needs the right to mount (root).
void tst_mp3tags::fullDisk()
{
    const SmallFileSystem disk;
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));

    // Whole pages, so that a tag more needs a page more.
    const QString plain = disk.filePath(QStringLiteral("plain.mp3"));
    const QString tagged = disk.filePath(QStringLiteral("tagged.mp3"));
    writeBytes(plain, audio(8192));
    writeBytes(tagged, audio(8064) + id3v1("Old", "1970", 3));
    QVERIFY(disk.fill());
    QCOMPARE(WriteTag(plain, previous(), {}).error, QStringLiteral("на диске нет свободного места"));
    QCOMPARE(readBytes(plain), audio(8192));
    QVERIFY(WriteTag(tagged, previous(), {}).ok());
    QCOMPARE(readBytes(tagged), audio(8064) + tagBytes(previous(), {}, id3v1("Old", "1970", 3)));
}

QTEST_GUILESS_MAIN(tst_mp3tags)
#include "tst_mp3tags.moc"
