#include "core/sort/SortKeys.h"

#include <QtTest>

class tst_sortkeys : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keys_data();
    void keys();
};

void tst_sortkeys::keys_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key");

    // No key type: the text itself, whatever it looks like.
    QTest::newRow("-1 title") << -1 << QStringLiteral("The End") << QStringLiteral("The End");
    QTest::newRow("7 date") << 7 << QStringLiteral("1.2.2024") << QStringLiteral("1.2.2024");

    // 1: titles without their leading article.
    QTest::newRow("1 the") << 1 << QStringLiteral("  The Beatles ") << QStringLiteral("beatles");
    QTest::newRow("1 a") << 1 << QStringLiteral("A Tribe Called Quest") << QStringLiteral("tribe called quest");
    QTest::newRow("1 the then a") << 1 << QStringLiteral("THE A Team") << QStringLiteral("team");
    QTest::newRow("1 the alone") << 1 << QStringLiteral("The") << QStringLiteral("the");
    QTest::newRow("1 a alone") << 1 << QStringLiteral(" A") << QStringLiteral("a");
    QTest::newRow("1 word start") << 1 << QStringLiteral("Theory Am") << QStringLiteral("theory am");
    QTest::newRow("1 cyrillic") << 1 << QString::fromUtf8("Кино") << QString::fromUtf8("кино");
    QTest::newRow("1 empty") << 1 << QString() << QString();

    // 2 and 3: whole numbers of a fixed least width, halves rounded to even.
    QTest::newRow("2 7") << 2 << QStringLiteral("7") << QStringLiteral("+00007");
    QTest::newRow("2 -3") << 2 << QStringLiteral("-3") << QStringLiteral("-00003");
    QTest::newRow("2 -0.4") << 2 << QStringLiteral("-0.4") << QStringLiteral("+00000");
    QTest::newRow("2 half to even") << 2 << QStringLiteral("2.5") << QStringLiteral("+00002");
    QTest::newRow("2 leading") << 2 << QStringLiteral(" 128 bpm") << QStringLiteral("+00128");
    QTest::newRow("2 wider") << 2 << QStringLiteral("1234567") << QStringLiteral("+1234567");
    QTest::newRow("2 word") << 2 << QStringLiteral("abc 5") << QStringLiteral("abc 5");
    QTest::newRow("2 huge") << 2 << QStringLiteral("1e300") << QStringLiteral("+9223372036854775807");
    QTest::newRow("3 7") << 3 << QStringLiteral("7") << QStringLiteral("+0000000007");
    QTest::newRow("3 -45") << 3 << QStringLiteral("-45") << QStringLiteral("-0000000045");

    // 4: single-precision decimals, the whole text a number.
    QTest::newRow("4 -2.5") << 4 << QStringLiteral("-2.5") << QStringLiteral("-0002.5000");
    QTest::newRow("4 comma") << 4 << QStringLiteral("3,25") << QStringLiteral("+0003.2500");
    QTest::newRow("4 rounded") << 4 << QStringLiteral("1.23456") << QStringLiteral("+0001.2346");
    QTest::newRow("4 exponent") << 4 << QStringLiteral("1.5e4") << QStringLiteral("+15000.0000");
    QTest::newRow("4 tiny negative") << 4 << QStringLiteral("-0.00001") << QStringLiteral("+0000.0000");
    QTest::newRow("4 tail") << 4 << QStringLiteral("12 kg") << QStringLiteral("12 kg");
    QTest::newRow("4 sign only") << 4 << QStringLiteral("-") << QStringLiteral("-");
    QTest::newRow("4 too large") << 4 << QStringLiteral("1e39") << QStringLiteral("1e39");

    // 5: dates, day first or year first.
    QTest::newRow("5 d.m.yyyy") << 5 << QStringLiteral("1.2.2024") << QStringLiteral("2024-02-01");
    QTest::newRow("5 dd/mm/yyyy") << 5 << QStringLiteral(" 15/12/1999 ") << QStringLiteral("1999-12-15");
    QTest::newRow("5 yyyy-m-d") << 5 << QStringLiteral("2024-3-9") << QStringLiteral("2024-03-09");
    QTest::newRow("5 yy 29") << 5 << QStringLiteral("1.1.29") << QStringLiteral("2029-01-01");
    QTest::newRow("5 yy 30") << 5 << QStringLiteral("1.1.30") << QStringLiteral("1930-01-01");
    QTest::newRow("5 no such day") << 5 << QStringLiteral("31.02.2024") << QStringLiteral("31.02.2024");
    QTest::newRow("5 mixed separators") << 5 << QStringLiteral("1.2/2024") << QStringLiteral("1.2/2024");
    QTest::newRow("5 year first, yy last") << 5 << QStringLiteral("2024.1.2024") << QStringLiteral("2024.1.2024");
    QTest::newRow("5 tail") << 5 << QStringLiteral("1.2.2024 x") << QStringLiteral("1.2.2024 x");

    // 6: times.
    QTest::newRow("6 h:mm") << 6 << QStringLiteral("7:05") << QStringLiteral("07-05-00");
    QTest::newRow("6 hh:mm:ss") << 6 << QStringLiteral("23:59:59") << QStringLiteral("23-59-59");
    QTest::newRow("6 blanks") << 6 << QStringLiteral(" 1 : 02 : 3 ") << QStringLiteral("01-02-03");
    QTest::newRow("6 hour 24") << 6 << QStringLiteral("24:00") << QStringLiteral("24:00");
    QTest::newRow("6 hour only") << 6 << QStringLiteral("12") << QStringLiteral("12");
    QTest::newRow("6 four parts") << 6 << QStringLiteral("1:2:3:4") << QStringLiteral("1:2:3:4");
}

void tst_sortkeys::keys()
{
    QFETCH(int, type);
    QFETCH(QString, text);
    QFETCH(QString, key);
    QCOMPARE(sortKey(type, text), key);
}

QTEST_GUILESS_MAIN(tst_sortkeys)
#include "tst_sortkeys.moc"
