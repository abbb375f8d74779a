#pragma once

#include "ui/platform/ListView.h"

#include <QObject>

#include <vector>

class Catalogue;

// The track list `lv` as the catalogue's view: its rows show the catalogue's own records (a row holds
// only its track's index, its Tag) and follow the catalogue's changes. An added track is appended at the
// end whatever the list shows, a removed one takes its row with it and the rows after keep pointing at
// their tracks, a changed one is redrawn in place, and a new table shows every track.
class CatalogueList : public QObject
{
    Q_OBJECT

public:
    CatalogueList(const Catalogue &catalogue, ListView *lv, QObject *parent);

    ListView *view() const { return m_lv; }
    // Every track, the last one selected.
    void showAll();
    // The tracks `tags` in this order, the last one selected.
    void showRows(std::vector<int> tags);
    void clearRows();
    // The status line of a list showing every one of `count` tracks.
    static QString loadedText(int count);

Q_SIGNALS:
    // The list selected row `row` itself (after a load, a search, an addition): the editor is handed its
    // track.
    void rowChosen(int row);
    void statusChanged(const QString &text);

private:
    void trackAdded(int index);
    void trackChanged(int index);
    void trackRemoved(int index);
    // A base read in pieces: the list empties, then shows each piece as it arrives, unselected.
    void loadStarted();
    void tracksAppended(int first, int last);
    // The row showing track `index`, or -1; the selected row is looked at first.
    int rowOf(int index) const;
    ListView::TextSource recordSource() const;
    ListView::ColumnSource columnSource() const;

    const Catalogue &m_catalogue;
    ListView *m_lv;
};
