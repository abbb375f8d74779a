#include "support/MainWindowParts.h"
#include "support/TestProgram.h"
#include "ui/edit/frmAddEdit.h"
#include "ui/main/frmMain.h"
#include "ui/main/frmSplash.h"
#include "ui/platform/ListView.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>

using namespace MainParts;
using namespace TestSupport;

namespace {

QPoint rowCenter(ListView *lv, int row)
{
    return lv->visualRect(lv->model()->index(row, 1)).center();
}

} // namespace

class tst_trackcommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void clicksAndKeysSelect();
    void contextMenu();
    void commandsNeedASelection();
    void commandsFromMenusKeysAndButtons_data();
    void commandsFromMenusKeysAndButtons();
    void deleteRenumbersTheRest();
    void deleteOnAShownSubset();
    void deleteChoosesTheNextSelection_data();
    void deleteChoosesTheNextSelection();
    void deleteAll();
    void clipboard();
    void columnSortIsOnlyAView();
    void shelfOrderIsStored();
    void sortAfterAFailedSaveKeepsTheTracks();

private:
    std::unique_ptr<Session> m_session;
    Folder *m_folder = nullptr;
    Answers *m_answers = nullptr;
    Driver *m_driver = nullptr;
    Program *m_program = nullptr;
    frmMain *w = nullptr;
    ListView *lv = nullptr;
};

void tst_trackcommands::initTestCase()
{
    Twips::setPerPixelForTesting(15, 15);
}

void tst_trackcommands::init()
{
    m_session = std::make_unique<Session>();
    m_folder = &m_session->folder;
    m_answers = &m_session->answers;
    m_driver = &m_session->driver;
    QVERIFY(m_session->start(QStringLiteral("Main.dat"), baseLines(10)));
    m_program = m_session->program.get();
    w = m_program->main;
    lv = MainParts::lv(w);
    QVERIFY(QTest::qWaitForWindowExposed(w));
}

void tst_trackcommands::cleanup()
{
    const int stray = m_session->finish();
    m_session.reset();
    QCOMPARE(stray, 0);
}

void tst_trackcommands::clicksAndKeysSelect()
{
    // A click fills the editor from the row and enables the commands.
    QTest::mouseClick(lv->viewport(), Qt::LeftButton, Qt::NoModifier, rowCenter(lv, 2));
    QCOMPARE(lv->selectedRow(), 2);
    QCOMPARE(m_program->addEdit->txt[4]->text(), QStringLiteral("Artist 3"));
    QCOMPARE(m_program->addEdit->txt1->currentText(), QStringLiteral("CD"));
    QVERIFY(m_program->addEdit->AutoDisable);
    // Any media type but exactly "CD" shows as "LP" in the editor.
    lv->setItemText(1, 0, QStringLiteral("cd"));
    QTest::mouseClick(lv->viewport(), Qt::LeftButton, Qt::NoModifier, rowCenter(lv, 1));
    QCOMPARE(m_program->addEdit->txt1->currentText(), QStringLiteral("LP"));
    // The keys move the selection and the editor follows.
    QTest::keyClick(lv, Qt::Key_Down);
    QCOMPARE(lv->selectedRow(), 2);
    QCOMPARE(m_program->addEdit->txt[4]->text(), QStringLiteral("Artist 3"));

    // Below the last row: the last row.
    QTest::mouseClick(lv->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(5, lv->viewport()->height() - 3));
    QCOMPARE(lv->selectedRow(), 9);

    // Moving with the button held selects the row under the pointer.
    QTest::mousePress(lv->viewport(), Qt::LeftButton, Qt::NoModifier, rowCenter(lv, 1));
    for (int row : {2, 3, 4}) {
        QMouseEvent move(QEvent::MouseMove, rowCenter(lv, row), lv->viewport()->mapToGlobal(rowCenter(lv, row)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(lv->viewport(), &move);
        QCOMPARE(lv->selectedRow(), row);
    }
    QTest::mouseRelease(lv->viewport(), Qt::LeftButton, Qt::NoModifier, rowCenter(lv, 4));

    // Esc leaves no selection; a second Esc changes nothing.
    QTest::keyClick(lv, Qt::Key_Escape);
    QCOMPARE(lv->selectedRow(), -1);
    QTest::keyClick(lv, Qt::Key_Escape);
    QCOMPARE(lv->selectedRow(), -1);

    // In an empty list a click leaves nothing selected.
    lv->clear();
    QTest::mouseClick(lv->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QCOMPARE(lv->selectedRow(), -1);
    QVERIFY(!action(w, "mnuEditRecord")->isEnabled());
}

void tst_trackcommands::contextMenu()
{
    QTest::mouseClick(lv->viewport(), Qt::RightButton, Qt::NoModifier, rowCenter(lv, 3));
    QTRY_VERIFY(menu(w, "mnuC1")->isVisible());
    QCOMPARE(menu(w, "mnuC1")->defaultAction(), action(w, "mnuEditRecord"));
    QVERIFY(action(w, "mnuEditRecord")->isEnabled());
    menu(w, "mnuC1")->hide();

    // Not while the editor is open.
    m_program->g.editor.iEditorOpen = true;
    QTest::mouseClick(lv->viewport(), Qt::RightButton, Qt::NoModifier, rowCenter(lv, 4));
    QTest::qWait(50);
    QVERIFY(!menu(w, "mnuC1")->isVisible());
    m_program->g.editor.iEditorOpen = false;
}

void tst_trackcommands::commandsNeedASelection()
{
    lv->setSelectedRow(-1);
    w->UpdateMenus();
    for (QAction *a : {action(w, "mnuEditRecord"), action(w, "mnuEditRecord2"), action(w, "mnuDelRecord"),
                       action(w, "mnuDelRecord2"), menu(w, "mnuCopyI")->menuAction(), action(w, "mnuNewRecord3"),
                       action(w, "mnuNewRecord31")})
        QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
    QVERIFY(action(w, "mnuNewRecord2")->isEnabled());
    // Called directly without a selection, they do nothing.
    w->EditCurent();
    w->features().tracks->mnuNewRecord3_Click();
    w->features().tracks->mnuDelRecord_Click();
    w->features().tracks->CopyCurentTrek();
    QCOMPARE(m_driver->shown, 0);
    QVERIFY(m_answers->messages().isEmpty());
    // With the editor marked open, nothing opens it again.
    lv->setSelectedRow(0);
    m_program->g.editor.iEditorOpen = true;
    w->features().tracks->mnuNewRecord_Click();
    w->EditCurent();
    w->features().tracks->mnuDelRecord_Click();
    QCOMPARE(m_driver->shown, 0);
    m_program->g.editor.iEditorOpen = false;
}

void tst_trackcommands::commandsFromMenusKeysAndButtons_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("addMode");
    QTest::newRow("F1") << "F1" << true;
    QTest::newRow("F2") << "F2" << true;
    QTest::newRow("F3") << "F3" << false;
    QTest::newRow("Enter") << "Enter" << false;
    QTest::newRow("double click") << "dbl" << false;
    QTest::newRow("new track button") << "Command5" << true;
    QTest::newRow("copy button") << "Command4" << true;
    QTest::newRow("edit button") << "Command6" << false;
    QTest::newRow("context new") << "mnuNewRecord" << true;
    QTest::newRow("context copy") << "mnuNewRecord31" << true;
    QTest::newRow("context edit") << "mnuEditRecord" << false;
}

void tst_trackcommands::commandsFromMenusKeysAndButtons()
{
    QFETCH(QString, how);
    QFETCH(bool, addMode);
    lv->setSelectedRow(4);
    w->UpdateMenus();
    bool sawAddMode = !addMode;
    QString artist;
    m_driver->then([&](QDialog *) {
        sawAddMode = m_program->g.editor.iAddMode;
        artist = m_program->addEdit->txt[4]->text();
        m_program->addEdit->Command2_Click();
    });
    if (how.startsWith(QLatin1Char('F'))) {
        w->activateWindow();
        QTest::keyClick(w, Qt::Key(Qt::Key_F1 + how.mid(1).toInt() - 1));
    } else if (how == QLatin1String("Enter")) {
        QTest::keyClick(lv, Qt::Key_Return);
    } else if (how == QLatin1String("dbl")) {
        QTest::mouseDClick(lv->viewport(), Qt::LeftButton, Qt::NoModifier, rowCenter(lv, 4));
    } else if (how.startsWith(QLatin1String("Command"))) {
        QTest::mouseClick(w->findChild<SkinButton *>(how), Qt::LeftButton);
    } else {
        w->findChild<QAction *>(how)->trigger();
    }
    QCOMPARE(m_driver->shown, 1);
    QCOMPARE(sawAddMode, addMode);
    if (how != QLatin1String("F1") && how != QLatin1String("Command5") && how != QLatin1String("mnuNewRecord"))
        QCOMPARE(artist, QStringLiteral("Artist 5"));
    else
        QCOMPARE(artist, QString());
}

void tst_trackcommands::deleteRenumbersTheRest()
{
    m_answers->answer = MsgBox::Yes;
    lv->setSelectedRow(4);
    QTest::keyClick(lv, Qt::Key_Delete);
    const auto messages = m_answers->messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].text, QStringLiteral("Вы действительно хотите удалить выделенный трек?"));
    QCOMPARE(messages[0].defaultButton, MsgBox::FirstButton);
    QCOMPARE(messages[0].title, MsgBox::programTitle());
    QCOMPARE(m_program->g.catalogue.arTracks().count(), 9);
    for (int i = 1; i <= 9; ++i) {
        const int original = i < 5 ? i : i + 1;
        QCOMPARE(m_program->g.catalogue.arTracks().field(i, TrackRecord::MediaNumber), QString::number(original));
        QCOMPARE(lv->itemTag(i - 1), i);
        QCOMPARE(lv->itemText(i - 1, 1), QString::number(original));
    }
    QCOMPARE(lv->selectedRow(), 4);
    QCOMPARE(lv->itemText(4, 1), QStringLiteral("6"));
    QByteArray expected = baseLines(10);
    expected.replace(baseLines(5).mid(baseLines(4).size()), QByteArray());
    QCOMPARE(readBytes(m_folder->data(QStringLiteral("Main.dat"))), expected);

    // No keeps everything.
    m_answers->answer = MsgBox::No;
    action(w, "mnuDelRecord2")->trigger();
    QCOMPARE(m_program->g.catalogue.arTracks().count(), 9);
}

void tst_trackcommands::deleteOnAShownSubset()
{
    // A list showing some tracks only, as a search leaves it.
    QVector<ListItem> shown;
    for (int index : {2, 5, 7, 9}) {
        ListItem item;
        item.texts = m_program->g.catalogue.arTracks().at(index);
        item.tag = index;
        shown.append(item);
    }
    lv->setItems(shown);
    m_answers->answer = MsgBox::Yes;
    lv->setSelectedRow(1); // track 5
    w->features().tracks->mnuDelRecord_Click();
    QCOMPARE(lv->count(), 3);
    QCOMPARE(lv->itemTag(0), 2);
    QCOMPARE(lv->itemTag(1), 6);
    QCOMPARE(lv->itemTag(2), 8);
    for (int row = 0; row < 3; ++row)
        QCOMPARE(m_program->g.catalogue.arTracks().at(lv->itemTag(row)).value(TrackRecord::Artist),
                 lv->itemText(row, 3));

    // Editing another shown row afterwards changes the track shown in it.
    lv->setSelectedRow(2);
    m_driver->then([this](QDialog *) {
        m_program->addEdit->txt[5]->setText(QStringLiteral("Changed"));
        m_program->addEdit->Command1_Click();
    });
    w->EditCurent();
    QCOMPARE(m_program->g.catalogue.arTracks().field(8, TrackRecord::Title), QStringLiteral("Changed"));
    QCOMPARE(m_program->g.catalogue.arTracks().field(8, TrackRecord::Artist), QStringLiteral("Artist 9"));
}

void tst_trackcommands::deleteChoosesTheNextSelection_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("selected");
    QTest::newRow("middle: the next one") << 10 << 3 << 3;
    QTest::newRow("first") << 10 << 0 << 0;
    QTest::newRow("last: the one before") << 10 << 9 << 8;
    QTest::newRow("only: none") << 1 << 0 << -1;
}

void tst_trackcommands::deleteChoosesTheNextSelection()
{
    QFETCH(int, rows);
    QFETCH(int, row);
    QFETCH(int, selected);
    m_answers->answer = MsgBox::Yes;
    while (lv->count() > rows) {
        lv->setSelectedRow(lv->count() - 1);
        w->features().tracks->mnuDelRecord_Click();
    }
    const QString next = selected >= 0 ? lv->itemText(row == rows - 1 ? row - 1 : row + 1, 3) : QString();
    lv->setSelectedRow(row);
    w->features().tracks->mnuDelRecord_Click();
    QCOMPARE(lv->selectedRow(), selected);
    if (selected >= 0)
        QCOMPARE(lv->itemText(selected, 3), next);
    else
        QCOMPARE(m_program->g.catalogue.arTracks().count(), 0);
}

void tst_trackcommands::deleteAll()
{
    m_answers->answer = MsgBox::No;
    action(w, "mnuKillAll")->trigger();
    QCOMPARE(m_program->g.catalogue.arTracks().count(), 10);
    const auto question = m_answers->messages().first();
    QCOMPARE(question.text, QStringLiteral("Вы действительно хотите удалить все треки из базы?"));
    QCOMPARE(question.title, QStringLiteral("Внимание!"));
    QCOMPARE(question.defaultButton, MsgBox::SecondButton);

    m_answers->answer = MsgBox::Yes;
    action(w, "mnuKillAll")->trigger();
    QCOMPARE(m_program->g.catalogue.arTracks().count(), 0);
    QCOMPARE(lv->count(), 0);
    QCOMPARE(w->statusText(), QStringLiteral("Загружено 0 треков"));
    QCOMPARE(readBytes(m_folder->data(QStringLiteral("Main.dat"))), QByteArray());
}

void tst_trackcommands::clipboard()
{
    lv->setSelectedRow(6);
    action(w, "mnuTrek")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Artist 7 - Title 7"));
    action(w, "mnuCopyIsp")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Artist 7"));
    action(w, "mnuCopyTitle")->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Title 7"));
    // As shown in the list, not as stored.
    lv->setItemText(6, 3, QStringLiteral("Shown"));
    w->features().tracks->CopyCurentArtist();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Shown"));
}

void tst_trackcommands::columnSortIsOnlyAView()
{
    const QByteArray before = readBytes(m_folder->data(QStringLiteral("Main.dat")));
    QHeaderView *header = lv->header();
    const auto clickColumn = [header](int column) {
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x, header->height() / 2));
    };
    clickColumn(3);
    QCOMPARE(lv->sortKey(), 3);
    QCOMPARE(lv->sortOrder(), 0);
    QCOMPARE(lv->itemText(0, 3), QStringLiteral("Artist 1"));
    QCOMPARE(lv->itemText(1, 3), QStringLiteral("Artist 10"));
    QCOMPARE(lv->columnHeaderImage(3), 0);
    clickColumn(3);
    QCOMPARE(lv->sortOrder(), 1);
    QCOMPARE(lv->itemText(0, 3), QStringLiteral("Artist 9"));
    QCOMPARE(lv->columnHeaderImage(3), 1);
    clickColumn(5);
    QCOMPARE(lv->sortOrder(), 0);
    QCOMPARE(lv->columnHeaderImage(3), -1);
    QCOMPARE(lv->columnHeaderImage(5), 0);
    // Rows keep their tracks; the table and the file are untouched.
    for (int row = 0; row < lv->count(); ++row)
        QCOMPARE(m_program->g.catalogue.arTracks().at(lv->itemTag(row)).value(TrackRecord::Artist),
                 lv->itemText(row, 3));
    QCOMPARE(m_program->g.catalogue.arTracks().field(1, TrackRecord::Artist), QStringLiteral("Artist 1"));
    QCOMPARE(readBytes(m_folder->data(QStringLiteral("Main.dat"))), before);
}

void tst_trackcommands::shelfOrderIsStored()
{
    const QByteArray shelf = "LP\t1\tB1\r\nCD\t10\t1\r\nLP\t1\tA2\r\nCD\t9\t2\r\nCD\t9\t1\r\n";
    writeBytes(m_folder->data(QStringLiteral("Main.dat")), shelf);
    w->LoadCurentH();
    lv->setSelectedRow(0);
    w->features().tracklist->addToTracklist();

    // Not while the editor is open.
    m_program->g.editor.iEditorOpen = true;
    action(w, "mnuSort")->trigger();
    QCOMPARE(lv->itemText(0, 0), QStringLiteral("LP"));
    m_program->g.editor.iEditorOpen = false;

    QTest::mouseClick(button(w, "Command9"), Qt::LeftButton);
    const QByteArray sorted = "CD\t9\t1\t\t\t\t\t\t\t\t\t\t\t\r\nCD\t9\t2\t\t\t\t\t\t\t\t\t\t\t\r\n"
                              "CD\t10\t1\t\t\t\t\t\t\t\t\t\t\t\r\nLP\t1\tA2\t\t\t\t\t\t\t\t\t\t\t\r\n"
                              "LP\t1\tB1\t\t\t\t\t\t\t\t\t\t\t\r\n";
    QCOMPARE(readBytes(m_folder->data(QStringLiteral("Main.dat"))), sorted);
    QCOMPARE(lv->itemText(0, 1), QStringLiteral("9"));
    QCOMPARE(lv->itemText(4, 2), QStringLiteral("B1"));
    QCOMPARE(lv->itemTag(4), 5);
    QVERIFY(!m_program->splash->isVisible());
    QCOMPARE(lv2(w)->count(), 1);
    QCOMPARE(lv2(w)->itemText(0, 4), QStringLiteral("LP #1"));
}

void tst_trackcommands::sortAfterAFailedSaveKeepsTheTracks()
{
    // A track whose save failed lives only in memory: sorting must not throw it away by reading the file.
    const QString path = m_folder->data(QStringLiteral("Main.dat"));
    const QByteArray before = readBytes(path);
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    m_program->g.catalogue.addTrack(TrackRecord::fromLine(QStringLiteral("CD\t0\t1\tNew artist\tNew title")));
    m_session->answers.answer = MsgBox::Ok;
    const int asked = int(m_session->answers.messages().size());
    action(w, "mnuSort")->trigger();

    QCOMPARE(m_session->answers.messages().size(), asked + 1);
    QVERIFY(m_session->answers.messages().last().text.startsWith(QStringLiteral("Не удалось записать файл")));
    QCOMPARE(readBytes(path), before);
    QCOMPARE(lv->count(), 11);
    QCOMPARE(lv->itemText(0, 3), QStringLiteral("New artist")); // CD 0 comes first
    QCOMPARE(w->statusText(), QStringLiteral("Загружено 11 треков"));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

QTEST_MAIN(tst_trackcommands)
#include "tst_trackcommands.moc"
