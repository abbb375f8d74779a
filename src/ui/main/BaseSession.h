#pragma once

#include "core/catalogue/BaseFiles.h"

#include <QObject>
#include <QStringList>
#include <QVector>

class BaseLoader;
class Catalogue;
class ProgramPaths;
class QWidget;
class TracklistPanel;

// The open base's session: reading the base's file into the catalogue and the Tracklist file into its
// panel, writing both back, and what the user must know meanwhile: a file that could not be read (it is
// then never written over), what a loaded file holds that the next save will not keep, a save that
// failed (the catalogue then holds the only copy of the changes, let go only when the user says so).
class BaseSession : public QObject
{
    Q_OBJECT

public:
    BaseSession(Catalogue &catalogue, const ProgramPaths &paths, TracklistPanel *tracklist, QWidget *owner);

    // Reads the open base into the catalogue and reloads the Tracklist. A large base is read in the
    // background: its tracks show as they come, and the load ends with loadFinished(); until then
    // nothing is written (a save writes nothing and answers false, a close lets the load go).
    void LoadBase();
    bool isLoading() const;
    // Base files from this size on are read in the background; smaller ones, read in a few tens of
    // milliseconds, at once.
    static constexpr qint64 kBackgroundLoadFrom = qint64(4) << 20;
    // Writes the open base and the Tracklist. False when a file could not be written (the user has been
    // told which, and the previous file is intact).
    bool SaveBase();
    bool SaveTracklist();
    // Reads the open base again after a restore may have replaced its file. The Tracklist is written
    // first, so that the rows picked since the last save survive; when the catalogue holds changes its
    // file lacks (its last save failed), the user is asked before they are dropped.
    void reloadRestoredBase();
    // Saves the open base; when that fails, asks whether to let the unsaved changes go (naming the files
    // that were not written, then `question`, such as "Всё равно закрыть программу?") and returns the
    // answer.
    bool saveOrLetGo(const QString &question);
    // The window closes: saves the base and the Tracklist, or after a restore from the safety copy the
    // Tracklist alone (the base's file is the restored one and must stay so). False when the user keeps
    // the window open.
    bool saveForClose();
    void setSaveOnClose(bool save) { m_saveOnClose = save; }
    // Tells the user that `path` could not be written, for `reason`; the next saveOrLetGo() names it.
    void reportWriteFailure(const QString &path, const QString &reason);

Q_SIGNALS:
    // A background load began: the catalogue is empty and fills as the file is read.
    void loadStarted();
    // The open base is read whole (or could not be read), with `count` tracks.
    void loadFinished(int count);

private:
    struct FileLosses
    {
        QString path;
        BaseFiles::Losses losses;
        int fields = 0; // how many fields a line keeps
    };
    // The base's file is read: what follows a load, in the background or not.
    void baseRead(const QString &path, const BaseFiles::ReadResult &read);
    void takeLoadedPieces();
    // Tells, in one message, what the files just loaded hold that the next save will not keep.
    void reportLosses(const QVector<FileLosses> &files);

    Catalogue &m_catalogue;
    const ProgramPaths &m_paths;
    TracklistPanel *m_tracklist;
    QWidget *m_owner;
    // The base's file exists but could not be read: it is not overwritten with what little was shown.
    bool m_baseUnreadable = false;
    // The last save of the base did not write its file: the catalogue holds changes the file lacks.
    bool m_baseUnsaved = false;
    bool m_saveOnClose = true;
    QStringList m_failedWrites; // files the last save could not write, for the question that follows
    BaseLoader *m_loader;
    QString m_loadingPath;
};
