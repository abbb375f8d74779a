#include "core/catalogue/TrackTable.h"
#include "core/sort/ShelfSort.h"

#include <QRandomGenerator>
#include <QtTest>

#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The shelf order the plain way: passes over neighbouring pairs, the four rules in turn, until a pass
// exchanges nothing. The numbers and codes are read once per record; they travel with it.
struct Item
{
    TrackRecord record;
    QString type, media, track;
    double mediaNumber = 0, trackNumber = 0;
};

std::vector<TrackRecord> referenceSort(const std::vector<TrackRecord> &records)
{
    std::vector<Item> items;
    for (const TrackRecord &r : records) {
        const QString media = r.value(TrackRecord::MediaNumber), track = r.value(TrackRecord::TrackNumber);
        items.push_back(
            {r, r.value(TrackRecord::MediaType), media, track, ShelfSort::numberOf(media), ShelfSort::numberOf(track)});
    }
    const auto code = [](const QString &s, int i) { return ShelfSort::codeOf(s[i]); };
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (size_t i = 1; i < items.size(); ++i) {
            Item *p = &items[i - 1];
            Item *c = &items[i];
            const auto swap = [&] {
                std::swap(*p, *c);
                swapped = true;
            };
            if (p->type == u"LP" && c->type == u"CD")
                swap();
            if (p->type == c->type && p->mediaNumber > c->mediaNumber)
                swap();
            if (p->type == u"CD" && c->type == u"CD" && p->media == c->media && p->trackNumber > c->trackNumber)
                swap();
            if (p->type == u"LP" && c->type == u"LP" && p->media == c->media && !p->track.isEmpty() &&
                !c->track.isEmpty()) {
                if (code(c->track, 0) < code(p->track, 0))
                    swap();
                if (code(c->track, 0) == code(p->track, 0) && p->track.size() >= 2 && c->track.size() >= 2 &&
                    code(c->track, 1) < code(p->track, 1))
                    swap();
            }
        }
    }
    std::vector<TrackRecord> out;
    for (const Item &item : items)
        out.push_back(item.record);
    return out;
}

TrackRecord track(const QString &type, const QString &media, const QString &number, int id = 0)
{
    return TrackRecord::fromList({type, media, number, QString::number(id)});
}

// "CD|5|10" rows.
TrackTable tableOf(const QStringList &rows)
{
    TrackTable table;
    for (const QString &row : rows)
        table.AddTrack(TrackRecord::fromList(row.split(u'|')));
    return table;
}

QStringList rowsOf(const TrackTable &table)
{
    QStringList rows;
    for (int i = 1; i <= table.count(); ++i)
        rows << table.at(i).toList().mid(0, 3).join(u'|');
    return rows;
}

TrackRecord randomTrack(QRandomGenerator &rng, int id, bool realistic)
{
    static const QStringList oddTypes = {u"CD"_s, u"LP"_s, u"MD"_s, u"cd"_s, u"lp"_s, QString()};
    static const QStringList oddMedia = {u"5"_s,  u"05"_s,   u"10a"_s, u"x"_s,  u"-1"_s, u"1e1"_s,
                                         u" 7"_s, QString(), u"\n7"_s, u"10"_s, u"7"_s,  u"5.0"_s};
    static const QStringList oddTracks = {u"9"_s, u"10"_s, u"A1"_s, u"A10"_s, u"B2"_s, u"a"_s,  QString(),
                                          u"A"_s, u"B"_s,  u"А1"_s, u"Б2"_s,  u"я"_s,  u"A2"_s, u"1"_s};
    if (realistic) {
        const bool lp = rng.bounded(3) == 0;
        const QString media = QString::number(rng.bounded(1, 300));
        const QString number = lp ? QString(QChar(u'A' + rng.bounded(4))) + QString::number(rng.bounded(1, 9))
                                  : QString::number(rng.bounded(1, 20));
        return track(lp ? u"LP"_s : u"CD"_s, rng.bounded(50) ? media : oddMedia[rng.bounded(oddMedia.size())], number,
                     id);
    }
    // Mostly CD/LP so that long mixed runs occur, the odd types often enough to cut them.
    const QString type = oddTypes[rng.bounded(4) ? rng.bounded(2) : rng.bounded(oddTypes.size())];
    return track(type, oddMedia[rng.bounded(oddMedia.size())], oddTracks[rng.bounded(oddTracks.size())], id);
}

} // namespace

class TestShelfSort : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void numbersAndCodes()
    {
        QCOMPARE(ShelfSort::numberOf(u"10a"), 10.0);
        QCOMPARE(ShelfSort::numberOf(u"x"), 0.0);
        QCOMPARE(ShelfSort::numberOf(u""), 0.0);
        QCOMPARE(ShelfSort::numberOf(u" \n\t7"), 7.0);
        QCOMPARE(ShelfSort::numberOf(u"1e1"), 10.0);
        QCOMPARE(ShelfSort::numberOf(u"-1"), -1.0);
        // Blanks inside a number do not end it.
        QCOMPARE(ShelfSort::numberOf(u"1 0"), 10.0);
        QCOMPARE(ShelfSort::numberOf(u" 1 615"), 1615.0);
        QCOMPARE(ShelfSort::numberOf(u"1\t2\n3"), 123.0);
        QCOMPARE(ShelfSort::numberOf(u"- 2.5 e1x"), -25.0);
        QCOMPARE(ShelfSort::numberOf(u"1\r2"), 1.0); // a carriage return is not a blank
        QCOMPARE(ShelfSort::codeOf(u'A'), quint8(0x41));
        QCOMPARE(ShelfSort::codeOf(QChar(0x0410)), quint8(0xC0)); // Cyrillic А
        QCOMPARE(ShelfSort::codeOf(QChar(0x0451)), quint8(0xB8)); // ё
    }

    void examples_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("empty") << QStringList() << QStringList();
        QTest::newRow("one") << QStringList{u"LP|3|B"_s} << QStringList{u"LP|3|B"_s};
        QTest::newRow("CD before LP") << QStringList{u"LP|1|"_s, u"CD|2|"_s} << QStringList{u"CD|2|"_s, u"LP|1|"_s};
        QTest::newRow("by number") << QStringList{u"CD|10|"_s, u"CD|9|"_s} << QStringList{u"CD|9|"_s, u"CD|10|"_s};
        QTest::newRow("leading number") << QStringList{u"CD|10a|"_s, u"CD|x|"_s, u"CD|9|"_s}
                                        << QStringList{u"CD|x|"_s, u"CD|9|"_s, u"CD|10a|"_s};
        QTest::newRow("CD tracks") << QStringList{u"CD|5|10"_s, u"CD|5|9"_s} << QStringList{u"CD|5|9"_s, u"CD|5|10"_s};
        QTest::newRow("LP sides") << QStringList{u"LP|1|B1"_s, u"LP|1|A2"_s} << QStringList{u"LP|1|A2"_s, u"LP|1|B1"_s};
        QTest::newRow("LP two codes") << QStringList{u"LP|1|A10"_s, u"LP|1|A2"_s}
                                      << QStringList{u"LP|1|A10"_s, u"LP|1|A2"_s};
        QTest::newRow("MD blocks") << QStringList{u"CD|5|"_s, u"MD|1|"_s, u"CD|3|"_s}
                                   << QStringList{u"CD|5|"_s, u"MD|1|"_s, u"CD|3|"_s};
        QTest::newRow("5 and 05") << QStringList{u"CD|5|10"_s, u"CD|05|1"_s, u"CD|5|3"_s}
                                  << QStringList{u"CD|5|10"_s, u"CD|05|1"_s, u"CD|5|3"_s};
        QTest::newRow("lower case") << QStringList{u"lp|1|"_s, u"cd|2|"_s, u"cd|9|"_s, u"cd|3|2"_s, u"cd|3|1"_s}
                                    << QStringList{u"lp|1|"_s, u"cd|2|"_s, u"cd|3|2"_s, u"cd|3|1"_s, u"cd|9|"_s};
    }

    void examples()
    {
        QFETCH(QStringList, rows);
        QFETCH(QStringList, expected);
        TrackTable table = tableOf(rows);
        ShelfSort::sortTable(table);
        QCOMPARE(rowsOf(table), expected);
    }

    void untouchedWhenInOrder()
    {
        TrackTable table = tableOf({u"CD|1|1"_s, u"CD|1|2"_s, u"LP|1|A1"_s});
        const quint64 version = table.version();
        ShelfSort::sortTable(table);
        QCOMPARE(table.version(), version);
    }

    // The core check: the same table as the passes, record for record, on tables full of odd cases.
    void matchesPasses()
    {
        QRandomGenerator rng(20240611);
        for (int round = 0; round < 4003; ++round) {
            const bool large = round >= 4000;
            const int size = large ? 2000 : int(rng.bounded(61));
            std::vector<TrackRecord> records;
            TrackTable table;
            for (int i = 0; i < size; ++i) {
                records.push_back(randomTrack(rng, i, large));
                table.AddTrack(records.back());
            }
            ShelfSort::sortTable(table);
            const std::vector<TrackRecord> expected = referenceSort(records);
            QCOMPARE(table.count(), size);
            for (int i = 0; i < size; ++i) {
                if (table.at(i + 1) != expected[size_t(i)])
                    QFAIL(qPrintable(u"round %1, record %2: %3 instead of %4"_s.arg(round).arg(i + 1).arg(
                        table.at(i + 1).joined(), expected[size_t(i)].joined())));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestShelfSort)
#include "tst_shelfsort.moc"
