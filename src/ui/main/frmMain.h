#pragma once

#include "core/catalogue/BaseFiles.h"
#include "core/catalogue/BaseList.h"
#include "core/layout/MainLayout.h"
#include "core/modGlobalData.h"

#include <QMainWindow>
#include <QVector>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class ListView;
class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QStatusBar;
class SettingsFile;
class SkinButton;
class SplitterBar;
class SearchIndex;
class QThreadPool;
class uSc_ListView_Xtended_Sort;
class CTooltip;
class mSubclass;
class PrintCommand;
class BackupCommands;

// The main window: the button strip with the search box, the track list `lv`, the Tracklist panel
// (`lr`, `Fr`, `lv2`) and the status bar `Stb`, under the menu bar.
class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    frmMain(modGlobalData &g, SettingsFile &settings, QWidget *parent = nullptr);
    ~frmMain() override;

    // Runs once when the window is first made, before it is shown.
    void Form_Load();

    // --- Status bar ---
    QString statusText() const;
    void setStatusText(const QString &text);

    // --- Base files ---
    // Reads the open base into the catalogue table and the track list, and reloads the Tracklist.
    void LoadCurentH();
    // Writes the open base and the Tracklist. False when a file could not be written (the user has been
    // told which, and the previous file is intact).
    bool SaveCurentH();
    void LoadBase();
    bool SaveBase();
    void LoadTracklist();
    bool SaveTracklist();
    // Reads the open base again after a restore may have replaced its file. The Tracklist is written
    // first, so that the rows picked since the last save survive; when the base in memory holds changes
    // its file lacks (its last save failed), the user is asked before they are dropped.
    void reloadRestoredBase();

    // --- Bases menu ---
    // The bases found at start-up, in menu order (none: the hidden default base "База 1").
    void setBases(const QStringList &names);
    const BaseList &bases() const { return m_bases; }
    int checkedBaseIndex() const;
    void checkBaseItem(int index);

    // --- Managing bases ---
    // Opens base `index` of the bases menu, saving the open base first. False when nothing was opened: no
    // such item, or the open base could not be saved and the user chose to keep it open.
    bool mnuSelectBase_Click(int index);
    // Asks for a name and opens a new, empty base of that name.
    void mnuNewBase_Click();
    // Deletes the open base, after asking.
    void mnuDelBase_Click();
    // Deletes the base whose menu item is checked (its file and its safety copy) and opens the base listed
    // before it. False when nothing was deleted.
    bool KillCurrentDB();
    // The base to open when base `index` is deleted: the nearest base listed before it that is still
    // there, else the nearest after it; -1 when it is the only one.
    int baseAfterDeleting(int index) const;
    // Tells the user that the only base cannot be deleted.
    void refuseDeletingOnlyBase();
    // Deletes base `name` on line `line` of the bases menu, chosen in the delete dialog, after asking, and
    // closes the dialog.
    void deleteChosenBase(int line, const QString &name);
    void mnuKillBase_Click();
    // Copies the open base's file to a file the user chooses, or a chosen base file into the DATA folder.
    void mnExport_Click();
    void mnuImport_Click();
    // Copies the open base's file to its safety copy beside it, or the safety copy back over it (the
    // program then closes without saving the base, so the next start shows the restored base).
    void mnuCreateBackup_Click();
    void mnuRestoreBackup_Click();

    // --- Layout and switches ---
    void Form_Resize();
    void resizey();
    void ChangePanel();
    void OnTopChange();
    void DXP();
    double sngPanelH() const { return m_geometry.sngPanelH; }
    void setSngPanelH(double twips) { m_geometry.sngPanelH = twips; }
    // The window's outer size in twips, as the layout rules see it.
    double formWidth() const;
    double formHeight() const;
    void setFormSize(double widthTwips, double heightTwips);
    const MainLayout::Geometry &layoutGeometry() const { return m_geometry; }

    // --- Settings ---
    void ApplySettings();
    // Writes every setting; false when the settings file could not be written (the user was told).
    bool StoreSettings();

    // --- Selection and editor ---
    // Enables the track commands that need a selected track, or disables them.
    void UpdateMenus();
    // Hands the editor the track shown in row `row` of the track list (recordChosen).
    void FillTexts(int row);
    // Shows track `index`, just stored by the editor (added at the end of the catalogue, or changed), and
    // saves the base.
    void showStoredTrack(int index, bool added);

    // --- Track commands ---
    void mnuNewRecord_Click();
    void mnuNewRecord3_Click();
    void EditCurent();
    void mnuDelRecord_Click();
    void mnuKillAll_Click();
    void mnuNewAlbum_Click();
    void CopyCurentTrek();
    void CopyCurentArtist();
    void CopyCurentTitle();
    void cmdFind_Click();

    // --- Search ---
    // Runs one search with the search box's text; its rows replace the list when it is done.
    void MainFind();
    void Text1_Change();
    void cmdOptions_Click();
    bool isSearching() const { return m_searching; }
    // The fields the search looks in (bit f for track field f), as chosen in the search options window;
    // the search runs again.
    void setSearchFields(quint16 fields);
    // The search options window closed: its button works again.
    void searchOptionsClosed();
    // Removes the track shown in `row` from the catalogue and the list; every other row keeps pointing
    // at its own track.
    void deleteTrackOfRow(int row);

    // --- Text export ---
    // Writes `list` (its rows as shown, with a header of its captions) to a text file the user chooses.
    // True when the file was written.
    bool exportList(ListView *list, const QString &title);

    // --- Shelf order ---
    // Sorts the catalogue into shelf order, saves it and loads it again, showing the wait window.
    void mnuSort_Click();

    // --- Tracklist panel ---
    // Appends the track selected in the track list, numbered after the last row.
    void addToTracklist();
    // Removes the selected entry, after asking.
    void removeFromTracklist();
    // Removes every entry, after asking.
    void clearTracklist();
    // Moves the selected entry one row up (-1) or down (+1); the numbers stay in place.
    void moveTracklistEntry(int step);

    // Closing the window after a restore from the safety copy must not save the base over it (the
    // Tracklist is still saved).
    void setSaveOnClose(bool save) { m_saveOnClose = save; }

    // Called once the window has saved and stored its settings while closing, to unload the other windows.
    void setUnloadHandler(std::function<void()> handler) { m_unloadHandler = std::move(handler); }

    // Gives the track list its columns (the captions and widths of the catalogue's fields) and the
    // Tracklist its own.
    void addColumns();
    // Puts the keyboard focus in the track list, so its keys (Enter, Delete, the arrows) work at once.
    void focusTrackList();

Q_SIGNALS:
    // The editor is wanted for a new track: its fields cleared, but for those a new track carries over.
    void newTrackWanted();
    // FillTexts hands the editor the track shown in a row: its index in the catalogue and its fields.
    void recordChosen(int index, const FieldList &fields);
    // The editor is wanted for the record just handed over, to add it as a copy or to change it in place.
    void editorWanted(bool adding);
    // "Новый CD альбом": the album dialog is wanted, emptied.
    void albumWanted();
    // The search options window is wanted, its top-left corner at `topLeft` (screen coordinates).
    void searchOptionsWanted(const QPoint &topLeft);
    // The window became the active one again (the search options window closes).
    void windowActivated();
    // The delete-base dialog is wanted.
    void deleteDialogWanted();
    // Line `line` of the bases menu is a base now deleted.
    void baseGone(int line);
    // The base chosen in the delete dialog was deleted: the dialog closes.
    void chosenBaseDeleted();
    // Longer work (putting the base into shelf order) starts or ends: the wait window shows meanwhile.
    void workStarted();
    void workFinished();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
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

    // --- Menus ---
    QMenu *mnuFile = nullptr, *mnExport2 = nullptr, *mnuBase = nullptr;
    QAction *mnuImport = nullptr, *mnExport = nullptr, *mnuExportFile = nullptr, *mnuExportFile2 = nullptr;
    QAction *mnuCreateBackup = nullptr, *mnuRestoreBackup = nullptr, *mnuExit = nullptr;
    QMenu *mnuView = nullptr;
    QAction *mnuOtbor = nullptr, *mnuViewSeparator = nullptr, *mnuDisableXP = nullptr, *mnuOnTop = nullptr;
    QMenu *mnuHi = nullptr;
    QAction *mnuNewRecord2 = nullptr, *mnuNewRecord3 = nullptr, *mnuEditRecord2 = nullptr, *mnuDelRecord2 = nullptr;
    QAction *mnuKillAll = nullptr, *mnuSaveH = nullptr, *mnuNewAlbum = nullptr, *mnuSort = nullptr;
    QAction *mnuPrint = nullptr, *mnuPreview = nullptr, *mnuSavePdf = nullptr, *mnuAddOtbor = nullptr;
    QMenu *mnuDataBase = nullptr;
    QAction *mnuNewBase = nullptr, *mnuBaseImport = nullptr, *mnuDelBase = nullptr, *mnuKillBase = nullptr;
    QVector<QAction *> mnuSelectBase;
    QMenu *mnuBackupMenu = nullptr;
    QAction *mnuBackupSave = nullptr, *mnuBackupLoad = nullptr;
    QMenu *mnuSPR = nullptr;
    QAction *mnuHelp = nullptr, *mnuAbout = nullptr;
    QMenu *mnuC1 = nullptr;
    QAction *mnuNewRecord = nullptr, *mnuNewRecord31 = nullptr, *mnuEditRecord = nullptr, *mnuDelRecord = nullptr;
    QMenu *mnuCopyI = nullptr;
    QAction *mnuTrek = nullptr, *mnuCopyIsp = nullptr, *mnuCopyTitle = nullptr;

    // Sorts the track list by a clicked column.
    std::unique_ptr<uSc_ListView_Xtended_Sort> LVXS;
    // Printing the list as shown: on paper, in a preview, into a PDF file.
    PrintCommand *m_print = nullptr;
    BackupCommands *m_backups = nullptr;
    // The balloon tip of the track list's column headers, and the watcher of the header that shows it.
    CTooltip *TT = nullptr;
    mSubclass *m_headerWatch = nullptr;

    void buildControls();
    void buildMenus();
    void buildContextMenu();
    void connectTrackList();
    void connectTrackCommands();
    void showContextMenu(const QPoint &globalPos);
    void copyToClipboard(const QString &text);
    void connectSearch();
    void connectTracklist();
    // Tells that the Tracklist file at `path` could not be read, for `reason`, and will not be written.
    void tellTracklistUnreadable(const QString &path, const QString &reason);
    void connectSort();
    void connectExport();
    void connectBases();
    void connectHelp();
    void stopSearch();
    std::shared_ptr<const SearchIndex> searchIndex();
    // Builds the search index if the catalogue changed since it was built.
    void prepareSearch();
    void showSearchResult(quint64 generation, quint64 version, std::vector<int> found);
    std::function<const FieldList &(int tag)> recordSource() const;
    // A picture button of the strip: `picture` names its drawing in the resources, `size` its glyph.
    SkinButton *makeButton(QWidget *parent, const char *name, const QString &command, const char *picture,
                           int size = 24);
    int menuBarHeight() const;
    int statusBarHeight() const;
    void readGeometry();
    void applyGeometry();
    void onSplitterDown(double yTwips);
    void onSplitterMove(double yTwips);
    void onSplitterUp();
    void Form_Activate();
    bool Form_Unload();
    void reportWriteFailure(const QString &path, const QString &reason);
    // A menu item for the next base of the list, and the items brought in line with the list.
    QAction *addBaseAction();
    void showBases();
    // Fills the track list with every track of the catalogue, selects the last one and shows the count.
    void showCatalogue();
    // Tells, in one message, what the files just loaded hold that the next save will not keep.
    struct FileLosses
    {
        QString path;
        BaseFiles::Losses losses;
        int fields = 0; // how many fields a line keeps
    };
    void reportLosses(const QVector<FileLosses> &files);
    // Saves the open base; when that fails, asks whether to let the unsaved changes go (naming the files
    // that were not written, then `question`, such as "Всё равно закрыть программу?") and returns the answer.
    bool saveOrLetGo(const QString &question);

    modGlobalData &g;
    SettingsFile &m_settings;
    MainLayout::Geometry m_geometry;
    bool m_inLayout = false;
    bool m_dragging = false;
    double m_dragY0 = 0;
    bool m_saveOnClose = true;
    bool m_closing = false;
    // Set when the open base's file (or the Tracklist file) exists but could not be read: it is then
    // not overwritten with what little the program could show.
    bool m_baseUnreadable = false;
    // The last save of the base did not write its file: the catalogue holds changes the file lacks.
    bool m_baseUnsaved = false;
    BaseList m_bases; // what the bases menu shows
    BaseFiles::Losses m_tracklistLosses;
    QStringList m_failedWrites; // files the last save could not write, for the question that follows
    bool m_tracklistUnreadable = false;
    std::function<void()> m_unloadHandler;

    // Search state: the index of the catalogue and the table version it was built from, the worker
    // that scans it, and the generation of the newest search (shared with the worker).
    std::shared_ptr<const SearchIndex> m_searchIndex;
    quint64 m_searchIndexVersion = 0;
    std::unique_ptr<QThreadPool> m_searchPool;
    std::shared_ptr<std::atomic<quint64>> m_searchGeneration;
    bool m_searching = false;
    quint16 m_searchFields; // which fields the search looks in
};
