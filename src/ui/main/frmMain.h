#pragma once

#include "core/catalogue/FieldList.h"

#include <QMainWindow>
#include <QVector>

#include <functional>
#include <memory>

class BackupCommands;
class BaseSession;
class BasesCommands;
class CTooltip;
class CatalogueList;
class ListView;
class LoadingLock;
struct MainWindowUi;
class PrintCommand;
class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QStatusBar;
class SettingsFile;
class SkinButton;
class SplitterBar;
class TextExportCommand;
class TrackCommands;
class TrackSearch;
class TracklistPanel;
class WindowGeometry;
class mSubclass;
class modGlobalData;
class uSc_ListView_Xtended_Sort;

// The main window: the button strip with the search box, the track list `lv`, the Tracklist panel
// (`lr`, `Fr`, `lv2`) and the status bar `Stb`, under the menu bar. It holds the controls and the menus
// and wires them to the features it creates, each a class of its own; the few commands other windows
// call here are handed on to the feature that does the work.
class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    // The features of the window, for the code that wires it to the other windows.
    struct Features
    {
        BaseSession *session = nullptr;
        CatalogueList *list = nullptr;
        TrackSearch *search = nullptr;
        TracklistPanel *tracklist = nullptr;
        BasesCommands *bases = nullptr;
        WindowGeometry *geometry = nullptr;
        TrackCommands *tracks = nullptr;
        TextExportCommand *textExport = nullptr;
        PrintCommand *print = nullptr;
        BackupCommands *backups = nullptr;
    };

    frmMain(modGlobalData &g, SettingsFile &settings, QWidget *parent = nullptr);
    ~frmMain() override;

    const Features &features() const { return m_features; }

    // Runs once when the window is first made, before it is shown.
    void Form_Load();
    // Called once the window has saved and stored its settings while closing, to unload the other windows.
    void setUnloadHandler(std::function<void()> handler) { m_unloadHandler = std::move(handler); }

    QString statusText() const;
    void setStatusText(const QString &text);
    // Puts the keyboard focus in the track list, so its keys (Enter, Delete, the arrows) work at once.
    void focusTrackList();

    // Whether the open base is still being read: its commands are disabled meanwhile.
    bool isLoading() const;
    // Enables the track commands that need a selected track, or disables them.
    void UpdateMenus();
    // Hands the editor the track shown in row `row` of the track list (recordChosen).
    void FillTexts(int row);
    void EditCurent();
    void MainFind();
    void LoadCurentH();
    bool SaveCurentH();
    bool KillCurrentDB();
    void Form_Resize();
    void resizey();
    void ChangePanel();
    void OnTopChange();
    void DXP();

Q_SIGNALS:
    // FillTexts hands the editor the track shown in a row: its index in the catalogue and its fields.
    void recordChosen(int index, const FieldList &fields);
    // The window became the active one again (the search options window closes).
    void windowActivated();
    // "Удалить базу...": the delete-base dialog is wanted.
    void deleteDialogWanted();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createFeatures();
    void connectTrackList();
    void connectMenus();
    void Form_Activate();
    bool Form_Unload();

    std::unique_ptr<MainWindowUi> ui;

    // Sorts the track list by a clicked column.
    std::unique_ptr<uSc_ListView_Xtended_Sort> LVXS;
    // The balloon tip of the track list's column headers, and the watcher of the header that shows it.
    CTooltip *TT = nullptr;
    LoadingLock *m_loadingLock = nullptr;
    mSubclass *m_headerWatch = nullptr;

    modGlobalData &g;
    SettingsFile &m_settings;
    Features m_features;
    bool m_closing = false;
    std::function<void()> m_unloadHandler;
};
