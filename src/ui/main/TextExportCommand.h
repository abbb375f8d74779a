#pragma once

#include <QObject>

class BaseSession;
class ListView;
class ProgramPaths;
class QWidget;

// Writes a list as shown (its rows, with a header of its captions) to a text file the user chooses: the
// track list or the Tracklist.
class TextExportCommand : public QObject
{
    Q_OBJECT

public:
    TextExportCommand(const ProgramPaths &paths, BaseSession *session, QWidget *owner);

    // True when the file was written.
    bool exportList(ListView *list, const QString &title);

private:
    const ProgramPaths &m_paths;
    BaseSession *m_session;
    QWidget *m_owner;
};
