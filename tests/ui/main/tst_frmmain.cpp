#include "support/MainWindowParts.h"
#include "support/TestProgram.h"
#include "support/UrlCatcher.h"
#include "ui/controls/SplitterBar.h"
#include "ui/controls/mSubclass.h"
#include "ui/edit/frmAddEdit.h"
#include "ui/main/BaseSession.h"
#include "ui/main/BasesCommands.h"
#include "ui/main/frmMain.h"
#include "ui/main/frmPopup.h"
#include "ui/platform/ListView.h"

#include <QAction>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSignalSpy>

using namespace MainParts;
using namespace TestSupport;

namespace {

// The visible entries of a menu, "-" for a separator, with the shortcut after a "|" where there is one.
QStringList entries(const QMenu *menu)
{
    QStringList list;
    for (const QAction *a : menu->actions()) {
        if (!a->isVisible())
            continue;
        QString text = a->isSeparator() ? QStringLiteral("-") : a->text();
        if (!a->shortcut().isEmpty())
            text += QLatin1Char('|') + a->shortcut().toString();
        list.append(text);
    }
    return list;
}

} // namespace

class tst_frmmain : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void menuBarInOrder();
    void hiddenItemsStayHidden();
    void buttonsHaveNames();
    void catalogueChangesReachListSearchAndCompletion();
    void piecesOfALoadShowAsTheyCome();
    void largeBaseLoadsInTheBackground_data();
    void largeBaseLoadsInTheBackground();
    void visualStyleSwitch();
    void onTopSwitch();
    void activationClosesSearchOptions();
    void exitButtonCloses();
    void printItemsReachThePrintCommand();
    void helpMenuAndHeaderTips();

private:
    std::unique_ptr<Session> m_session;
    Folder *m_folder = nullptr;
    Answers *m_answers = nullptr;
    Program *m_program = nullptr;
    frmMain *w = nullptr;
};

void tst_frmmain::initTestCase()
{
    Twips::setPerPixelForTesting(15, 15);
}

void tst_frmmain::init()
{
    m_session = std::make_unique<Session>();
    m_folder = &m_session->folder;
    m_answers = &m_session->answers;
    QVERIFY(m_session->start(QStringLiteral("Jazz.dat"), baseLines(20)));
    m_program = m_session->program.get();
    w = m_program->main;
    QVERIFY(QTest::qWaitForWindowExposed(w));
}

void tst_frmmain::cleanup()
{
    const int stray = m_session->finish();
    m_session.reset();
    QCOMPARE(stray, 0);
}

void tst_frmmain::menuBarInOrder()
{
    QStringList titles;
    for (const QAction *a : w->menuBar()->actions()) {
        if (a->isVisible())
            titles.append(a->text());
    }
    QCOMPARE(titles, (QStringList{"Файл", "Вид", "Треки", "База", "Справка"}));

    QCOMPARE(entries(menu(w, "mnuFile")), (QStringList{"Импорт базы...", "Экспорт базы...", "Экспорт в текстовый файл",
                                                       "-", "Резервная копия", "-", "Выход"}));
    QCOMPARE(entries(menu(w, "mnExport2")), (QStringList{"Текущий список треков", "Tracklist"}));
    QCOMPARE(entries(menu(w, "mnuBase")), (QStringList{"Создать резервную копию", "Восстановить из резервной копии"}));
    QCOMPARE(entries(menu(w, "mnuView")), QStringList{"Панель Tracklist"});
    QCOMPARE(entries(menu(w, "mnuHi")),
             (QStringList{"Новый трек|F1", "Копировать в новый|F2", "Изменить трек|F3", "Удалить трек", "-",
                          "Удалить все треки", "-", "Новый CD альбом|F4", "Новый CD из папки...", "-", "Сортировать|F5",
                          "-", "Распечатать...|F6", "Предварительный просмотр...", "Сохранить в PDF...",
                          "Добавить в Track list|F7"}));
    QCOMPARE(entries(menu(w, "mnuDataBase")),
             (QStringList{"Создать новую базу...", "Удалить текущую базу", "Удалить базу...", "-", "Jazz"}));
    QCOMPARE(entries(menu(w, "mnuSPR")), (QStringList{"Помощь(сайт)", "-", "О программе"}));
    QCOMPARE(entries(menu(w, "mnuC1")),
             (QStringList{"Новый трек", "Копировать в новый", "Изменить трек", "Удалить трек", "-", "Копировать"}));
    QCOMPARE(entries(menu(w, "mnuCopyI")), (QStringList{"Исполнитель - Название", "Исполнитель", "Название"}));
}

void tst_frmmain::hiddenItemsStayHidden()
{
    for (QAction *a :
         {action(w, "mnuDisableXP"), action(w, "mnuOnTop"), action(w, "mnuSaveH"), action(w, "mnuBaseImport"),
          action(w, "mnuViewSeparator"), menu(w, "mnuBackupMenu")->menuAction()})
        QVERIFY2(!a->isVisible(), qPrintable(a->text()));
    QCOMPARE(entries(menu(w, "mnuBackupMenu")),
             (QStringList{"Создать резервную копию", "Восстановить из резервной копии"}));
    QVERIFY(!w->menuBar()->actions().contains(menu(w, "mnuC1")->menuAction()));
}

void tst_frmmain::buttonsHaveNames()
{
    auto buttons = frame(w, "Frame1")->findChildren<SkinButton *>();
    buttons += frame(w, "Fr")->findChildren<SkinButton *>();
    QCOMPARE(buttons.size(), 14);
    for (const SkinButton *b : buttons)
        QVERIFY2(!b->accessibleName().isEmpty(), qPrintable(b->objectName()));
    QCOMPARE(button(w, "Command5")->accessibleName(), QStringLiteral("Новый трек"));
    QVERIFY(!lv(w)->accessibleName().isEmpty());
    QVERIFY(!lv2(w)->accessibleName().isEmpty());
    QCOMPARE(part<QLabel>(w, "FrCaption")->text(), QStringLiteral("Track list:"));
}

void tst_frmmain::catalogueChangesReachListSearchAndCompletion()
{
    // The catalogue changed as the editor, a load or a sort would, without a call on the window: the
    // list, the search and the completion lists follow it.
    Catalogue &catalogue = m_program->g.catalogue;
    const modAutoComplete &completion = catalogue.colAutoComplete();
    const int artistList = boxOf(TrackRecord::Artist);
    ListView *list = lv(w);
    const auto search = [&](const QString &text) {
        Text1(w)->setText(text);
        QTRY_VERIFY(!w->features().search->isSearching());
    };

    TrackRecord record = TrackRecord::fromLine(QStringLiteral("CD\t99\t1\tZappa\tPeaches\tHot Rats"));
    QCOMPARE(catalogue.addTrack(record), 21);
    QCOMPARE(list->count(), 21);
    QCOMPARE(list->itemTag(list->selectedRow()), 21);
    QCOMPARE(w->statusText(), QStringLiteral("Загружено 21 треков"));
    QVERIFY(completion.FindValue(artistList, QStringLiteral("zappa")) > 0);
    search(QStringLiteral("zapp"));
    QCOMPARE(list->count(), 1);

    // Changed while the list shows a search's rows: its row shows the new text, the index has it.
    record.set(TrackRecord::Artist, QStringLiteral("Zorn"));
    catalogue.changeTrack(21, record);
    QCOMPARE(list->itemText(0, TrackRecord::Artist), QStringLiteral("Zorn"));
    QVERIFY(completion.FindValue(artistList, QStringLiteral("Zorn")) > 0);
    search(QStringLiteral("zorn"));
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->itemTag(0), 21);

    // Removed: its row goes, every other row keeps pointing at its own track, and no search finds it.
    search(QString());
    catalogue.removeTrack(5);
    QCOMPARE(list->count(), 20);
    for (int row = 0; row < list->count(); ++row)
        QCOMPARE(list->itemText(row, TrackRecord::Artist), catalogue.at(list->itemTag(row)).value(TrackRecord::Artist));
    search(QStringLiteral("Artist 5"));
    QCOMPARE(list->count(), 0);

    // A sort is one replacement; the list shows every track again, and the completion lists keep what
    // they had (they only grow).
    search(QString());
    QSignalSpy replaced(&catalogue, &Catalogue::tableReplaced);
    QSignalSpy changed(&catalogue, &Catalogue::trackChanged);
    catalogue.sortIntoShelfOrder();
    QCOMPARE(replaced.count(), 1);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(list->itemText(list->count() - 1, TrackRecord::Artist), QStringLiteral("Zorn"));
    catalogue.clear();
    QCOMPARE(list->count(), 0);
    QVERIFY(completion.FindValue(artistList, QStringLiteral("Zappa")) > 0);
}

void tst_frmmain::piecesOfALoadShowAsTheyCome()
{
    // A base read in pieces: each piece shows at once, unselected; the end is one replacement, after
    // which the list, the search and the completion lists are as after any load.
    Catalogue &catalogue = m_program->g.catalogue;
    ListView *list = lv(w);
    const auto piece = [](int first, int count) {
        TrackTable table;
        for (int i = first; i < first + count; ++i)
            table.AddTrack(TrackRecord::fromLine(QStringLiteral("CD\t%1\t1\tPiece %1").arg(i)));
        return table;
    };
    catalogue.startLoading();
    QCOMPARE(list->count(), 0);
    QVERIFY(!w->features().search->iBaseLoaded());
    catalogue.appendLoaded(piece(1, 3));
    list->verticalScrollBar()->setValue(1);
    catalogue.appendLoaded(piece(4, 2));
    QCOMPARE(list->count(), 5);
    QCOMPARE(list->itemText(4, TrackRecord::Artist), QStringLiteral("Piece 5"));
    QCOMPARE(list->selectedRow(), -1);
    QCOMPARE(w->statusText(), QStringLiteral("Идет загрузка базы... Загружено треков: 5"));
    QVERIFY(!w->features().search->iBaseLoaded());

    catalogue.finishLoading();
    QCOMPARE(list->count(), 5);
    QCOMPARE(list->selectedRow(), 4);
    QCOMPARE(w->statusText(), QStringLiteral("Загружено 5 треков"));
    QVERIFY(w->features().search->iBaseLoaded());
    QVERIFY(catalogue.colAutoComplete().FindValue(boxOf(TrackRecord::Artist), QStringLiteral("Piece 5")) > 0);
}

void tst_frmmain::largeBaseLoadsInTheBackground_data()
{
    QTest::addColumn<QString>("interruption");
    QTest::newRow("load runs to its end") << QString();
    QTest::newRow("window closed while loading") << QStringLiteral("close");
    QTest::newRow("another base opened while loading") << QStringLiteral("switch");
}

void tst_frmmain::largeBaseLoadsInTheBackground()
{
    QFETCH(QString, interruption);
    QVERIFY(m_session->finish() == 0);
    m_session.reset(); // its hooks go before the next session sets its own
    m_session = std::make_unique<Session>();
    const int tracks = int(BaseSession::kBackgroundLoadFrom / baseLines(1).size()) + 1000;
    writeBytes(m_session->folder.data(QStringLiteral("Other.dat")), baseLines(3));
    writeBytes(m_session->folder.data(QStringLiteral("otbor.lst")), "1\tA\tT\t3:00\tCD #1\r\n");
    QVERIFY(m_session->start(QStringLiteral("Big.dat"), baseLines(tracks), QByteArray(), false));
    w = m_session->program->main;
    const QMap<QString, QByteArray> before = snapshot(m_session->folder.data(QString()));
    BaseSession *session = w->features().session;
    QVERIFY(session->isLoading());

    // Until the end nothing can change, save or replace the base: not the menus, their keys, the
    // buttons, the search box, nor the list's own keys.
    for (const char *name : {"mnuFile", "mnuHi", "mnuDataBase", "mnuBackupMenu", "mnuC1"}) {
        for (QAction *item : menu(w, name)->actions())
            QVERIFY2(!item->isEnabled() || item->isSeparator(), qPrintable(item->text()));
    }
    for (const char *name : {"Command5", "Command8", "cmdFind", "cmdOptions", "cmdExit", "Command1", "cmdUp"})
        QVERIFY2(!button(w, name)->isEnabled(), name);
    QVERIFY(!Text1(w)->isEnabled());
    QVERIFY(!w->features().search->iBaseLoaded());
    QTest::keyClick(w, Qt::Key_F1);
    QTest::keyClick(lv(w), Qt::Key_Return);
    QTest::keyClick(lv(w), Qt::Key_Delete);
    QVERIFY(!m_session->program->g.editor.iEditorOpen);
    QVERIFY(!w->SaveCurentH());

    if (interruption == QLatin1String("close")) {
        QVERIFY(w->close());
        QVERIFY(m_session->program->main == nullptr || !session->isLoading());
    } else if (interruption == QLatin1String("switch")) {
        QVERIFY(w->features().bases->mnuSelectBase_Click(1)); // "Big", then "Other"
        QCOMPARE(lv(w)->count(), 3);
        QVERIFY(!m_session->program->g.catalogue.isLoading());
    } else {
        QSignalSpy finished(session, &BaseSession::loadFinished);
        QVERIFY(finished.wait(30'000));
        QCOMPARE(finished.first().first().toInt(), tracks);
        // Then as after any load: the last row selected and shown in the editor, the status, the
        // Tracklist, the commands given back and the search ready.
        QCOMPARE(lv(w)->count(), tracks);
        QCOMPARE(lv(w)->selectedRow(), tracks - 1);
        QCOMPARE(m_session->program->addEdit->txt[boxOf(TrackRecord::Artist)]->text(),
                 QStringLiteral("Artist %1").arg(tracks));
        QCOMPARE(w->statusText(), QStringLiteral("Загружено %1 треков").arg(tracks));
        QCOMPARE(lv2(w)->count(), 1);
        QVERIFY(Text1(w)->isEnabled());
        QVERIFY(button(w, "Command5")->isEnabled());
        QVERIFY(action(w, "mnuSort")->isEnabled());
        QVERIFY(action(w, "mnuEditRecord2")->isEnabled());
        QVERIFY(w->features().search->iBaseLoaded());
    }
    // None of it wrote a base or the Tracklist; nothing was asked.
    QVERIFY(snapshot(m_session->folder.data(QString())) == before);
    QCOMPARE(m_session->answers.texts(), QStringList());
}

void tst_frmmain::visualStyleSwitch()
{
    QVERIFY(!action(w, "mnuDisableXP")->isChecked());
    action(w, "mnuDisableXP")->trigger();
    QVERIFY(action(w, "mnuDisableXP")->isChecked());
    QCOMPARE(m_program->g.options.iDisableXP, 1);
    const auto messages = m_answers->messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].text, QStringLiteral("Чтобы изменения вступили в силу необходимо перезапустить программу!"));
    QCOMPARE(messages[0].icon, MsgBox::Information);
    QCOMPARE(messages[0].title, QString());
    action(w, "mnuDisableXP")->trigger();
    QVERIFY(!action(w, "mnuDisableXP")->isChecked());
    QCOMPARE(m_program->g.options.iDisableXP, 0);
}

void tst_frmmain::onTopSwitch()
{
    const QRect before = w->geometry();
    action(w, "mnuOnTop")->trigger();
    QVERIFY(action(w, "mnuOnTop")->isChecked());
    QVERIFY(w->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(w->isVisible());
    QCOMPARE(w->geometry().size(), before.size());
    w->OnTopChange();
    QVERIFY(!action(w, "mnuOnTop")->isChecked());
    QVERIFY(!(w->windowFlags() & Qt::WindowStaysOnTopHint));
}

void tst_frmmain::activationClosesSearchOptions()
{
    button(w, "cmdOptions")->setEnabled(false);
    m_program->popup->show();
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(w, &activate);
    QVERIFY(button(w, "cmdOptions")->isEnabled());
    QVERIFY(!m_program->popup->isVisible());
}

void tst_frmmain::exitButtonCloses()
{
    QTest::mouseClick(button(w, "cmdExit"), Qt::LeftButton);
    QVERIFY(!w->isVisible());
    QVERIFY(QFile::exists(m_folder->file(QStringLiteral("settings.ini"))));
    QCOMPARE(readBytes(m_folder->data(QStringLiteral("Jazz.dat"))), baseLines(20));
}

void tst_frmmain::printItemsReachThePrintCommand()
{
    // The three printing items work on the list as shown: a search that finds nothing leaves nothing to
    // print, and each of them says so.
    Text1(w)->setText(QStringLiteral("no such track anywhere"));
    QTRY_COMPARE(lv(w)->count(), 0);
    for (const char *item : {"mnuPrint", "mnuPreview", "mnuSavePdf"}) {
        m_answers->asked.clear();
        action(w, item)->trigger();
        QCOMPARE(m_answers->messages().size(), 1);
        QCOMPARE(m_answers->messages()[0].text, QStringLiteral("Нет треков для печати."));
    }
}

void tst_frmmain::helpMenuAndHeaderTips()
{
    // "О программе" shows the About box over the window; "Помощь(сайт)" opens the help page beside the
    // program.
    QString shown;
    m_session->driver.then([&shown](QDialog *dialog) {
        shown = dialog->objectName();
        dialog->accept();
    });
    action(w, "mnuAbout")->trigger();
    QCOMPARE(shown, QStringLiteral("frmAbout"));

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    action(w, "mnuHelp")->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(catcher.urls.size(), 1);
    QVERIFY(catcher.urls[0].toLocalFile().endsWith(QStringLiteral("/cratebook-help.html")));

    // The track list's column headers are watched for their tips from the start; the Tracklist's are flat.
    const auto *watch = w->findChild<mSubclass *>();
    QVERIFY(watch && watch->isInstalled());
    QVERIFY(lv2(w)->flatColumnHeaders());
}

QTEST_MAIN(tst_frmmain)
#include "tst_frmmain.moc"
