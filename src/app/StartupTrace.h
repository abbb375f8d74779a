#pragma once

#include <QObject>

class frmMain;
class QElapsedTimer;

// Milestones of the program's start, written to the log category "cratebook.startup" (off unless
// QT_LOGGING_RULES="cratebook.startup.info=true"), so that the start can be timed from outside:
//  - "first rows shown": the track list painted its first rows;
//  - "base loaded: N tracks": the whole base is in the catalogue and the window is shown;
//  - "search ready": the search index of the loaded base is built.
class StartupTrace : public QObject
{
    Q_OBJECT

public:
    // Watches `main` until every milestone was passed; does nothing when the category is off.
    static void watch(frmMain *main);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit StartupTrace(frmMain *main);
    void baseLoaded(int count);
    void searchReady();
    void finishWhenDone();

    frmMain *m_main;
    bool m_rowsShown = false;
    bool m_loaded = false;
    bool m_searchReady = false;
};
