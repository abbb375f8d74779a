// Dragging a track from the track list onto the Tracklist with the real pointer. The drag runs the
// platform's own drag loop, which synthetic Qt events never reach, so this test starts an X server of its
// own (Xvfb), shows the program there and moves the pointer with xdotool.
#include "support/MainWindowParts.h"
#include "support/RealPointer.h"
#include "support/TestProgram.h"
#include "ui/controls/BalloonWindow.h"
#include "ui/controls/CTooltip.h"
#include "ui/controls/SkinButton.h"
#include "ui/edit/frmAddEdit.h"
#include "ui/main/frmMain.h"
#include "ui/platform/ListView.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QHeaderView>
#include <QLineEdit>
#include <QScreen>
#include <QStandardPaths>

using namespace MainParts;
using namespace TestSupport;

class tst_dragx11 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void dropAddsTheGrabbedTrackAfterCrossingRows();
    void dropStraightOntoTheTracklist();
    void hoverLightsButtonsAndShowsHeaderTips();
    void pastePastWhatABoxHoldsIsTold();

private:
    // The centre of `row` of the track list, and of the Tracklist's rows' area, in screen coordinates.
    QPoint rowPoint(int row) const;
    QPoint tracklistPoint(int dx = 0, int dy = 0) const;
    bool dragRunning() const { return w->findChild<QDrag *>() != nullptr; }
    // Runs the gesture to its end; false, and why, when a step failed.
    bool run(Gesture &gesture, QString *failure);
    // The track list's row `row` as the Tracklist shows it when it is added as its first entry.
    QString asFirstEntry(int row) const;
    QStringList tracklistRows() const;
    // The selection, the editor's fields and the track commands all speak of `row`.
    void checkWindowShowsRow(int row) const;

    const QString m_xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    std::unique_ptr<Session> m_session;
    frmMain *w = nullptr;
};

void tst_dragx11::initTestCase()
{
    // Gestures need the real pointer: nothing to run offscreen.
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("the drag and the paste need a real X display");
    Twips::setPerPixelForTesting(15, 15);
}

void tst_dragx11::init()
{
    m_session = std::make_unique<Session>();
    QVERIFY(m_session->start(QStringLiteral("Main.dat"), baseLines(30), "[Settings]\r\nShowPanel=True\r\n"));
    w = m_session->program->main;
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QVERIFY(lv2(w)->isVisible());
    QTRY_VERIFY(lv2(w)->viewport()->height() > 20);
    // Nothing selected, and the first rows in view, so the rows a gesture aims at are on the screen.
    lv(w)->setSelectedRow(-1);
    lv(w)->scrollToTop();
    // Without a window manager the window is where the program put it; both lists must be on the screen
    // for the pointer to reach them.
    const QRect screen = w->screen()->geometry();
    QVERIFY(screen.contains(rowPoint(0)));
    QVERIFY(screen.contains(tracklistPoint()));
}

void tst_dragx11::cleanup()
{
    w = nullptr;
    const int stray = m_session ? m_session->finish() : 0;
    m_session.reset();
    QCOMPARE(stray, 0);
}

QPoint tst_dragx11::rowPoint(int row) const
{
    const QRect rect = lv(w)->visualRect(lv(w)->model()->index(row, 0));
    return lv(w)->viewport()->mapToGlobal(QPoint(lv(w)->viewport()->width() / 3, rect.center().y()));
}

QPoint tst_dragx11::tracklistPoint(int dx, int dy) const
{
    return lv2(w)->viewport()->mapToGlobal(lv2(w)->viewport()->rect().center() + QPoint(dx, dy));
}

bool tst_dragx11::run(Gesture &gesture, QString *failure)
{
    gesture.start();
    if (!QTest::qWaitFor([&] { return gesture.finished(); }, 20000))
        *failure = QStringLiteral("the gesture did not end");
    else
        *failure = gesture.failure();
    return failure->isEmpty();
}

QString tst_dragx11::asFirstEntry(int row) const
{
    return QStringList{QStringLiteral("1"), lv(w)->itemText(row, 3), lv(w)->itemText(row, 4), lv(w)->itemText(row, 6),
                       lv(w)->itemText(row, 0) + QStringLiteral(" #") + lv(w)->itemText(row, 1)}
        .join(QLatin1Char('|'));
}

QStringList tst_dragx11::tracklistRows() const
{
    QStringList list;
    for (int row = 0; row < lv2(w)->count(); ++row)
        list.append(lv2(w)->itemTexts(row).toList().join(QLatin1Char('|')));
    return list;
}

void tst_dragx11::checkWindowShowsRow(int row) const
{
    QCOMPARE(lv(w)->selectedRow(), row);
    QCOMPARE(lv(w)->currentIndex().row(), row);
    QVERIFY(action(w, "mnuEditRecord")->isEnabled());
    for (int box = frmAddEdit::kFirstBox; box <= frmAddEdit::kLastBox; ++box)
        QCOMPARE(m_session->program->addEdit->txt[box]->text(), lv(w)->itemText(row, box - 1));
}

void tst_dragx11::dropAddsTheGrabbedTrackAfterCrossingRows()
{
    // Pressed on one row, the pointer goes down over other rows, which the held button selects in turn,
    // and on out of the list onto the Tracklist. The row carried and added is the row pressed.
    const int grabbed = 2;
    QVERIFY(lv(w)->viewport()->rect().contains(lv(w)->viewport()->mapFromGlobal(rowPoint(grabbed + 4))));
    const QString expected = asFirstEntry(grabbed);
    QCOMPARE(expected, QStringLiteral("1|Artist 3|Title 3||CD #3"));

    Gesture gesture(m_xdotool);
    gesture.moveTo(rowPoint(grabbed));
    gesture.then({QStringLiteral("mousedown"), QStringLiteral("1")}, QStringLiteral("the press selects its row"),
                 [&] { return lv(w)->selectedRow() == grabbed; });
    gesture.moveTo(rowPoint(grabbed + 2), QStringLiteral("the held button selects the row under the pointer"),
                   [&] { return lv(w)->selectedRow() == grabbed + 2; });
    gesture.moveTo(rowPoint(grabbed + 4), QStringLiteral("the held button selects the row under the pointer"),
                   [&] { return lv(w)->selectedRow() == grabbed + 4; });
    gesture.moveTo(tracklistPoint(), QStringLiteral("a drag starts outside the list"), [&] { return dragRunning(); });
    gesture.moveTo(tracklistPoint(5, 3));
    gesture.moveTo(tracklistPoint(10, 6));
    gesture.then({QStringLiteral("mouseup"), QStringLiteral("1")}, QStringLiteral("the drop adds an entry"),
                 [&] { return lv2(w)->count() > 0 && !dragRunning(); });
    QString failure;
    QVERIFY2(run(gesture, &failure), qPrintable(failure));

    QCOMPARE(tracklistRows(), QStringList{expected});
    checkWindowShowsRow(grabbed);
}

void tst_dragx11::dropStraightOntoTheTracklist()
{
    // Pressed on a row and taken straight out of the list, crossing no other row.
    const int grabbed = 5;
    const QString expected = asFirstEntry(grabbed);

    Gesture gesture(m_xdotool);
    gesture.moveTo(rowPoint(grabbed));
    gesture.then({QStringLiteral("mousedown"), QStringLiteral("1")}, QStringLiteral("the press selects its row"),
                 [&] { return lv(w)->selectedRow() == grabbed; });
    gesture.moveTo(tracklistPoint(), QStringLiteral("a drag starts outside the list"), [&] { return dragRunning(); });
    gesture.moveTo(tracklistPoint(5, 3));
    gesture.then({QStringLiteral("mouseup"), QStringLiteral("1")}, QStringLiteral("the drop adds an entry"),
                 [&] { return lv2(w)->count() > 0 && !dragRunning(); });
    QString failure;
    QVERIFY2(run(gesture, &failure), qPrintable(failure));

    QCOMPARE(tracklistRows(), QStringList{expected});
    checkWindowShowsRow(grabbed);
}

void tst_dragx11::hoverLightsButtonsAndShowsHeaderTips()
{
    // A picture button lights up under the pointer and goes back to rest when the pointer leaves it; a
    // column header shows its caption in a balloon while the pointer rests on it, and the balloon goes when
    // the pointer leaves the header.
    SkinButton *exit = button(w, "cmdExit");
    const auto shows = [](const SkinButton *b, const QPixmap &picture) {
        return b->Picture().cacheKey() == picture.cacheKey();
    };
    auto *tip = w->findChild<CTooltip *>();
    QVERIFY(tip);
    QHeaderView *header = lv(w)->header();
    const int column = 3;
    const QString caption = lv(w)->model()->headerData(column, Qt::Horizontal).toString();
    const QPoint onHeader =
        header->viewport()->mapToGlobal(QPoint(header->sectionViewportPosition(column) + 10, header->height() / 2));
    const auto tipShown = [&] { return tip->tipWindow() && tip->tipWindow()->isVisible() && tip->Title() == caption; };

    Gesture gesture(m_xdotool);
    gesture.moveTo(exit->mapToGlobal(exit->rect().center()), QStringLiteral("the button lights up"),
                   [&] { return shows(exit, exit->Picture_2()); });
    gesture.moveTo(rowPoint(3), QStringLiteral("the button goes back to rest"),
                   [&] { return shows(exit, exit->Picture_1()); });
    gesture.moveTo(onHeader, QStringLiteral("the balloon shows the column's caption"), tipShown);
    gesture.moveTo(rowPoint(3), QStringLiteral("the balloon goes with the pointer"),
                   [&] { return !tip->tipWindow() || !tip->tipWindow()->isVisible(); });
    QString failure;
    QVERIFY2(run(gesture, &failure), qPrintable(failure));
    QVERIFY(!caption.isEmpty());
}

void tst_dragx11::pastePastWhatABoxHoldsIsTold()
{
    // The paste key and the middle button, pressed for real, paste into an editor box; what the box cannot
    // hold is cut and told, not dropped unseen.
    QGuiApplication::clipboard()->setText(QString(40000, QLatin1Char('7')));
    QGuiApplication::clipboard()->setText(QString(40000, QLatin1Char('8')), QClipboard::Selection);
    frmAddEdit *editor = m_session->program->addEdit;
    QLineEdit *box = editor->txt[int(TrackRecord::Comment) + 1];
    QString failure;
    QStringList pasted;
    m_session->driver.then([&](QDialog *) {
        Gesture key(m_xdotool);
        key.moveTo(box->mapToGlobal(box->rect().center()));
        key.then({QStringLiteral("click"), QStringLiteral("1")}, QStringLiteral("the box has the focus"),
                 [&] { return box->hasFocus(); });
        key.then({QStringLiteral("key"), QStringLiteral("ctrl+v")}, QStringLiteral("the paste key pastes"),
                 [&] { return !box->text().isEmpty(); });
        if (run(key, &failure)) {
            pasted.append(box->text());
            box->clear();
            Gesture button(m_xdotool);
            button.then({QStringLiteral("click"), QStringLiteral("2")}, QStringLiteral("the middle button pastes"),
                        [&] { return !box->text().isEmpty(); });
            if (run(button, &failure))
                pasted.append(box->text());
        }
        editor->Command2_Click();
    });
    lv(w)->setSelectedRow(0);
    w->EditCurent();
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QCOMPARE(pasted,
             QStringList({QString(box->maxLength(), QLatin1Char('7')), QString(box->maxLength(), QLatin1Char('8'))}));
    const QStringList told = m_session->answers.texts();
    QCOMPARE(told.size(), 2);
    QVERIFY(told[1].startsWith(QStringLiteral("Вставленный текст не поместился в поле")));
}

int main(int argc, char *argv[])
{
    return TestSupport::pointerTestMain<tst_dragx11>(argc, argv);
}

#include "tst_dragx11.moc"
