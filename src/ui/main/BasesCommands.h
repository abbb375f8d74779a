#pragma once

#include "core/catalogue/BaseList.h"

#include <QObject>
#include <QVector>

class BaseSession;
class ProgramPaths;
class QAction;
class QMenu;
class QWidget;
struct ProgramOptions;

// The bases: the items of the bases menu (`mnuSelectBase`, one per base, the open one checked, deleted
// ones greyed), opening, creating and deleting bases, copying base files in and out, and the safety copy
// kept beside the open base.
class BasesCommands : public QObject
{
    Q_OBJECT

public:
    BasesCommands(BaseSession *session, ProgramPaths &paths, ProgramOptions &options, QMenu *mnuDataBase,
                  QWidget *owner);

    // The bases found at start-up, in menu order (none: the hidden default base "База 1").
    void setBases(const QStringList &names);
    const BaseList &bases() const { return m_bases; }
    int checkedBaseIndex() const { return m_bases.checked(); }
    void checkBaseItem(int index);

    // Opens base `index` of the bases menu, saving the open base first. False when nothing was opened: no
    // such item, or the open base could not be saved and the user chose to keep it open.
    bool mnuSelectBase_Click(int index);
    // Asks for a name and opens a new, empty base of that name.
    void mnuNewBase_Click();
    // Deletes the open base, after asking.
    void mnuDelBase_Click();
    // Deletes the base whose menu item is checked (its file and its safety copy, into the Trash) and
    // opens the base listed before it. False when nothing was deleted.
    bool KillCurrentDB();
    // Deletes base `name` on line `line` of the bases menu, chosen in the delete dialog, after asking, and
    // closes the dialog.
    void deleteChosenBase(int line, const QString &name);
    // Copies the open base's file to a file the user chooses, or a chosen base file into the DATA folder.
    void mnExport_Click();
    void mnuImport_Click();
    // Copies the open base's file to its safety copy beside it, or the safety copy back over it (the
    // program then closes without saving the base, so the next start shows the restored base).
    void mnuCreateBackup_Click();
    void mnuRestoreBackup_Click();

Q_SIGNALS:
    // Line `line` of the bases menu is a base now deleted.
    void baseGone(int line);
    // The base chosen in the delete dialog was deleted: the dialog closes.
    void chosenBaseDeleted();
    // The base was restored from its safety copy: the program closes without saving it.
    void closeWanted();

private:
    // A menu item for the next base of the list, and the items brought in line with the list.
    QAction *addBaseAction();
    void showBases();
    void refuseDeletingOnlyBase();

    BaseSession *m_session;
    ProgramPaths &m_paths;
    ProgramOptions &m_options;
    QMenu *mnuDataBase;
    QWidget *m_owner;
    QVector<QAction *> mnuSelectBase;
    BaseList m_bases; // what the bases menu shows
};
