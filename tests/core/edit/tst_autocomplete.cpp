#include "core/edit/modAutoComplete.h"

#include <QtTest>

namespace {

constexpr int kArtists = 4; // list of the artist box (track field 3)

modAutoComplete listOf(const QStringList &values, int list = kArtists)
{
    modAutoComplete ac;
    for (const QString &value : values)
        ac.AddValue(list, value);
    return ac;
}

// Tracks whose fields 3, 5, 8, 9 and 10 are "a<i>", "al<i>", "s<i>", "l<i>" and "c<i>", the others "x<i>".
TrackTable numberedTracks(int count, int from = 1)
{
    TrackTable table;
    for (int i = from; i < from + count; ++i) {
        QStringList fields;
        for (int f = 0; f < TrackRecord::kFieldCount; ++f)
            fields << QStringLiteral("x%1").arg(i);
        fields[3] = QStringLiteral("a%1").arg(i);
        fields[5] = QStringLiteral("al%1").arg(i);
        fields[8] = QStringLiteral("s%1").arg(i);
        fields[9] = QStringLiteral("l%1").arg(i);
        fields[10] = QStringLiteral("c%1").arg(i);
        table.AddTrack(TrackRecord::fromList(fields));
    }
    return table;
}

QStringList numbered(const char *prefix, int first, int last)
{
    QStringList out;
    for (int i = first; i <= last; ++i)
        out << QLatin1String(prefix) + QString::number(i);
    return out;
}

// The completion as one string, "text|start|length", or "-" for none.
QString completed(const modAutoComplete &ac, const QString &text, int caret, int list = kArtists)
{
    bool deleteKey = false, acSetting = false;
    const auto c = ac.Complete(list, text, caret, deleteKey, acSetting);
    if (acSetting != c.has_value())
        return QStringLiteral("iAcSetting does not follow the result");
    return c ? QStringLiteral("%1|%2|%3").arg(c->text).arg(c->selectionStart).arg(c->selectionLength)
             : QStringLiteral("-");
}

} // namespace

class tst_autocomplete : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addValue_data();
    void addValue();
    void findValue_data();
    void findValue();
    void complete_data();
    void complete();
    void flags_data();
    void flags();
    void typingSession();
    void feedWindow_data();
    void feedWindow();
    void feedFieldsAndAccumulation();
    void listIndexes();
    void copiesAreIndependent();
};

void tst_autocomplete::addValue_data()
{
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("kept");
    QTest::newRow("first case kept") << QStringList{"NOVA", "Nova", "nova"} << QStringList{"NOVA"};
    QTest::newRow("order of adding") << QStringList{"b", "a", "B", "c"} << QStringList{"b", "a", "c"};
    QTest::newRow("empty ignored") << QStringList{"", "a", ""} << QStringList{"a"};
    QTest::newRow("Cyrillic case") << QStringList{"ёлка", "ЁЛКА", "Ёлка", "елка"} << QStringList{"ёлка", "елка"};
    QTest::newRow("blanks count") << QStringList{"a b", "A  B", "a b "} << QStringList{"a b", "A  B", "a b "};
}

void tst_autocomplete::addValue()
{
    QFETCH(QStringList, added);
    QFETCH(QStringList, kept);
    QCOMPARE(listOf(added).values(kArtists), kept);
}

void tst_autocomplete::findValue_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("position");
    QTest::newRow("first") << "MIRELA" << 1;
    QTest::newRow("last, other case") << "ёЛКА" << 3;
    QTest::newRow("middle") << "mitra sound" << 2;
    QTest::newRow("prefix is not equal") << "Mi" << 0;
    QTest::newRow("longer is not equal") << "Mirela " << 0;
    QTest::newRow("empty") << "" << 0;
}

void tst_autocomplete::findValue()
{
    QFETCH(QString, value);
    QFETCH(int, position);
    QCOMPARE(listOf({"Mirela", "Mitra Sound", "Ёлка"}).FindValue(kArtists, value), position);
}

void tst_autocomplete::complete_data()
{
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("result");
    const QStringList mi{"Mirela", "Mitra Sound"};
    QTest::newRow("latest wins") << mi << "mi" << 2 << "Mitra Sound|2|9";
    QTest::newRow("longer prefix") << mi << "mir" << 3 << "Mirela|3|3";
    QTest::newRow("own case for the typed part") << mi << "MIR" << 3 << "Mirela|3|3";
    QTest::newRow("one letter") << mi << "m" << 1 << "Mitra Sound|1|10";
    QTest::newRow("caret kept") << mi << "mi" << 1 << "Mitra Sound|1|9";
    QTest::newRow("blank typed") << mi << "mitra " << 6 << "Mitra Sound|6|5";
    QTest::newRow("exact length never") << mi << "mirela" << 6 << "-";
    QTest::newRow("exact skipped for older longer") << QStringList{"Mirela Remix", "Mirela"} << "mirela" << 6
                                                    << "Mirela Remix|6|6";
    QTest::newRow("one-letter value skipped") << QStringList{"Mx", "M"} << "m" << 1 << "Mx|1|1";
    QTest::newRow("longer than all") << mi << "Mitra Sound!" << 12 << "-";
    QTest::newRow("no match") << mi << "x" << 1 << "-";
    QTest::newRow("second letter differs") << mi << "ma" << 2 << "-";
    QTest::newRow("empty list") << QStringList{} << "mi" << 2 << "-";
    QTest::newRow("Cyrillic") << QStringList{"ЁЛКА", "Елена"} << "ёл" << 2 << "ЁЛКА|2|2";
    QTest::newRow("Cyrillic exact") << QStringList{"ЁЛКА"} << "ёлка" << 4 << "-";
    // The upper-case form of "ß" is "SS": the selection is measured on the value as shown.
    QTest::newRow("longer upper-case form") << QStringList{"Straße"} << "stra" << 4 << "Straße|4|2";
    QTest::newRow("later of three") << QStringList{"Deep", "Deep House", "Deep Night"} << "deep " << 5
                                    << "Deep Night|5|5";
}

void tst_autocomplete::complete()
{
    QFETCH(QStringList, values);
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, result);
    QCOMPARE(completed(listOf(values), text, caret), result);
}

void tst_autocomplete::flags_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("deleteKey");
    QTest::addColumn<bool>("acSetting");
    QTest::addColumn<bool>("proposed");
    QTest::addColumn<bool>("acSettingAfter");
    // iDeleteKey is looked at before the text, iAcSetting after it.
    QTest::newRow("delete, empty text") << "" << true << false << false << false;
    QTest::newRow("delete leaves acSetting") << "mi" << true << true << false << true;
    QTest::newRow("acSetting kept for empty text") << "" << false << true << false << true;
    QTest::newRow("acSetting cleared") << "mi" << false << true << false << false;
    QTest::newRow("completion sets acSetting") << "mi" << false << false << true << true;
    QTest::newRow("no match leaves it clear") << "zz" << false << false << false << false;
}

void tst_autocomplete::flags()
{
    QFETCH(QString, text);
    QFETCH(bool, deleteKey);
    QFETCH(bool, acSetting);
    QFETCH(bool, proposed);
    QFETCH(bool, acSettingAfter);
    const modAutoComplete ac = listOf({"Mirela", "Mitra Sound"});
    QCOMPARE(ac.Complete(kArtists, text, text.size(), deleteKey, acSetting).has_value(), proposed);
    QCOMPARE(deleteKey, false);
    QCOMPARE(acSetting, acSettingAfter);
}

void tst_autocomplete::typingSession()
{
    const modAutoComplete ac = listOf({"Mirela", "Mitra Sound"});
    bool deleteKey = false, acSetting = false;
    auto c = ac.Complete(kArtists, QStringLiteral("mi"), 2, deleteKey, acSetting);
    QVERIFY(c && c->text == QLatin1String("Mitra Sound"));
    // The box shows the completion: that change is not completed again.
    QVERIFY(!ac.Complete(kArtists, c->text, 2, deleteKey, acSetting));
    // Backspace removes the selected rest: nothing is proposed.
    deleteKey = true;
    QVERIFY(!ac.Complete(kArtists, QStringLiteral("mi"), 2, deleteKey, acSetting));
    // The next letter completes again.
    c = ac.Complete(kArtists, QStringLiteral("mir"), 3, deleteKey, acSetting);
    QVERIFY(c);
    QCOMPARE(c->text, QStringLiteral("Mirela"));
    QCOMPARE(c->selectionStart, 3);
    QCOMPARE(c->selectionLength, 3);
}

void tst_autocomplete::feedWindow_data()
{
    QTest::addColumn<int>("tracks");
    QTest::addColumn<int>("firstFed");
    QTest::newRow("empty table") << 0 << 1;
    QTest::newRow("one") << 1 << 1;
    QTest::newRow("3000") << 3000 << 1;
    QTest::newRow("3001") << 3001 << 1;
    QTest::newRow("3002") << 3002 << 2;
    QTest::newRow("5000") << 5000 << 2000;
}

void tst_autocomplete::feedWindow()
{
    QFETCH(int, tracks);
    QFETCH(int, firstFed);
    modAutoComplete ac;
    ac.feed(numberedTracks(tracks));
    QCOMPARE(ac.values(kArtists), numbered("a", firstFed, tracks));
}

void tst_autocomplete::feedFieldsAndAccumulation()
{
    modAutoComplete ac;
    ac.feed(numberedTracks(2));
    const QList<int> fed{4, 6, 9, 10, 11};
    for (int list = 0; list < modAutoComplete::kLists; ++list)
        QCOMPARE(ac.values(list).isEmpty(), !fed.contains(list));
    QCOMPARE(ac.values(6), numbered("al", 1, 2));
    QCOMPARE(ac.values(9), numbered("s", 1, 2));
    QCOMPARE(ac.values(10), numbered("l", 1, 2));
    QCOMPARE(ac.values(11), numbered("c", 1, 2));

    // A second base adds to the first; its values in another case change nothing.
    TrackTable second = numberedTracks(2, 2);
    second.AddTrack(TrackRecord::fromList({"", "", "", "A1", "", "", "", "", "", "", ""}));
    ac.feed(second);
    QCOMPARE(ac.values(kArtists), numbered("a", 1, 3));
    QCOMPARE(completed(ac, QStringLiteral("a"), 1), QStringLiteral("a3|1|1"));
    QCOMPARE(completed(ac, QStringLiteral("C"), 1, 11), QStringLiteral("c3|1|1"));
    QCOMPARE(ac.FindValue(kArtists, QStringLiteral("A1")), 1);
    QCOMPARE(ac.values(6), numbered("al", 1, 3));
}

void tst_autocomplete::listIndexes()
{
    modAutoComplete ac = listOf({"Mirela"});
    for (const int list : {-1, modAutoComplete::kLists, 1000}) {
        ac.AddValue(list, QStringLiteral("Mirela"));
        QCOMPARE(ac.FindValue(list, QStringLiteral("Mirela")), 0);
        QVERIFY(ac.values(list).isEmpty());
        QCOMPARE(completed(ac, QStringLiteral("mi"), 2, list), QStringLiteral("-"));
    }
    // Lists never fed are empty and independent of the others.
    QCOMPARE(completed(ac, QStringLiteral("mi"), 2, 0), QStringLiteral("-"));
    QCOMPARE(ac.FindValue(6, QStringLiteral("Mirela")), 0);
    ac.AddValue(6, QStringLiteral("mirela"));
    QCOMPARE(ac.values(6), QStringList{"mirela"});
    QCOMPARE(ac.values(kArtists), QStringList{"Mirela"});
}

void tst_autocomplete::copiesAreIndependent()
{
    const modAutoComplete original = listOf({"Mirela"});
    modAutoComplete copy = original;
    copy.AddValue(kArtists, QStringLiteral("Mitra Sound"));
    copy.AddValue(6, QStringLiteral("Album"));
    QCOMPARE(original.values(kArtists), QStringList{"Mirela"});
    QVERIFY(original.values(6).isEmpty());
    QCOMPARE(completed(original, QStringLiteral("mi"), 2), QStringLiteral("Mirela|2|4"));
    QCOMPARE(copy.values(kArtists), (QStringList{"Mirela", "Mitra Sound"}));
}

QTEST_GUILESS_MAIN(tst_autocomplete)
#include "tst_autocomplete.moc"
