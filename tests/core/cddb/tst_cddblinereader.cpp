// The server's bytes cut into lines: line ends, however the bytes arrive, the line limit, strict UTF-8 and
// ISO 8859-1.
#include "core/cddb/CddbLineReader.h"

#include <QtTest>

namespace {

// Every line `reader` gives now, then "<more>" or "<error>".
QStringList drain(CddbLineReader &reader)
{
    QStringList lines;
    QString line;
    for (;;) {
        const CddbLineReader::Status status = reader.next(&line);
        if (status != CddbLineReader::Status::Line)
            return lines << (status == CddbLineReader::Status::NeedMore ? "<more>" : "<error>");
        lines.append(line);
    }
}

} // namespace

class tst_cddblinereader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("CR LF and LF") << QByteArray("200 ok\r\n.\nlast\r\n")
                                      << QStringList{"200 ok", ".", "last", "<more>"};
        QTest::newRow("empty lines") << QByteArray("\r\n\n\r\r\n") << QStringList{"", "", "\r", "<more>"};
        QTest::newRow("lone CR is text") << QByteArray("a\rb\n") << QStringList{"a\rb", "<more>"};
        QTest::newRow("unfinished last line waits") << QByteArray("a\nb\r") << QStringList{"a", "<more>"};
        QTest::newRow("UTF-8") << QByteArray("Ж\xf0\x9f\x98\x80\n\xef\xbf\xbf\n")
                               << QStringList{QString::fromUtf8("Ж\xf0\x9f\x98\x80"), QString(QChar(0xFFFF)), "<more>"};
        // The limit is 8 bytes here: eight with any line end pass; nine do not, nor nine waiting after a CR.
        QTest::newRow("at the limit") << QByteArray("12345678\r\n12345678\n")
                                      << QStringList{"12345678", "12345678", "<more>"};
        QTest::newRow("over the limit") << QByteArray("ok\n123456789\r\nnext\n") << QStringList{"ok", "<error>"};
        QTest::newRow("limit and CR wait") << QByteArray("12345678\r") << QStringList{"<more>"};
        QTest::newRow("over the limit unfinished") << QByteArray("1234567890") << QStringList{"<error>"};
        // Not UTF-8: a cut sequence, a lone continuation byte, overlong forms (C0, E0 80, F0 80), surrogates,
        // past U+10FFFF, F5 and FF.
        const char *bad[] = {"\xd0\n",
                             "\xe2\x82\n",
                             "\x80\n",
                             "\xc0\xaf\n",
                             "\xc1\xbf\n",
                             "\xe0\x80\xaf\n",
                             "\xf0\x80\x80\xaf\n",
                             "\xed\xa0\x80\n",
                             "\xed\xbf\xbf\n",
                             "\xf4\x90\x80\x80\n",
                             "\xf5\x80\x80\x80\n",
                             "\xff\n",
                             "\xd0\x20\n"};
        for (const char *b : bad)
            QTest::newRow(QByteArray(b).toHex().constData()) << QByteArray("ok\n") + b << QStringList{"ok", "<error>"};
    }
    void lines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        // Whole, and a byte at a time: the same lines.
        CddbLineReader whole(8);
        whole.append(bytes);
        QCOMPARE(drain(whole), lines);
        CddbLineReader bytewise(8);
        QStringList got;
        for (const char c : bytes) {
            bytewise.append(QByteArrayView(&c, 1));
            got += drain(bytewise);
            got.removeAll("<more>");
            if (got.endsWith("<error>"))
                break;
        }
        if (!got.endsWith("<error>"))
            got.append("<more>");
        QCOMPARE(got, lines);
    }

    void errorIsFinal()
    {
        CddbLineReader reader(8);
        reader.append("123456789\n");
        QCOMPARE(drain(reader), QStringList{"<error>"});
        QCOMPARE(reader.error(), CddbLineReader::Error::LineTooLong);
        reader.append("ok\n");
        QCOMPARE(drain(reader), QStringList{"<error>"});
        CddbLineReader text;
        text.append("\xc3\x28\n");
        QCOMPARE(drain(text), QStringList{"<error>"});
        QCOMPARE(text.error(), CddbLineReader::Error::InvalidText);
    }

    void latin1()
    {
        // The encoding in force when a line is taken decodes it.
        CddbLineReader reader;
        reader.setEncoding(CddbLineReader::Encoding::Latin1);
        reader.append("Caf\xe9\n\xc3\xa9\n\xe9\n");
        QString line;
        QCOMPARE(reader.next(&line), CddbLineReader::Status::Line);
        QCOMPARE(line, QString::fromUtf8("Café"));
        reader.setEncoding(CddbLineReader::Encoding::Utf8);
        QCOMPARE(reader.next(&line), CddbLineReader::Status::Line);
        QCOMPARE(line, QString::fromUtf8("é"));
        QCOMPARE(reader.next(&line), CddbLineReader::Status::Error);
    }

    void eightBit_data()
    {
        // An older server's 8-bit text: Windows-1251 where every high byte is a Cyrillic letter there and two
        // of them stand together; otherwise ISO 8859-1, as is a line that is UTF-8.
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("line");
        QTest::newRow("Cyrillic") << QByteArray("DTITLE=\xca\xe8\xed\xee / \xa8\xeb\xea\xe0") << "DTITLE=Кино / Ёлка";
        QTest::newRow("one letter") << QByteArray("Caf\xe9") << "Café";
        QTest::newRow("letters apart") << QByteArray("\xe9t\xe9") << "été";
        QTest::newRow("not all letters") << QByteArray("\xab\xca\xe8\xed\xee\xbb") << "«Êèíî»";
        QTest::newRow("unassigned byte") << QByteArray("\xca\xe8\x98") << QString::fromLatin1("\xca\xe8\x98");
        QTest::newRow("UTF-8") << QByteArray("\xd0\x9a\xd0\xb8") << QString::fromLatin1("\xd0\x9a\xd0\xb8");
    }
    void eightBit()
    {
        QFETCH(QByteArray, bytes);
        CddbLineReader reader;
        reader.setEncoding(CddbLineReader::Encoding::Latin1);
        reader.append(QByteArray(bytes + "\r\n"));
        QString line;
        QCOMPARE(reader.next(&line), CddbLineReader::Status::Line);
        QTEST(line, "line");
    }
};

QTEST_GUILESS_MAIN(tst_cddblinereader)
#include "tst_cddblinereader.moc"
