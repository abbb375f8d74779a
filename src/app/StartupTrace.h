#pragma once

#include <QObject>

class BaseSession;
class ListView;
class TrackSearch;

// Milestones of the program's start, written to the log category "cratebook.startup" (off unless
// QT_LOGGING_RULES="cratebook.startup.info=true"), so that the start can be timed from outside:
//  - "first rows shown": the track list painted its first rows;
//  - "base loaded: N tracks": the whole base is in the catalogue and the window is shown;
//  - "search ready": the search index of the loaded base is built.
class StartupTrace : public QObject
{
    Q_OBJECT

public:
    // Watches the main window `window`, its track list, base session and search until every milestone
    // was passed; does nothing when the category is off.
    static void watch(QWidget *window, ListView *list, BaseSession *session, TrackSearch *search);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    StartupTrace(QWidget *window, ListView *list, BaseSession *session, TrackSearch *search);
    void baseLoaded(int count);
    void searchReady();
    void finishWhenDone();

    QWidget *m_window;
    ListView *m_list;
    TrackSearch *m_search;
    bool m_rowsShown = false;
    bool m_loaded = false;
    bool m_searchReady = false;
};
