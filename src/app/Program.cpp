#include "Program.h"

#include "StartupTrace.h"
#include "core/catalogue/BaseFiles.h"
#include "core/catalogue/Numbers.h"
#include "core/system/AtomicFile.h"
#include "core/system/DataFolder.h"
#include "core/system/SingleInstance.h"
#include "ui/edit/CddbControl.h"
#include "ui/edit/frmAddAlbum.h"
#include "ui/edit/frmAddEdit.h"
#include "ui/edit/frmCDDB.h"
#include "ui/folder/frmAddFolder.h"
#include "ui/main/BaseSession.h"
#include "ui/main/BasesCommands.h"
#include "ui/main/CatalogueList.h"
#include "ui/main/TrackCommands.h"
#include "ui/main/TrackSearch.h"
#include "ui/main/WindowGeometry.h"
#include "ui/main/frmKillBase.h"
#include "ui/main/frmMain.h"
#include "ui/main/frmPopup.h"
#include "ui/main/frmSplash.h"
#include "ui/platform/Modal.h"
#include "ui/platform/MsgBox.h"
#include "ui/platform/Twips.h"
#include "ui/platform/VisualStyle.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QScreen>
#include <QStandardPaths>

namespace {

// Why `folder` could not be written just now, in the user's words, for a start-up that failed there.
QString whyNotWritable(const QString &folder)
{
    const DataFolder::Probe probe = DataFolder::probe(folder);
    return probe.access == DataFolder::Access::Writable ? QStringLiteral("неизвестна") : probe.reason;
}

} // namespace

Program::Program(const QString &appFolder) : settings(QString()), m_chooseFolder(appFolder.isEmpty())
{
    if (!m_chooseFolder)
        setAppFolder(appFolder);
}

Program::~Program()
{
    delete splash.data();
    delete main.data();
}

void Program::setAppFolder(const QString &folder)
{
    g.paths.setAppPath(folder);
    settings = SettingsFile(g.paths.settingsPath());
}

bool Program::isInstalledCopy()
{
#ifdef CRATEBOOK_INSTALLED_MARKER
    return QFileInfo::exists(QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                             QLatin1String(CRATEBOOK_INSTALLED_MARKER));
#else
    return false;
#endif
}

QString Program::userDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

bool Program::chooseAppFolder()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    const DataFolder::Choice choice = DataFolder::choose(programFolder, userDataFolder(), isInstalledCopy());
    if (!choice.error.isEmpty()) {
        MsgBox::show(
            nullptr,
            QStringLiteral("В папку программы «%1» нельзя записывать, поэтому программа хранит данные в «%2».\r\n"
                           "Перенести туда базы и настройки не удалось: %3.\r\n"
                           "Программа не будет запущена; файлы в папке программы не изменены.")
                .arg(QDir::toNativeSeparators(programFolder), QDir::toNativeSeparators(choice.folder), choice.error),
            MsgBox::OkOnly, MsgBox::Critical, MsgBox::FirstButton, QString());
        return false;
    }
    setAppFolder(choice.folder);
    // Told once the lock is taken: should the lock fail too, its message says it all.
    if (!choice.writeProblem.isEmpty())
        m_writeWarning = writeWarning(choice.writeProblem);
    if (choice.copied) {
        MsgBox::show(nullptr,
                     QStringLiteral("В папку программы «%1» нельзя записывать.\r\n"
                                    "Базы и настройки скопированы в «%2», и теперь программа хранит их там. "
                                    "Файлы в папке программы остались без изменений.")
                         .arg(QDir::toNativeSeparators(programFolder), QDir::toNativeSeparators(choice.folder)),
                     MsgBox::OkOnly, MsgBox::Information, MsgBox::FirstButton, QString());
    }
    return true;
}

bool Program::lockDataFolder()
{
    // The lock sits beside the data, so two program folders sharing one DATA folder exclude each other too.
    const QString lockFile = g.paths.sDataPath + QStringLiteral(".cratebook.lock");
    m_instance = std::make_unique<SingleInstance>(lockFile);
    if (m_instance->tryLock()) {
        // No room for the lock file (the folder itself is locked instead): the data open, but no save
        // will succeed until room is made.
        if (m_writeWarning.isEmpty() && m_instance->withoutLockFile())
            m_writeWarning = writeWarning(systemErrorText(m_instance->lockFileError()));
        if (!m_writeWarning.isEmpty())
            MsgBox::show(nullptr, m_writeWarning, MsgBox::OkOnly, MsgBox::Exclamation, MsgBox::FirstButton, QString());
        return true;
    }
    if (m_instance->lockFileFailed()) {
        const int errnum = m_instance->lockFileError();
        MsgBox::show(nullptr,
                     QStringLiteral("Программа не может начать работу: не удалось создать файл «%1».\r\nПричина: %2.")
                         .arg(QDir::toNativeSeparators(lockFile),
                              errnum != 0 ? systemErrorText(errnum) : whyNotWritable(g.paths.sDataPath)),
                     MsgBox::OkOnly, MsgBox::Critical, MsgBox::FirstButton, QString());
    }
    // Otherwise another copy works on these data, and this one ends without a word.
    return false;
}

QString Program::writeWarning(const QString &reason) const
{
    return QStringLiteral("В папку программы «%1» сейчас не удаётся записать: %2.\r\n"
                          "Базы открываются из неё, но сохранить изменения не удастся, пока причина не устранена.")
        .arg(QDir::toNativeSeparators(QDir::cleanPath(g.paths.sAppPath)), reason);
}

QString Program::todayText(const QDate &date)
{
    QString weekday = QLocale(QLocale::Russian).dayName(date.dayOfWeek(), QLocale::LongFormat);
    if (!weekday.isEmpty())
        weekday[0] = weekday[0].toUpper();
    return QStringLiteral("Сегодня ") + date.toString(QStringLiteral("dd-MM-yyyy")) + QStringLiteral(" (") + weekday +
           QLatin1Char(')');
}

bool Program::Main()
{
    MsgBox::setProgramTitle(QLatin1String(kTitle));
    if (m_chooseFolder && !chooseAppFolder())
        return false;
    // Only one copy works on the same data at a time; a second start ends without a word. Without a DATA
    // folder no copy can be working on it: the lock is then taken once the folder is made.
    if (QFileInfo(g.paths.sDataPath).isDir() && !lockDataFolder())
        return false;

    if (const QScreen *screen = QGuiApplication::primaryScreen(); screen && screen->size().width() < 1024) {
        const auto answer = MsgBox::show(
            nullptr,
            QStringLiteral("Программе для нормального функционирования требуется разрешение экрана как минимум "
                           "1024x768.\r\nВсе равно запустить программу?"),
            MsgBox::YesNo, MsgBox::NoIcon, MsgBox::SecondButton, QString());
        if (answer == MsgBox::No)
            return false;
    }

    if (QString error; !settings.load(&error)) {
        MsgBox::show(nullptr,
                     QStringLiteral("Не удалось прочитать файл настроек «%1».\r\n%2\r\n"
                                    "Файл не будет перезаписан, пока его не удастся прочитать.")
                         .arg(QDir::toNativeSeparators(settings.path()), MsgBox::asSentence(error)),
                     MsgBox::OkOnly, MsgBox::Exclamation, MsgBox::FirstButton, QStringLiteral("Ошибка чтения"));
    }
    g.options.iDisableXP = Numbers::leadingInt(settings.ReadSetting(QStringLiteral("DisableXP")));

    splash = new frmSplash;
    splash->show();
    QCoreApplication::processEvents();

    if (!QFileInfo(g.paths.sDataPath).isDir() && !QDir().mkpath(g.paths.sDataPath)) {
        splash->hide();
        const QFileInfo data(QDir::cleanPath(g.paths.sDataPath));
        const QString reason = data.exists() ? QStringLiteral("на месте папки находится файл с тем же именем")
                               : data.isSymLink()
                                   ? QStringLiteral("это ссылка на «%1», а там ничего нет: ссылка никуда не ведёт")
                                         .arg(QDir::toNativeSeparators(data.symLinkTarget()))
                                   : whyNotWritable(g.paths.sAppPath);
        MsgBox::show(nullptr,
                     QStringLiteral("Программа не может начать работу: не удалось создать папку данных «%1».\r\n"
                                    "Причина: %2.")
                         .arg(QDir::toNativeSeparators(QDir::cleanPath(g.paths.sDataPath)), reason),
                     MsgBox::OkOnly, MsgBox::Critical, MsgBox::FirstButton, QString());
        return false;
    }
    if (!m_instance && !lockDataFolder()) {
        splash->hide();
        return false;
    }

    // Making the main window here also prepares where the search options open, below their button.
    createWindows();
    if (g.options.classicStyle())
        main->DXP();

    main->setWindowTitle(QLatin1String(kTitle));
    InitMain();
    return true;
}

void Program::createWindows()
{
    main = new frmMain(g, settings);
    main->Form_Load();
    StartupTrace::watch(main, main->features().list->view(), main->features().session, main->features().search);
    main->setUnloadHandler([this] { unloadWindows(); });
    popup = new frmPopup(main);
    killBase = new frmKillBase(g.options, main);
    VisualStyle::apply(popup, g.options.classicStyle());

    const frmMain::Features &f = main->features();
    QObject::connect(popup, &frmPopup::fieldsChanged, f.search, &TrackSearch::setSearchFields);
    QObject::connect(popup, &frmPopup::deactivated, f.search, &TrackSearch::searchOptionsClosed);
    QObject::connect(f.search, &TrackSearch::searchOptionsWanted, popup, &frmPopup::showAt);
    QObject::connect(main, &frmMain::windowActivated, popup, &QWidget::hide);

    QObject::connect(killBase, &frmKillBase::baseChosen, f.bases, &BasesCommands::deleteChosenBase);
    QObject::connect(f.bases, &BasesCommands::baseGone, killBase, &frmKillBase::markDeleted);
    QObject::connect(f.bases, &BasesCommands::chosenBaseDeleted, killBase, &QWidget::hide);
    QObject::connect(main, &frmMain::deleteDialogWanted, killBase, [this] { Modal::show(killBase, main); });

    // The start-up window doubles as the wait window of longer work, over the middle of the main window.
    QObject::connect(f.tracks, &TrackCommands::workStarted, splash, [this] {
        splash->move(main->geometry().center() - splash->rect().center());
        splash->show();
    });
    QObject::connect(f.tracks, &TrackCommands::workFinished, splash, &QWidget::hide);
}

void Program::ShowToday()
{
    main->setStatusText(todayText(QDate::currentDate()));
}

void Program::InitMain()
{
    ShowToday();
    const frmMain::Features &f = main->features();

    // The editor stores a track in the catalogue, which the track list follows; the base is then saved.
    addEdit = new frmAddEdit(g.catalogue, g.editor, g.paths, g.options, main);
    QObject::connect(addEdit, &frmAddEdit::trackStored, main, [this] {
        main->SaveCurentH();
        main->UpdateMenus();
    });
    QObject::connect(main, &frmMain::recordChosen, addEdit, &frmAddEdit::showRecord);
    QObject::connect(f.tracks, &TrackCommands::newTrackWanted, addEdit, &frmAddEdit::startNewTrack);
    QObject::connect(f.tracks, &TrackCommands::editorWanted, addEdit, &frmAddEdit::startWithRecord);
    createAlbumWindows();
    addEdit->txt1->clear();
    addEdit->txt1->addItems(modGlobalData::mediaTypes());
    addEdit->txt1->setCurrentIndex(0);

    // Every start searches all fields; no base is loaded yet, so this starts no search.
    popup->chAll->setChecked(true);
    popup->chAll_Click();

    g.paths.sMp3Folder = QDir::cleanPath(g.paths.sAppPath);

    QStringList captions;
    for (const ColumnInfo &column : Catalogue::arColumns())
        captions.append(column.caption);
    popup->setCaptions(captions);

    const QStringList baseNames = BaseFiles::listBases(g.paths.sDataPath);
    f.bases->setBases(baseNames);

    g.options.iSelectedBase = modManageSettings::selectedBase(settings, f.bases->bases().count());
    f.bases->checkBaseItem(g.options.iSelectedBase);
    killBase->setBases(baseNames);
    g.paths.sBaseFile = f.bases->bases().name(g.options.iSelectedBase) + QStringLiteral(".dat");

    main->LoadCurentH();
    f.geometry->ApplySettings();

    splash->hide();
    main->show();
    main->focusTrackList();
}

void Program::createAlbumWindows()
{
    // The lookup control outlives the lookup dialog's uses: the album dialog reads the disc from it.
    cddb = new CddbControl(main);
    cddb->setSettings(CddbControl::readSettings(g.paths.settingsPath()));
    addAlbum = new frmAddAlbum(g.editor, g.options, cddb, main);
    cddbDialog = new frmCDDB(g.options, cddb, addAlbum);

    QObject::connect(main->features().tracks, &TrackCommands::albumWanted, addAlbum, &frmAddAlbum::startAlbum);
    QObject::connect(addAlbum, &frmAddAlbum::lookupWanted, cddbDialog, [this] { Modal::show(cddbDialog, addAlbum); });
    QObject::connect(cddbDialog, &frmCDDB::lookupStarted, addAlbum,
                     [this] { addAlbum->setLookup(frmAddAlbum::Lookup::Used); });
    QObject::connect(cddbDialog, &frmCDDB::lookupFailed, addAlbum,
                     [this] { addAlbum->setLookup(frmAddAlbum::Lookup::Failed); });
    QObject::connect(cddbDialog, &frmCDDB::discFound, addAlbum, &frmAddAlbum::showDisc);
    QObject::connect(addAlbum, &frmAddAlbum::sharedFieldsLocked, addEdit, &frmAddEdit::setAlbumFieldsLocked);
    QObject::connect(addAlbum, &frmAddAlbum::trackWanted, addEdit, &frmAddEdit::startAlbumTrack);

    // A CD from a folder of audio files is stored in one go, and saved once.
    addFolder = new frmAddFolder(g.catalogue, g.options, main);
    QObject::connect(main->features().tracks, &TrackCommands::folderAlbumWanted, addFolder, &frmAddFolder::startFolder);
    QObject::connect(addFolder, &frmAddFolder::tracksStored, main, [this] {
        main->SaveCurentH();
        main->UpdateMenus();
    });
}

void Program::unloadWindows()
{
    // The other windows go in a fixed order; the main window itself is closing or closed.
    for (QWidget *w : {static_cast<QWidget *>(cddbDialog.data()), static_cast<QWidget *>(addAlbum.data()),
                       static_cast<QWidget *>(addFolder.data()), static_cast<QWidget *>(killBase.data()),
                       static_cast<QWidget *>(addEdit.data()), static_cast<QWidget *>(splash.data()),
                       static_cast<QWidget *>(popup.data())}) {
        if (w) {
            w->hide();
            w->deleteLater();
        }
    }
}
