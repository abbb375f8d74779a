#pragma once

#include "DiscToc.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUrl>

class IniFile;

// What a disc lookup asks the MusicBrainz web service, and whether it is asked at all.
//
// settings.ini, section "MusicBrainz" (read, never written): "Server" is a host name, served over HTTPS, or a
// URL whose scheme (http or https), port and path are kept; without it the service is musicbrainz.org.
// "Use" is 1 or 0. MusicBrainz looks up the disc when Use is 1, or when Use is neither and the section
// "CDDB" names neither a "Server" nor an "Email": a public CDDB server would refuse such a lookup. Otherwise
// CDDB does.
namespace MusicBrainzRequest {

inline constexpr char kDefaultServer[] = "musicbrainz.org";

// The web service's root (scheme, host, port and any path, without a final "/") for the Server setting;
// an invalid URL when `server` cannot be one.
QUrl serviceUrl(const QString &server);

// The lookup of the disc whose MusicBrainz id is `discId`: its releases with recordings, artist credits,
// labels and genres, as JSON.
QUrl discIdUrl(const QUrl &service, const QString &discId);
// The lookup by table of contents, for a disc id the service does not know: the releases whose disc comes
// close to `toc` (its first track numbered 1).
QUrl tocUrl(const QUrl &service, const DiscToc &toc);
// The "toc" parameter: first track, last track, lead-out and each track's start, in frames from the start
// of the disc, joined by "+".
QString tocParameter(const DiscToc &toc);

// Whether the settings in `ini` choose MusicBrainz over CDDB.
bool useMusicBrainz(const IniFile &ini);
// The Server setting in `ini`, the default when it has none.
QString server(const IniFile &ini);

// The wait a "Retry-After" header asks for, in whole seconds counted from `now`: a number of seconds, or
// an HTTP date (no less than 0 when it has passed). -1 when the header is neither.
qint64 retryAfterSeconds(const QByteArray &header, const QDateTime &now);

} // namespace MusicBrainzRequest
