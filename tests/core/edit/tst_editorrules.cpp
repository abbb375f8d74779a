#include "core/edit/EditorRules.h"

#include "core/catalogue/Numbers.h"

#include <QtTest>

namespace {

TrackTable tableOf(const QStringList &lines)
{
    TrackTable table;
    for (const QString &line : lines)
        table.AddTrack(TrackRecord::fromLine(line));
    return table;
}

} // namespace

class tst_editorrules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void duplicates_data();
    void duplicates();
    void nextMediaNumber_data();
    void nextMediaNumber();
    void capitalisation_data();
    void capitalisation();
    void durationText();
    void albumTrackCount_data();
    void albumTrackCount();
    void splitArtistTitle();
};

void tst_editorrules::duplicates_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("track");
    QTest::addColumn<int>("found");
    QTest::newRow("same") << "CD" << "12" << "3" << 2;
    QTest::newRow("other media type") << "LP" << "12" << "3" << 0;
    QTest::newRow("01 is not 1") << "CD" << "012" << "3" << 0;
    QTest::newRow("case counts") << "cd" << "12" << "3" << 0;
    QTest::newRow("blank counts") << "CD" << "12 " << "3" << 0;
    QTest::newRow("empty track number") << "CD" << "7" << "" << 3;
}

void tst_editorrules::duplicates()
{
    QFETCH(QString, type);
    QFETCH(QString, number);
    QFETCH(QString, track);
    QFETCH(int, found);
    const TrackTable table = tableOf({"CD\t1\t1", "CD\t12\t3\tA", "CD\t7", "CD\t12\t3\tB"});
    QCOMPARE(EditorRules::findDuplicate(table, type, number, track), found);
    QCOMPARE(EditorRules::findDuplicate(TrackTable(), type, number, track), 0);
}

void tst_editorrules::nextMediaNumber_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("type");
    QTest::addColumn<qint64>("next");
    const QStringList shelf{"CD\t3", "CD\t12", "CD\tx", "LP\t40"};
    QTest::newRow("CD") << shelf << "CD" << qint64(13);
    QTest::newRow("LP") << shelf << "LP" << qint64(41);
    QTest::newRow("no LP yet") << QStringList{"CD\t3"} << "LP" << qint64(1);
    QTest::newRow("type compared without case") << QStringList{"cd\t8", "CD\t2"} << "CD" << qint64(9);
    QTest::newRow("other types ignored") << QStringList{"MC\t99", "CD\t2"} << "CD" << qint64(3);
    QTest::newRow("leading number, halves to even") << QStringList{"CD\t 4.5b", "CD\t3"} << "CD" << qint64(5);
    QTest::newRow("negative") << QStringList{"CD\t-20"} << "CD" << qint64(1);
    QTest::newRow("empty base") << QStringList{} << "CD" << qint64(1);
}

void tst_editorrules::nextMediaNumber()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, type);
    QFETCH(qint64, next);
    QCOMPARE(EditorRules::nextMediaNumber(tableOf(lines), type), next);
}

void tst_editorrules::capitalisation_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("latin") << "moby" << "Moby";
    QTest::newRow("cyrillic") << "кино" << "Кино";
    QTest::newRow("already") << "Kino" << "Kino";
    QTest::newRow("digit") << "2raumwohnung" << "2raumwohnung";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("only first") << "the the" << "The the";
}

void tst_editorrules::capitalisation()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(EditorRules::capitalizeFirst(text), expected);
}

void tst_editorrules::durationText()
{
    // Minutes are not carried into hours and have no leading zero; seconds always have two digits.
    QCOMPARE(EditorRules::durationText(0), QStringLiteral("0:00"));
    QCOMPARE(EditorRules::durationText(59), QStringLiteral("0:59"));
    QCOMPARE(EditorRules::durationText(245), QStringLiteral("4:05"));
    QCOMPARE(EditorRules::durationText(3600), QStringLiteral("60:00"));
    QCOMPARE(EditorRules::durationText(3800), QStringLiteral("63:20"));
}

void tst_editorrules::albumTrackCount_data()
{
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("mediaNumber");
    QTest::addColumn<int>("tracks");
    QTest::newRow("plain") << "3" << "7" << 3;
    QTest::newRow("half down to even") << "2.5" << "1" << 2;
    QTest::newRow("half up to even") << "3.5" << "1" << 4;
    QTest::newRow("leading number") << "12 tracks" << "1a" << 12;
    QTest::newRow("zero") << "0" << "1" << -1;
    QTest::newRow("negative") << "-2" << "1" << -1;
    QTest::newRow("not a number") << "many" << "1" << -1;
    QTest::newRow("below a half") << "0.4" << "1" << 0;
    QTest::newRow("no media number") << "3" << "" << -1;
    QTest::newRow("media number zero") << "3" << "0" << -1;
    QTest::newRow("a full CD") << "99" << "1" << 99;
    QTest::newRow("more than a CD holds") << "100" << "1" << -1;
    QTest::newRow("absurd") << "1e300" << "1" << -1;
}

void tst_editorrules::albumTrackCount()
{
    QFETCH(QString, count);
    QFETCH(QString, mediaNumber);
    QFETCH(int, tracks);
    QCOMPARE(EditorRules::albumTrackCount(count, mediaNumber), tracks);
    QCOMPARE(EditorRules::tooManyAlbumTracks(count), Numbers::leadingNumber(count) >= 99.5);
}

void tst_editorrules::splitArtistTitle()
{
    const auto split = [](const char *text) {
        const auto parts = EditorRules::splitArtistTitle(QString::fromUtf8(text));
        return QStringList{parts.artist, parts.title};
    };
    QCOMPARE(split("Moby - Porcelain"), (QStringList{"Moby", "Porcelain"}));
    // At the first " - " only; a hyphen without blanks does not split.
    QCOMPARE(split("Kino - Gruppa krovi - live"), (QStringList{"Kino", "Gruppa krovi - live"}));
    QCOMPARE(split("Jean-Michel Jarre"), (QStringList{"Jean-Michel Jarre", ""}));
    QCOMPARE(split(""), (QStringList{"", ""}));
}

QTEST_GUILESS_MAIN(tst_editorrules)
#include "tst_editorrules.moc"
