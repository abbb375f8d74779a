#include "MusicBrainzReply.h"

#include "DiscToc.h"
#include "core/catalogue/FieldList.h"
#include "core/edit/EditorRules.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QStringList>

#include <cmath>

namespace {

QString text(const QJsonObject &object, QLatin1StringView key)
{
    return FieldList::oneLine(object.value(key).toString());
}

// "Name1 & Name2 feat. Name3": each credited name and its join phrase. A credit without a name of its own
// takes its artist's.
QString artistCredit(const QJsonValue &credit)
{
    QString out;
    for (const QJsonValue &part : credit.toArray()) {
        const QJsonObject object = part.toObject();
        QString name = object.value(QLatin1StringView("name")).toString();
        if (name.isEmpty())
            name = object.value(QLatin1StringView("artist")).toObject().value(QLatin1StringView("name")).toString();
        out += name + object.value(QLatin1StringView("joinphrase")).toString();
    }
    return FieldList::oneLine(out);
}

// A length in milliseconds in whole seconds (half a second rounds up), -1 when `value` is not one.
int seconds(const QJsonValue &value)
{
    if (!value.isDouble())
        return -1;
    const double ms = value.toDouble();
    constexpr double kMaxMs = double(DiscToc::kMaxFrames) / DiscToc::kFramesPerSecond * 1000.0;
    if (!(ms >= 0 && ms <= kMaxMs))
        return -1;
    return int(std::floor(ms / 1000.0 + 0.5));
}

QJsonArray tracksOf(const QJsonObject &medium)
{
    return medium.value(QLatin1StringView("tracks")).toArray();
}

bool namesDisc(const QJsonObject &medium, const QString &discId)
{
    if (discId.isEmpty())
        return false;
    for (const QJsonValue &disc : medium.value(QLatin1StringView("discs")).toArray()) {
        if (disc.toObject().value(QLatin1StringView("id")).toString() == discId)
            return true;
    }
    return false;
}

// The medium that holds the disc, or an empty object when the release has none with tracks.
QJsonObject mediumOf(const QJsonObject &release, const QString &discId, int trackCount)
{
    const QJsonArray media = release.value(QLatin1StringView("media")).toArray();
    QJsonObject sameCount;
    QJsonObject first;
    for (const QJsonValue &value : media) {
        const QJsonObject medium = value.toObject();
        const qsizetype count = tracksOf(medium).size();
        if (count == 0)
            continue;
        if (namesDisc(medium, discId))
            return medium;
        if (sameCount.isEmpty() && trackCount > 0 && count == trackCount)
            sameCount = medium;
        if (first.isEmpty())
            first = medium;
    }
    return sameCount.isEmpty() ? first : sameCount;
}

MusicBrainzReply::Track readTrack(const QJsonObject &track, const QString &releaseArtist)
{
    const QJsonObject recording = track.value(QLatin1StringView("recording")).toObject();
    MusicBrainzReply::Track out;
    out.artist = artistCredit(track.value(QLatin1StringView("artist-credit")));
    if (out.artist.isEmpty())
        out.artist = artistCredit(recording.value(QLatin1StringView("artist-credit")));
    if (out.artist.isEmpty())
        out.artist = releaseArtist;
    out.title = text(track, QLatin1StringView("title"));
    if (out.title.isEmpty())
        out.title = text(recording, QLatin1StringView("title"));
    out.lengthSeconds = seconds(recording.value(QLatin1StringView("length")));
    if (out.lengthSeconds < 0)
        out.lengthSeconds = seconds(track.value(QLatin1StringView("length")));
    if (out.lengthSeconds >= 0)
        out.duration = EditorRules::durationText(out.lengthSeconds);
    return out;
}

bool readRelease(const QJsonObject &release, const QString &discId, int trackCount, MusicBrainzReply::Release *out)
{
    const QJsonObject medium = mediumOf(release, discId, trackCount);
    if (medium.isEmpty())
        return false;
    out->id = text(release, QLatin1StringView("id"));
    out->artist = artistCredit(release.value(QLatin1StringView("artist-credit")));
    out->album = text(release, QLatin1StringView("title"));
    out->date = text(release, QLatin1StringView("date"));
    out->country = text(release, QLatin1StringView("country"));
    for (const QJsonValue &info : release.value(QLatin1StringView("label-info")).toArray()) {
        const QJsonObject object = info.toObject();
        const QString name = text(object.value(QLatin1StringView("label")).toObject(), QLatin1StringView("name"));
        if (!name.isEmpty()) {
            out->label = name;
            out->catalogNumber = text(object, QLatin1StringView("catalog-number"));
            break;
        }
    }
    const QJsonArray genres = release.value(QLatin1StringView("genres")).toArray();
    if (!genres.isEmpty())
        out->style = text(genres.first().toObject(), QLatin1StringView("name"));
    for (const QJsonValue &track : tracksOf(medium))
        out->tracks.append(readTrack(track.toObject(), out->artist));
    return true;
}

} // namespace

MusicBrainzReply MusicBrainzReply::parse(const QByteArray &json, const QString &discId, int trackCount)
{
    MusicBrainzReply reply;
    if (json.size() > kMaxBytes) {
        reply.m_status = Status::TooLarge;
        return reply;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    const QJsonValue releases = document.object().value(QLatin1StringView("releases"));
    if (error.error != QJsonParseError::NoError || !document.isObject() || !releases.isArray()) {
        reply.m_status = Status::Malformed;
        return reply;
    }
    for (const QJsonValue &value : releases.toArray()) {
        Release release;
        if (value.isObject() && readRelease(value.toObject(), discId, trackCount, &release))
            reply.m_releases.append(release);
    }
    reply.m_status = reply.m_releases.isEmpty() ? Status::NotFound : Status::Ok;
    return reply;
}

QString MusicBrainzReply::errorText() const
{
    return statusText(m_status);
}

QString MusicBrainzReply::statusText(Status status)
{
    switch (status) {
    case Status::Ok:
        break;
    case Status::NotFound:
        return QStringLiteral("Диска нет в базе MusicBrainz.");
    case Status::TooLarge:
        return QStringLiteral("Сервер MusicBrainz прислал слишком большой ответ.");
    case Status::Malformed:
        return QStringLiteral("Сервер MusicBrainz прислал ответ, который не удается разобрать.");
    }
    return QString();
}

QString MusicBrainzReply::Release::displayText() const
{
    QString out = artist.isEmpty() ? album : artist + QStringLiteral(" / ") + album;
    QStringList details;
    for (const QString &detail : {date, country, label, catalogNumber}) {
        if (!detail.isEmpty())
            details.append(detail);
    }
    if (!details.isEmpty())
        out += QStringLiteral(" (") + details.join(QStringLiteral(", ")) + QLatin1Char(')');
    return out;
}
