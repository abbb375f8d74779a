#pragma once

#include <QObject>

#include <atomic>
#include <memory>
#include <vector>

class Catalogue;
class CatalogueList;
class QLineEdit;
class QThreadPool;
class SearchIndex;
class SkinButton;

// Search as you type: the track list shows the tracks in which the search box's text occurs, in the
// fields chosen in the search options window. The scan runs on a worker thread over an index of the
// catalogue; a newer text abandons an older scan, and only the newest text's result is ever shown. The
// index follows the catalogue: any change makes it out of date, and it is built again once the event
// loop is idle (or at the next search, should that come first).
class TrackSearch : public QObject
{
    Q_OBJECT

public:
    TrackSearch(const Catalogue &catalogue, CatalogueList *list, QLineEdit *Text1, SkinButton *cmdOptions,
                QObject *parent);
    ~TrackSearch() override;

    // Runs one search with the search box's text; its rows replace the list when it is done.
    void MainFind();
    void Text1_Change();
    bool isSearching() const { return m_searching; }
    // Set once a base is loaded whole: nothing is searched before, nor while a base is being read.
    bool iBaseLoaded() const { return m_baseLoaded; }
    // The fields the search looks in (bit f for track field f); the search runs again.
    void setSearchFields(quint16 fields);
    // "Показать все треки": the search box is emptied and the list shows every track.
    void cmdFind_Click();
    // The search options window is wanted below its button, which stays disabled until the window closes.
    void cmdOptions_Click();
    void searchOptionsClosed();
    // Ends the running scan, if any, and waits for the worker.
    void stop();

Q_SIGNALS:
    void statusChanged(const QString &text);
    // The index of the catalogue as it is now was built: searches start at once.
    void indexReady();
    // Top-left corner (screen coordinates) of the search options window.
    void searchOptionsWanted(const QPoint &topLeft);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void catalogueChanged();
    void tableReplaced();
    void loadStarted();
    std::shared_ptr<const SearchIndex> searchIndex();
    void showSearchResult(quint64 generation, quint64 version, std::vector<int> found);

    const Catalogue &m_catalogue;
    CatalogueList *m_list;
    QLineEdit *Text1;
    SkinButton *cmdOptions;
    bool m_baseLoaded = false;
    bool m_searching = false;
    bool m_preparing = false; // a build of the index waits for the idle event loop
    quint16 m_searchFields;
    // The index of the catalogue and the table version it was built from, the worker that scans it,
    // and the generation of the newest search (shared with the worker).
    std::shared_ptr<const SearchIndex> m_searchIndex;
    quint64 m_searchIndexVersion = 0;
    std::unique_ptr<QThreadPool> m_searchPool;
    std::shared_ptr<std::atomic<quint64>> m_searchGeneration;
};
