// Search as you type: the track list shows the tracks in which the search box's text occurs, in the
// fields chosen in the search options window. The scan runs on a worker thread over an index of the
// catalogue; a newer text abandons an older scan, and only the newest text's result is ever shown.
#include "frmMain.h"

#include "core/search/SearchIndex.h"
#include "ui/controls/SkinButton.h"
#include "ui/platform/ListView.h"

#include <QCheckBox>
#include <QEvent>
#include <QLineEdit>
#include <QThreadPool>
#include <QTimer>

void frmMain::connectSearch()
{
    m_searchPool = std::make_unique<QThreadPool>();
    m_searchPool->setMaxThreadCount(1);
    m_searchGeneration = std::make_shared<std::atomic<quint64>>(0);
    connect(Text1, &QLineEdit::textChanged, this, &frmMain::Text1_Change);
    Text1->installEventFilter(this);
    connect(cmdOptions, &SkinButton::clicked, this, &frmMain::cmdOptions_Click);
}

void frmMain::stopSearch()
{
    if (!m_searchPool)
        return;
    ++*m_searchGeneration;
    m_searchPool->waitForDone();
}

void frmMain::setSearchFields(quint16 fields)
{
    m_searchFields = fields;
    Text1_Change();
}

void frmMain::searchOptionsClosed()
{
    cmdOptions->setEnabled(true);
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    // Entering the search box selects its text, so typing replaces it.
    if (watched == Text1 && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, Text1, [this] { Text1->selectAll(); });
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::Text1_Change()
{
    ++*m_searchGeneration; // whatever runs now is out of date
    if (g.iBaseLoaded)
        MainFind();
}

std::shared_ptr<const SearchIndex> frmMain::searchIndex()
{
    if (!m_searchIndex || m_searchIndexVersion != g.arTracks.version()) {
        m_searchIndex = SearchIndex::build(g.arTracks);
        m_searchIndexVersion = g.arTracks.version();
    }
    return m_searchIndex;
}

void frmMain::prepareSearch()
{
    searchIndex();
}

void frmMain::MainFind()
{
    const QString text = Text1->text();
    const quint64 generation = ++*m_searchGeneration;
    const quint64 version = g.arTracks.version();
    lv->clear();
    m_searching = true;
    setStatusText(QStringLiteral("Идет поиск..."));

    if (text.isEmpty()) {
        std::vector<int> all(size_t(g.arTracks.count()));
        for (int d = 1; d <= g.arTracks.count(); ++d)
            all[size_t(d - 1)] = d;
        showSearchResult(generation, version, std::move(all));
        return;
    }

    // The worker keeps the index alive for as long as it scans; a newer search raises the generation,
    // which makes this one stop and drop its result.
    const std::shared_ptr<const SearchIndex> index = searchIndex();
    const quint16 fields = m_searchFields;
    const auto current = m_searchGeneration;
    m_searchPool->start([this, index, text, fields, generation, version, current] {
        const auto stale = [&] { return current->load() != generation; };
        std::optional<std::vector<int>> found = index->find(text, fields, stale);
        if (!found || stale())
            return;
        QMetaObject::invokeMethod(
            this,
            [this, generation, version, rows = std::move(*found)]() mutable {
                showSearchResult(generation, version, std::move(rows));
            },
            Qt::QueuedConnection);
    });
}

void frmMain::showSearchResult(quint64 generation, quint64 version, std::vector<int> found)
{
    if (generation != *m_searchGeneration)
        return; // a newer search is under way
    if (version != g.arTracks.version()) {
        MainFind(); // the catalogue changed while this one ran
        return;
    }
    lv->setSourceRows(recordSource(), std::move(found));
    if (lv->count() > 0) {
        const int last = lv->count() - 1;
        lv->setSelectedRow(last);
        FillTexts(last);
    }
    m_searching = false;
    setStatusText(QStringLiteral("Поиск завершен! Найдено треков: ") + QString::number(lv->count()));
}

void frmMain::cmdFind_Click()
{
    lv->setSorted(false);
    if (!Text1->text().isEmpty())
        Text1->clear();
    else
        Text1_Change();
    setStatusText(QStringLiteral("Загружено ") + QString::number(g.arTracks.count()) + QStringLiteral(" треков"));
}

void frmMain::cmdOptions_Click()
{
    cmdOptions->setEnabled(false);
    // Just below the button.
    Q_EMIT searchOptionsWanted(cmdOptions->mapToGlobal(QPoint(0, cmdOptions->height() + 1)));
}

