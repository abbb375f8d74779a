#pragma once

#include <QVector>

class ListView;
class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QStatusBar;
class SkinButton;
class SplitterBar;

// The main window's controls and menus, made and laid out by setupUi() and named as the program knows
// them; tests find them by those object names. The window wires them to its features.
struct MainWindowUi
{
    void setupUi(QMainWindow *window);

    // --- Controls ---
    QFrame *Frame1 = nullptr;
    SkinButton *Command4 = nullptr; // copy into a new track
    SkinButton *Command5 = nullptr; // new track
    SkinButton *Command6 = nullptr; // edit track
    SkinButton *Command7 = nullptr; // new CD album
    SkinButton *Command8 = nullptr; // delete track
    SkinButton *Command9 = nullptr; // sort
    SkinButton *cmdExit = nullptr;
    SkinButton *cmdFind = nullptr;
    SkinButton *cmdOptions = nullptr;
    QLineEdit *Text1 = nullptr;
    ListView *lv = nullptr;
    SplitterBar *lr = nullptr;
    QFrame *Fr = nullptr;
    QLabel *FrCaption = nullptr;    // "Track list:"
    SkinButton *Command1 = nullptr; // add to the Tracklist
    SkinButton *Command2 = nullptr; // remove from the Tracklist
    SkinButton *Command3 = nullptr; // clear the Tracklist
    SkinButton *cmdUp = nullptr;
    SkinButton *cmdDown = nullptr;
    ListView *lv2 = nullptr;
    QStatusBar *Stb = nullptr;
    QLabel *StbText = nullptr;

    // --- Menus ---
    QMenu *mnuFile = nullptr, *mnExport2 = nullptr, *mnuBase = nullptr;
    QAction *mnuImport = nullptr, *mnExport = nullptr, *mnuExportFile = nullptr, *mnuExportFile2 = nullptr;
    QAction *mnuCreateBackup = nullptr, *mnuRestoreBackup = nullptr, *mnuExit = nullptr;
    QMenu *mnuView = nullptr;
    QAction *mnuOtbor = nullptr, *mnuViewSeparator = nullptr, *mnuDisableXP = nullptr, *mnuOnTop = nullptr;
    QMenu *mnuHi = nullptr;
    QAction *mnuNewRecord2 = nullptr, *mnuNewRecord3 = nullptr, *mnuEditRecord2 = nullptr, *mnuDelRecord2 = nullptr;
    QAction *mnuKillAll = nullptr, *mnuSaveH = nullptr, *mnuNewAlbum = nullptr, *mnuSort = nullptr;
    QAction *mnuNewAlbumFolder = nullptr;
    QAction *mnuPrint = nullptr, *mnuPreview = nullptr, *mnuSavePdf = nullptr, *mnuAddOtbor = nullptr;
    QMenu *mnuDataBase = nullptr;
    QAction *mnuNewBase = nullptr, *mnuBaseImport = nullptr, *mnuDelBase = nullptr, *mnuKillBase = nullptr;
    QMenu *mnuBackupMenu = nullptr;
    QAction *mnuBackupSave = nullptr, *mnuBackupLoad = nullptr;
    QMenu *mnuSPR = nullptr;
    QAction *mnuHelp = nullptr, *mnuAbout = nullptr;
    QMenu *mnuC1 = nullptr;
    QAction *mnuNewRecord = nullptr, *mnuNewRecord31 = nullptr, *mnuEditRecord = nullptr, *mnuDelRecord = nullptr;
    QMenu *mnuCopyI = nullptr;
    QAction *mnuTrek = nullptr, *mnuCopyIsp = nullptr, *mnuCopyTitle = nullptr;

private:
    void buildControls(QMainWindow *window);
    void buildMenus(QMainWindow *window);
    void buildContextMenu(QMainWindow *window);
};
