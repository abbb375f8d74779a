#pragma once

#include <QObject>

#include <memory>

class QWidget;
class frmBackupSave;
class ProgramPaths;

// The backup commands of the main window: the backup dialog, kept from its first opening to the end of
// the program so that its dates and location stay as the user left them, and the restore dialog, made
// anew for each opening.
class BackupCommands : public QObject
{
    Q_OBJECT

public:
    BackupCommands(const ProgramPaths &paths, QWidget *owner);
    ~BackupCommands() override;

public Q_SLOTS:
    // "Создать резервную копию"
    void save();
    // "Восстановить из резервной копии"
    void restore();

Q_SIGNALS:
    // The restore dialog was closed: the open base is to be read again from its file, which a restore may
    // have replaced.
    void reloadWanted();

private:
    const ProgramPaths &m_paths;
    QWidget *m_owner;
    std::unique_ptr<frmBackupSave> m_save;
};
