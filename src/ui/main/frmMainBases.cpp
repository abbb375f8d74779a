// The bases: opening, creating and deleting them, copying base files in and out, and the safety copy kept
// beside the open base.
#include "frmMain.h"

#include "core/catalogue/BaseFiles.h"
#include "core/system/AtomicFile.h"
#include "core/system/Trash.h"
#include "ui/backup/BackupCommands.h"
#include "ui/backup/BackupCopy.h"
#include "ui/platform/Modal.h"
#include "ui/platform/MsgBox.h"
#include "ui/platform/modFO.h"
#include "ui/platform/moddialog.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kDatExtension = QStringLiteral(".dat");

// The filter of the base file dialogs: one entry, described and matched by its pattern.
QString baseFileFilter()
{
    return QStringLiteral("*.DAT") + QChar(0) + QStringLiteral("*.dat") + QChar(0);
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

void frmMain::connectBases()
{
    connect(mnuNewBase, &QAction::triggered, this, &frmMain::mnuNewBase_Click);
    connect(mnuDelBase, &QAction::triggered, this, &frmMain::mnuDelBase_Click);
    connect(mnuKillBase, &QAction::triggered, this, &frmMain::mnuKillBase_Click);
    connect(mnExport, &QAction::triggered, this, &frmMain::mnExport_Click);
    connect(mnuImport, &QAction::triggered, this, &frmMain::mnuImport_Click);
    connect(mnuCreateBackup, &QAction::triggered, this, &frmMain::mnuCreateBackup_Click);
    connect(mnuRestoreBackup, &QAction::triggered, this, &frmMain::mnuRestoreBackup_Click);
    // The dated backups on removable media, behind their own menu.
    m_backups = new BackupCommands(g, this);
    connect(mnuBackupSave, &QAction::triggered, m_backups, &BackupCommands::save);
    connect(mnuBackupLoad, &QAction::triggered, m_backups, &BackupCommands::restore);
    connect(m_backups, &BackupCommands::reloadWanted, this, &frmMain::reloadRestoredBase);
    // mnuBaseImport stays without an action. The items of the bases themselves are connected as they are
    // made (addBaseMenuItem).
}

bool frmMain::mnuSelectBase_Click(int index)
{
    checkBaseItem(-1);
    if (index < 0 || index >= mnuSelectBase.size()) {
        checkBaseItem(g.iSelectedBase);
        return false;
    }
    // The open base is written under its own name before another one takes its place.
    if (!saveOrLetGo(QStringLiteral("Всё равно открыть другую базу?"))) {
        checkBaseItem(g.iSelectedBase);
        return false;
    }
    checkBaseItem(index);
    g.iSelectedBase = index;
    g.sBaseFile = m_bases.name(index) + kDatExtension;
    LoadBase();
    return true;
}

void frmMain::mnuNewBase_Click()
{
    const QString name = MsgBox::input(this, QStringLiteral("Введите имя новой базы"), QString()).trimmed();
    if (name.isEmpty())
        return;
    const QString problem = BaseFiles::baseNameError(name);
    if (!problem.isEmpty()) {
        MsgBox::show(this, QStringLiteral("Нельзя создать базу «%1».\r\n%2").arg(name, problem), MsgBox::OkOnly,
                     MsgBox::Exclamation, MsgBox::FirstButton, QStringLiteral("Недопустимое имя базы"));
        return;
    }
    const int index = m_bases.append(name);
    QAction *item = addBaseAction();
    item->setVisible(true);
    if (!mnuSelectBase_Click(index)) {
        // The user kept the open base: the new one is not left behind as an item never opened.
        m_bases.removeLast();
        mnuSelectBase.removeLast();
        delete item;
        showBases();
    }
}

int frmMain::baseAfterDeleting(int index) const
{
    return m_bases.nextAfterDeleting(index);
}

void frmMain::refuseDeletingOnlyBase()
{
    MsgBox::notice(this, QStringLiteral("Это единственная база, её нельзя удалить.\r\n"
                                        "Создайте другую базу, а затем удалите эту."));
}

void frmMain::mnuDelBase_Click()
{
    const int open = checkedBaseIndex();
    if (open < 0)
        return;
    if (baseAfterDeleting(open) < 0) {
        refuseDeletingOnlyBase();
        return;
    }
    if (!MsgBox::confirm(this, QStringLiteral("Вы действительно хотите удалить открытую базу?")))
        return;
    KillCurrentDB();
}

bool frmMain::KillCurrentDB()
{
    const int k = checkedBaseIndex();
    if (k < 0)
        return false;
    const int next = baseAfterDeleting(k);
    if (next < 0) {
        refuseDeletingOnlyBase();
        checkBaseItem(g.iSelectedBase);
        return false;
    }
    const QString caption = m_bases.name(k);
    m_bases.setGone(k, true);
    if (!mnuSelectBase_Click(next)) {
        m_bases.setGone(k, false);
        showBases();
        return false;
    }

    // The base and its safety copy go to the Trash, from where the user can bring them back; only where
    // the system has none are they removed for good.
    const QString path = g.sDataPath + caption + kDatExtension;
    for (const QString &file : QStringList{path, path + QLatin1Char('$')}) {
        if (!QFileInfo::exists(file))
            continue;
        QString reason;
        const Trash::Result trashed = Trash::moveFile(file, &reason);
        if (trashed == Trash::Result::NoTrash) {
            QFile f(file);
            if (!f.remove())
                reason = systemErrorText(f.errorString());
        }
        if (!reason.isEmpty()) {
            MsgBox::show(this, QStringLiteral("Не удалось удалить файл «%1»:\r\n%2.").arg(native(file), reason),
                         MsgBox::OkOnly, MsgBox::Critical, MsgBox::FirstButton, QStringLiteral("Ошибка удаления"));
        }
    }

    // Every item of the same file is the same base, now gone.
    for (int i : m_bases.markGone(caption))
        Q_EMIT baseGone(i);
    showBases();
    return true;
}

void frmMain::deleteChosenBase(int line, const QString &name)
{
    if (baseAfterDeleting(line) < 0) {
        refuseDeletingOnlyBase();
        return;
    }
    // The question stands over the delete dialog, which is modal while it is open.
    QWidget *dialog = QApplication::activeModalWidget();
    if (!MsgBox::confirm(dialog ? dialog : this,
                         QStringLiteral("Вы действительно хотите удалить базу") + name + QLatin1Char('?')))
        return;
    // The chosen base is marked as the one to delete; the open base is saved and replaced by the base
    // listed before the deleted one.
    checkBaseItem(line);
    KillCurrentDB();
    Q_EMIT chosenBaseDeleted();
}

void frmMain::mnuKillBase_Click()
{
    Q_EMIT deleteDialogWanted();
}

void frmMain::mnExport_Click()
{
    const QString chosen =
        moddialog::ShowSave(this, QDir::cleanPath(g.sAppPath), QStringLiteral("Куда вы хотите сохранить базу?"),
                            baseFileFilter(), QString(), g.sBaseFile);
    if (chosen.isEmpty())
        return;
    // The chosen place is outside the program: a link there is replaced, not written through.
    if (modFO::copyFile(this, g.baseFilePath(), chosen, modFO::ReplaceLinks))
        MsgBox::notice(this, QStringLiteral("База успешно экспортированна!"));
}

void frmMain::mnuImport_Click()
{
    const QString chosen =
        moddialog::ShowOpen(this, QDir::cleanPath(g.sAppPath),
                            QStringLiteral("Выбирите файл с базой для импорта в программу"), baseFileFilter());
    if (chosen.isEmpty())
        return;

    // Only a file named like a base is ever listed as one; its extension is written in the one spelling
    // the program opens, so "Rock.DAT" becomes the base Rock.
    const QString fileName = QFileInfo(chosen).fileName();
    const bool isBaseFile = fileName.endsWith(kDatExtension, Qt::CaseInsensitive);
    const QString name = isBaseFile ? fileName.chopped(kDatExtension.size()) : QString();
    const QString problem =
        isBaseFile ? BaseFiles::baseNameError(name) : QStringLiteral("Файл базы должен иметь расширение .dat.");
    if (!problem.isEmpty()) {
        MsgBox::show(this, QStringLiteral("Файл «%1» нельзя импортировать.\r\n%2").arg(native(chosen), problem),
                     MsgBox::OkOnly, MsgBox::Exclamation, MsgBox::FirstButton, QStringLiteral("Импорт базы"));
        return;
    }

    const QString target = g.sDataPath + name + kDatExtension;
    const bool replacesOpenBase = target == g.baseFilePath();
    if (!modFO::copyFile(this, chosen, target))
        return;
    if (replacesOpenBase) {
        // The open base was replaced on disk: show it now, or the next save would write the old tracks
        // over the imported ones. The Tracklist is written first so its rows survive the reload.
        SaveTracklist();
        LoadBase();
        MsgBox::notice(this, QStringLiteral("База успешно импортирована и открыта."));
        return;
    }
    MsgBox::notice(this, QStringLiteral("База успешно импортирована. Необходимо перезапустить программу!"));
}

void frmMain::mnuCreateBackup_Click()
{
    const QString base = g.baseFilePath();
    const QString copy = base + QLatin1Char('$');
    if (!QFileInfo(base).isFile()) {
        MsgBox::notice(
            this,
            QStringLiteral("Файл базы «%1» ещё не записан, копировать нечего.\r\nРезервная копия не создана.")
                .arg(native(base)),
            MsgBox::Exclamation);
        return;
    }
    if (modFO::copyFile(this, base, copy, modFO::NoConfirmation))
        MsgBox::notice(this, QStringLiteral("База успешно скопирована в ") + native(copy));
}

void frmMain::mnuRestoreBackup_Click()
{
    const QString base = g.baseFilePath();
    const QString copy = base + QLatin1Char('$');
    if (!QFileInfo(copy).isFile()) {
        MsgBox::notice(
            this,
            QStringLiteral("Резервной копии «%1» нет, восстанавливать нечего.\r\nБаза не изменена.").arg(native(copy)),
            MsgBox::Exclamation);
        return;
    }
    if (!MsgBox::confirm(this,
                         QStringLiteral("Вы действительно хотите восстановить базу? Текущая база будет удалена!")))
        return;
    // The safety copy is read as a base first; the base it replaces goes to the Trash as a copy, and is
    // then replaced by the whole-file write alone.
    QString reason;
    const auto check = BackupCopy::checkAsBase(this, copy, base, &reason);
    if (check == BackupCopy::Outcome::Skipped)
        return;
    if (check == BackupCopy::Outcome::Failed) {
        MsgBox::show(
            this,
            QStringLiteral("Не удалось прочитать файл «%1»:\r\n%2.\r\nБаза не изменена.").arg(native(copy), reason),
            MsgBox::OkOnly, MsgBox::Critical, MsgBox::FirstButton, QStringLiteral("Ошибка копирования"));
        return;
    }
    if (!BackupCopy::keepInTrash(base, &reason)) {
        MsgBox::show(this,
                     QStringLiteral("Не удалось положить копию базы «%1» в корзину:\r\n%2.\r\nБаза не изменена.")
                         .arg(native(base), reason),
                     MsgBox::OkOnly, MsgBox::Critical, MsgBox::FirstButton, QStringLiteral("Ошибка копирования"));
        return;
    }
    if (!modFO::copyFile(this, copy, base, modFO::NoConfirmation))
        return;
    MsgBox::notice(this, QStringLiteral("База успешно восстановлена из ") + native(copy));
    MsgBox::notice(this, QStringLiteral("Необходимо перезапустить программу!"), MsgBox::Exclamation);
    setSaveOnClose(false);
    close();
}
