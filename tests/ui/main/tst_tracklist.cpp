#include "support/MainWindowParts.h"
#include "support/TestProgram.h"
#include "ui/main/frmMain.h"
#include "ui/platform/ListView.h"

#include <QAction>
#include <QMimeData>

using namespace MainParts;
using namespace TestSupport;

class tst_tracklist : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void numbersAreGivenOnce();
    void addNeedsASelectionAndCopiesTheRow();
    void movesKeepTheNumbers();
    void removalsAskFirst();
    void dropAddsTheSelectedTrack();
    void keptAcrossBases();

private:
    QStringList rows() const;

    std::unique_ptr<Session> m_session;
    frmMain *w = nullptr;
};

void tst_tracklist::initTestCase()
{
    Twips::setPerPixelForTesting(15, 15);
}

void tst_tracklist::init()
{
    m_session = std::make_unique<Session>();
    QVERIFY(m_session->start(QStringLiteral("Main.dat"),
                             baseLines(5) + "LP\t\t2\tNo Number\tT\t\t3:10\t\t\t\t\t\t\t\r\n"));
    w = m_session->program->main;
}

void tst_tracklist::cleanup()
{
    const int stray = m_session->finish();
    m_session.reset();
    QCOMPARE(stray, 0);
}

QStringList tst_tracklist::rows() const
{
    QStringList list;
    for (int row = 0; row < lv2(w)->count(); ++row)
        list.append(lv2(w)->itemTexts(row).toList().join(QLatin1Char('|')));
    return list;
}

void tst_tracklist::numbersAreGivenOnce()
{
    m_session->answers.answer = MsgBox::Yes;
    for (int row : {0, 1, 2}) {
        lv(w)->setSelectedRow(row);
        QTest::mouseClick(button(w, "Command1"), Qt::LeftButton);
    }
    lv2(w)->setSelectedRow(1);
    w->features().tracklist->removeFromTracklist();
    lv(w)->setSelectedRow(3);
    action(w, "mnuAddOtbor")->trigger();
    QCOMPARE(rows(), (QStringList{"1|Artist 1|Title 1||CD #1", "3|Artist 3|Title 3||CD #3",
                                  "3|Artist 4|Title 4||CD #4"}));
    // After clearing, numbering starts again at 1; the same track may be added twice.
    w->features().tracklist->clearTracklist();
    QCOMPARE(lv2(w)->count(), 0);
    w->features().tracklist->addToTracklist();
    w->features().tracklist->addToTracklist();
    QCOMPARE(rows(), (QStringList{"1|Artist 4|Title 4||CD #4", "2|Artist 4|Title 4||CD #4"}));
}

void tst_tracklist::addNeedsASelectionAndCopiesTheRow()
{
    lv(w)->setSelectedRow(-1);
    w->features().tracklist->addToTracklist();
    QCOMPARE(lv2(w)->count(), 0);
    // A track without a media number: the label ends in " #".
    lv(w)->setSelectedRow(5);
    w->features().tracklist->addToTracklist();
    QCOMPARE(rows(), QStringList{"1|No Number|T|3:10|LP #"});
    QCOMPARE(lv2(w)->selectedRow(), -1);
    // A copy: later changes of the list do not reach it.
    lv(w)->setItemText(5, 3, QStringLiteral("Changed"));
    QCOMPARE(lv2(w)->itemText(0, 1), QStringLiteral("No Number"));
}

void tst_tracklist::movesKeepTheNumbers()
{
    for (int row : {0, 1, 2}) {
        lv(w)->setSelectedRow(row);
        w->features().tracklist->addToTracklist();
    }
    lv2(w)->setSelectedRow(0);
    QTest::mouseClick(button(w, "cmdUp"), Qt::LeftButton); // first row up: nothing
    QTest::mouseClick(button(w, "cmdDown"), Qt::LeftButton);
    QCOMPARE(rows(), (QStringList{"1|Artist 2|Title 2||CD #2", "2|Artist 1|Title 1||CD #1",
                                  "3|Artist 3|Title 3||CD #3"}));
    QCOMPARE(lv2(w)->selectedRow(), 1);
    w->features().tracklist->moveTracklistEntry(+1);
    w->features().tracklist->moveTracklistEntry(+1); // last row down: nothing
    QCOMPARE(lv2(w)->selectedRow(), 2);
    QCOMPARE(lv2(w)->itemText(2, 1), QStringLiteral("Artist 1"));
    w->features().tracklist->moveTracklistEntry(-1);
    QCOMPARE(rows(), (QStringList{"1|Artist 2|Title 2||CD #2", "2|Artist 1|Title 1||CD #1",
                                  "3|Artist 3|Title 3||CD #3"}));
    // Nothing selected: nothing moves.
    lv2(w)->setSelectedRow(-1);
    w->features().tracklist->moveTracklistEntry(-1);
    QCOMPARE(lv2(w)->itemText(0, 1), QStringLiteral("Artist 2"));
}

void tst_tracklist::removalsAskFirst()
{
    lv(w)->setSelectedRow(0);
    w->features().tracklist->addToTracklist();
    m_session->answers.answer = MsgBox::No;
    lv2(w)->setSelectedRow(0);
    QTest::keyClick(lv2(w), Qt::Key_Delete);
    QTest::mouseClick(button(w, "Command3"), Qt::LeftButton);
    QCOMPARE(lv2(w)->count(), 1);
    const auto asked = m_session->answers.messages();
    QCOMPARE(asked.size(), 2);
    QCOMPARE(asked[0].text, QStringLiteral("Вы действительно хотите удалить выделенный трек из списка отборных?"));
    QCOMPARE(asked[0].title, QStringLiteral("Внимание!"));
    QCOMPARE(asked[0].defaultButton, MsgBox::FirstButton);
    QCOMPARE(asked[1].text, QStringLiteral("Вы действительно хотите удалить все треки из списка отборных?"));
    QCOMPARE(asked[1].defaultButton, MsgBox::SecondButton);
    // Clearing an empty list still asks.
    m_session->answers.answer = MsgBox::Yes;
    w->features().tracklist->clearTracklist();
    w->features().tracklist->clearTracklist();
    QCOMPARE(m_session->answers.messages().size(), 4);
    QCOMPARE(lv2(w)->count(), 0);
}

void tst_tracklist::dropAddsTheSelectedTrack()
{
    lv(w)->setSelectedRow(2);
    QMimeData data;
    data.setText(QStringLiteral("anything"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(lv2(w)->viewport(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(lv2(w)->viewport(), &drop);
    QCOMPARE(rows(), QStringList{"1|Artist 3|Title 3||CD #3"});
}

void tst_tracklist::keptAcrossBases()
{
    lv(w)->setSelectedRow(4);
    w->features().tracklist->addToTracklist();
    w->SaveCurentH();
    writeBytes(m_session->folder.data(QStringLiteral("Other.dat")), baseLines(1));
    m_session->program->g.paths.sBaseFile = QStringLiteral("Other.dat");
    w->LoadCurentH();
    QCOMPARE(rows(), QStringList{"1|Artist 5|Title 5||CD #5"});
    QCOMPARE(readBytes(m_session->folder.data(QStringLiteral("otbor.lst"))),
             QByteArray("1\tArtist 5\tTitle 5\t\tCD #5\r\n"));
}

QTEST_MAIN(tst_tracklist)
#include "tst_tracklist.moc"
