#pragma once

#include "core/catalogue/TrackTable.h"

#include <QDate>
#include <QString>
#include <QVector>

// The rules the track editor applies, stated over the catalogue alone so they can be checked without a
// window.
namespace EditorRules {

// The first track (index from 1) with this media type, media number and track number, compared as whole
// texts, exactly and with case; 0 when there is none.
int findDuplicate(const TrackTable &table, const QString &mediaType, const QString &mediaNumber,
                  const QString &trackNumber);

// The positions in `tracks` of the new tracks the editor's check (findDuplicate()) refuses: those a stored
// track, or an earlier one of `tracks`, has the media type, media number and track number of. One walk of the
// table, however many tracks come.
QVector<int> duplicatePositions(const TrackTable &table, const QVector<TrackRecord> &tracks);

// The next free media number for `mediaType`: one more than the largest media number (its leading number,
// rounded halves to even) among the tracks of that type, compared without regard to case; 1 when there
// are none.
qint64 nextMediaNumber(const TrackTable &table, const QString &mediaType);

// `text` with its first character made upper-case; unchanged when it is empty or already starts with a
// capital.
QString capitalizeFirst(const QString &text);

// Whether typing into editor box `box` capitalises its first letter, and whether it completes it from
// known values.
bool capitalises(int box);
bool completes(int box);

// Today's date as the editor writes it: "dd.mm.yyyy".
QString dateText(const QDate &date);

// The album dialog's number of tracks: the leading number of `countText` rounded halves to even (2.5 gives
// 2, 3.5 gives 4, 0.4 gives 0). -1 when the album cannot be entered: the number, or the leading number of
// `mediaNumberText`, is not above 0, or the number is above kMaxAlbumTracks.
constexpr int kMaxAlbumTracks = 99;
int albumTrackCount(QStringView countText, QStringView mediaNumberText);
// Whether `countText` asks for more tracks than a CD can hold.
bool tooManyAlbumTracks(QStringView countText);

// A CDDB track title split at its first " - " into artist and title; without one, all of it is the artist.
struct ArtistTitle
{
    QString artist;
    QString title;
};
ArtistTitle splitArtistTitle(const QString &trackTitle);

// A play time of `seconds` as the editor writes it: minutes, ":", two-digit seconds, with no hours and no
// leading zero ("4:05", "63:20", "0:59").
QString durationText(int seconds);

} // namespace EditorRules
