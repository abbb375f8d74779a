#include "core/catalogue/BaseCheck.h"
#include "core/catalogue/BaseFiles.h"
#include "support/TestFiles.h"

#include <QtTest>

using TestSupport::readBytes;
using TestSupport::writeBytes;

namespace {

// "Артист" and "Название" in Windows-1251.
const QByteArray kArtist = QByteArray::fromHex("c0f0f2e8f1f2");
const QByteArray kTitle = QByteArray::fromHex("cde0e7e2e0ede8e5");

// The file read in pieces of `tracks` tracks, `chunk` bytes at a time, must give exactly the table and
// the losses of reading its bytes in one go.
void checkReadInPieces(const QString &path, int tracks, qint64 chunk)
{
    TrackTable whole;
    const BaseFiles::Losses expected = BaseFiles::readBaseBytes(readBytes(path), whole);
    BaseFiles::BaseReader reader(path, chunk);
    TrackTable table;
    bool more = true;
    while (more) {
        TrackTable piece;
        more = reader.readPiece(piece, tracks);
        QVERIFY(piece.count() <= tracks);
        table.appendTable(std::move(piece));
    }
    QVERIFY(reader.atEnd());
    QVERIFY(reader.result().ok);
    QCOMPARE(table.count(), whole.count());
    for (int i = 1; i <= whole.count(); ++i)
        QCOMPARE(table.at(i), whole.at(i));
    const BaseFiles::Losses &l = reader.result().losses;
    QCOMPARE((QList<int>{l.longLines, l.firstLongLine, l.droppedLines, l.firstDroppedLine, int(l.otherEncoding)}),
             (QList<int>{expected.longLines, expected.firstLongLine, expected.droppedLines, expected.firstDroppedLine,
                         int(expected.otherEncoding)}));
}

} // namespace

class tst_basefiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void baseRoundTripIsByteExact_data();
    void baseRoundTripIsByteExact();
    void lineEnds_data();
    void lineEnds();
    void shortLongAndEmptyLines();
    void savingReplacesTabsAndDropsUntypedRecords();
    void hostileContentSurvivesLoadAndSave();
    void listsBasesButNotSafetyCopies();
    void failedWritesKeepTheOldFile();
    void tracklistRoundTrip();
    void lossesAreFound_data();
    void lossesAreFound();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_basefiles::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_basefiles::baseRoundTripIsByteExact_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("cyrillic with reserved fields")
        << QByteArray("CD\t12\t3\t" + kArtist + "\t" + kTitle +
                      "\tAlbum\t4:05\t06.12.2026\tHouse\tLabel\t\t5\tr12\tr13\r\n"
                      "LP\t7\tA1\t\t\t\t\t\t\t\t\t\t\t\r\n");
    QTest::newRow("empty file") << QByteArray();
    QByteArray everyByte("CD\t1\t1\t");
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n' && b != '\t')
            everyByte += char(b);
    }
    everyByte += "\t\t\t\t\t\t\t\t\t\t\r\n";
    QTest::newRow("every byte but the line breaks") << everyByte;
    QByteArray many;
    for (int i = 0; i < 3000; ++i)
        many += "CD\t" + QByteArray::number(i) + "\t1\t" + kTitle + "\t\t\t\t\t\t\t\t\t\t\r\n";
    QTest::newRow("lines over many blocks") << many;
    QTest::newRow("a line longer than a block") << QByteArray(
        "CD\t1\t1\t" + QByteArray(5 << 20, 'x') + "\t\t\t\t\t\t\t\t\t\t\r\nLP\t2\t\t\t\t\t\t\t\t\t\t\t\t\r\n");
}

void tst_basefiles::baseRoundTripIsByteExact()
{
    QFETCH(QByteArray, content);
    writeBytes(path("a.dat"), content);
    TrackTable table;
    const auto result = BaseFiles::readBase(path("a.dat"), table);
    QVERIFY(result.exists);
    QVERIFY(result.ok);
    QVERIFY(BaseFiles::writeBase(path("b.dat"), table));
    QCOMPARE(readBytes(path("b.dat")), content);
    if (!content.isEmpty())
        QCOMPARE(table.field(1, TrackRecord::MediaType), QStringLiteral("CD"));
    if (content.contains(kArtist)) {
        QCOMPARE(table.field(1, TrackRecord::Artist), QStringLiteral("Артист"));
        QCOMPARE(table.field(1, TrackRecord::Reserved13), QStringLiteral("r13"));
    }
}

void tst_basefiles::lineEnds_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("tracks");
    QTest::newRow("CR LF") << QByteArray("CD\t1\r\nCD\t2\r\n") << 2;
    QTest::newRow("LF only") << QByteArray("CD\t1\nCD\t2\n") << 2;
    QTest::newRow("CR only") << QByteArray("CD\t1\rCD\t2\r") << 2;
    QTest::newRow("no final line end") << QByteArray("CD\t1\r\nCD\t2") << 2;
    QTest::newRow("blank line between") << QByteArray("CD\t1\r\n\r\nCD\t2\r\n") << 3;
    QTest::newRow("CR CR LF is a blank line") << QByteArray("CD\t1\r\r\nCD\t2\r\n") << 3;
}

void tst_basefiles::lineEnds()
{
    QFETCH(QByteArray, content);
    QFETCH(int, tracks);
    writeBytes(path("a.dat"), content);
    TrackTable table;
    BaseFiles::readBase(path("a.dat"), table);
    QCOMPARE(table.count(), tracks);
    QCOMPARE(table.field(1, TrackRecord::MediaNumber), QStringLiteral("1"));
    QCOMPARE(table.field(tracks, TrackRecord::MediaNumber), QStringLiteral("2"));
    // A line end may fall anywhere in what is read at a time, a CR LF split across two reads too.
    for (const qint64 chunk : {1, 2, 3, 5, 1 << 20})
        checkReadInPieces(path("a.dat"), 1, chunk);
    // Whatever the line ends were, the file is written back with CR LF and without the blank lines.
    QVERIFY(BaseFiles::writeBase(path("a.dat"), table));
    QCOMPARE(readBytes(path("a.dat")),
             QByteArray("CD\t1\t\t\t\t\t\t\t\t\t\t\t\t\r\nCD\t2\t\t\t\t\t\t\t\t\t\t\t\t\r\n"));
}

void tst_basefiles::shortLongAndEmptyLines()
{
    writeBytes(path("a.dat"), "CD\t1\t1\tA\tB\tC\tD\tE\tF\tG\tH\tI\tJ\tK\r\n"
                              "CD\t1\t1\tA\tB\r\n"
                              "\r\n"
                              "LP\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\t13\t14\t15\t16\r\n");
    TrackTable table;
    BaseFiles::readBase(path("a.dat"), table);
    QCOMPARE(table.count(), 4);
    // A short line after a full one leaves the missing fields empty.
    QCOMPARE(table.field(2, TrackRecord::Title), QStringLiteral("B"));
    QCOMPARE(table.field(2, TrackRecord::Album), QString());
    QCOMPARE(table.field(2, TrackRecord::Reserved13), QString());
    QCOMPARE(table.at(3), TrackRecord());
    QCOMPARE(table.field(4, TrackRecord::Reserved13), QStringLiteral("14"));

    QVERIFY(BaseFiles::writeBase(path("a.dat"), table));
    QCOMPARE(readBytes(path("a.dat")), QByteArray("CD\t1\t1\tA\tB\tC\tD\tE\tF\tG\tH\tI\tJ\tK\r\n"
                                                  "CD\t1\t1\tA\tB\t\t\t\t\t\t\t\t\t\r\n"
                                                  "LP\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\t13\t14\r\n"));
}

void tst_basefiles::savingReplacesTabsAndDropsUntypedRecords()
{
    TrackTable table;
    TrackRecord pasted;
    pasted.set(TrackRecord::MediaType, QStringLiteral("CD"));
    pasted.set(TrackRecord::Title, QStringLiteral("one\ttwo"));
    TrackRecord untyped;
    untyped.set(TrackRecord::Artist, QStringLiteral("no media type"));
    table.AddTrack(untyped);
    table.AddTrack(pasted);
    QVERIFY(BaseFiles::writeBase(path("a.dat"), table));
    QCOMPARE(readBytes(path("a.dat")), QByteArray("CD\t\t\t\tone two\t\t\t\t\t\t\t\t\t\r\n"));
    QCOMPARE(table.field(2, TrackRecord::Title), QStringLiteral("one two"));
    QCOMPARE(table.count(), 2);

    TrackTable onlyUntyped;
    onlyUntyped.AddTrack(untyped);
    QVERIFY(BaseFiles::writeBase(path("a.dat"), onlyUntyped));
    QCOMPARE(readBytes(path("a.dat")), QByteArray());
}

void tst_basefiles::hostileContentSurvivesLoadAndSave()
{
    // Binary garbage, the unassigned byte 0x98, NUL bytes and a line of a megabyte: loading shows what
    // is there, and saving writes the same bytes back for every line that has a media type.
    QByteArray garbage;
    QRandomGenerator random(42);
    for (int i = 0; i < 4096; ++i)
        garbage += char(random.bounded(256));
    garbage.replace('\r', 'x').replace('\n', 'y');
    QByteArray content = "CD\t\x98\x98\t" + garbage + "\r\n";
    content += "LP\t" + QByteArray(1 << 20, 'z') + "\r\n";
    content += QByteArray("CD\t\0\t1\r\n", 8);
    writeBytes(path("a.dat"), content);

    TrackTable table;
    QVERIFY(BaseFiles::readBase(path("a.dat"), table).ok);
    QCOMPARE(table.count(), 3);
    QCOMPARE(table.field(2, TrackRecord::MediaNumber).size(), 1 << 20);
    QVERIFY(BaseFiles::writeBase(path("b.dat"), table));

    TrackTable again;
    BaseFiles::readBase(path("b.dat"), again);
    QCOMPARE(again.count(), 3);
    for (int i = 1; i <= 3; ++i)
        QCOMPARE(again.at(i), table.at(i));
    QVERIFY(readBytes(path("b.dat")).startsWith("CD\t\x98\x98\t"));
}

void tst_basefiles::listsBasesButNotSafetyCopies()
{
    writeBytes(path("Rock.dat"), "");
    writeBytes(path("Rock.dat$"), "");
    writeBytes(path("jazz.dat"), "");
    writeBytes(path("Ambient.DAT"), "");
    writeBytes(path("notes.txt"), "");
    writeBytes(path("Rock.data"), "");
    writeBytes(path(".dat"), "");
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("Folder.dat")));
    QCOMPARE(BaseFiles::listBases(m_dir->path()), (QStringList{"Ambient", "jazz", "Rock"}));
    QCOMPARE(BaseFiles::listBases(path("missing")), QStringList());
}

void tst_basefiles::failedWritesKeepTheOldFile()
{
    TrackTable table;
    table.AddTrack(TrackRecord::fromLine(QStringLiteral("CD\t1")));

    // A folder that is really a file.
    writeBytes(path("DATA"), "not a folder");
    QString error;
    QVERIFY(!BaseFiles::writeBase(path("DATA/a.dat"), table, &error));
    QVERIFY(!error.isEmpty());

    // A read-only base is not replaced.
    writeBytes(path("ro.dat"), "old\r\n");
    QFile::setPermissions(path("ro.dat"), QFileDevice::ReadOwner | QFileDevice::ReadUser);
    error.clear();
    QVERIFY(!BaseFiles::writeBase(path("ro.dat"), table, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(readBytes(path("ro.dat")), QByteArray("old\r\n"));

    // The target is a folder.
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("dir.dat")));
    QVERIFY(!BaseFiles::writeBase(path("dir.dat"), table));
    QVERIFY(QFileInfo(path("dir.dat")).isDir());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden).size(), 2); // no temporary left
}

void tst_basefiles::tracklistRoundTrip()
{
    QVector<FieldList> rows;
    rows << FieldList::fromList({"1", "Артист", "Название", "4:05", "CD #15"})
         << FieldList::fromList({"3", "", "", "", "LP #"});
    QVERIFY(BaseFiles::writeTracklist(path("otbor.lst"), rows, 5));
    QCOMPARE(readBytes(path("otbor.lst")),
             QByteArray("1\t" + kArtist + "\t" + kTitle + "\t4:05\tCD #15\r\n3\t\t\t\tLP #\r\n"));

    QVector<FieldList> read{FieldList::fromList({"stale"})};
    auto result = BaseFiles::readTracklist(path("otbor.lst"), 5, read);
    QVERIFY(result.exists);
    QCOMPARE(read, rows);

    // Short lines keep their row with empty texts; a missing file leaves the rows alone.
    writeBytes(path("otbor.lst"), "7\tA\n");
    BaseFiles::readTracklist(path("otbor.lst"), 5, read);
    QCOMPARE(read.size(), 1);
    QCOMPARE(read[0].toList(), (QStringList{"7", "A", "", "", ""}));
    result = BaseFiles::readTracklist(path("none.lst"), 5, read);
    QVERIFY(!result.exists);
    QCOMPARE(read.size(), 1);

    // No rows: an empty file.
    QVERIFY(BaseFiles::writeTracklist(path("otbor.lst"), {}, 5));
    QVERIFY(QFileInfo::exists(path("otbor.lst")));
    QCOMPARE(readBytes(path("otbor.lst")), QByteArray());
}

void tst_basefiles::lossesAreFound_data()
{
    // What the next write will not keep: the counts and first lines of long and dropped lines, and a file
    // in UTF-8 rather than the code page. Blank lines, short lines and Windows-1251 text lose nothing.
    // Before a file replaces a base, the doubts about it as a base.
    QTest::addColumn<QByteArray>("base");
    QTest::addColumn<QList<int>>("expected"); // long lines, first long, dropped lines, first dropped, utf-8
    QTest::addColumn<QString>("doubt");
    const QByteArray full = "CD\t1\t1\tA\tT\t\t\t\t\t\t\t\t\t\r\n";
    const QString utf8 = QStringLiteral("он записан в кодировке UTF-8, а не Windows-1251");
    QTest::newRow("nothing lost") << full + "\r\n\t\t\t\r\nLP\t2\r\nCD\t3\t1\t" + kArtist + "\r\n"
                                  << QList<int>{0, 0, 0, 0, 0} << QString();
    QTest::newRow("fifteen and sixteen parts")
        << full + "CD\t2\t1\tA\tT\t\t\t\t\t\t\t\t\t\tx\r\n" + full + "CD\t2\t1\tA\tT\t\t\t\t\t\t\t\t\t\t\t\r\n"
        << QList<int>{2, 2, 0, 0, 0} << QString();
    QTest::newRow("text without a media type")
        << full + full + "\t5\t1\tA\r\n \r\n\t\t\t\tx\r\n"
        << QList<int>{0, 0, 2, 3, 0}
        << QStringLiteral("строки без типа носителя не будут прочитаны: 2 (первая из них — строка 3)");
    QTest::newRow("whole lines without a media type")
        << full + "\t\t\t\t\t\t\t\t\t\t\t\t\t\r\n\t1\t1\tA\t\t\t\t\t\t\t\t\t\t\r\n"
        << QList<int>{0, 0, 1, 3, 0}
        << QStringLiteral("строки без типа носителя не будут прочитаны: 1 (первая из них — строка 3)");
    QTest::newRow("utf-8 with a byte order mark") << "\xEF\xBB\xBF" + full << QList<int>{0, 0, 0, 0, 1} << utf8;
    QTest::newRow("utf-8 without one") << QByteArray("CD\t1\t1\t\xD0\x90\xD0\xB1\r\n") << QList<int>{0, 0, 0, 0, 1}
                                       << utf8;
    QTest::newRow("windows-1251 letters that are not utf-8")
        << QByteArray("CD\t1\t1\t\xC0\xE1\r\n") << QList<int>{0, 0, 0, 0, 0} << QString();
    QTest::newRow("a NUL") << full + QByteArray("CD\t2\0\r\n", 7) << QList<int>{0, 0, 0, 0, 0}
                           << QStringLiteral("в строке 2 есть управляющий символ с кодом 0");
    QTest::newRow("a control character after a lone CR")
        << full + "\rCD\x1b" << QList<int>{0, 0, 0, 0, 0}
        << QStringLiteral("в строке 3 есть управляющий символ с кодом 27");
    QTest::newRow("empty") << QByteArray() << QList<int>{0, 0, 0, 0, 0}
                           << QStringLiteral("файл пуст, а в открытой базе есть треки");
    QTest::newRow("cut off in a line") << full + "CD\t2\t1\tArt" << QList<int>{0, 0, 0, 0, 0}
                                       << QStringLiteral("его последняя строка оборвана");
}

void tst_basefiles::lossesAreFound()
{
    QFETCH(QByteArray, base);
    QFETCH(QList<int>, expected);
    QFETCH(QString, doubt);
    writeBytes(path(QStringLiteral("b.dat")), base);
    TrackTable table;
    const BaseFiles::Losses l = BaseFiles::readBase(path(QStringLiteral("b.dat")), table).losses;
    QCOMPARE((QList<int>{l.longLines, l.firstLongLine, l.droppedLines, l.firstDroppedLine, int(l.otherEncoding)}),
             expected);
    QCOMPARE(l.any(), expected != QList<int>({0, 0, 0, 0, 0}));
    for (const qint64 chunk : {1, 4})
        checkReadInPieces(path(QStringLiteral("b.dat")), 2, chunk);
    writeBytes(path(QStringLiteral("open.dat")), "CD\t1\r\n");
    const BaseCheck::Verdict verdict =
        BaseCheck::check(path(QStringLiteral("b.dat")), path(QStringLiteral("open.dat")));
    QVERIFY(verdict.readable);
    QCOMPARE(verdict.doubt, doubt);
    // An empty file may replace an empty base; a file that cannot be read says why.
    if (base.isEmpty())
        QCOMPARE(BaseCheck::check(path(QStringLiteral("b.dat")), path(QStringLiteral("none"))).doubt, QString());
    QCOMPARE(BaseCheck::check(path(QStringLiteral("none")), QString()).error,
             QStringLiteral("файл или папка не найдены"));

    // The Tracklist keeps five texts a line.
    writeBytes(path(QStringLiteral("otbor.lst")), "1\tA\tT\t3:00\tCD #1\r\n2\tA\tT\t3:00\tCD #1\textra\r\n");
    QVector<FieldList> rows;
    const BaseFiles::Losses t = BaseFiles::readTracklist(path(QStringLiteral("otbor.lst")), 5, rows).losses;
    QCOMPARE(t.longLines, 1);
    QCOMPARE(t.firstLongLine, 2);
}

QTEST_GUILESS_MAIN(tst_basefiles)
#include "tst_basefiles.moc"
