#include "core/catalogue/BaseFiles.h"
#include "core/catalogue/TrackTable.h"

#include <QtTest>

namespace {

// A record from "CD|1|1|Artist": fields split at '|'.
TrackRecord recordOf(const QString &fields)
{
    return TrackRecord::fromList(fields.split(QLatin1Char('|')));
}

// What a table's tracks are written as, by the plain rule: TABs in fields become spaces, an untyped record
// is left out. `replaced` gets the tracks that had TABs in fields.
QByteArray plainSave(std::vector<TrackRecord> &records, QList<int> &replaced)
{
    QByteArray out;
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i].replaceTabsInFields())
            replaced.append(int(i) + 1);
        if (records[i].isEmpty(TrackRecord::MediaType))
            continue;
        out += Cp1251::encode(records[i].joined()) + "\r\n";
    }
    return out;
}

// Fields the random edits draw from: code-page text, text beyond it, a TAB, a line feed, nothing.
QString randomField(QRandomGenerator &random)
{
    static const QStringList pieces = {
        QStringLiteral("CD"),   QStringLiteral("Кино"), QStringLiteral("Ёж"),   QStringLiteral("a\tb"),
        QStringLiteral("Café"), QStringLiteral("日本"), QStringLiteral("x\ny"), QString(),
        QStringLiteral("€ №"),  QStringLiteral("12")};
    return pieces[random.bounded(int(pieces.size()))] + pieces[random.bounded(int(pieces.size()))];
}

} // namespace

class tst_fieldlist : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void splitsLinesIntoFields_data();
    void splitsLinesIntoFields();
    void setKeepsOtherFields();
    void tabsInsideFields();
    void tableIndexesAndEmptySlot();
    void tableKeepsEveryRecord_data();
    void tableKeepsEveryRecord();
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

void tst_fieldlist::tableKeepsEveryRecord_data()
{
    // Steps: "add:<fields>", "set:<i>:<field>:<text>", "record:<i>:<fields>", "remove:<i>", "tabs:<i>",
    // "order:<p0>,<p1>,...", "append:<fields>;<fields>...", "random:<steps>" (seeded edits of every kind).
    QTest::addColumn<QStringList>("steps");
    QTest::newRow("text beyond the code page")
        << QStringList{"add:CD|1|1|Café ☃ 日本|Title", "add:LP|2|A1|Кино", "set:2:4:Звезда 🌟", "set:1:3:Plain"};
    QTest::newRow("a TAB inside a field")
        << QStringList{"add:CD|1|1|a\tb", "add:CD|2|1|A", "tabs:1", "add:LP|3||\t", "set:2:4:x\ty"};
    QTest::newRow("edits, then a save") << QStringList{
        "add:CD|1|1|A|T", "add:|2|1|untyped", "add:LP|3|B2|Б|Т",
        "set:1:0:",       "set:2:0:CD",       "record:3:CD|9|9|Ю|Я|||||||5|r12|r13"};
    QTest::newRow("remove in the middle")
        << QStringList{"add:CD|1|1|A", "add:CD|2|1|Café", "add:CD|3|1|C", "add:CD|4|1|D", "remove:2",
                       "remove:2",     "remove:1",        "remove:1",     "add:LP|5"};
    QTest::newRow("reorder") << QStringList{"add:CD|1|1|A", "add:CD|2|1|日本", "add:CD|3|1|a\tb", "order:2,0,1",
                                            "order:0,1,2",  "order:1,1,0",     "set:1:3:Z"};
    QTest::newRow("pieces put together") << QStringList{"append:CD|1|1|A;CD|2|1|☃", "add:CD|3|1|B",
                                                        "append:LP|4|A1|x\ty;LP|5|A2|Ы", "append:", "remove:3"};
    QStringList edits{"add:CD|1|1|Artist"};
    for (int i = 0; i < 200; ++i)
        edits << QStringLiteral("set:1:4:Title %1").arg(i) << QStringLiteral("add:CD|%1|1|Кино").arg(i)
              << QStringLiteral("remove:2");
    QTest::newRow("unused bytes gathered") << edits;
    QTest::newRow("random edits") << QStringList{"random:4000"};
}

void tst_fieldlist::tableKeepsEveryRecord()
{
    // Every step is done to a table and to a plain list of records; after each the two hold the same
    // records, the version has gone up, and no more bytes lie unused than are used.
    QFETCH(QStringList, steps);
    TrackTable table;
    std::vector<TrackRecord> plain;
    QRandomGenerator random(1251);
    if (steps.value(0).startsWith(QLatin1String("random:"))) {
        const int count = steps.takeFirst().mid(7).toInt();
        for (int k = 0; k < count; ++k) {
            const int n = int(plain.size());
            const int i = n > 0 ? 1 + int(random.bounded(n)) : 0;
            switch (n == 0 ? 0 : random.bounded(6)) {
            case 0:
            case 1:
                steps << QStringLiteral("add:CD|%1|1|%2|%3").arg(k).arg(randomField(random), randomField(random));
                break;
            case 2:
                steps << QStringLiteral("set:%1:%2:%3").arg(i).arg(random.bounded(14)).arg(randomField(random));
                break;
            case 3:
                steps << QStringLiteral("remove:%1").arg(i);
                break;
            case 4:
                steps << QStringLiteral("tabs:%1").arg(i);
                break;
            default: {
                QStringList order;
                for (int p = n - 1; p >= 0; --p)
                    order << QString::number(p);
                steps << QStringLiteral("order:") + order.join(QLatin1Char(','));
            }
            }
        }
    }
    for (const QString &step : steps) {
        const QString verb = step.section(QLatin1Char(':'), 0, 0);
        const QString rest = step.section(QLatin1Char(':'), 1);
        const int i = rest.section(QLatin1Char(':'), 0, 0).toInt();
        const quint64 version = table.version();
        bool changes = true;
        if (verb == QLatin1String("add")) {
            plain.push_back(recordOf(rest));
            QCOMPARE(table.AddTrack(plain.back()), int(plain.size()));
        } else if (verb == QLatin1String("set")) {
            const int f = rest.section(QLatin1Char(':'), 1, 1).toInt();
            const QString text = rest.section(QLatin1Char(':'), 2);
            plain[size_t(i - 1)].set(f, text);
            table.setField(i, f, text);
        } else if (verb == QLatin1String("record")) {
            plain[size_t(i - 1)] = recordOf(rest.section(QLatin1Char(':'), 1));
            table.setRecord(i, plain[size_t(i - 1)]);
        } else if (verb == QLatin1String("remove")) {
            plain.erase(plain.begin() + (i - 1));
            table.removeTrack(i);
        } else if (verb == QLatin1String("tabs")) {
            changes = plain[size_t(i - 1)].replaceTabsInFields();
            QCOMPARE(table.replaceTabsInFields(i), changes);
        } else if (verb == QLatin1String("order")) {
            std::vector<int> order;
            for (const QString &p : rest.split(QLatin1Char(',')))
                order.push_back(p.toInt());
            std::vector<int> sorted = order;
            std::sort(sorted.begin(), sorted.end());
            const bool permutation = std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end();
            changes = permutation && !std::is_sorted(order.begin(), order.end());
            if (permutation) {
                std::vector<TrackRecord> moved;
                for (const int from : order)
                    moved.push_back(plain[size_t(from)]);
                plain.swap(moved);
            }
            table.reorder(order);
        } else if (verb == QLatin1String("append")) {
            TrackTable piece;
            for (const QString &fields : rest.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
                plain.push_back(recordOf(fields));
                piece.AddTrack(plain.back());
            }
            changes = piece.hasTracks();
            table.appendTable(std::move(piece));
            QVERIFY(!piece.hasTracks());
        }
        QCOMPARE(table.version() > version, changes);
        QCOMPARE(table.count(), int(plain.size()));
        QVERIFY2(table.unusedBytes() <= table.usedBytes(), qPrintable(step));
        for (int k = 1; k <= table.count(); ++k) {
            QCOMPARE(table.at(k), plain[size_t(k - 1)]);
            const int f = int(random.bounded(TrackRecord::kFieldCount));
            QCOMPARE(table.field(k, f), plain[size_t(k - 1)].value(f));
            // A track kept as its line is exactly its record's text in the code page.
            if (!table.line(k).isEmpty())
                QCOMPARE(Cp1251::decode(table.line(k)), plain[size_t(k - 1)].joined());
        }
    }
    // A save writes what the plain rule writes, tells the same tracks, and leaves the same records.
    QList<int> told;
    const QByteArray saved = BaseFiles::baseFileContent(table, [&told](int i) { told.append(i); });
    QList<int> expectedTold;
    QCOMPARE(saved, plainSave(plain, expectedTold));
    QCOMPARE(told, expectedTold);
    for (int k = 1; k <= table.count(); ++k)
        QCOMPARE(table.at(k), plain[size_t(k - 1)]);
}

QTEST_GUILESS_MAIN(tst_fieldlist)
#include "tst_fieldlist.moc"
