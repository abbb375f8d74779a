// The main window's menu bar, its context menu and the bases menu.
#include "frmMain.h"
#include "ui/platform/MsgBox.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

// The base a program without base files opens; its file is made by the first save.
const QString kDefaultBase = QStringLiteral("База 1");

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

} // namespace

void frmMain::buildMenus()
{
    QMenuBar *bar = menuBar();

    mnuFile = addMenu(this, bar, "mnuFile", QStringLiteral("Файл"));
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

    mnuView = addMenu(this, bar, "mnuView", QStringLiteral("Вид"));
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

    mnuHi = addMenu(this, bar, "mnuHi", QStringLiteral("Треки"));
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
    mnuHi->addSeparator();
    mnuSort = addItem(mnuHi, "mnuSort", QStringLiteral("Сортировать"), Qt::Key_F5);
    mnuHi->addSeparator();
    mnuPrint = addItem(mnuHi, "mnuPrint", QStringLiteral("Распечатать..."), Qt::Key_F6);
    mnuPreview = addItem(mnuHi, "mnuPreview", QStringLiteral("Предварительный просмотр..."));
    mnuSavePdf = addItem(mnuHi, "mnuSavePdf", QStringLiteral("Сохранить в PDF..."));
    mnuAddOtbor = addItem(mnuHi, "mnuAddOtbor", QStringLiteral("Добавить в Track list"), Qt::Key_F7);

    mnuDataBase = addMenu(this, bar, "mnuDataBase", QStringLiteral("База"));
    mnuNewBase = addItem(mnuDataBase, "mnuNewBase", QStringLiteral("Создать новую базу..."));
    mnuBaseImport = addItem(mnuDataBase, "mnuBaseImport", QStringLiteral("Импортировать базу..."));
    mnuBaseImport->setVisible(false);
    mnuDelBase = addItem(mnuDataBase, "mnuDelBase", QStringLiteral("Удалить текущую базу"));
    mnuKillBase = addItem(mnuDataBase, "mnuKillBase", QStringLiteral("Удалить базу..."));
    mnuDataBase->addSeparator();
    // Item 0 of the bases exists from the start, hidden until start-up names it after the first base.
    m_bases.reset({}, kDefaultBase);
    addBaseAction()->setVisible(false);
    showBases();

    mnuBackupMenu = addMenu(this, bar, "mnuBackupMenu", QStringLiteral("Резервная копия"));
    mnuBackupMenu->menuAction()->setVisible(false);
    mnuBackupSave = addItem(mnuBackupMenu, "mnuBackupSave", QStringLiteral("Создать резервную копию"));
    mnuBackupLoad = addItem(mnuBackupMenu, "mnuBackupLoad", QStringLiteral("Восстановить из резервной копии"));

    mnuSPR = addMenu(this, bar, "mnuSPR", QStringLiteral("Справка"));
    mnuHelp = addItem(mnuSPR, "mnuHelp", QStringLiteral("Помощь(сайт)"));
    mnuSPR->addSeparator();
    mnuAbout = addItem(mnuSPR, "mnuAbout", QStringLiteral("О программе"));

    connect(mnuExit, &QAction::triggered, this, &QWidget::close);
    connect(mnuOtbor, &QAction::triggered, this, [this] {
        // The check mark follows the panel, not the click.
        mnuOtbor->setChecked(!mnuOtbor->isChecked());
        ChangePanel();
    });
    connect(mnuOnTop, &QAction::triggered, this, [this] {
        mnuOnTop->setChecked(!mnuOnTop->isChecked());
        OnTopChange();
    });
    connect(mnuDisableXP, &QAction::triggered, this, [this] {
        mnuDisableXP->setChecked(!mnuDisableXP->isChecked());
        DXP();
        MsgBox::show(this, QStringLiteral("Чтобы изменения вступили в силу необходимо перезапустить программу!"),
                     MsgBox::OkOnly, MsgBox::Information, MsgBox::FirstButton, QString());
    });
    connect(mnuSaveH, &QAction::triggered, this, [this] { SaveCurentH(); });
}

void frmMain::buildContextMenu()
{
    // Shown as a pop-up over the track list, never in the menu bar.
    mnuC1 = new QMenu(this);
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

QAction *frmMain::addBaseAction()
{
    const int index = int(mnuSelectBase.size());
    QAction *item = mnuDataBase->addAction(m_bases.name(index));
    item->setObjectName(QStringLiteral("mnuSelectBase%1").arg(index));
    item->setCheckable(true);
    connect(item, &QAction::triggered, this, [this, index] { mnuSelectBase_Click(index); });
    mnuSelectBase.append(item);
    return item;
}

void frmMain::showBases()
{
    // The menu items show the list of bases: names, the open one checked, deleted ones greyed.
    for (int i = 0; i < mnuSelectBase.size(); ++i) {
        mnuSelectBase[i]->setText(m_bases.name(i));
        mnuSelectBase[i]->setEnabled(!m_bases.isGone(i));
        mnuSelectBase[i]->setChecked(i == m_bases.checked());
    }
}

void frmMain::setBases(const QStringList &names)
{
    m_bases.reset(names, kDefaultBase);
    while (mnuSelectBase.size() < m_bases.count())
        addBaseAction();
    // Without base files the default base stays hidden: its file is made by the first save.
    for (QAction *item : std::as_const(mnuSelectBase))
        item->setVisible(!names.isEmpty());
    showBases();
}

int frmMain::checkedBaseIndex() const
{
    return m_bases.checked();
}

void frmMain::checkBaseItem(int index)
{
    m_bases.check(index);
    showBases();
}
