// The bases: opening, creating and deleting them, copying base files in and out, and the safety copy kept
// beside the open base.
#include "BasesCommands.h"

#include "BaseSession.h"
#include "core/catalogue/BaseFiles.h"
#include "core/settings/ProgramOptions.h"
#include "core/settings/ProgramPaths.h"
#include "core/system/AtomicFile.h"
#include "core/system/Trash.h"
#include "ui/backup/BackupCopy.h"
#include "ui/platform/MsgBox.h"
#include "ui/platform/modFO.h"
#include "ui/platform/moddialog.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QWidget>

namespace {

// The base a program without base files opens; its file is made by the first save.
const QString kDefaultBase = QStringLiteral("База 1");

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

BasesCommands::BasesCommands(BaseSession *session, ProgramPaths &paths, ProgramOptions &options, QMenu *menu,
                             QWidget *owner)
    : QObject(owner), m_session(session), m_paths(paths), m_options(options), mnuDataBase(menu), m_owner(owner)
{
    // Item 0 of the bases exists from the start, hidden until start-up names it after the first base.
    m_bases.reset({}, kDefaultBase);
    addBaseAction()->setVisible(false);
    showBases();
}

bool BasesCommands::mnuSelectBase_Click(int index)
{
    checkBaseItem(-1);
    if (index < 0 || index >= mnuSelectBase.size()) {
        checkBaseItem(m_options.iSelectedBase);
        return false;
    }
    // The open base is written under its own name before another one takes its place.
    if (!m_session->saveOrLetGo(QStringLiteral("Всё равно открыть другую базу?"))) {
        checkBaseItem(m_options.iSelectedBase);
        return false;
    }
    checkBaseItem(index);
    m_options.iSelectedBase = index;
    m_paths.sBaseFile = m_bases.name(index) + kDatExtension;
    m_session->LoadBase();
    return true;
}

void BasesCommands::mnuNewBase_Click()
{
    const QString name = MsgBox::input(m_owner, QStringLiteral("Введите имя новой базы"), QString()).trimmed();
    if (name.isEmpty())
        return;
    const QString problem = BaseFiles::baseNameError(name);
    if (!problem.isEmpty()) {
        MsgBox::show(m_owner, QStringLiteral("Нельзя создать базу «%1».\r\n%2").arg(name, problem), MsgBox::OkOnly,
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

void BasesCommands::refuseDeletingOnlyBase()
{
    MsgBox::notice(m_owner, QStringLiteral("Это единственная база, её нельзя удалить.\r\n"
                                           "Создайте другую базу, а затем удалите эту."));
}

void BasesCommands::mnuDelBase_Click()
{
    const int open = m_bases.checked();
    if (open < 0)
        return;
    if (m_bases.nextAfterDeleting(open) < 0) {
        refuseDeletingOnlyBase();
        return;
    }
    if (!MsgBox::confirm(m_owner, QStringLiteral("Вы действительно хотите удалить открытую базу?")))
        return;
    KillCurrentDB();
}

bool BasesCommands::KillCurrentDB()
{
    const int k = m_bases.checked();
    if (k < 0)
        return false;
    const int next = m_bases.nextAfterDeleting(k);
    if (next < 0) {
        refuseDeletingOnlyBase();
        checkBaseItem(m_options.iSelectedBase);
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
    const QString path = m_paths.sDataPath + caption + kDatExtension;
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
            MsgBox::show(m_owner, QStringLiteral("Не удалось удалить файл «%1»:\r\n%2.").arg(native(file), reason),
                         MsgBox::OkOnly, MsgBox::Critical, MsgBox::FirstButton, QStringLiteral("Ошибка удаления"));
        }
    }

    // Every item of the same file is the same base, now gone.
    for (int i : m_bases.markGone(caption))
        Q_EMIT baseGone(i);
    showBases();
    return true;
}

void BasesCommands::deleteChosenBase(int line, const QString &name)
{
    if (m_bases.nextAfterDeleting(line) < 0) {
        refuseDeletingOnlyBase();
        return;
    }
    // The question stands over the delete dialog, which is modal while it is open.
    QWidget *dialog = QApplication::activeModalWidget();
    if (!MsgBox::confirm(dialog ? dialog : m_owner,
                         QStringLiteral("Вы действительно хотите удалить базу") + name + QLatin1Char('?')))
        return;
    // The chosen base is marked as the one to delete; the open base is saved and replaced by the base
    // listed before the deleted one.
    checkBaseItem(line);
    KillCurrentDB();
    Q_EMIT chosenBaseDeleted();
}

void BasesCommands::mnExport_Click()
{
    const QString chosen = moddialog::ShowSave(m_owner, QDir::cleanPath(m_paths.sAppPath),
                                               QStringLiteral("Куда вы хотите сохранить базу?"), baseFileFilter(),
                                               QString(), m_paths.sBaseFile);
    if (chosen.isEmpty())
        return;
    // The chosen place is outside the program: a link there is replaced, not written through.
    if (modFO::copyFile(m_owner, m_paths.baseFilePath(), chosen, modFO::ReplaceLinks))
        MsgBox::notice(m_owner, QStringLiteral("База успешно экспортированна!"));
}

void BasesCommands::mnuImport_Click()
{
    const QString chosen =
        moddialog::ShowOpen(m_owner, QDir::cleanPath(m_paths.sAppPath),
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
        MsgBox::show(m_owner, QStringLiteral("Файл «%1» нельзя импортировать.\r\n%2").arg(native(chosen), problem),
                     MsgBox::OkOnly, MsgBox::Exclamation, MsgBox::FirstButton, QStringLiteral("Импорт базы"));
        return;
    }

    const QString target = m_paths.sDataPath + name + kDatExtension;
    const bool replacesOpenBase = target == m_paths.baseFilePath();
    if (!modFO::copyFile(m_owner, chosen, target))
        return;
    if (replacesOpenBase) {
        // The open base was replaced on disk: show it now, or the next save would write the old tracks
        // over the imported ones. The Tracklist is written first so its rows survive the reload.
        m_session->SaveTracklist();
        m_session->LoadBase();
        MsgBox::notice(m_owner, QStringLiteral("База успешно импортирована и открыта."));
        return;
    }
    MsgBox::notice(m_owner, QStringLiteral("База успешно импортирована. Необходимо перезапустить программу!"));
}

void BasesCommands::mnuCreateBackup_Click()
{
    const QString base = m_paths.baseFilePath();
    const QString copy = base + QLatin1Char('$');
    if (!QFileInfo(base).isFile()) {
        MsgBox::notice(
            m_owner,
            QStringLiteral("Файл базы «%1» ещё не записан, копировать нечего.\r\nРезервная копия не создана.")
                .arg(native(base)),
            MsgBox::Exclamation);
        return;
    }
    if (modFO::copyFile(m_owner, base, copy, modFO::NoConfirmation))
        MsgBox::notice(m_owner, QStringLiteral("База успешно скопирована в ") + native(copy));
}

void BasesCommands::mnuRestoreBackup_Click()
{
    const QString base = m_paths.baseFilePath();
    const QString copy = base + QLatin1Char('$');
    if (!QFileInfo(copy).isFile()) {
        MsgBox::notice(
            m_owner,
            QStringLiteral("Резервной копии «%1» нет, восстанавливать нечего.\r\nБаза не изменена.").arg(native(copy)),
            MsgBox::Exclamation);
        return;
    }
    if (!MsgBox::confirm(m_owner,
                         QStringLiteral("Вы действительно хотите восстановить базу? Текущая база будет удалена!")))
        return;
    // The safety copy is read as a base first; the base it replaces goes to the Trash as a copy, and is
    // then replaced by the whole-file write alone.
    QString reason;
    const auto check = BackupCopy::checkAsBase(m_owner, copy, base, &reason);
    if (check == BackupCopy::Outcome::Skipped)
        return;
    if (check == BackupCopy::Outcome::Failed) {
        MsgBox::show(
            m_owner,
            QStringLiteral("Не удалось прочитать файл «%1»:\r\n%2.\r\nБаза не изменена.").arg(native(copy), reason),
            MsgBox::OkOnly, MsgBox::Critical, MsgBox::FirstButton, QStringLiteral("Ошибка копирования"));
        return;
    }
    if (!BackupCopy::keepInTrash(base, &reason)) {
        MsgBox::show(m_owner,
                     QStringLiteral("Не удалось положить копию базы «%1» в корзину:\r\n%2.\r\nБаза не изменена.")
                         .arg(native(base), reason),
                     MsgBox::OkOnly, MsgBox::Critical, MsgBox::FirstButton, QStringLiteral("Ошибка копирования"));
        return;
    }
    if (!modFO::copyFile(m_owner, copy, base, modFO::NoConfirmation))
        return;
    MsgBox::notice(m_owner, QStringLiteral("База успешно восстановлена из ") + native(copy));
    MsgBox::notice(m_owner, QStringLiteral("Необходимо перезапустить программу!"), MsgBox::Exclamation);
    m_session->setSaveOnClose(false);
    Q_EMIT closeWanted();
}

QAction *BasesCommands::addBaseAction()
{
    const int index = int(mnuSelectBase.size());
    QAction *item = mnuDataBase->addAction(m_bases.name(index));
    item->setObjectName(QStringLiteral("mnuSelectBase%1").arg(index));
    item->setCheckable(true);
    connect(item, &QAction::triggered, this, [this, index] { mnuSelectBase_Click(index); });
    mnuSelectBase.append(item);
    return item;
}

void BasesCommands::showBases()
{
    // The menu items show the list of bases: names, the open one checked, deleted ones greyed.
    for (int i = 0; i < mnuSelectBase.size(); ++i) {
        mnuSelectBase[i]->setText(m_bases.name(i));
        mnuSelectBase[i]->setEnabled(!m_bases.isGone(i));
        mnuSelectBase[i]->setChecked(i == m_bases.checked());
    }
}

void BasesCommands::setBases(const QStringList &names)
{
    m_bases.reset(names, kDefaultBase);
    while (mnuSelectBase.size() < m_bases.count())
        addBaseAction();
    // Without base files the default base stays hidden: its file is made by the first save.
    for (QAction *item : std::as_const(mnuSelectBase))
        item->setVisible(!names.isEmpty());
    showBases();
}

void BasesCommands::checkBaseItem(int index)
{
    m_bases.check(index);
    showBases();
}
