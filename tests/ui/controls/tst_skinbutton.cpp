// The picture button driven by the pointer (the real one, on an X server of the test's own) and the
// keyboard, and the pictures the program draws for it.

#include "support/RealPointer.h"
#include "ui/controls/SkinButton.h"
#include "ui/controls/SkinPictures.h"

#include <QDir>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

class tst_skinbutton : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { Q_INIT_RESOURCE(cratebook); }
    void init();
    void cleanup()
    {
        pointer.releaseHeld();
        delete window;
    }
    void hoverAndLeave();
    void pressing();
    void disabledTakesNoInput();
    void mouseMoveComesBeforeClick();
    void keyboard();
    void normalPictureSizesTheButton();
    void svgPictures_data();
    void svgPictures();

private:
    // Which picture the button shows, by identity.
    QString shown() const
    {
        const qint64 key = b->Picture().cacheKey();
        return key == pics.normal.cacheKey()    ? "normal"
               : key == pics.hover.cacheKey()   ? "hover"
               : key == pics.pressed.cacheKey() ? "pressed"
                                                : "other";
    }
    void hover() { QVERIFY2(pointer.moveTo(b, QPoint(5, 5)), qPrintable(pointer.error())); }
    void moveTo(QWidget *widget, QPoint pos) { QVERIFY2(pointer.moveTo(widget, pos), qPrintable(pointer.error())); }
    void press(Qt::MouseButton button) { QVERIFY2(pointer.press(button), qPrintable(pointer.error())); }
    void release(Qt::MouseButton button) { QVERIFY2(pointer.release(button), qPrintable(pointer.error())); }

    QWidget *window = nullptr;
    SkinButton *b = nullptr;
    QLineEdit *elsewhere = nullptr;
    SkinPictures pics;
    TestSupport::Pointer pointer;
};

static QPixmap solid(QColor colour, QSize size = QSize(30, 20))
{
    QPixmap p(size);
    p.fill(colour);
    return p;
}

void tst_skinbutton::init()
{
    window = new QWidget;
    window->resize(200, 100);
    b = new SkinButton(window);
    b->move(10, 10);
    pics = {solid(Qt::gray), solid(Qt::yellow), solid(Qt::darkGray)};
    b->setPictures(pics);
    elsewhere = new QLineEdit(window);
    elsewhere->setGeometry(100, 10, 60, 30);
    elsewhere->setFocus(); // else the button, first in the focus chain, would take it
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    moveTo(window, QPoint(190, 90));
    QTRY_COMPARE(shown(), "normal");
}

void tst_skinbutton::hoverAndLeave()
{
    hover();
    QCOMPARE(shown(), "hover");
    moveTo(elsewhere, QPoint(5, 5));
    QTRY_COMPARE(shown(), "normal");
    // Its own child on top of it counts as away.
    hover();
    auto *child = new QWidget(b);
    child->setGeometry(15, 0, 15, 20);
    child->show();
    moveTo(child, QPoint(5, 5));
    QTRY_COMPARE(shown(), "normal");
}

void tst_skinbutton::pressing()
{
    QSignalSpy clicks(b, &SkinButton::Click);
    hover();
    press(Qt::RightButton);
    release(Qt::RightButton);
    QCOMPARE(shown(), "hover");
    QCOMPARE(clicks.count(), 0);

    // Left click: pressed, normal on release though still over it, lit again by the next move.
    press(Qt::LeftButton);
    QCOMPARE(shown(), "pressed");
    release(Qt::LeftButton);
    QCOMPARE(shown(), "normal");
    QCOMPARE(clicks.count(), 1);
    moveTo(b, QPoint(6, 6));
    QCOMPARE(shown(), "hover");

    // Dragged off while held: normal at the watch's next look, and it stays so while the held pointer
    // moves on outside; the release outside does not click.
    press(Qt::LeftButton);
    moveTo(elsewhere, QPoint(5, 5));
    QTRY_COMPARE(shown(), "normal");
    moveTo(elsewhere, QPoint(15, 10));
    moveTo(window, QPoint(190, 90));
    QCOMPARE(shown(), "normal");
    release(Qt::LeftButton);
    QCOMPARE(shown(), "normal");
    QCOMPARE(clicks.count(), 1);
}

void tst_skinbutton::disabledTakesNoInput()
{
    QSignalSpy clicks(b, &SkinButton::Click);
    QSignalSpy enabled(b, &SkinButton::EnabledChanged);
    hover();
    b->setEnabled(false);
    QCOMPARE(enabled.count(), 1);
    press(Qt::LeftButton);
    QCOMPARE(shown(), "hover");
    release(Qt::LeftButton);
    QCOMPARE(clicks.count(), 0);
}

void tst_skinbutton::mouseMoveComesBeforeClick()
{
    QStringList events;
    connect(b, &SkinButton::MouseMove, this, [&](Qt::MouseButtons buttons) {
        // Raised before the button's own handling: the first move finds it still at rest.
        events << "MouseMove " + shown() + (buttons & Qt::LeftButton ? " held" : "");
    });
    connect(b, &SkinButton::Click, this, [&] { events << "Click"; });
    hover();
    press(Qt::LeftButton);
    moveTo(b, QPoint(7, 7));
    release(Qt::LeftButton);
    QCOMPARE(events, (QStringList{"MouseMove normal", "MouseMove pressed held", "Click"}));
}

void tst_skinbutton::keyboard()
{
    QSignalSpy clicks(b, &SkinButton::Click);
    hover();
    press(Qt::LeftButton);
    release(Qt::LeftButton);
    QVERIFY(elsewhere->hasFocus()); // a click does not take the focus

    // Tab reaches it; focused, it rests on the hover picture.
    QTest::keyClick(elsewhere, Qt::Key_Tab);
    QVERIFY(b->hasFocus());
    QCOMPARE(shown(), "hover");
    b->RelasePicture();
    QCOMPARE(shown(), "hover");

    QTest::keyPress(b, Qt::Key_Space);
    QCOMPARE(shown(), "pressed");
    QTest::keyRelease(b, Qt::Key_Space);
    QCOMPARE(shown(), "hover");
    QTest::keyClick(b, Qt::Key_Return);
    QTest::keyClick(b, Qt::Key_Enter);
    QCOMPARE(clicks.count(), 4);

    QTest::keyClick(b, Qt::Key_Tab);
    QCOMPARE(shown(), "normal");
}

void tst_skinbutton::normalPictureSizesTheButton()
{
    QSignalSpy shownChanged(b, &SkinButton::PictureChanged);
    QSignalSpy normalChanged(b, &SkinButton::Picture_1Changed);
    QPixmap normal = solid(Qt::gray, QSize(64, 40));
    normal.setDevicePixelRatio(2); // sized in logical pixels
    b->setPicture_1(normal);
    QCOMPARE(b->size(), QSize(32, 20));
    QCOMPARE(b->sizeHint(), QSize(32, 20));
    QCOMPARE(b->Picture().cacheKey(), normal.cacheKey());
    QCOMPARE(normalChanged.count(), 1);
    QCOMPARE(shownChanged.count(), 1);

    SkinButton *made = SkinButton::create(window, "cmdExit", ":/buttons/exit.svg", "Выход", 16);
    QCOMPARE(made->objectName(), "cmdExit");
    QCOMPARE(made->toolTip(), "Выход");
    QCOMPARE(made->accessibleName(), "Выход");
    QCOMPARE(made->size(), QSize(24, 24));
}

void tst_skinbutton::svgPictures_data()
{
    QTest::addColumn<QString>("svg");
    QTest::addColumn<qreal>("dpr");
    const QStringList files = QDir(":/buttons").entryList({"*.svg"});
    QCOMPARE(files.size(), 14);
    for (const QString &file : files) {
        for (qreal dpr : {1.0, 2.0})
            QTest::addRow("%s@%g", qPrintable(file), dpr) << ":/buttons/" + file << dpr;
    }
}

void tst_skinbutton::svgPictures()
{
    QFETCH(QString, svg);
    QFETCH(qreal, dpr);
    const SkinPictures p = SkinPictures::fromSvg(svg, 24, dpr, QPalette());
    QList<QImage> looks;
    for (const QPixmap &look : {p.normal, p.hover, p.pressed}) {
        QCOMPARE(look.size(), QSize(32, 32) * dpr);
        QCOMPARE(look.devicePixelRatio(), dpr);
        looks << look.toImage();
        int inked = 0;
        for (int y = 0; y < looks.last().height(); ++y) {
            for (int x = 0; x < looks.last().width(); ++x)
                inked += qAlpha(looks.last().pixel(x, y)) > 128;
        }
        QVERIFY(inked > 10 * dpr * dpr);
    }
    QVERIFY(looks[0] != looks[1] && looks[1] != looks[2]);
}

int main(int argc, char *argv[])
{
    return TestSupport::pointerTestMain<tst_skinbutton>(argc, argv);
}

#include "tst_skinbutton.moc"
