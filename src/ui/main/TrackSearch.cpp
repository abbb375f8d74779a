#include "TrackSearch.h"

#include "CatalogueList.h"
#include "core/catalogue/Catalogue.h"
#include "core/search/SearchIndex.h"
#include "ui/controls/SkinButton.h"

#include <QEvent>
#include <QLineEdit>
#include <QThreadPool>
#include <QTimer>

#include <numeric>

TrackSearch::TrackSearch(const Catalogue &catalogue, CatalogueList *list, QLineEdit *searchBox,
                         SkinButton *optionsButton, QObject *parent)
    : QObject(parent), m_catalogue(catalogue), m_list(list), Text1(searchBox), cmdOptions(optionsButton),
      m_searchFields(SearchIndex::kAllFields), m_searchPool(std::make_unique<QThreadPool>()),
      m_searchGeneration(std::make_shared<std::atomic<quint64>>(0))
{
    m_searchPool->setMaxThreadCount(1);
    connect(searchBox, &QLineEdit::textChanged, this, &TrackSearch::Text1_Change);
    searchBox->installEventFilter(this);
    connect(optionsButton, &SkinButton::clicked, this, &TrackSearch::cmdOptions_Click);
    connect(&catalogue, &Catalogue::trackAdded, this, &TrackSearch::catalogueChanged);
    connect(&catalogue, &Catalogue::trackChanged, this, &TrackSearch::catalogueChanged);
    connect(&catalogue, &Catalogue::trackRemoved, this, &TrackSearch::catalogueChanged);
    connect(&catalogue, &Catalogue::tableReplaced, this, &TrackSearch::tableReplaced);
    connect(&catalogue, &Catalogue::loadStarted, this, &TrackSearch::loadStarted);
}

TrackSearch::~TrackSearch()
{
    stop();
}

void TrackSearch::stop()
{
    ++*m_searchGeneration;
    m_searchPool->waitForDone();
}

void TrackSearch::catalogueChanged()
{
    // Built while the user is not typing; a search that comes first builds it itself.
    if (m_preparing)
        return;
    m_preparing = true;
    QTimer::singleShot(0, this, [this] {
        m_preparing = false;
        if (!m_catalogue.isLoading()) // a base being read is indexed once it is whole
            searchIndex();
    });
}

void TrackSearch::tableReplaced()
{
    // A new table shows every track, whatever a running search was looking for.
    ++*m_searchGeneration;
    m_searching = false;
    m_baseLoaded = true;
    catalogueChanged();
}

void TrackSearch::loadStarted()
{
    // The index waits for the whole base (tableReplaced()).
    ++*m_searchGeneration;
    m_searching = false;
    m_baseLoaded = false;
}

void TrackSearch::setSearchFields(quint16 fields)
{
    m_searchFields = fields;
    Text1_Change();
}

void TrackSearch::searchOptionsClosed()
{
    cmdOptions->setEnabled(true);
}

bool TrackSearch::eventFilter(QObject *watched, QEvent *event)
{
    // Entering the search box selects its text, so typing replaces it.
    if (watched == Text1 && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, Text1, [this] { Text1->selectAll(); });
    return QObject::eventFilter(watched, event);
}

void TrackSearch::Text1_Change()
{
    ++*m_searchGeneration; // whatever runs now is out of date
    if (m_baseLoaded)
        MainFind();
}

std::shared_ptr<const SearchIndex> TrackSearch::searchIndex()
{
    const TrackTable &tracks = m_catalogue.arTracks();
    if (!m_searchIndex || m_searchIndexVersion != tracks.version()) {
        m_searchIndex = SearchIndex::build(tracks);
        m_searchIndexVersion = tracks.version();
        Q_EMIT indexReady();
    }
    return m_searchIndex;
}

void TrackSearch::MainFind()
{
    const QString text = Text1->text();
    const quint64 generation = ++*m_searchGeneration;
    const quint64 version = m_catalogue.arTracks().version();
    m_list->clearRows();
    m_searching = true;
    Q_EMIT statusChanged(QStringLiteral("Идет поиск..."));

    if (text.isEmpty()) {
        std::vector<int> all(size_t(m_catalogue.count()));
        std::iota(all.begin(), all.end(), 1);
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

void TrackSearch::showSearchResult(quint64 generation, quint64 version, std::vector<int> found)
{
    if (generation != *m_searchGeneration)
        return; // a newer search is under way
    if (version != m_catalogue.arTracks().version()) {
        MainFind(); // the catalogue changed while this one ran
        return;
    }
    m_list->showRows(std::move(found));
    m_searching = false;
    Q_EMIT statusChanged(QStringLiteral("Поиск завершен! Найдено треков: ") + QString::number(m_list->view()->count()));
}

void TrackSearch::cmdFind_Click()
{
    m_list->view()->setSorted(false);
    if (!Text1->text().isEmpty())
        Text1->clear();
    else
        Text1_Change();
    Q_EMIT statusChanged(CatalogueList::loadedText(m_catalogue.count()));
}

void TrackSearch::cmdOptions_Click()
{
    cmdOptions->setEnabled(false);
    // Just below the button.
    Q_EMIT searchOptionsWanted(cmdOptions->mapToGlobal(QPoint(0, cmdOptions->height() + 1)));
}
