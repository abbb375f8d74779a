#include "support/TestProgram.h"

#include "ui/controls/SplitterBar.h"
#include "ui/main/frmMain.h"
#include "ui/main/frmPopup.h"
#include "ui/platform/ListView.h"

#include <QAction>
#include <QMenu>
#include <QLabel>
#include <QMenuBar>
#include <QToolButton>

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
    void panelToggle();
    void windowSnapsToMinimum();
    void splitterDrag();
    void visualStyleSwitch();
    void onTopSwitch();
    void activationClosesSearchOptions();
    void exitButtonCloses();

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

    QCOMPARE(entries(w->mnuFile), (QStringList{"Импорт базы...", "Экспорт базы...", "Экспорт в текстовый файл", "-",
                                               "Резервная копия", "-", "Выход"}));
    QCOMPARE(entries(w->mnExport2), (QStringList{"Текущий список треков", "Tracklist"}));
    QCOMPARE(entries(w->mnuBase), (QStringList{"Создать резервную копию", "Восстановить из резервной копии"}));
    QCOMPARE(entries(w->mnuView), QStringList{"Панель Tracklist"});
    QCOMPARE(entries(w->mnuHi),
             (QStringList{"Новый трек|F1", "Копировать в новый|F2", "Изменить трек|F3", "Удалить трек", "-",
                          "Удалить все треки", "-", "Новый CD альбом|F4", "-", "Сортировать|F5", "-",
                          "Распечатать...|F6", "Добавить в Track list|F7"}));
    QCOMPARE(entries(w->mnuDataBase), (QStringList{"Создать новую базу...", "Удалить текущую базу",
                                                   "Удалить базу...", "-", "Jazz"}));
    QCOMPARE(entries(w->mnuSPR), (QStringList{"Помощь(сайт)", "-", "О программе"}));
    QCOMPARE(entries(w->mnuC1), (QStringList{"Новый трек", "Копировать в новый", "Изменить трек", "Удалить трек",
                                             "-", "Копировать"}));
    QCOMPARE(entries(w->mnuCopyI), (QStringList{"Исполнитель - Название", "Исполнитель", "Название"}));
}

void tst_frmmain::hiddenItemsStayHidden()
{
    for (QAction *a : {w->mnuDisableXP, w->mnuOnTop, w->mnuSaveH, w->mnuBaseImport, w->mnuViewSeparator,
                       w->mnuBackupMenu->menuAction()})
        QVERIFY2(!a->isVisible(), qPrintable(a->text()));
    QCOMPARE(entries(w->mnuBackupMenu), (QStringList{"Создать резервную копию", "Восстановить из резервной копии"}));
    QVERIFY(!w->menuBar()->actions().contains(w->mnuC1->menuAction()));
}

void tst_frmmain::buttonsHaveNames()
{
    auto buttons = w->Frame1->findChildren<QToolButton *>();
    buttons += w->Fr->findChildren<QToolButton *>();
    QCOMPARE(buttons.size(), 14);
    for (const QToolButton *b : buttons)
        QVERIFY2(!b->accessibleName().isEmpty(), qPrintable(b->objectName()));
    QCOMPARE(w->Command5->accessibleName(), QStringLiteral("Новый трек"));
    QVERIFY(!w->lv->accessibleName().isEmpty());
    QVERIFY(!w->lv2->accessibleName().isEmpty());
    QCOMPARE(w->FrCaption->text(), QStringLiteral("Track list:"));
}

void tst_frmmain::panelToggle()
{
    QVERIFY(!w->lv2->isVisible());
    const int fullHeight = w->lv->height();
    w->setSngPanelH(3000);
    w->mnuOtbor->trigger();
    QVERIFY(w->mnuOtbor->isChecked());
    QVERIFY(w->lv2->isVisible() && w->Fr->isVisible() && w->lr->isVisible());
    QCOMPARE(w->lv->height(), fullHeight - 200);
    QCOMPARE(w->lr->y(), w->lv->geometry().bottom() + 1);
    QVERIFY(w->Fr->y() < w->lv2->y());
    QCOMPARE(w->lv2->width(), w->lv->width());

    w->mnuOtbor->trigger();
    QVERIFY(!w->mnuOtbor->isChecked());
    QVERIFY(!w->lv2->isVisible() && !w->Fr->isVisible() && !w->lr->isVisible());
    QCOMPARE(w->lv->height(), fullHeight);

    // The panel comes back with the height it had.
    w->ChangePanel();
    QCOMPARE(w->sngPanelH(), 3000.0);
    QCOMPARE(w->lv->height(), fullHeight - 200);
}

void tst_frmmain::windowSnapsToMinimum()
{
    // Within a pixel: 7000 twips is not a whole number of pixels.
    const double pixel = 15;
    w->setFormSize(5000, 5000);
    QTRY_VERIFY(qAbs(w->formWidth() - 7000) < pixel);
    QVERIFY(qAbs(w->formHeight() - 7000) < pixel);
    w->setFormSize(15000, 9000);
    QTRY_VERIFY(qAbs(w->formWidth() - 15000) < pixel);
    QCOMPARE(w->lv->width(), w->centralWidget()->width());
    QCOMPARE(w->lv->y() + w->lv->height(), w->centralWidget()->height());
}

void tst_frmmain::splitterDrag()
{
    w->setFormSize(15000, 12000);
    w->setSngPanelH(3000);
    w->ChangePanel();
    QWidget *bar = w->lr;
    const QPoint start(10, 2);
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, start);
    // Up by 20 pixels: 300 twips more panel.
    QMouseEvent up(QEvent::MouseMove, QPointF(10, 2 - 20), bar->mapToGlobal(QPointF(10, 2 - 20)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &up);
    QCOMPARE(w->sngPanelH(), 3300.0);
    // Far down: stops at 1000 twips.
    QMouseEvent down(QEvent::MouseMove, QPointF(10, 5000), bar->mapToGlobal(QPointF(10, 5000)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &down);
    QCOMPARE(w->sngPanelH(), 1000.0);
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, QPoint(10, 5000));
    // After the release, moves change nothing.
    QCoreApplication::sendEvent(bar, &up);
    QCOMPARE(w->sngPanelH(), 1000.0);
    // Far up: stops at half the window's width.
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, start);
    QMouseEvent farUp(QEvent::MouseMove, QPointF(10, -5000), bar->mapToGlobal(QPointF(10, -5000)), Qt::NoButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &farUp);
    QCOMPARE(w->sngPanelH(), w->formWidth() * 0.5);
    QTest::mouseRelease(bar, Qt::LeftButton);
}

void tst_frmmain::visualStyleSwitch()
{
    QVERIFY(!w->mnuDisableXP->isChecked());
    w->mnuDisableXP->trigger();
    QVERIFY(w->mnuDisableXP->isChecked());
    QCOMPARE(m_program->g.iDisableXP, 1);
    const auto messages = m_answers->messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].text, QStringLiteral("Чтобы изменения вступили в силу необходимо перезапустить программу!"));
    QCOMPARE(messages[0].icon, MsgBox::Information);
    QCOMPARE(messages[0].title, QString());
    w->mnuDisableXP->trigger();
    QVERIFY(!w->mnuDisableXP->isChecked());
    QCOMPARE(m_program->g.iDisableXP, 0);
}

void tst_frmmain::onTopSwitch()
{
    const QRect before = w->geometry();
    w->mnuOnTop->trigger();
    QVERIFY(w->mnuOnTop->isChecked());
    QVERIFY(w->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(w->isVisible());
    QCOMPARE(w->geometry().size(), before.size());
    w->OnTopChange();
    QVERIFY(!w->mnuOnTop->isChecked());
    QVERIFY(!(w->windowFlags() & Qt::WindowStaysOnTopHint));
}

void tst_frmmain::activationClosesSearchOptions()
{
    w->cmdOptions->setEnabled(false);
    m_program->popup->show();
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(w, &activate);
    QVERIFY(w->cmdOptions->isEnabled());
    QVERIFY(!m_program->popup->isVisible());
}

void tst_frmmain::exitButtonCloses()
{
    QTest::mouseClick(w->cmdExit, Qt::LeftButton);
    QVERIFY(!w->isVisible());
    QVERIFY(QFile::exists(m_folder->file(QStringLiteral("settings.ini"))));
    QCOMPARE(readBytes(m_folder->data(QStringLiteral("Jazz.dat"))), baseLines(20));
}

QTEST_MAIN(tst_frmmain)
#include "tst_frmmain.moc"
