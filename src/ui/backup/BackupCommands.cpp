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

BackupCommands::BackupCommands(modGlobalData &globals, QWidget *owner) : QObject(owner), g(globals), m_owner(owner) {}

BackupCommands::~BackupCommands() = default;

void BackupCommands::save()
{
    if (!m_save)
        m_save = std::make_unique<frmBackupSave>(g, defaultLocation(), QDate::currentDate());
    Modal::show(m_save.get(), m_owner);
}

void BackupCommands::restore()
{
    frmBackupLoad dialog(g, defaultLocation());
    Modal::show(&dialog, m_owner);
    Q_EMIT reloadWanted();
}
