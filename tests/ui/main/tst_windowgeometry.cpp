#include "support/MainWindowParts.h"
#include "support/TestProgram.h"
#include "ui/platform/Twips.h"

#include <QMouseEvent>

using namespace MainParts;
using namespace TestSupport;

// Where the main window's parts go as the window is resized, the Tracklist panel shown or hidden, or its
// splitter dragged.
class tst_windowgeometry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { Twips::setPerPixelForTesting(15, 15); }
    void init();
    void cleanup();
    void panelToggle();
    void windowSnapsToMinimum();
    void splitterDrag();

private:
    std::unique_ptr<Session> m_session;
    frmMain *w = nullptr;
    WindowGeometry *geometry = nullptr;
};

void tst_windowgeometry::init()
{
    m_session = std::make_unique<Session>();
    QVERIFY(m_session->start(QStringLiteral("Jazz.dat"), baseLines(20)));
    w = m_session->program->main;
    geometry = w->features().geometry;
    QVERIFY(QTest::qWaitForWindowExposed(w));
}

void tst_windowgeometry::cleanup()
{
    const int stray = m_session->finish();
    m_session.reset();
    QCOMPARE(stray, 0);
}

void tst_windowgeometry::panelToggle()
{
    QVERIFY(!lv2(w)->isVisible());
    const int fullHeight = lv(w)->height();
    geometry->setSngPanelH(3000);
    action(w, "mnuOtbor")->trigger();
    QVERIFY(action(w, "mnuOtbor")->isChecked());
    QVERIFY(lv2(w)->isVisible() && frame(w, "Fr")->isVisible() && lr(w)->isVisible());
    QCOMPARE(lv(w)->height(), fullHeight - 200);
    QCOMPARE(lr(w)->y(), lv(w)->geometry().bottom() + 1);
    QVERIFY(frame(w, "Fr")->y() < lv2(w)->y());
    QCOMPARE(lv2(w)->width(), lv(w)->width());

    action(w, "mnuOtbor")->trigger();
    QVERIFY(!action(w, "mnuOtbor")->isChecked());
    QVERIFY(!lv2(w)->isVisible() && !frame(w, "Fr")->isVisible() && !lr(w)->isVisible());
    QCOMPARE(lv(w)->height(), fullHeight);

    // The panel comes back with the height it had.
    w->ChangePanel();
    QCOMPARE(geometry->sngPanelH(), 3000.0);
    QCOMPARE(lv(w)->height(), fullHeight - 200);
}

void tst_windowgeometry::windowSnapsToMinimum()
{
    // Within a pixel: 7000 twips is not a whole number of pixels.
    const double pixel = 15;
    geometry->setFormSize(5000, 5000);
    QTRY_VERIFY(qAbs(geometry->formWidth() - 7000) < pixel);
    QVERIFY(qAbs(geometry->formHeight() - 7000) < pixel);
    geometry->setFormSize(15000, 9000);
    QTRY_VERIFY(qAbs(geometry->formWidth() - 15000) < pixel);
    QCOMPARE(lv(w)->width(), w->centralWidget()->width());
    QCOMPARE(lv(w)->y() + lv(w)->height(), w->centralWidget()->height());
}

void tst_windowgeometry::splitterDrag()
{
    geometry->setFormSize(15000, 12000);
    geometry->setSngPanelH(3000);
    w->ChangePanel();
    QWidget *bar = lr(w);
    const QPoint start(10, 2);
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, start);
    // Up by 20 pixels: 300 twips more panel.
    QMouseEvent up(QEvent::MouseMove, QPointF(10, 2 - 20), bar->mapToGlobal(QPointF(10, 2 - 20)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &up);
    QCOMPARE(geometry->sngPanelH(), 3300.0);
    // Far down: stops at 1000 twips.
    QMouseEvent down(QEvent::MouseMove, QPointF(10, 5000), bar->mapToGlobal(QPointF(10, 5000)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &down);
    QCOMPARE(geometry->sngPanelH(), 1000.0);
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, QPoint(10, 5000));
    // After the release, moves change nothing.
    QCoreApplication::sendEvent(bar, &up);
    QCOMPARE(geometry->sngPanelH(), 1000.0);
    // Far up: stops at half the window's width.
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, start);
    QMouseEvent farUp(QEvent::MouseMove, QPointF(10, -5000), bar->mapToGlobal(QPointF(10, -5000)), Qt::NoButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &farUp);
    QCOMPARE(geometry->sngPanelH(), geometry->formWidth() * 0.5);
    QTest::mouseRelease(bar, Qt::LeftButton);
}

QTEST_MAIN(tst_windowgeometry)
#include "tst_windowgeometry.moc"
