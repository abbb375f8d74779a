// The picture button driven by real mouse and keyboard events: which of its three pictures it shows,
// when it clicks, and the pictures the program draws for it.

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
    void cleanup();

    void hoverLightsAndLeavingRestores();
    void onlyTheLeftButtonPresses();
    void pressDraggedOffDoesNotClick();
    void disabledTakesNoInput();
    void mouseMoveComesBeforeClick();
    void keyboardFocusAndClick();
    void normalPictureSizesTheButton();
    void svgPicturesRender_data();
    void svgPicturesRender();
    void factoryNamesTheButton();

private:
    QString shown() const;
    void pressLeft() { QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5)); }

    QWidget *window = nullptr;
    SkinButton *b = nullptr;
    QWidget *elsewhere = nullptr;
    SkinPictures pictures;
};

static QPixmap solid(QColor colour, QSize size = QSize(30, 20))
{
    QPixmap p(size);
    p.fill(colour);
    return p;
}

// Which picture the button shows, by identity.
QString tst_skinbutton::shown() const
{
    const qint64 key = b->Picture().cacheKey();
    if (key == pictures.normal.cacheKey())
        return QStringLiteral("normal");
    if (key == pictures.hover.cacheKey())
        return QStringLiteral("hover");
    if (key == pictures.pressed.cacheKey())
        return QStringLiteral("pressed");
    return QStringLiteral("other");
}

void tst_skinbutton::init()
{
    window = new QWidget;
    window->resize(200, 100);
    b = new SkinButton(window);
    b->move(10, 10);
    pictures.normal = solid(Qt::gray);
    pictures.hover = solid(Qt::yellow);
    pictures.pressed = solid(Qt::darkGray);
    b->setPictures(pictures);
    elsewhere = new QLineEdit(window);
    elsewhere->setGeometry(100, 10, 60, 30);
    elsewhere->setFocus(); // the button would otherwise get the focus, being first in the chain
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    // The pointer starts away from the button.
    QTest::mouseMove(window, QPoint(190, 90));
    QTRY_COMPARE(shown(), QStringLiteral("normal"));
}

void tst_skinbutton::cleanup()
{
    delete window;
    window = nullptr;
}

void tst_skinbutton::hoverLightsAndLeavingRestores()
{
    QCOMPARE(shown(), QStringLiteral("normal"));
    QTest::mouseMove(b, QPoint(5, 5));
    QCOMPARE(shown(), QStringLiteral("hover"));
    QTest::mouseMove(elsewhere);
    QTRY_COMPARE(shown(), QStringLiteral("normal"));

    // A window on top of the button, even its own child, is not the button.
    QTest::mouseMove(b, QPoint(5, 5));
    QCOMPARE(shown(), QStringLiteral("hover"));
    auto *child = new QWidget(b);
    child->setGeometry(15, 0, 15, 20);
    child->show();
    QTest::mouseMove(child, QPoint(5, 5));
    QTRY_COMPARE(shown(), QStringLiteral("normal"));
}

void tst_skinbutton::onlyTheLeftButtonPresses()
{
    QSignalSpy clicks(b, &SkinButton::Click);
    QTest::mouseMove(b, QPoint(5, 5));
    QTest::mousePress(b, Qt::RightButton, {}, QPoint(5, 5));
    QCOMPARE(shown(), QStringLiteral("hover"));
    QTest::mouseRelease(b, Qt::RightButton, {}, QPoint(5, 5));
    QCOMPARE(shown(), QStringLiteral("hover"));
    QCOMPARE(clicks.count(), 0);

    // A left click: pressed, then normal on release though still over it, lit again by the next move.
    pressLeft();
    QCOMPARE(shown(), QStringLiteral("pressed"));
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(shown(), QStringLiteral("normal"));
    QCOMPARE(clicks.count(), 1);
    QTest::mouseMove(b, QPoint(6, 6));
    QCOMPARE(shown(), QStringLiteral("hover"));
}

void tst_skinbutton::pressDraggedOffDoesNotClick()
{
    QSignalSpy clicks(b, &SkinButton::Click);
    QTest::mouseMove(b, QPoint(5, 5));
    pressLeft();
    // Dragged off: the button keeps the mouse, the pointer is over the other widget.
    const QPoint off = b->mapFrom(window, elsewhere->geometry().center());
    QCursor::setPos(elsewhere->mapToGlobal(elsewhere->rect().center()));
    QTest::mouseMove(b, off);
    QTRY_COMPARE(shown(), QStringLiteral("normal"));
    QTest::mouseRelease(b, Qt::LeftButton, {}, off);
    QCOMPARE(shown(), QStringLiteral("normal"));
    QCOMPARE(clicks.count(), 0);
}

void tst_skinbutton::disabledTakesNoInput()
{
    QSignalSpy clicks(b, &SkinButton::Click);
    QSignalSpy enabled(b, &SkinButton::EnabledChanged);
    QTest::mouseMove(b, QPoint(5, 5));
    b->setEnabled(false);
    QCOMPARE(enabled.count(), 1);
    QCOMPARE(enabled.at(0).at(0).toBool(), false);
    QCOMPARE(shown(), QStringLiteral("hover"));
    pressLeft();
    QCOMPARE(shown(), QStringLiteral("hover"));
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(clicks.count(), 0);

    b->setEnabled(true);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(clicks.count(), 1);
}

void tst_skinbutton::mouseMoveComesBeforeClick()
{
    QStringList events;
    connect(b, &SkinButton::MouseMove, this, [&](Qt::MouseButtons buttons, Qt::KeyboardModifiers, double, double) {
        // Raised before the button's own handling: the first move finds it still at rest.
        events << (QStringLiteral("MouseMove ") + shown() + (buttons & Qt::LeftButton ? " held" : ""));
    });
    connect(b, &SkinButton::Click, this, [&] { events << QStringLiteral("Click"); });
    QTest::mouseMove(b, QPoint(5, 5));
    pressLeft();
    QTest::mouseMove(b, QPoint(7, 7));
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(7, 7));
    QCOMPARE(events, (QStringList{"MouseMove normal", "MouseMove pressed held", "Click"}));
}

void tst_skinbutton::keyboardFocusAndClick()
{
    QSignalSpy clicks(b, &SkinButton::Click);
    // A mouse click leaves the focus where it was.
    elsewhere->setFocus();
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(elsewhere->hasFocus());
    QTest::mouseMove(window, QPoint(190, 90));
    QTRY_COMPARE(shown(), QStringLiteral("normal"));

    // Tab reaches it; the focused button shows its hover picture, and keeps it when the mouse leaves.
    QTest::keyClick(elsewhere, Qt::Key_Tab);
    QVERIFY(b->hasFocus());
    QCOMPARE(shown(), QStringLiteral("hover"));
    QTest::mouseMove(b, QPoint(5, 5));
    QTest::mouseMove(window, QPoint(190, 90));
    b->RelasePicture();
    QCOMPARE(shown(), QStringLiteral("hover"));

    QTest::keyPress(b, Qt::Key_Space);
    QCOMPARE(shown(), QStringLiteral("pressed"));
    QCOMPARE(clicks.count(), 1);
    QTest::keyRelease(b, Qt::Key_Space);
    QCOMPARE(clicks.count(), 2);
    QCOMPARE(shown(), QStringLiteral("hover"));
    QTest::keyClick(b, Qt::Key_Return);
    QTest::keyClick(b, Qt::Key_Enter);
    QCOMPARE(clicks.count(), 4);

    QTest::keyClick(b, Qt::Key_Tab);
    QVERIFY(!b->hasFocus());
    QCOMPARE(shown(), QStringLiteral("normal"));
}

void tst_skinbutton::normalPictureSizesTheButton()
{
    SkinButton button;
    QSignalSpy picture(&button, &SkinButton::PictureChanged);
    QSignalSpy picture1(&button, &SkinButton::Picture_1Changed);
    QSignalSpy picture2(&button, &SkinButton::Picture_2Changed);

    button.setPicture_2(solid(Qt::yellow, QSize(50, 50)));
    QCOMPARE(picture2.count(), 1);
    QCOMPARE(picture.count(), 0);

    // A picture for a screen of ratio 2 sizes the button in logical pixels.
    QPixmap normal = solid(Qt::gray, QSize(64, 40));
    normal.setDevicePixelRatio(2);
    button.setPicture_1(normal);
    QCOMPARE(button.size(), QSize(32, 20));
    QCOMPARE(button.sizeHint(), QSize(32, 20));
    QCOMPARE(button.Picture().cacheKey(), normal.cacheKey());
    QCOMPARE(picture1.count(), 1);
    QCOMPARE(picture.count(), 1);
}

void tst_skinbutton::svgPicturesRender_data()
{
    QTest::addColumn<QString>("svg");
    QTest::addColumn<qreal>("dpr");
    const QStringList files = QDir(QStringLiteral(":/buttons")).entryList({QStringLiteral("*.svg")});
    QCOMPARE(files.size(), 14);
    for (const QString &file : files) {
        for (qreal dpr : {1.0, 2.0})
            QTest::addRow("%s@%g", qPrintable(file), dpr) << QStringLiteral(":/buttons/") + file << dpr;
    }
}

void tst_skinbutton::svgPicturesRender()
{
    QFETCH(QString, svg);
    QFETCH(qreal, dpr);
    const SkinPictures p = SkinPictures::fromSvg(svg, 24, dpr, QPalette());
    const QSize devicePixels = QSize(32, 32) * dpr;
    QImage looks[3];
    int i = 0;
    for (const QPixmap &look : {p.normal, p.hover, p.pressed}) {
        QCOMPARE(look.size(), devicePixels);
        QCOMPARE(look.devicePixelRatio(), dpr);
        looks[i] = look.toImage();
        int inked = 0;
        for (int y = 0; y < looks[i].height(); ++y) {
            for (int x = 0; x < looks[i].width(); ++x)
                inked += qAlpha(looks[i].pixel(x, y)) > 128;
        }
        QVERIFY2(inked > 10 * dpr * dpr, qPrintable(QString::number(inked)));
        ++i;
    }
    QVERIFY(looks[0] != looks[1]);
    QVERIFY(looks[1] != looks[2]);
}

void tst_skinbutton::factoryNamesTheButton()
{
    SkinButton *made = SkinButton::create(window, QStringLiteral("cmdExit"), QStringLiteral(":/buttons/exit.svg"),
                                          QStringLiteral("Выход"), 16);
    QCOMPARE(made->objectName(), QStringLiteral("cmdExit"));
    QCOMPARE(made->toolTip(), QStringLiteral("Выход"));
    QCOMPARE(made->accessibleName(), QStringLiteral("Выход"));
    QCOMPARE(made->size(), QSize(24, 24));
    QVERIFY(made->devicePixelRatioF() <= made->Picture().devicePixelRatio());
    QVERIFY(!made->Picture_2().isNull() && !made->Picture_3().isNull());

    // A missing picture makes an empty button, not a crash.
    SkinButton *blank = SkinButton::create(window, QStringLiteral("x"), QStringLiteral(":/buttons/none.svg"), {});
    QVERIFY(blank->Picture().isNull());
    QCOMPARE(blank->sizeHint(), QSize(0, 0));
}

QTEST_MAIN(tst_skinbutton)
#include "tst_skinbutton.moc"
