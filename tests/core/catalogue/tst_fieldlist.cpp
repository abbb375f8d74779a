#include "core/catalogue/TrackTable.h"

#include <QtTest>

class tst_fieldlist : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void splitsLinesIntoFields_data();
    void splitsLinesIntoFields();
    void setKeepsOtherFields();
    void tabsInsideFields();
    void tableIndexesAndEmptySlot();
};

void tst_fieldlist::splitsLinesIntoFields_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("joined");

    const QString t = QStringLiteral("\t");
    QTest::newRow("five parts") << QStringLiteral("CD\t1\t1\tA\tB")
                                << QStringList{"CD", "1", "1", "A", "B", "", "", "", "", "", "", "", "", ""}
                                << QStringLiteral("CD\t1\t1\tA\tB") + t.repeated(9);
    QTest::newRow("empty line") << QString() << QStringList(14, QString()) << t.repeated(13);
    QStringList fourteen;
    for (int i = 0; i < 14; ++i)
        fourteen << QStringLiteral("ф%1").arg(i);
    QTest::newRow("exactly fourteen") << fourteen.join(t) << fourteen << fourteen.join(t);
    QTest::newRow("more than fourteen") << fourteen.join(t) + QStringLiteral("\textra\tmore") << fourteen
                                        << fourteen.join(t);
    QTest::newRow("empty fields 12 and 13 kept")
        << QStringLiteral("LP\t2\tA1\tАртист\tНазвание\t\t\t\t\t\t\t5\t\t")
        << QStringList{"LP", "2", "A1", "Артист", "Название", "", "", "", "", "", "", "5", "", ""}
        << QStringLiteral("LP\t2\tA1\tАртист\tНазвание\t\t\t\t\t\t\t5\t\t");
}

void tst_fieldlist::splitsLinesIntoFields()
{
    QFETCH(QString, line);
    QFETCH(QStringList, fields);
    QFETCH(QString, joined);

    const TrackRecord record = TrackRecord::fromLine(line);
    QCOMPARE(record.count(), 14);
    QCOMPARE(record.toList(), fields);
    QCOMPARE(record.joined(), joined);
    QVERIFY(!record.hasTabInFields());
    QCOMPARE(record, TrackRecord::fromList(fields));
}

void tst_fieldlist::setKeepsOtherFields()
{
    TrackRecord record = TrackRecord::fromLine(QStringLiteral("CD\t12\t3\tArtist\tTitle\tAlbum\t4:05\t06.12.2026\tHouse"
                                                              "\tLabel\t\t5\tr12\tr13"));
    record.set(TrackRecord::Artist, QStringLiteral("Длинное имя исполнителя"));
    record.set(TrackRecord::MediaNumber, QString());
    record.set(TrackRecord::Reserved13, QStringLiteral("x"));
    QCOMPARE(record.value(TrackRecord::Artist), QStringLiteral("Длинное имя исполнителя"));
    QCOMPARE(record.value(TrackRecord::MediaNumber), QString());
    QCOMPARE(record.value(TrackRecord::Title), QStringLiteral("Title"));
    QCOMPARE(record.value(TrackRecord::Reserved12), QStringLiteral("r12"));
    QCOMPARE(record.value(TrackRecord::Reserved13), QStringLiteral("x"));
    QCOMPARE(record.value(14), QString());
    QCOMPARE(record.value(-1), QString());

    // A copy shares the text until one side changes.
    TrackRecord copy = record;
    copy.set(TrackRecord::Title, QStringLiteral("Other"));
    QCOMPARE(record.value(TrackRecord::Title), QStringLiteral("Title"));
}

void tst_fieldlist::tabsInsideFields()
{
    TrackRecord record;
    record.set(TrackRecord::MediaType, QStringLiteral("CD"));
    record.set(TrackRecord::Title, QStringLiteral("a\tb"));
    record.set(TrackRecord::Comment, QStringLiteral("\t"));
    QCOMPARE(record.value(TrackRecord::Title), QStringLiteral("a\tb"));
    QCOMPARE(record.value(TrackRecord::Album), QString());
    QVERIFY(record.hasTabInFields());
    QVERIFY(record.replaceTabsInFields());
    QCOMPARE(record.value(TrackRecord::Title), QStringLiteral("a b"));
    QCOMPARE(record.value(TrackRecord::Comment), QStringLiteral(" "));
    QCOMPARE(record.joined().count(QLatin1Char('\t')), 13);
    QVERIFY(!record.replaceTabsInFields());
}

void tst_fieldlist::tableIndexesAndEmptySlot()
{
    TrackTable table;
    QCOMPARE(table.count(), 0);
    QCOMPARE(table.upperBound(), 1);
    QVERIFY(!table.hasTracks());
    QCOMPARE(table.at(1), TrackRecord());

    const TrackRecord a = TrackRecord::fromLine(QStringLiteral("CD\t1\t1\tA"));
    const TrackRecord b = TrackRecord::fromLine(QStringLiteral("LP\t2\t1\tB"));
    QCOMPARE(table.AddTrack(a), 1);
    QCOMPARE(table.count(), 1);
    QCOMPARE(table.AddTrack(b), 2);
    QCOMPARE(table.count(), 2);
    QCOMPARE(table.at(1), a);
    QCOMPARE(table.field(2, TrackRecord::Artist), QStringLiteral("B"));

    table.ClearTracks();
    QCOMPARE(table.count(), 0);
    QCOMPARE(table.upperBound(), 1);
    QCOMPARE(table.at(1), TrackRecord());
    QCOMPARE(table.AddTrack(b), 1);
}

QTEST_GUILESS_MAIN(tst_fieldlist)
#include "tst_fieldlist.moc"
