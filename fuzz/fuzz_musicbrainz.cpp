// The MusicBrainz answer reader, and the reading of a busy server's "Retry-After", on any bytes.
//
// The first byte picks the disc looked up: bit 0 whether its disc id is known ("disc-1"), the rest its track
// count (0: not known). The rest is the server's answer. Whatever it is, the reader must not fail; what it
// reads must fit the album dialog: one-line texts, at least one track a release, durations "m:ss" within a
// day, and no release at all unless it says so. The disc id and track count pick the medium, never whether a
// release is found. The same bytes read as a Retry-After header give a wait of at least -1.

#include "FuzzSupport.h"
#include "core/cddb/MusicBrainzReply.h"
#include "core/cddb/MusicBrainzRequest.h"

#include <QRegularExpression>

namespace {

bool isDuration(const QString &text)
{
    static const QRegularExpression kDuration(QStringLiteral("^(\\d{1,4}):[0-5]\\d$"));
    const QRegularExpressionMatch match = kDuration.match(text);
    return text.isEmpty() || (match.hasMatch() && match.captured(1).toInt() <= 24 * 60);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QString discId = (data[0] & 1) ? QStringLiteral("disc-1") : QString();
    const int trackCount = data[0] >> 1;
    const QByteArray bytes = FuzzSupport::bytes(data + 1, size - 1);

    const MusicBrainzReply reply = MusicBrainzReply::parse(bytes, discId, trackCount);
    if (bytes.size() > MusicBrainzReply::kMaxBytes)
        FUZZ_CHECK(reply.status() == MusicBrainzReply::Status::TooLarge);
    FUZZ_CHECK(reply.isOk() == !reply.releases().isEmpty());
    FUZZ_CHECK(reply.errorText().isEmpty() == reply.isOk());
    for (const MusicBrainzReply::Release &release : reply.releases()) {
        for (const QString &field : {release.id, release.artist, release.album, release.label, release.catalogNumber,
                                     release.style, release.date, release.country})
            FUZZ_CHECK_SAYING(FuzzSupport::isOneLine(field), FuzzSupport::hex(field));
        FUZZ_CHECK(!release.tracks.isEmpty());
        for (const MusicBrainzReply::Track &track : release.tracks) {
            FUZZ_CHECK_SAYING(FuzzSupport::isOneLine(track.artist) && FuzzSupport::isOneLine(track.title),
                              FuzzSupport::hex(track.title));
            FUZZ_CHECK_SAYING(isDuration(track.duration), track.duration.toUtf8());
            FUZZ_CHECK(track.duration.isEmpty() == (track.lengthSeconds < 0));
        }
    }
    const MusicBrainzReply anyMedium = MusicBrainzReply::parse(bytes);
    FUZZ_CHECK(anyMedium.status() == reply.status());
    FUZZ_CHECK(anyMedium.releases().size() == reply.releases().size());

    const QDateTime now(QDate(2026, 1, 1), QTime(12, 0), Qt::UTC);
    FUZZ_CHECK(MusicBrainzRequest::retryAfterSeconds(bytes, now) >= -1);
    return 0;
}
