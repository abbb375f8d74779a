#include "StartupTrace.h"

#include "ui/main/BaseSession.h"
#include "ui/main/CatalogueList.h"
#include "ui/main/TrackSearch.h"
#include "ui/main/frmMain.h"
#include "ui/platform/ListView.h"

#include <QEvent>
#include <QLoggingCategory>
#include <QTimer>

namespace {
Q_LOGGING_CATEGORY(lcStartup, "cratebook.startup", QtWarningMsg)
}

void StartupTrace::watch(frmMain *main)
{
    if (lcStartup().isInfoEnabled())
        new StartupTrace(main);
}

StartupTrace::StartupTrace(frmMain *main) : QObject(main), m_main(main)
{
    const frmMain::Features &f = main->features();
    f.list->view()->viewport()->installEventFilter(this);
    connect(f.session, &BaseSession::loadFinished, this, &StartupTrace::baseLoaded);
    connect(f.search, &TrackSearch::indexReady, this, &StartupTrace::searchReady);
}

bool StartupTrace::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && !m_rowsShown && m_main->features().list->view()->count() > 0) {
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
    if (m_main->isVisible()) {
        report();
    } else {
        auto *shown = new QTimer(this);
        shown->setInterval(1);
        connect(shown, &QTimer::timeout, this, [this, shown, report] {
            if (!m_main->isVisible())
                return;
            shown->deleteLater();
            report();
        });
        shown->start();
    }
}

void StartupTrace::searchReady()
{
    if (m_searchReady || !m_main->features().search->iBaseLoaded())
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
