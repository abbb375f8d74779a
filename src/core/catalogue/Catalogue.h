#pragma once

#include "core/catalogue/BaseFiles.h"
#include "core/catalogue/TrackTable.h"
#include "core/edit/modAutoComplete.h"

#include <QObject>
#include <QString>

#include <array>

// A column of the main list: its caption and its width in screen pixels. Entry k names track field k.
struct ColumnInfo
{
    QString caption;
    int width = 0;
};

// The catalogue of the open base: the table of its tracks (`arTracks`) and what follows from it, the
// completion lists of the editor (`colAutoComplete`). Every change goes through this object, which
// announces it, so the windows that show the tracks or work from them follow its signals instead of
// being refreshed by hand.
//
// The completion lists follow the same signals: they only grow; an added or changed track adds its
// artist, album, style, label and comment; a replaced table feeds them from its last 3 001 tracks.
class Catalogue : public QObject
{
    Q_OBJECT

public:
    static constexpr int kColumnCount = 12;

    explicit Catalogue(QObject *parent = nullptr);

    const TrackTable &arTracks() const { return m_tracks; }
    const modAutoComplete &colAutoComplete() const { return m_completion; }
    int count() const { return m_tracks.count(); }
    TrackRecord at(int index) const { return m_tracks.at(index); }

    // Appends `record` and returns its index, the new track count.
    int addTrack(const TrackRecord &record);
    // Replaces track `index` (1 <= index <= count()).
    void changeTrack(int index, const TrackRecord &record);
    // Removes track `index`; the tracks after it move up one place.
    void removeTrack(int index);
    // The tracks of the base file `path` take the place of the table's (read into it in place, so a
    // large base is never held twice); see BaseFiles::readBase().
    BaseFiles::ReadResult readBase(const QString &path);
    void clear();
    // A base read in pieces (BaseLoader): the table is emptied, the pieces are appended as they come,
    // and the end of the load counts as one replacement of the table, as readBase() does. Meanwhile
    // only the list follows the appended tracks; what is worked out from the whole table waits.
    void startLoading();
    // `expectedTracks`: how many the whole load is likely to bring, so the table grows once, not by steps.
    void appendLoaded(TrackTable &&piece, int expectedTracks = 0);
    void finishLoading();
    bool isLoading() const { return m_loading; }
    // Writes the tracks to the base file `path` (a TAB inside a field becomes a space there and here,
    // announced as a change of its track). False, with the reason in `error`, when it could not.
    bool writeBase(const QString &path, QString *error);
    // Puts the tracks into shelf order: one replacement, not a change per move.
    void sortIntoShelfOrder();

    // The captions and default widths of the twelve shown fields.
    static const std::array<ColumnInfo, kColumnCount> &arColumns();

Q_SIGNALS:
    void trackAdded(int index);
    void trackChanged(int index);
    // Sent once the track is gone: the indexes above `index` are already one lower.
    void trackRemoved(int index);
    void tableReplaced();
    // A load in pieces began (the table is empty), and tracks `first` to `last` of it arrived.
    void loadStarted();
    void tracksAppended(int first, int last);

private:
    void addCompletionValues(int index);

    TrackTable m_tracks;
    modAutoComplete m_completion;
    bool m_loading = false;
};
