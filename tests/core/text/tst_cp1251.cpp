#include "core/text/Cp1251.h"

#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <set>

class tst_cp1251 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyByteRoundTrips();
    void bestFit_data();
    void bestFit();
    void neverWritesAControlByteForAnotherCharacter();
};

void tst_cp1251::everyByteRoundTrips()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    // Twice, shifted by one, so both the ASCII fast paths and the tails see every byte.
    const QByteArray bytes = all + all.mid(1);
    const QString text = Cp1251::decode(bytes);
    QCOMPARE(Cp1251::encode(text), bytes);
    QVERIFY(Cp1251::canEncode(text));
    QCOMPARE(std::set<QChar>(text.cbegin(), text.cbegin() + 256).size(), size_t(256));
    QCOMPARE(text.at(0x98), QChar(0x0098));
    QCOMPARE(text.mid(0xB8, 2), QStringLiteral("ё№"));

    const QString cyrillic = QStringLiteral("Ґанна Їжак, «Щедрик» — 1996 “Ёлка” ‘ў’ … €\tend");
    QCOMPARE(Cp1251::roundTrip(cyrillic), cyrillic);
}

void tst_cp1251::bestFit_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("written");

    QTest::newRow("accented Latin") << QStringLiteral("Café Äö") << QStringLiteral("Cafe Ao");
    QTest::newRow("no decomposition") << QStringLiteral("Straße Łódź Ø") << QStringLiteral("Strasse Lodz O");
    QTest::newRow("ligature, fraction") << QStringLiteral("ﬁne ½ ＡＢ") << QStringLiteral("fine 1/2 AB");
    QTest::newRow("look-alikes") << QStringLiteral("‟a″ ′ −1 ―") << QStringLiteral("\"a\" ' -1 —");
    QTest::newRow("no-break space") << QStringLiteral("1\u202F000") << QStringLiteral("1\u00A0000");
    QTest::newRow("decomposed Cyrillic") << QStringLiteral("И\u0306 е\u0308 e\u0301") << QStringLiteral("Й ё e");
    QTest::newRow("mark first") << QStringLiteral("\u0301a") << QStringLiteral("?a");
    QTest::newRow("emoji") << QStringLiteral("a😀b❤\uFE0F") << QStringLiteral("a?b?");
    QTest::newRow("lone surrogates") << QString(QChar(0xD800)) + QLatin1Char('x') + QChar(0xDC00)
                                     << QStringLiteral("?x?");
    QTest::newRow("no look-alike") << QStringLiteral("中 Ω ¨ \u0085") << QStringLiteral("? ? ? ?");
    // Best fits longer than one byte make the output grow while it is written.
    QTest::newRow("growth") << QStringLiteral("ßЖabcdefgh").repeated(100)
                            << QStringLiteral("ssЖabcdefgh").repeated(100);
}

void tst_cp1251::bestFit()
{
    QFETCH(QString, text);
    QFETCH(QString, written);
    QVERIFY(!Cp1251::canEncode(text));
    QCOMPARE(Cp1251::roundTrip(text), written);
    QByteArray out = "head:";
    Cp1251::encodeAppend(text, out);
    QCOMPARE(out, "head:" + Cp1251::encode(written));
}

void tst_cp1251::neverWritesAControlByteForAnotherCharacter()
{
    const auto isControl = [](char byte) { return uchar(byte) < 0x20 || uchar(byte) == 0x7F; };
    for (char32_t c = 0; c < 0x10000; ++c) {
        const QChar ch{char16_t(c)};
        const QByteArray bytes = Cp1251::encode(QStringView(&ch, 1));
        if (c < 0x20 || c == 0x7F)
            QCOMPARE(bytes, QByteArray(1, char(c)));
        else
            QVERIFY2(!bytes.isEmpty() && std::none_of(bytes.begin(), bytes.end(), isControl),
                     qPrintable(QString::number(uint(c), 16)));
    }
    // Beyond 16 bits: one "?" per character.
    QRandomGenerator random(1251);
    QList<char32_t> wide;
    for (int i = 0; i < 1000; ++i)
        wide.append(random.bounded(0x10000u, 0x110000u));
    QCOMPARE(Cp1251::encode(QString::fromUcs4(wide.constData(), wide.size())), QByteArray(1000, '?'));
}

QTEST_GUILESS_MAIN(tst_cp1251)
#include "tst_cp1251.moc"
