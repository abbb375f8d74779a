#include "support/TestProgram.h"

#include "ui/main/frmMain.h"
#include "ui/platform/ListView.h"

#include <QAction>
#include <QMimeData>
#include <QToolButton>

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
    for (int row = 0; row < w->lv2->count(); ++row)
        list.append(w->lv2->itemTexts(row).toList().join(QLatin1Char('|')));
    return list;
}

void tst_tracklist::numbersAreGivenOnce()
{
    m_session->answers.answer = MsgBox::Yes;
    for (int row : {0, 1, 2}) {
        w->lv->setSelectedRow(row);
        QTest::mouseClick(w->Command1, Qt::LeftButton);
    }
    w->lv2->setSelectedRow(1);
    w->removeFromTracklist();
    w->lv->setSelectedRow(3);
    w->mnuAddOtbor->trigger();
    QCOMPARE(rows(), (QStringList{"1|Artist 1|Title 1||CD #1", "3|Artist 3|Title 3||CD #3",
                                  "3|Artist 4|Title 4||CD #4"}));
    // After clearing, numbering starts again at 1; the same track may be added twice.
    w->clearTracklist();
    QCOMPARE(w->lv2->count(), 0);
    w->addToTracklist();
    w->addToTracklist();
    QCOMPARE(rows(), (QStringList{"1|Artist 4|Title 4||CD #4", "2|Artist 4|Title 4||CD #4"}));
}

void tst_tracklist::addNeedsASelectionAndCopiesTheRow()
{
    w->lv->setSelectedRow(-1);
    w->addToTracklist();
    QCOMPARE(w->lv2->count(), 0);
    // A track without a media number: the label ends in " #".
    w->lv->setSelectedRow(5);
    w->addToTracklist();
    QCOMPARE(rows(), QStringList{"1|No Number|T|3:10|LP #"});
    QCOMPARE(w->lv2->selectedRow(), -1);
    // A copy: later changes of the list do not reach it.
    w->lv->setItemText(5, 3, QStringLiteral("Changed"));
    QCOMPARE(w->lv2->itemText(0, 1), QStringLiteral("No Number"));
}

void tst_tracklist::movesKeepTheNumbers()
{
    for (int row : {0, 1, 2}) {
        w->lv->setSelectedRow(row);
        w->addToTracklist();
    }
    w->lv2->setSelectedRow(0);
    QTest::mouseClick(w->cmdUp, Qt::LeftButton); // first row up: nothing
    QTest::mouseClick(w->cmdDown, Qt::LeftButton);
    QCOMPARE(rows(), (QStringList{"1|Artist 2|Title 2||CD #2", "2|Artist 1|Title 1||CD #1",
                                  "3|Artist 3|Title 3||CD #3"}));
    QCOMPARE(w->lv2->selectedRow(), 1);
    w->moveTracklistEntry(+1);
    w->moveTracklistEntry(+1); // last row down: nothing
    QCOMPARE(w->lv2->selectedRow(), 2);
    QCOMPARE(w->lv2->itemText(2, 1), QStringLiteral("Artist 1"));
    w->moveTracklistEntry(-1);
    QCOMPARE(rows(), (QStringList{"1|Artist 2|Title 2||CD #2", "2|Artist 1|Title 1||CD #1",
                                  "3|Artist 3|Title 3||CD #3"}));
    // Nothing selected: nothing moves.
    w->lv2->setSelectedRow(-1);
    w->moveTracklistEntry(-1);
    QCOMPARE(w->lv2->itemText(0, 1), QStringLiteral("Artist 2"));
}

void tst_tracklist::removalsAskFirst()
{
    w->lv->setSelectedRow(0);
    w->addToTracklist();
    m_session->answers.answer = MsgBox::No;
    w->lv2->setSelectedRow(0);
    QTest::keyClick(w->lv2, Qt::Key_Delete);
    QTest::mouseClick(w->Command3, Qt::LeftButton);
    QCOMPARE(w->lv2->count(), 1);
    const auto asked = m_session->answers.messages();
    QCOMPARE(asked.size(), 2);
    QCOMPARE(asked[0].text, QStringLiteral("Вы действительно хотите удалить выделенный трек из списка отборных?"));
    QCOMPARE(asked[0].title, QStringLiteral("Внимание!"));
    QCOMPARE(asked[0].defaultButton, MsgBox::FirstButton);
    QCOMPARE(asked[1].text, QStringLiteral("Вы действительно хотите удалить все треки из списка отборных?"));
    QCOMPARE(asked[1].defaultButton, MsgBox::SecondButton);
    // Clearing an empty list still asks.
    m_session->answers.answer = MsgBox::Yes;
    w->clearTracklist();
    w->clearTracklist();
    QCOMPARE(m_session->answers.messages().size(), 4);
    QCOMPARE(w->lv2->count(), 0);
}

void tst_tracklist::dropAddsTheSelectedTrack()
{
    w->lv->setSelectedRow(2);
    QMimeData data;
    data.setText(QStringLiteral("anything"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w->lv2->viewport(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w->lv2->viewport(), &drop);
    QCOMPARE(rows(), QStringList{"1|Artist 3|Title 3||CD #3"});
}

void tst_tracklist::keptAcrossBases()
{
    w->lv->setSelectedRow(4);
    w->addToTracklist();
    w->SaveCurentH();
    writeBytes(m_session->folder.data(QStringLiteral("Other.dat")), baseLines(1));
    m_session->program->g.sBaseFile = QStringLiteral("Other.dat");
    w->LoadCurentH();
    QCOMPARE(rows(), QStringList{"1|Artist 5|Title 5||CD #5"});
    QCOMPARE(readBytes(m_session->folder.data(QStringLiteral("otbor.lst"))),
             QByteArray("1\tArtist 5\tTitle 5\t\tCD #5\r\n"));
}

QTEST_MAIN(tst_tracklist)
#include "tst_tracklist.moc"
