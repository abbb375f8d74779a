#include "core/catalogue/Numbers.h"

#include <QRandomGenerator>
#include <QtTest>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

class tst_numbers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void leadingNumber_data();
    void leadingNumber();
    void rounding();
    void formatNumber_data();
    void formatNumber();
    void formatReadsBackExactly();
};

void tst_numbers::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("ok");

    QTest::newRow("blanks, sign, tail") << QStringLiteral(" \t -12.5abc") << -12.5 << true;
    QTest::newRow("point first, plus") << QStringLiteral("+.5") << 0.5 << true;
    QTest::newRow("point last") << QStringLiteral("5.") << 5.0 << true;
    QTest::newRow("no digits") << QStringLiteral("-.e5") << 0.0 << false;
    QTest::newRow("blank after sign") << QStringLiteral("- 5") << 0.0 << false;
    QTest::newRow("no-break space") << QStringLiteral("\u00A05") << 0.0 << false;
    QTest::newRow("exponent") << QStringLiteral("25e-2x") << 0.25 << true;
    QTest::newRow("E without digits") << QStringLiteral("1e+") << 1.0 << true;
    QTest::newRow("second point, comma") << QStringLiteral("1.2.3,4") << 1.2 << true;
    QTest::newRow("hex") << QStringLiteral("0x1A") << 0.0 << true;
    QTest::newRow("basic hex") << QStringLiteral("&H10") << 0.0 << false;
    QTest::newRow("inf") << QStringLiteral("inf") << 0.0 << false;
    QTest::newRow("other digits") << QStringLiteral("١٢") << 0.0 << false;
    QTest::newRow("negative zero") << QStringLiteral("-0") << 0.0 << true;
    QTest::newRow("many digits") << QStringLiteral("123456789012345678901234567890") << 1.2345678901234568e29 << true;
    QTest::newRow("overflow") << QStringLiteral("-0.001e99999999999999999999") << -DBL_MAX << true;
    QTest::newRow("underflow") << QStringLiteral("-1e-400") << 0.0 << true;
    QTest::newRow("zero, huge exponent") << QStringLiteral("0.000e999999") << 0.0 << true;
}

void tst_numbers::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QFETCH(bool, ok);
    bool found = !ok;
    const double read = Numbers::leadingNumber(text, &found);
    QVERIFY2(read == value, qPrintable(QString::number(read, 'g', 17))); // exact: QCOMPARE is fuzzy
    QVERIFY(!std::signbit(read) || value < 0);
    QCOMPARE(found, ok);
}

void tst_numbers::rounding()
{
    constexpr qint64 max = std::numeric_limits<qint64>::max();
    constexpr qint64 min = std::numeric_limits<qint64>::min();
    const std::pair<double, qint64> cases[] = {
        {2.5, 2},
        {3.5, 4},
        {-2.5, -2},
        {-3.5, -4},
        {0.49999999999999994, 0},
        {-2.6, -3},
        {4503599627370497.0, 4503599627370497},
        {-9223372036854775808.0, min},
        {9223372036854775808.0, max},
        {-1e300, min},
        {std::numeric_limits<double>::infinity(), max},
        {std::numeric_limits<double>::quiet_NaN(), 0},
    };
    for (const auto &[value, rounded] : cases)
        QCOMPARE(Numbers::roundHalfEven(value), rounded);

    QCOMPARE(Numbers::leadingInt(u" 7.5 px"), 8);
    QCOMPARE(Numbers::leadingInt(u"3e9"), std::numeric_limits<int>::max());
    QCOMPARE(Numbers::leadingInt(u"-3e9"), std::numeric_limits<int>::min());
}

void tst_numbers::formatNumber_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("digits");
    QTest::addColumn<QString>("text");

    QTest::newRow("1500") << 1500.0 << 15 << QStringLiteral(" 1500");
    QTest::newRow("-3") << -3.0 << 15 << QStringLiteral("-3");
    QTest::newRow("2695.5") << 2695.5 << 15 << QStringLiteral(" 2695.5");
    QTest::newRow("-0") << -0.0 << 15 << QStringLiteral(" 0");
    QTest::newRow("-0.025") << -0.025 << 15 << QStringLiteral("-0.025");
    QTest::newRow("float 0.1") << double(0.1f) << 7 << QStringLiteral(" 0.1");
    QTest::newRow("1/3") << 1.0 / 3 << 15 << QStringLiteral(" 0.333333333333333");
    QTest::newRow("rounds into zeros") << 123456789.0 << 7 << QStringLiteral(" 123456800");
    QTest::newRow("rounds up a digit") << 9999999.5 << 7 << QStringLiteral(" 10000000");
    QTest::newRow("largest plain") << 999999999999999.0 << 15 << QStringLiteral(" 999999999999999");
    QTest::newRow("rounds to 1e15") << 999999999999999.9 << 15 << QStringLiteral(" 1E+15");
    QTest::newRow("-1.25e300") << -1.25e300 << 15 << QStringLiteral("-1.25E+300");
    QTest::newRow("tiny") << 1e-20 << 15 << QStringLiteral(" 0.00000000000000000001");
    QTest::newRow("inf") << std::numeric_limits<double>::infinity() << 15 << QStringLiteral(" 1.79769313486232E+308");
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 15 << QStringLiteral(" 0");
}

void tst_numbers::formatNumber()
{
    QFETCH(double, value);
    QFETCH(int, digits);
    QFETCH(QString, text);
    QCOMPARE(Numbers::formatNumber(value, digits), text);
}

void tst_numbers::formatReadsBackExactly()
{
    // 17 significant digits identify every double, so any layout mistake shows as a different value.
    QRandomGenerator random(42);
    for (int i = 0; i < 20000; ++i) {
        const quint64 bits = random.generate64();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value))
            continue;
        const QString text = Numbers::formatNumber(value, 17);
        QVERIFY2(Numbers::leadingNumber(text) == value, qPrintable(text));
    }
}

QTEST_GUILESS_MAIN(tst_numbers)
#include "tst_numbers.moc"
