#include "core/layout/MainLayout.h"

#include <QtTest>

using namespace MainLayout;

namespace {

Geometry window(double width, double height, bool panel)
{
    Geometry g;
    g.formWidth = width;
    g.formHeight = height;
    g.stbHeight = 300;
    g.frame1 = {0, 0, 0, 600, true};
    g.lv.top = 600;
    g.fr.height = 400;
    g.lv2.visible = panel;
    g.sngPanelH = 2700;
    return g;
}

} // namespace

class tst_mainlayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void withoutPanelListFillsWindow();
    void panelStacksBelowList();
    void smallWindowGrowsToMinimum_data();
    void smallWindowGrowsToMinimum();
    void minimisedWindowIsLeftAlone();
    void splitterLimits_data();
    void splitterLimits();
    void oversizedPanelKeepsLastValidListHeight();
};

void tst_mainlayout::withoutPanelListFillsWindow()
{
    Geometry g = window(12000, 9000, false);
    g.fr.visible = g.lr.visible = true;
    formResize(g);
    QCOMPARE(g.lv.width, 12000 - 120.0);
    QCOMPARE(g.frame1.width, g.lv.width);
    QCOMPARE(g.lv2.width, g.lv.width);
    QCOMPARE(g.lv.top, 600.0);
    QCOMPARE(g.lv.height, 9000 - 300 - 600 - 700.0);
    QCOMPARE(g.lv2.top, g.lv.top + g.lv.height + 10);
    QVERIFY(!g.fr.visible);
    QVERIFY(!g.lr.visible);
}

void tst_mainlayout::panelStacksBelowList()
{
    Geometry g = window(12000, 9000, true);
    formResize(g);
    QCOMPARE(g.lv.height, 9000 - 300 - 600 - 700 - 2700.0);
    QCOMPARE(g.lr.top, g.lv.top + g.lv.height);
    QCOMPARE(g.lr.height, 60.0);
    QCOMPARE(g.fr.top, g.lv.top + g.lv.height + 50);
    QCOMPARE(g.lv2.top, g.fr.top + g.fr.height);
    QCOMPARE(g.lv2.height, 9000 - 300 - g.lv2.top - 680);
    QVERIFY(g.fr.visible && g.lr.visible && g.lv2.visible);
}

void tst_mainlayout::smallWindowGrowsToMinimum_data()
{
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::newRow("narrow") << 5000.0 << 9000.0;
    QTest::newRow("low") << 9000.0 << 3000.0;
    QTest::newRow("both") << 100.0 << 100.0;
}

void tst_mainlayout::smallWindowGrowsToMinimum()
{
    QFETCH(double, width);
    QFETCH(double, height);
    Geometry g = window(width, height, false);
    formResize(g);
    QCOMPARE(g.formWidth, std::max(width, 7000.0));
    QCOMPARE(g.formHeight, std::max(height, 7000.0));
    QCOMPARE(g.lv.width, g.formWidth - 120);
}

void tst_mainlayout::minimisedWindowIsLeftAlone()
{
    Geometry g = window(2000, 2000, false);
    g.minimised = true;
    g.lv.width = 555;
    formResize(g);
    QCOMPARE(g.formWidth, 2000.0);
    QCOMPARE(g.lv.width, 555.0);
}

void tst_mainlayout::splitterLimits_data()
{
    QTest::addColumn<double>("y0");
    QTest::addColumn<double>("y");
    QTest::addColumn<double>("panel");
    QTest::newRow("up by 300") << 30.0 << -270.0 << 3000.0;
    QTest::newRow("down by 500") << 30.0 << 530.0 << 2200.0;
    QTest::newRow("far down stops at 1000") << 0.0 << 90000.0 << 1000.0;
    QTest::newRow("far up stops at half the width") << 0.0 << -90000.0 << 6000.0;
}

void tst_mainlayout::splitterLimits()
{
    QFETCH(double, y0);
    QFETCH(double, y);
    QFETCH(double, panel);
    Geometry g = window(12000, 20000, true);
    formResize(g);
    dragSplitter(g, y0, y);
    QCOMPARE(g.sngPanelH, panel);
    QCOMPARE(g.lv.height, 20000 - 300 - 600 - 700 - panel);
}

void tst_mainlayout::oversizedPanelKeepsLastValidListHeight()
{
    Geometry g = window(12000, 9000, true);
    formResize(g);
    const double lastValid = g.lv.height;
    g.sngPanelH = 20000;
    resizey(g);
    QCOMPARE(g.lv.height, lastValid);
    // The steps after the refused one still run.
    QCOMPARE(g.lr.top, g.lv.top + lastValid);
    QVERIFY(g.lv2.visible);
}

QTEST_GUILESS_MAIN(tst_mainlayout)
#include "tst_mainlayout.moc"
