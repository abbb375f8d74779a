#include "StartupTrace.h"

#include "ui/main/BaseSession.h"
#include "ui/main/TrackSearch.h"
#include "ui/platform/ListView.h"

#include <QEvent>
#include <QLoggingCategory>
#include <QTimer>
#include <QWidget>

namespace {
Q_LOGGING_CATEGORY(lcStartup, "cratebook.startup", QtWarningMsg)
}

void StartupTrace::watch(QWidget *window, ListView *list, BaseSession *session, TrackSearch *search)
{
    if (lcStartup().isInfoEnabled())
        new StartupTrace(window, list, session, search);
}

StartupTrace::StartupTrace(QWidget *window, ListView *list, BaseSession *session, TrackSearch *search)
    : QObject(window), m_window(window), m_list(list), m_search(search)
{
    list->viewport()->installEventFilter(this);
    connect(session, &BaseSession::loadFinished, this, &StartupTrace::baseLoaded);
    connect(search, &TrackSearch::indexReady, this, &StartupTrace::searchReady);
}

bool StartupTrace::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && !m_rowsShown && m_list->count() > 0) {
        m_rowsShown = true;
        watched->removeEventFilter(this);
        qCInfo(lcStartup, "first rows shown");
        finishWhenDone();
    }
    return QObject::eventFilter(watched, event);
}

void StartupTrace::baseLoaded(int count)
{
    // The base counts as loaded once the user can see it: when it was read before the window showed, the
    // milestone waits for the window.
    const auto report = [this, count] {
        m_loaded = true;
        qCInfo(lcStartup, "base loaded: %d tracks", count);
        finishWhenDone();
    };
    if (m_window->isVisible()) {
        report();
    } else {
        auto *shown = new QTimer(this);
        shown->setInterval(1);
        connect(shown, &QTimer::timeout, this, [this, shown, report] {
            if (!m_window->isVisible())
                return;
            shown->deleteLater();
            report();
        });
        shown->start();
    }
}

void StartupTrace::searchReady()
{
    if (m_searchReady || !m_search->iBaseLoaded())
        return;
    m_searchReady = true;
    qCInfo(lcStartup, "search ready");
    finishWhenDone();
}

void StartupTrace::finishWhenDone()
{
    if (m_rowsShown && m_loaded && m_searchReady)
        deleteLater();
}
