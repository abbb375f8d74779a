#pragma once

#include "core/modGlobalData.h"
#include "core/settings/modManageSettings.h"

#include <QPointer>
#include <QString>

#include <memory>

class SingleInstance;
class CddbControl;
class frmAddAlbum;
class frmAddFolder;
class frmAddEdit;
class frmCDDB;
class frmKillBase;
class frmMain;
class frmPopup;
class frmSplash;

// The running program: the shared state, the settings file and the windows, with the start-up and
// shut-down sequences. main() makes one; each test makes its own in a temporary folder.
class Program
{
public:
    static constexpr const char *kTitle = "Cratebook 0.8.8 Beta";

    // `appFolder`: where settings.ini and the DATA folder live; empty: chosen by Main(): the program's own
    // folder, or the per-user data folder when the program's folder cannot be written or the program is
    // installed for all users (the program folder's data are then copied there on the first start).
    explicit Program(const QString &appFolder = QString());
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    // Starts the program: true when the main window is shown and the event loop should run, false when
    // the program ends at once (another copy runs, or the user chose not to start on a small screen).
    bool Main();

    // The per-user data folder.
    static QString userDataFolder();
    // Whether this is the copy installed for all users (it then keeps its data in the per-user folder).
    static bool isInstalledCopy();
    // The date line of the status bar, for `date`: "Сегодня dd-mm-yyyy (Weekday)".
    static QString todayText(const QDate &date);

    modGlobalData g;
    SettingsFile settings;
    QPointer<frmMain> main;
    QPointer<frmSplash> splash;
    QPointer<frmPopup> popup;
    QPointer<frmKillBase> killBase;
    QPointer<frmAddEdit> addEdit;
    QPointer<frmAddAlbum> addAlbum;
    QPointer<frmAddFolder> addFolder;
    QPointer<frmCDDB> cddbDialog;
    QPointer<CddbControl> cddb;

private:
    void setAppFolder(const QString &folder);
    bool chooseAppFolder();
    bool lockDataFolder();
    // The warning that the program folder cannot be written just now, for `reason`.
    QString writeWarning(const QString &reason) const;
    void InitMain();
    void ShowToday();
    void createWindows();
    void createAlbumWindows();
    void unloadWindows();

    std::unique_ptr<SingleInstance> m_instance;
    bool m_chooseFolder = false;
    QString m_writeWarning; // the program folder cannot be written just now: told once the lock is taken
};
