// Tips over widgets and the column header's tips, driven by the pointer (the real one, on an X server of the
// test's own).
#include "support/RealPointer.h"
#include "ui/controls/BalloonWindow.h"
#include "ui/controls/CTooltip.h"
#include "ui/controls/mSubclass.h"
#include "ui/controls/modListViewEnh.h"
#include "ui/platform/ListView.h"
#include "ui/platform/MsgBox.h"

#include <QHeaderView>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>
#include <QtTest>

namespace {

QString s(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

QList<BalloonWindow *> balloons()
{
    QList<BalloonWindow *> found;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *balloon = qobject_cast<BalloonWindow *>(widget))
            found << balloon;
    }
    return found;
}

QPoint sectionCentre(QHeaderView *header, int column)
{
    return QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
}

} // namespace

class TestBalloonTips : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void headerTipFollowsTheColumnUnderTheMouse();
    void tipWindowAndItsSettings();
    void tipTimesOutAndComesBackAfterLeaving();
    void flatHeaderToggle();

private:
    void moveTo(QWidget *widget, QPoint pos) { QVERIFY2(m_pointer.moveTo(widget, pos), qPrintable(m_pointer.error())); }

    TestSupport::Pointer m_pointer;
    QWidget *m_window = nullptr;
    ListView *m_list = nullptr;
    QWidget *m_other = nullptr;
};

void TestBalloonTips::init()
{
    m_window = new QWidget;
    auto *layout = new QVBoxLayout(m_window);
    m_list = new ListView(m_window);
    m_other = new QWidget(m_window);
    m_other->setMinimumHeight(60);
    layout->addWidget(m_list);
    layout->addWidget(m_other);
    for (const char *caption : {"Носитель", "Исполнитель", "Название"})
        m_list->addColumn(s(caption), 100);
    m_window->resize(500, 300);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void TestBalloonTips::cleanup()
{
    m_pointer.releaseHeld();
    delete m_window;
    m_window = nullptr;
}

void TestBalloonTips::headerTipFollowsTheColumnUnderTheMouse()
{
    CTooltip TT;
    TT.setStyle(CTooltip::BalloonStyle);
    TT.setIcon(CTooltip::InformationIcon);
    mSubclass hook;
    hook.install(m_list, &TT);
    QCOMPARE(hook.hotColumn(), -1);
    QHeaderView *header = m_list->header();
    QWidget *area = header->viewport();

    moveTo(area, sectionCentre(header, 1));
    QCOMPARE(hook.hotColumn(), 1);
    QPointer<BalloonWindow> tip = TT.tipWindow();
    QVERIFY(tip);
    QVERIFY(!tip->isVisible()); // not before the mouse has rested
    QTRY_VERIFY(tip->isVisible());
    QCOMPARE(tip->title(), s("Исполнитель"));
    QCOMPARE(tip->text(), QStringLiteral(" "));
    QCOMPARE(tip->titleIcon(), int(CTooltip::InformationIcon));
    QVERIFY(tip->isBalloon());
    // Beside its rounded corners and its stem it shows what is behind it, also on a display that draws no
    // transparent windows (an X server without a compositing manager).
    const auto onScreen = [&](QPoint at) {
        return tip->screen()->grabWindow(0, at.x(), at.y(), 1, 1).toImage().pixelColor(0, 0);
    };
    const QPoint corner = tip->geometry().topLeft() + QPoint(1, 1); // above the box, left of the stem
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {  // only there is the screen what shows
        QTRY_COMPARE(onScreen(tip->geometry().center()), tip->backColor());
        QCOMPARE(onScreen(corner),
                 m_window->grab(QRect(m_window->mapFromGlobal(corner), QSize(1, 1))).toImage().pixelColor(0, 0));
    }
    // Pointing at the mouse, not covering it.
    const QPoint mouse = area->mapToGlobal(sectionCentre(header, 1));
    QVERIFY(tip->geometry().contains(tip->stemPoint()));
    QCOMPARE(tip->stemPoint().x(), mouse.x());
    QVERIFY(!tip->geometry().contains(mouse));

    // Within the same column the tip stays as it is; the next column gets a tip of its own.
    moveTo(area, sectionCentre(header, 1) + QPoint(10, 0));
    QCOMPARE(TT.tipWindow(), tip.data());
    QVERIFY(tip->isVisible());
    moveTo(area, sectionCentre(header, 2));
    QVERIFY(!tip);
    QCOMPARE(balloons().size(), 1);
    QCOMPARE(TT.tipWindow()->title(), s("Название"));
    QTRY_VERIFY(TT.tipWindow()->isVisible());

    // Right of the last column there is none, and no tip.
    moveTo(area, QPoint(header->length() + 20, header->height() / 2));
    QCOMPARE(hook.hotColumn(), -1);
    QVERIFY(balloons().isEmpty());

    // Leaving the header removes the tip; back over the same column it shows again.
    moveTo(area, sectionCentre(header, 0));
    QTRY_VERIFY(TT.tipWindow() && TT.tipWindow()->isVisible());
    moveTo(m_other, m_other->rect().center());
    QCOMPARE(hook.hotColumn(), -1);
    QVERIFY(!TT.tipWindow());
    QVERIFY(balloons().isEmpty());
    moveTo(area, sectionCentre(header, 0));
    QTRY_VERIFY(TT.tipWindow() && TT.tipWindow()->isVisible());
    QCOMPARE(TT.tipWindow()->title(), s("Носитель"));

    hook.remove();
    QVERIFY(!TT.tipWindow());
    moveTo(area, sectionCentre(header, 2));
    QVERIFY(!TT.tipWindow());
}

void TestBalloonTips::tipWindowAndItsSettings()
{
    CTooltip TT;
    QCOMPARE(TT.DelayTime(), 500);
    QCOMPARE(TT.VisibleTime(), 5000);
    TT.setTipText(s("Тело"));
    TT.Create(m_other);
    TT.Create(m_other);
    QCOMPARE(balloons().size(), 1);
    BalloonWindow *tip = TT.tipWindow();
    QVERIFY(!tip->isBalloon());
    QCOMPARE(tip->text(), s("Тело"));

    moveTo(m_other, QPoint(20, 20));
    QTRY_VERIFY(tip->isVisible());
    TT.setTipText(s("Другой текст"));
    QCOMPARE(tip->text(), s("Другой текст"));
    QVERIFY(tip->isVisible());

    // Style is taken at Create only.
    TT.setStyle(CTooltip::BalloonStyle);
    QVERIFY(!tip->isBalloon());

    // Colour 0 is the platform's colour, also after another colour was set.
    const QColor standardText = tip->palette().color(QPalette::ToolTipText);
    TT.setForeColor(0xFF0000);
    QCOMPARE(tip->textColor(), QColor(Qt::red));
    TT.setForeColor(0);
    QCOMPARE(tip->textColor(), standardText);
    TT.setBackColor(0x00FF00);
    QCOMPARE(tip->backColor(), QColor(Qt::green));

    // An icon without a title is set by Create; later writes reach the tip only once both are set.
    TT.setIcon(CTooltip::InformationIcon);
    QCOMPARE(tip->titleIcon(), 0);
    TT.Create(m_other);
    tip = TT.tipWindow();
    QVERIFY(tip->isBalloon());
    QCOMPARE(tip->titleIcon(), int(CTooltip::InformationIcon));
    QCOMPARE(tip->textColor(), standardText);
    QCOMPARE(tip->backColor(), QColor(Qt::green));
    TT.setIcon(CTooltip::WarningIcon);
    QCOMPARE(tip->titleIcon(), int(CTooltip::InformationIcon));
    TT.setTitle(s("Заголовок"));
    QCOMPARE(tip->titleIcon(), int(CTooltip::WarningIcon));
    QCOMPARE(tip->title(), s("Заголовок"));
    TT.setIcon(CTooltip::NoIcon);
    QCOMPARE(tip->titleIcon(), int(CTooltip::WarningIcon));

    // Centred: the stem points at the middle of the tool's lower edge, wherever the mouse is.
    TT.setCentered(true);
    TT.Create(m_other);
    moveTo(m_list->viewport(), QPoint(20, 20));
    moveTo(m_other, QPoint(5, 5));
    QTRY_VERIFY(TT.tipWindow()->isVisible());
    QCOMPARE(TT.tipWindow()->stemPoint(), m_other->mapToGlobal(QPoint(m_other->width() / 2, m_other->height())));
    TT.Destroy();
    QVERIFY(balloons().isEmpty());
}

void TestBalloonTips::tipTimesOutAndComesBackAfterLeaving()
{
    CTooltip TT;
    TT.setTipText(s("Тело"));
    TT.setVisibleTime(300);
    TT.Create(m_other);
    moveTo(m_other, QPoint(20, 20));
    BalloonWindow *tip = TT.tipWindow();
    QTRY_VERIFY(tip->isVisible());
    QTRY_VERIFY(!tip->isVisible());
    // Resting on does not bring it back; leaving and coming back does.
    moveTo(m_other, QPoint(30, 20));
    QVERIFY(!TT.isWaiting());
    QVERIFY(!tip->isVisible());
    moveTo(m_list->viewport(), QPoint(20, 20));
    moveTo(m_other, QPoint(20, 20));
    QVERIFY(TT.isWaiting());
    QTRY_VERIFY(tip->isVisible());

    // A click puts it away; an empty text never shows.
    QVERIFY2(m_pointer.click(), qPrintable(m_pointer.error()));
    QVERIFY(!tip->isVisible());
    TT.setTipText(QString());
    TT.Create(m_other);
    moveTo(m_list->viewport(), QPoint(20, 20));
    moveTo(m_other, QPoint(20, 20));
    QVERIFY(!TT.isWaiting());
    QVERIFY(!TT.tipWindow()->isVisible());
}

void TestBalloonTips::flatHeaderToggle()
{
    const bool start = m_list->flatColumnHeaders();
    QVERIFY(modListViewEnh::EnhListView_Toggle_FlatColumnHeaders(m_window, m_list, false));
    QCOMPARE(m_list->flatColumnHeaders(), !start);
    QVERIFY(modListViewEnh::EnhListView_Toggle_FlatColumnHeaders(m_window, m_list, false));
    QCOMPARE(m_list->flatColumnHeaders(), start);

    QList<MsgBox::Request> asked;
    const MsgBox::Answerer previous = MsgBox::setAnswerer([&](const MsgBox::Request &request) {
        asked << request;
        return MsgBox::Ok;
    });
    QVERIFY(!modListViewEnh::EnhListView_Toggle_FlatColumnHeaders(m_window, nullptr, false));
    QVERIFY(asked.isEmpty());
    QVERIFY(!modListViewEnh::EnhListView_Toggle_FlatColumnHeaders(m_window, nullptr, true));
    MsgBox::setAnswerer(previous);
    QCOMPARE(asked.size(), 1);
    QVERIFY(asked[0].text.startsWith(QStringLiteral("Error91\t")));
    QCOMPARE(asked[0].title, QStringLiteral("Error in Function : EnhListView_Toggle_FlatColumnHeaders"));
    QCOMPARE(asked[0].icon, MsgBox::Information);
}

int main(int argc, char *argv[])
{
    return TestSupport::pointerTestMain<TestBalloonTips>(argc, argv);
}

#include "tst_balloontips.moc"
