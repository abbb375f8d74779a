#include "core/settings/modManageSettings.h"
#include "support/TestFiles.h"

#include <QtTest>

using TestSupport::readBytes;
using TestSupport::writeBytes;

class tst_settings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void missingFileGivesDefaults();
    void writesAllKeysInOrder();
    void readsWhatWindowsWrites();
    void junkValues_data();
    void junkValues();
    void selectedBaseRange_data();
    void selectedBaseRange();
    void keepsUnknownKeysAndSections();
    void longValuesAreCut();
};

void tst_settings::missingFileGivesDefaults()
{
    QTemporaryDir dir;
    SettingsFile file(dir.filePath(QStringLiteral("settings.ini")));
    file.load();
    const auto s = modManageSettings::read(file);
    for (double w : s.columnWidths)
        QCOMPARE(w, 0.0);
    QCOMPARE(s.disableXP, 0);
    QCOMPARE(s.windowState, 0);
    QCOMPARE(s.showPanel, false);
    QCOMPARE(s.panelH, 0.0);
    QCOMPARE(s.selectedBase, 0);
}

void tst_settings::writesAllKeysInOrder()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    SettingsFile file(path);
    modManageSettings::StoredSettings s;
    for (int k = 0; k < 12; ++k)
        s.columnWidths[size_t(k)] = 600 + 150 * k;
    s.disableXP = 1;
    s.windowState = 2;
    s.showPanel = true;
    s.panelH = 2695.5;
    s.selectedBase = 3;
    modManageSettings::write(file, s);
    QVERIFY(file.save());

    QByteArray expected = "[Settings]\r\n";
    for (int k = 0; k < 12; ++k)
        expected += "ColoumnWidth" + QByteArray::number(k + 1) + "= " + QByteArray::number(600 + 150 * k) + "\r\n";
    expected += "DisableXP= 1\r\nWindowState= 2\r\nShowPanel=True\r\nPanelH= 2695.5\r\nSelectedBase= 3\r\n";
    QCOMPARE(readBytes(path), expected);

    // Writing again changes values in place and adds nothing.
    s.showPanel = false;
    s.windowState = 0;
    modManageSettings::write(file, s);
    QVERIFY(file.save());
    QByteArray again = expected;
    again.replace("ShowPanel=True", "ShowPanel=False").replace("WindowState= 2", "WindowState= 0");
    QCOMPARE(readBytes(path), again);

    SettingsFile reread(path);
    reread.load();
    const auto r = modManageSettings::read(reread);
    QCOMPARE(r.columnWidths, s.columnWidths);
    QCOMPARE(r.panelH, 2695.5);
    QCOMPARE(r.selectedBase, 3);
    QCOMPARE(r.disableXP, 1);
}

void tst_settings::readsWhatWindowsWrites()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    writeBytes(path, "[settings]\r\ncoloumnwidth3 =  1500 \r\nWINDOWSTATE=\" 1\"\r\nShowPanel=True\r\n"
                     "PanelH=1234.5\r\nSelectedBase=-2\r\n");
    SettingsFile file(path);
    file.load();
    const auto s = modManageSettings::read(file);
    QCOMPARE(s.columnWidths[2], 1500.0);
    QCOMPARE(s.windowState, 1);
    QVERIFY(s.showPanel);
    QCOMPARE(s.panelH, 1234.5);
    QCOMPARE(s.selectedBase, -2);
}

void tst_settings::junkValues_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<double>("width1");
    QTest::addColumn<bool>("showPanel");
    QTest::addColumn<int>("state");
    QTest::newRow("words") << QByteArray("[Settings]\nColoumnWidth1=wide\nShowPanel=yes\nWindowState=max\n") << 0.0
                           << false << 0;
    QTest::newRow("lower-case true") << QByteArray("[Settings]\nShowPanel=true\n") << 0.0 << false << 0;
    QTest::newRow("duplicates: first wins")
        << QByteArray("[Settings]\nColoumnWidth1=700\nColoumnWidth1=900\n[Settings]\nShowPanel=True\n") << 700.0
        << false << 0;
    QTest::newRow("no section") << QByteArray("ColoumnWidth1=700\nShowPanel=True\n") << 0.0 << false << 0;
    QTest::newRow("number then junk") << QByteArray("[Settings]\nColoumnWidth1=  800px\nWindowState=2.5\n") << 800.0
                                      << false << 2;
    QTest::newRow("beyond any screen") << QByteArray("[Settings]\nColoumnWidth1=1e308\nPanelH=1e308\n") << 0.0 << false
                                       << 0;
    QTest::newRow("below a twip") << QByteArray("[Settings]\nColoumnWidth1=1e-300\nPanelH=0.5\n") << 0.0 << false << 0;
    QTest::newRow("widest stored") << QByteArray("[Settings]\nColoumnWidth1=100000\nPanelH=100001\n") << 100000.0
                                   << false << 0;
    QTest::newRow("binary") << QByteArray("\x00\xff[Set\x98tings\n=\n==\n[Settings\nShowPanel=True", 36) << 0.0 << false
                            << 0;
}

void tst_settings::junkValues()
{
    QFETCH(QByteArray, content);
    QFETCH(double, width1);
    QFETCH(bool, showPanel);
    QFETCH(int, state);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    writeBytes(path, content);
    SettingsFile file(path);
    file.load();
    const auto s = modManageSettings::read(file);
    QCOMPARE(s.columnWidths[0], width1);
    QCOMPARE(s.showPanel, showPanel);
    QCOMPARE(s.windowState, state);
    if (content.contains("PanelH"))
        QCOMPARE(s.panelH, 0.0);
}

void tst_settings::selectedBaseRange_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("bases");
    QTest::addColumn<int>("expected");
    QTest::newRow("in range") << QByteArray(" 2") << 3 << 2;
    QTest::newRow("5 of 3") << QByteArray(" 5") << 3 << 0;
    QTest::newRow("4 of 2") << QByteArray("4") << 2 << 0;
    QTest::newRow("equal to count") << QByteArray("3") << 3 << 0;
    QTest::newRow("negative") << QByteArray("-1") << 3 << 0;
    QTest::newRow("junk") << QByteArray("abc") << 3 << 0;
    QTest::newRow("half rounds to even") << QByteArray("1.5") << 3 << 2;
}

void tst_settings::selectedBaseRange()
{
    QFETCH(QByteArray, value);
    QFETCH(int, bases);
    QFETCH(int, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    writeBytes(path, "[Settings]\r\nSelectedBase=" + value + "\r\n");
    SettingsFile file(path);
    file.load();
    QCOMPARE(modManageSettings::selectedBase(file, bases), expected);
}

void tst_settings::keepsUnknownKeysAndSections()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    writeBytes(path, "; my notes\r\n[Other]\r\nKey=Value\r\n[Settings]\r\nMine=1\r\nDisableXP=1\r\n");
    SettingsFile file(path);
    file.load();
    modManageSettings::write(file, modManageSettings::read(file));
    QVERIFY(file.save());
    const QByteArray bytes = readBytes(path);
    QVERIFY(bytes.startsWith("; my notes\r\n[Other]\r\nKey=Value\r\n[Settings]\r\nMine=1\r\nDisableXP= 1\r\n"));
    QCOMPARE(bytes.count("="), 2 + 17);
}

void tst_settings::longValuesAreCut()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    writeBytes(path, "[Settings]\r\nLong=" + QByteArray(1000, '7') + "\r\n");
    SettingsFile file(path);
    file.load();
    QCOMPARE(file.ReadSetting(QStringLiteral("Long")).size(), 255);
}

QTEST_GUILESS_MAIN(tst_settings)
#include "tst_settings.moc"
