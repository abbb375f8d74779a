#include "BackupCommands.h"

#include "core/backup/BackupLayout.h"
#include "frmBackupLoad.h"
#include "frmBackupSave.h"
#include "ui/platform/Modal.h"

#include <QDate>
#include <QDir>

namespace {

QString defaultLocation()
{
    return BackupLayout::defaultLocation(BackupLayout::mountedVolumes(), QDir::homePath());
}

} // namespace

BackupCommands::BackupCommands(const ProgramPaths &paths, QWidget *owner)
    : QObject(owner), m_paths(paths), m_owner(owner)
{}

BackupCommands::~BackupCommands() = default;

void BackupCommands::save()
{
    if (!m_save)
        m_save.reset(new frmBackupSave(m_paths, defaultLocation(), QDate::currentDate()));
    Modal::show(m_save.get(), m_owner);
}

void BackupCommands::restore()
{
    frmBackupLoad dialog(m_paths, defaultLocation());
    Modal::show(&dialog, m_owner);
    // However the dialog was closed ("Закрыть", Esc, its frame): what was restored must reach the open
    // base before the base's next save writes over it.
    Q_EMIT reloadWanted();
}
