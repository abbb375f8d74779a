#include "frmMain.h"

#include "BaseSession.h"
#include "BasesCommands.h"
#include "CatalogueList.h"
#include "LoadingLock.h"
#include "MainWindowUi.h"
#include "TextExportCommand.h"
#include "TrackCommands.h"
#include "TrackSearch.h"
#include "TracklistPanel.h"
#include "WindowGeometry.h"
#include "core/modGlobalData.h"
#include "core/settings/SettingsFile.h"
#include "ui/backup/BackupCommands.h"
#include "ui/controls/CTooltip.h"
#include "ui/controls/SkinButton.h"
#include "ui/controls/frmAbout.h"
#include "ui/controls/mSubclass.h"
#include "ui/controls/uSc_ListView_Xtended_Sort.h"
#include "ui/platform/ListView.h"
#include "ui/platform/Modal.h"
#include "ui/platform/MsgBox.h"
#include "ui/print/PrintCommand.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>

frmMain::frmMain(modGlobalData &globals, SettingsFile &settings, QWidget *parent)
    : QMainWindow(parent), ui(std::make_unique<MainWindowUi>()), g(globals), m_settings(settings)
{
    setObjectName(QStringLiteral("frmMain"));
    ui->setupUi(this);
    createFeatures();
    connectTrackList();
    connectMenus();
}

frmMain::~frmMain() = default;

void frmMain::createFeatures()
{
    Features &f = m_features;
    f.list = new CatalogueList(g.catalogue, ui->lv, this);
    f.tracklist =
        new TracklistPanel({ui->lv, ui->lv2, ui->Command1, ui->Command2, ui->Command3, ui->cmdUp, ui->cmdDown}, this);
    f.session = new BaseSession(g.catalogue, g.paths, f.tracklist, this);
    f.search = new TrackSearch(g.catalogue, f.list, ui->Text1, ui->cmdOptions, this);
    f.bases = new BasesCommands(f.session, g.paths, g.options, ui->mnuDataBase, this);
    f.geometry = new WindowGeometry(this, {ui->Frame1, ui->lv, ui->lr, ui->Fr, ui->lv2, ui->Stb, ui->mnuOtbor},
                                    m_settings, g.options);
    f.tracks = new TrackCommands(g.catalogue, g.editor, f.session, ui->lv, this);
    f.textExport = new TextExportCommand(g.paths, f.session, this);
    f.print = new PrintCommand(g.paths, g.editor, g.options, ui->lv, this);
    // The dated backups on removable media, behind their own menu.
    f.backups = new BackupCommands(g.paths, this);

    connect(f.list, &CatalogueList::statusChanged, this, &frmMain::setStatusText);
    connect(f.search, &TrackSearch::statusChanged, this, &frmMain::setStatusText);
    connect(f.list, &CatalogueList::rowChosen, this, &frmMain::FillTexts);
    connect(f.tracks, &TrackCommands::rowWanted, this, &frmMain::FillTexts);
    connect(f.tracks, &TrackCommands::allTracksWanted, f.search, &TrackSearch::cmdFind_Click);
    connect(f.bases, &BasesCommands::closeWanted, this, &QWidget::close);
    connect(f.backups, &BackupCommands::reloadWanted, f.session, &BaseSession::reloadRestoredBase);

    // While a large base is read, its tracks show as they come, but nothing may change, save or replace
    // it: the menus that could, the context menu, the buttons and the search box wait for the end.
    m_loadingLock =
        new LoadingLock({ui->mnuFile, ui->mnuHi, ui->mnuDataBase, ui->mnuBackupMenu, ui->mnuC1},
                        {ui->Frame1, ui->Command1, ui->Command2, ui->Command3, ui->cmdUp, ui->cmdDown}, this);
    connect(f.session, &BaseSession::loadStarted, m_loadingLock, &LoadingLock::lock);
    connect(f.session, &BaseSession::loadFinished, this, [this] {
        m_loadingLock->unlock();
        UpdateMenus();
    });

    for (const ColumnInfo &column : Catalogue::arColumns())
        ui->lv->addColumn(column.caption, column.width);
    LVXS = std::make_unique<uSc_ListView_Xtended_Sort>();
    LVXS->SetUp(ui->lv);
}

void frmMain::connectTrackList()
{
    connect(ui->lv, &ListView::itemClick, this, [this](int row) {
        UpdateMenus();
        FillTexts(row);
    });
    connect(ui->lv, &ListView::dblClick, this, [this] {
        if (ui->lv->selectedRow() >= 0 && !isLoading())
            EditCurent();
    });
    connect(ui->lv, &ListView::keyDown, this, [this](int key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Delete && !isLoading())
            m_features.tracks->mnuDelRecord_Click();
    });
    connect(ui->lv, &ListView::keyPress, this, [this](int character) {
        if (character == 13 && !isLoading())
            EditCurent();
        else if (character == 27 && ui->lv->selectedRow() >= 0)
            ui->lv->setSelectedRow(-1);
    });
    connect(ui->lv, &ListView::mouseDown, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers, const QPoint &pos) {
                if (button != Qt::LeftButton || ui->lv->rowAt(pos) >= 0)
                    return;
                // A click below the last row selects the last row.
                ui->lv->setSelectedRow(ui->lv->count() > 0 ? ui->lv->count() - 1 : -1);
                UpdateMenus();
            });
    connect(ui->lv, &ListView::mouseMove, this,
            [this](Qt::MouseButtons buttons, Qt::KeyboardModifiers, const QPoint &pos) {
                if (!(buttons & Qt::LeftButton))
                    return;
                const int row = ui->lv->rowAt(pos);
                if (row < 0)
                    return;
                if (row != ui->lv->selectedRow())
                    ui->lv->setSelectedRow(row);
                UpdateMenus();
            });
    connect(ui->lv, &ListView::mouseUp, this, [this](Qt::MouseButton button, Qt::KeyboardModifiers, const QPoint &pos) {
        if (button != Qt::RightButton || g.editor.iEditorOpen || isLoading())
            return;
        UpdateMenus();
        ui->mnuC1->setDefaultAction(ui->mnuEditRecord);
        ui->mnuC1->popup(ui->lv->viewport()->mapToGlobal(pos));
    });
    connect(ui->lv, &ListView::columnClick, this, [this](int column) {
        const int type = qRound(ui->lv->columnTag(column).toDouble());
        LVXS->Sort(true, column + 1, type);
    });
}

void frmMain::connectMenus()
{
    // Each command is reached from its menu items and its button alike.
    const auto wire = [this](std::initializer_list<QObject *> senders, auto *receiver, auto command) {
        for (QObject *sender : senders) {
            if (auto *item = qobject_cast<QAction *>(sender))
                connect(item, &QAction::triggered, receiver, [receiver, command] { (receiver->*command)(); });
            else if (auto *button = qobject_cast<SkinButton *>(sender))
                connect(button, &SkinButton::clicked, receiver, command);
        }
    };
    const Features &f = m_features;
    wire({ui->mnuNewRecord, ui->mnuNewRecord2, ui->Command5}, f.tracks, &TrackCommands::mnuNewRecord_Click);
    wire({ui->mnuNewRecord3, ui->mnuNewRecord31, ui->Command4}, f.tracks, &TrackCommands::mnuNewRecord3_Click);
    wire({ui->mnuEditRecord, ui->mnuEditRecord2, ui->Command6}, this, &frmMain::EditCurent);
    wire({ui->mnuDelRecord, ui->mnuDelRecord2, ui->Command8}, f.tracks, &TrackCommands::mnuDelRecord_Click);
    wire({ui->mnuKillAll}, f.tracks, &TrackCommands::mnuKillAll_Click);
    wire({ui->mnuNewAlbum, ui->Command7}, f.tracks, &TrackCommands::mnuNewAlbum_Click);
    wire({ui->mnuNewAlbumFolder}, f.tracks, &TrackCommands::mnuNewAlbumFolder_Click);
    wire({ui->mnuSort, ui->Command9}, f.tracks, &TrackCommands::mnuSort_Click);
    wire({ui->mnuTrek}, f.tracks, &TrackCommands::CopyCurentTrek);
    wire({ui->mnuCopyIsp}, f.tracks, &TrackCommands::CopyCurentArtist);
    wire({ui->mnuCopyTitle}, f.tracks, &TrackCommands::CopyCurentTitle);
    wire({ui->cmdFind}, f.search, &TrackSearch::cmdFind_Click);
    wire({ui->mnuAddOtbor}, f.tracklist, &TracklistPanel::addToTracklist);
    wire({ui->mnuPrint}, f.print, &PrintCommand::print);
    wire({ui->mnuPreview}, f.print, &PrintCommand::preview);
    wire({ui->mnuSavePdf}, f.print, &PrintCommand::savePdf);
    wire({ui->mnuNewBase}, f.bases, &BasesCommands::mnuNewBase_Click);
    wire({ui->mnuDelBase}, f.bases, &BasesCommands::mnuDelBase_Click);
    wire({ui->mnExport}, f.bases, &BasesCommands::mnExport_Click);
    wire({ui->mnuImport}, f.bases, &BasesCommands::mnuImport_Click);
    wire({ui->mnuCreateBackup}, f.bases, &BasesCommands::mnuCreateBackup_Click);
    wire({ui->mnuRestoreBackup}, f.bases, &BasesCommands::mnuRestoreBackup_Click);
    wire({ui->mnuBackupSave}, f.backups, &BackupCommands::save);
    wire({ui->mnuBackupLoad}, f.backups, &BackupCommands::restore);
    // mnuBaseImport stays without an action.
    connect(ui->mnuKillBase, &QAction::triggered, this, &frmMain::deleteDialogWanted);
    connect(ui->mnuExportFile, &QAction::triggered, this, [this] {
        m_features.textExport->exportList(ui->lv, QStringLiteral("Экспорт текущего списка в текстовый файл"));
    });
    connect(ui->mnuExportFile2, &QAction::triggered, this, [this] {
        m_features.textExport->exportList(ui->lv2, QStringLiteral("Экспорт списка отборных треков в текстовый файл"));
    });
    connect(ui->cmdExit, &SkinButton::clicked, this, &QWidget::close);
    connect(ui->mnuHelp, &QAction::triggered, this, [] { frmAbout::openHelp(); });
    connect(ui->mnuAbout, &QAction::triggered, this, [this] {
        frmAbout box(windowTitle(), g.options.classicStyle(), this);
        Modal::show(&box, this);
    });
    connect(ui->mnuExit, &QAction::triggered, this, &QWidget::close);
    connect(ui->mnuOtbor, &QAction::triggered, this, [this] {
        // The check mark follows the panel, not the click.
        ui->mnuOtbor->setChecked(!ui->mnuOtbor->isChecked());
        ChangePanel();
    });
    connect(ui->mnuOnTop, &QAction::triggered, this, [this] {
        ui->mnuOnTop->setChecked(!ui->mnuOnTop->isChecked());
        OnTopChange();
    });
    connect(ui->mnuDisableXP, &QAction::triggered, this, [this] {
        ui->mnuDisableXP->setChecked(!ui->mnuDisableXP->isChecked());
        DXP();
        MsgBox::show(this, QStringLiteral("Чтобы изменения вступили в силу необходимо перезапустить программу!"),
                     MsgBox::OkOnly, MsgBox::Information, MsgBox::FirstButton, QString());
    });
    connect(ui->mnuSaveH, &QAction::triggered, this, [this] { SaveCurentH(); });
}

QString frmMain::statusText() const
{
    return ui->StbText->text();
}

void frmMain::setStatusText(const QString &text)
{
    ui->StbText->setText(text);
}

void frmMain::focusTrackList()
{
    ui->lv->setFocus();
}

void frmMain::Form_Load()
{
    // A column's caption shows in a balloon while the mouse rests on its header (the list may show the
    // caption cut short).
    TT = new CTooltip(this);
    TT->setStyle(CTooltip::BalloonStyle);
    TT->setIcon(CTooltip::InformationIcon);
    m_headerWatch = new mSubclass(this);
    m_headerWatch->install(ui->lv, TT);
}

bool frmMain::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QMainWindow::event(event);
}

void frmMain::Form_Activate()
{
    // Coming back to the main window closes the search options.
    m_features.search->searchOptionsClosed();
    Q_EMIT windowActivated();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (m_closing || Form_Unload()) {
        event->accept();
        return;
    }
    event->ignore();
}

bool frmMain::Form_Unload()
{
    // A completion still running must stop, and so must a search.
    g.editor.iAcSetting = true;
    m_features.search->stop();
    if (!m_features.session->saveForClose()) {
        g.editor.iAcSetting = false;
        return false;
    }
    // The window closes: its header is no longer watched.
    if (m_headerWatch)
        m_headerWatch->remove();
    if (QString error; !m_features.geometry->StoreSettings(&error) && !error.isEmpty())
        m_features.session->reportWriteFailure(m_settings.path(), error);
    m_closing = true;
    if (m_unloadHandler)
        m_unloadHandler();
    return true;
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void frmMain::Form_Resize()
{
    // Resizes come before the features exist, while the window is being built.
    if (m_features.geometry)
        m_features.geometry->Form_Resize();
}

void frmMain::resizey()
{
    m_features.geometry->resizey();
}

void frmMain::ChangePanel()
{
    m_features.geometry->ChangePanel();
}

void frmMain::OnTopChange()
{
    const bool wasVisible = isVisible();
    const bool onTop = !ui->mnuOnTop->isChecked();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    ui->mnuOnTop->setChecked(onTop);
    // Changing the flag hides the window; show it again where it was, without taking the focus.
    if (wasVisible) {
        setAttribute(Qt::WA_ShowWithoutActivating, true);
        show();
        setAttribute(Qt::WA_ShowWithoutActivating, false);
    }
}

void frmMain::DXP()
{
    const bool classic = !ui->mnuDisableXP->isChecked();
    ui->mnuDisableXP->setChecked(classic);
    g.options.iDisableXP = classic ? 1 : 0;
}

bool frmMain::isLoading() const
{
    return m_loadingLock->isLocked();
}

void frmMain::UpdateMenus()
{
    if (isLoading())
        return; // the lock gives the commands back, then they are set again
    const bool selected = ui->lv->selectedRow() >= 0;
    for (QAction *item : {ui->mnuEditRecord, ui->mnuEditRecord2, ui->mnuDelRecord, ui->mnuDelRecord2,
                          ui->mnuCopyI->menuAction(), ui->mnuNewRecord3, ui->mnuNewRecord31})
        item->setEnabled(selected);
}

void frmMain::FillTexts(int row)
{
    if (row < 0 || row >= ui->lv->count())
        return;
    Q_EMIT recordChosen(ui->lv->itemTag(row), ui->lv->itemTexts(row));
}

void frmMain::EditCurent()
{
    m_features.tracks->EditCurent();
}

void frmMain::MainFind()
{
    m_features.search->MainFind();
}

void frmMain::LoadCurentH()
{
    m_features.session->LoadBase();
}

bool frmMain::SaveCurentH()
{
    return m_features.session->SaveBase();
}

bool frmMain::KillCurrentDB()
{
    return m_features.bases->KillCurrentDB();
}
