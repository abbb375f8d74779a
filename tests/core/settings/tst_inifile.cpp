#include "core/settings/IniFile.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A settings file the way Windows and people editing it by hand leave it: CR LF, a key before any
// section, comments, blanks around names and "=", quotes, mixed case, duplicates and junk.
const QByteArray kWindowsFile = QByteArrayLiteral("stray=before any section\r\n"
                                                  "[Settings]\r\n"
                                                  "; comment=not a key\r\n"
                                                  "  Width = 1500 \r\n"
                                                  "Title=\"  quoted  \"\r\n"
                                                  "Single='x'\r\n"
                                                  "Half=\"open\r\n"
                                                  "width=second\r\n"
                                                  "Name=\xCF\xF0\xE8\xE2\xE5\xF2\r\n"
                                                  "no equals sign\r\n"
                                                  "[broken\r\n"
                                                  "AfterBroken=1\r\n"
                                                  "\r\n"
                                                  "; about the next section\r\n"
                                                  "[ Colors ]  trailing\r\n"
                                                  "Back=0\r\n"
                                                  "[SETTINGS]\r\n"
                                                  "Width=duplicate section\r\n"
                                                  "Later=only in the duplicate\r\n");

} // namespace

class tst_inifile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsWindowsFile_data();
    void readsWindowsFile();
    void writeChangesOnlyItsLine();
    void unchangedContentRoundTripsByteForByte();
    void saveWritesWholeFileOrNothing();
};

void tst_inifile::readsWindowsFile_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("value");

    const auto row = [](const char *name, const char *section, const char *key, bool found, const QString &value) {
        QTest::newRow(name) << QString::fromUtf8(section) << QString::fromUtf8(key) << found << value;
    };
    row("trimmed", "Settings", "Width", true, QStringLiteral("1500"));
    row("case and blanks in names", " settings ", "WIDTH ", true, QStringLiteral("1500"));
    row("quotes dropped", "Settings", "Title", true, QStringLiteral("  quoted  "));
    row("single quotes dropped", "Settings", "Single", true, QStringLiteral("x"));
    row("unpaired quote kept", "Settings", "Half", true, QStringLiteral("\"open"));
    row("code page", "Settings", "Name", true, QStringLiteral("Привет"));
    row("after unclosed bracket", "Settings", "AfterBroken", true, QStringLiteral("1"));
    row("header with trailing text", "colors", "Back", true, QStringLiteral("0"));
    row("key in duplicate section", "Settings", "Later", false, QString());
    row("key before any section", "", "stray", false, QString());
    row("comment", "Settings", "; comment", false, QString());
    row("line without =", "Settings", "no equals sign", false, QString());
    row("missing section", "Nowhere", "Width", false, QString());
}

void tst_inifile::readsWindowsFile()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(bool, found);
    QFETCH(QString, value);
    IniFile ini;
    ini.parse(kWindowsFile);
    QCOMPARE(ini.contains(section, key), found);
    QCOMPARE(ini.value(section, key), value);
}

void tst_inifile::writeChangesOnlyItsLine()
{
    IniFile ini;
    ini.parse(kWindowsFile);
    ini.setValue(QStringLiteral("SETTINGS"), QStringLiteral("width"), QStringLiteral("2000"));
    ini.setValue(QStringLiteral("Colors"), QStringLiteral("Fore"), QStringLiteral("Ёж"));
    ini.setValue(QStringLiteral("Settings"), QStringLiteral("Later"), QStringLiteral("first section"));
    ini.setValue(QStringLiteral("New"), QStringLiteral("Key"), QStringLiteral("a\r\nb"));

    QByteArray expected = kWindowsFile;
    expected.replace("  Width = 1500 \r\n", "  Width =2000\r\n");
    expected.replace("AfterBroken=1\r\n", "AfterBroken=1\r\nLater=first section\r\n");
    expected.replace("Back=0\r\n", "Back=0\r\nFore=\xA8\xE6\r\n");
    expected += "[New]\r\nKey=a  b\r\n";
    QCOMPARE(ini.serialize(), expected);
    QCOMPARE(ini.value(QStringLiteral("settings"), QStringLiteral("later")), QStringLiteral("first section"));

    // Other line ends, and a last line without one.
    ini.parse(QByteArrayLiteral("[a]\nk=1\n\n[b]\rx=2"));
    ini.setValue(QStringLiteral("b"), QStringLiteral("y"), QStringLiteral("3"));
    ini.setValue(QStringLiteral("a"), QStringLiteral("j"), QStringLiteral("4"));
    QCOMPARE(ini.serialize(), QByteArrayLiteral("[a]\nk=1\nj=4\r\n\n[b]\rx=2\r\ny=3\r\n"));
}

void tst_inifile::unchangedContentRoundTripsByteForByte()
{
    QByteArray junk = "\xEF\xBB\xBF[a]\r\nk=v\r\n";
    for (int b = 0; b < 256; ++b)
        junk += char(b);
    junk += QByteArray(100000, 'x') + "=" + QByteArray(100000, '[') + "\n\r\n\r";
    QRandomGenerator random(7);
    for (int i = 0; i < 10000; ++i)
        junk += char(random.bounded(256));

    IniFile ini;
    ini.parse(junk);
    QCOMPARE(ini.serialize(), junk);
    QCOMPARE(ini.value(QStringLiteral("a"), QStringLiteral("k")), QStringLiteral("v"));
    ini.setValue(QStringLiteral("a"), QStringLiteral("k"), QStringLiteral("w"));
    QVERIFY(ini.serialize().startsWith(QByteArrayView("\xEF\xBB\xBF[a]\r\nk=w\r\n\x00\x01", 15)));
}

void tst_inifile::saveWritesWholeFileOrNothing()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    IniFile ini(dir.filePath(QStringLiteral("settings.ini")));
    QVERIFY(ini.load()); // missing reads as empty
    ini.setValue(QStringLiteral("Main"), QStringLiteral("Base"), QStringLiteral("Винил"));
    QString error;
    QVERIFY2(ini.save(&error), qPrintable(error));
    const QByteArray saved = QByteArrayLiteral("[Main]\r\nBase=\xC2\xE8\xED\xE8\xEB\r\n");

    // Permissions would not stop root, so make the write impossible another way: the target is a
    // directory, or its parent is a regular file.
    for (const QString &path : QStringList{dir.path(), ini.path() + QStringLiteral("/x.ini")}) {
        IniFile failing(path);
        failing.setValue(QStringLiteral("a"), QStringLiteral("k"), QStringLiteral("2"));
        QVERIFY(!failing.save(&error));
        QVERIFY(!error.isEmpty());
    }
    QVERIFY(ini.load());
    QCOMPARE(ini.serialize(), saved);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("settings.ini")});

    IniFile directory(dir.path());
    QVERIFY(!directory.load()); // exists but cannot be read
}

QTEST_GUILESS_MAIN(tst_inifile)
#include "tst_inifile.moc"
