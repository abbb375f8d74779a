#include "MainWindowUi.h"

#include "ui/controls/SkinButton.h"
#include "ui/controls/SplitterBar.h"
#include "ui/controls/modListViewEnh.h"
#include "ui/platform/ListView.h"

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

namespace {

QAction *addItem(QMenu *menu, const char *name, const QString &text, const QKeySequence &key = {})
{
    QAction *action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    if (!key.isEmpty())
        action->setShortcut(key);
    return action;
}

QMenu *addMenu(QWidget *owner, QMenuBar *bar, const char *name, const QString &text)
{
    auto *menu = new QMenu(text, owner);
    menu->setObjectName(QLatin1String(name));
    bar->addMenu(menu);
    return menu;
}

QMenu *addSubMenu(QMenu *parent, const char *name, const QString &text)
{
    QMenu *menu = parent->addMenu(text);
    menu->setObjectName(QLatin1String(name));
    return menu;
}

// A picture button of the strip: `picture` names its drawing in the resources, `size` its glyph.
SkinButton *makeButton(QWidget *parent, const char *name, const QString &command, const char *picture, int size = 24)
{
    return SkinButton::create(parent, QLatin1String(name),
                              QStringLiteral(":/buttons/%1.svg").arg(QLatin1String(picture)), command, size);
}

} // namespace

void MainWindowUi::setupUi(QMainWindow *window)
{
    buildControls(window);
    buildMenus(window);
    buildContextMenu(window);
}

void MainWindowUi::buildControls(QMainWindow *window)
{
    auto *central = new QWidget(window);
    central->setObjectName(QStringLiteral("central"));
    window->setCentralWidget(central);

    // The button strip with the search box.
    Frame1 = new QFrame(central);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Command5 = makeButton(Frame1, "Command5", QStringLiteral("Новый трек"), "newtrack");
    Command4 = makeButton(Frame1, "Command4", QStringLiteral("Копировать в новый"), "copytonew");
    Command6 = makeButton(Frame1, "Command6", QStringLiteral("Изменить трек"), "edit");
    Command8 = makeButton(Frame1, "Command8", QStringLiteral("Удалить трек"), "delete");
    Command7 = makeButton(Frame1, "Command7", QStringLiteral("Новый CD альбом"), "newalbum");
    Command9 = makeButton(Frame1, "Command9", QStringLiteral("Сортировать"), "sort");
    Text1 = new QLineEdit(Frame1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setAccessibleName(QStringLiteral("Поиск"));
    Text1->setPlaceholderText(QStringLiteral("Поиск"));
    Text1->setClearButtonEnabled(false);
    cmdFind = makeButton(Frame1, "cmdFind", QStringLiteral("Показать все треки"), "find");
    cmdOptions = makeButton(Frame1, "cmdOptions", QStringLiteral("Параметры поиска"), "options");
    cmdExit = makeButton(Frame1, "cmdExit", QStringLiteral("Выход"), "exit");

    auto *strip = new QHBoxLayout(Frame1);
    strip->setContentsMargins(4, 2, 4, 2);
    strip->setSpacing(2);
    for (SkinButton *b : {Command5, Command4, Command6, Command8, Command7, Command9})
        strip->addWidget(b);
    strip->addSpacing(16);
    strip->addWidget(Text1, 1);
    strip->addWidget(cmdFind);
    strip->addWidget(cmdOptions);
    strip->addSpacing(16);
    strip->addWidget(cmdExit);

    lv = new ListView(central);
    lv->setObjectName(QStringLiteral("lv"));
    lv->setAccessibleName(QStringLiteral("Треки базы"));

    lr = new SplitterBar(central);
    lr->setObjectName(QStringLiteral("lr"));
    lr->setAccessibleName(QStringLiteral("Граница панели Tracklist"));

    // The Tracklist panel: caption strip with its buttons, then the list.
    Fr = new QFrame(central);
    Fr->setObjectName(QStringLiteral("Fr"));
    FrCaption = new QLabel(QStringLiteral("Track list:"), Fr);
    FrCaption->setObjectName(QStringLiteral("FrCaption"));
    Command1 = makeButton(Fr, "Command1", QStringLiteral("Добавить в Track list"), "tracklistadd", 16);
    Command2 = makeButton(Fr, "Command2", QStringLiteral("Удалить трек из Track list"), "tracklistremove", 16);
    Command3 = makeButton(Fr, "Command3", QStringLiteral("Удалить все треки из Track list"), "tracklistclear", 16);
    cmdUp = makeButton(Fr, "cmdUp", QStringLiteral("Переместить вверх"), "up", 16);
    cmdDown = makeButton(Fr, "cmdDown", QStringLiteral("Переместить вниз"), "down", 16);
    auto *panelStrip = new QHBoxLayout(Fr);
    panelStrip->setContentsMargins(4, 0, 4, 0);
    panelStrip->setSpacing(2);
    panelStrip->addWidget(FrCaption);
    panelStrip->addSpacing(12);
    for (SkinButton *b : {Command1, Command2, Command3, cmdUp, cmdDown})
        panelStrip->addWidget(b);
    panelStrip->addStretch();

    lv2 = new ListView(central);
    lv2->setObjectName(QStringLiteral("lv2"));
    lv2->setAccessibleName(QStringLiteral("Track list"));
    modListViewEnh::EnhListView_Toggle_FlatColumnHeaders(window, lv2, false);
    lv2->setVisible(false);
    Fr->setVisible(false);
    lr->setVisible(false);

    Stb = window->statusBar();
    Stb->setObjectName(QStringLiteral("Stb"));
    Stb->setSizeGripEnabled(true);
    StbText = new QLabel(Stb);
    StbText->setObjectName(QStringLiteral("StbText"));
    Stb->addWidget(StbText, 1);
}

void MainWindowUi::buildMenus(QMainWindow *window)
{
    QMenuBar *bar = window->menuBar();

    mnuFile = addMenu(window, bar, "mnuFile", QStringLiteral("Файл"));
    mnuImport = addItem(mnuFile, "mnuImport", QStringLiteral("Импорт базы..."));
    mnExport = addItem(mnuFile, "mnExport", QStringLiteral("Экспорт базы..."));
    mnExport2 = addSubMenu(mnuFile, "mnExport2", QStringLiteral("Экспорт в текстовый файл"));
    mnuExportFile = addItem(mnExport2, "mnuExportFile", QStringLiteral("Текущий список треков"));
    mnuExportFile2 = addItem(mnExport2, "mnuExportFile2", QStringLiteral("Tracklist"));
    mnuFile->addSeparator();
    mnuBase = addSubMenu(mnuFile, "mnuBase", QStringLiteral("Резервная копия"));
    mnuCreateBackup = addItem(mnuBase, "mnuCreateBackup", QStringLiteral("Создать резервную копию"));
    mnuRestoreBackup = addItem(mnuBase, "mnuRestoreBackup", QStringLiteral("Восстановить из резервной копии"));
    mnuFile->addSeparator();
    mnuExit = addItem(mnuFile, "mnuExit", QStringLiteral("Выход"));

    mnuView = addMenu(window, bar, "mnuView", QStringLiteral("Вид"));
    mnuOtbor = addItem(mnuView, "mnuOtbor", QStringLiteral("Панель Tracklist"));
    mnuOtbor->setCheckable(true);
    mnuViewSeparator = mnuView->addSeparator();
    mnuViewSeparator->setObjectName(QStringLiteral("mnuViewSeparator"));
    mnuViewSeparator->setVisible(false);
    mnuDisableXP = addItem(mnuView, "mnuDisableXP", QStringLiteral("Отключить красивый интерфейс"));
    mnuDisableXP->setCheckable(true);
    mnuDisableXP->setVisible(false);
    mnuOnTop = addItem(mnuView, "mnuOnTop", QStringLiteral("Поверх всех окон"));
    mnuOnTop->setCheckable(true);
    mnuOnTop->setVisible(false);

    mnuHi = addMenu(window, bar, "mnuHi", QStringLiteral("Треки"));
    mnuNewRecord2 = addItem(mnuHi, "mnuNewRecord2", QStringLiteral("Новый трек"), Qt::Key_F1);
    mnuNewRecord3 = addItem(mnuHi, "mnuNewRecord3", QStringLiteral("Копировать в новый"), Qt::Key_F2);
    mnuEditRecord2 = addItem(mnuHi, "mnuEditRecord2", QStringLiteral("Изменить трек"), Qt::Key_F3);
    mnuDelRecord2 = addItem(mnuHi, "mnuDelRecord2", QStringLiteral("Удалить трек"));
    mnuHi->addSeparator();
    mnuKillAll = addItem(mnuHi, "mnuKillAll", QStringLiteral("Удалить все треки"));
    mnuSaveH = addItem(mnuHi, "mnuSaveH", QStringLiteral("Сохранить изменения"));
    mnuSaveH->setVisible(false);
    mnuHi->addSeparator();
    mnuNewAlbum = addItem(mnuHi, "mnuNewAlbum", QStringLiteral("Новый CD альбом"), Qt::Key_F4);
    mnuNewAlbumFolder = addItem(mnuHi, "mnuNewAlbumFolder", QStringLiteral("Новый CD из папки..."));
    mnuHi->addSeparator();
    mnuSort = addItem(mnuHi, "mnuSort", QStringLiteral("Сортировать"), Qt::Key_F5);
    mnuHi->addSeparator();
    mnuPrint = addItem(mnuHi, "mnuPrint", QStringLiteral("Распечатать..."), Qt::Key_F6);
    mnuPreview = addItem(mnuHi, "mnuPreview", QStringLiteral("Предварительный просмотр..."));
    mnuSavePdf = addItem(mnuHi, "mnuSavePdf", QStringLiteral("Сохранить в PDF..."));
    mnuAddOtbor = addItem(mnuHi, "mnuAddOtbor", QStringLiteral("Добавить в Track list"), Qt::Key_F7);

    mnuDataBase = addMenu(window, bar, "mnuDataBase", QStringLiteral("База"));
    mnuNewBase = addItem(mnuDataBase, "mnuNewBase", QStringLiteral("Создать новую базу..."));
    mnuBaseImport = addItem(mnuDataBase, "mnuBaseImport", QStringLiteral("Импортировать базу..."));
    mnuBaseImport->setVisible(false);
    mnuDelBase = addItem(mnuDataBase, "mnuDelBase", QStringLiteral("Удалить текущую базу"));
    mnuKillBase = addItem(mnuDataBase, "mnuKillBase", QStringLiteral("Удалить базу..."));
    mnuDataBase->addSeparator();
    // The items of the bases follow, made by the bases commands.

    mnuBackupMenu = addMenu(window, bar, "mnuBackupMenu", QStringLiteral("Резервная копия"));
    mnuBackupMenu->menuAction()->setVisible(false);
    mnuBackupSave = addItem(mnuBackupMenu, "mnuBackupSave", QStringLiteral("Создать резервную копию"));
    mnuBackupLoad = addItem(mnuBackupMenu, "mnuBackupLoad", QStringLiteral("Восстановить из резервной копии"));

    mnuSPR = addMenu(window, bar, "mnuSPR", QStringLiteral("Справка"));
    mnuHelp = addItem(mnuSPR, "mnuHelp", QStringLiteral("Помощь(сайт)"));
    mnuSPR->addSeparator();
    mnuAbout = addItem(mnuSPR, "mnuAbout", QStringLiteral("О программе"));
}

void MainWindowUi::buildContextMenu(QMainWindow *window)
{
    // Shown as a pop-up over the track list, never in the menu bar.
    mnuC1 = new QMenu(window);
    mnuC1->setObjectName(QStringLiteral("mnuC1"));
    mnuNewRecord = addItem(mnuC1, "mnuNewRecord", QStringLiteral("Новый трек"));
    mnuNewRecord31 = addItem(mnuC1, "mnuNewRecord31", QStringLiteral("Копировать в новый"));
    mnuEditRecord = addItem(mnuC1, "mnuEditRecord", QStringLiteral("Изменить трек"));
    mnuDelRecord = addItem(mnuC1, "mnuDelRecord", QStringLiteral("Удалить трек"));
    mnuC1->addSeparator();
    mnuCopyI = addSubMenu(mnuC1, "mnuCopyI", QStringLiteral("Копировать"));
    mnuTrek = addItem(mnuCopyI, "mnuTrek", QStringLiteral("Исполнитель - Название"));
    mnuCopyIsp = addItem(mnuCopyI, "mnuCopyIsp", QStringLiteral("Исполнитель"));
    mnuCopyTitle = addItem(mnuCopyI, "mnuCopyTitle", QStringLiteral("Название"));
}
