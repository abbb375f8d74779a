#include "EditorRules.h"

#include "core/catalogue/Numbers.h"

#include <QDate>
#include <QSet>

namespace EditorRules {

int findDuplicate(const TrackTable &table, const QString &mediaType, const QString &mediaNumber,
                  const QString &trackNumber)
{
    // Field by field, each read only when the ones before matched.
    QString text;
    for (int i = 1; i <= table.count(); ++i) {
        table.readField(i, TrackRecord::MediaType, text);
        if (text != mediaType)
            continue;
        table.readField(i, TrackRecord::MediaNumber, text);
        if (text != mediaNumber)
            continue;
        table.readField(i, TrackRecord::TrackNumber, text);
        if (text == trackNumber)
            return i;
    }
    return 0;
}

QVector<int> duplicatePositions(const TrackTable &table, const QVector<TrackRecord> &tracks)
{
    const auto key = [](const TrackRecord &r) {
        return QStringList{r.value(TrackRecord::MediaType), r.value(TrackRecord::MediaNumber),
                           r.value(TrackRecord::TrackNumber)};
    };
    // The media the new tracks go to (one, for a CD), and the numbers already taken on them.
    QVector<std::pair<QString, QString>> media;
    for (const TrackRecord &r : tracks) {
        const std::pair<QString, QString> medium{r.value(TrackRecord::MediaType), r.value(TrackRecord::MediaNumber)};
        if (!media.contains(medium))
            media.append(medium);
    }
    QSet<QStringList> taken;
    TrackRecord r;
    for (int i = 1; i <= table.count(); ++i) {
        table.read(i, r);
        for (const auto &[type, number] : std::as_const(media)) {
            if (r.at(TrackRecord::MediaNumber) == number && r.at(TrackRecord::MediaType) == type)
                taken.insert(key(r));
        }
    }
    QVector<int> refused;
    for (int i = 0; i < tracks.size(); ++i) {
        const QStringList k = key(tracks.at(i));
        if (taken.contains(k))
            refused.append(i);
        else
            taken.insert(k);
    }
    return refused;
}

qint64 nextMediaNumber(const TrackTable &table, const QString &mediaType)
{
    qint64 largest = 0;
    QString text;
    for (int i = 1; i <= table.count(); ++i) {
        table.readField(i, TrackRecord::MediaType, text);
        if (text.compare(mediaType, Qt::CaseInsensitive) != 0)
            continue;
        table.readField(i, TrackRecord::MediaNumber, text);
        const qint64 number = Numbers::roundHalfEven(Numbers::leadingNumber(text));
        largest = std::max(largest, number);
    }
    return largest < std::numeric_limits<qint64>::max() ? largest + 1 : largest;
}

QString capitalizeFirst(const QString &text)
{
    if (text.isEmpty())
        return text;
    const QString first = text.left(1);
    const QString upper = first.toUpper();
    if (first == upper)
        return text;
    return upper + text.mid(1);
}

bool capitalises(int box)
{
    for (const TrackRecord::Field field : {TrackRecord::Artist, TrackRecord::Title, TrackRecord::Album,
                                           TrackRecord::Style, TrackRecord::Label, TrackRecord::Comment}) {
        if (box == boxOf(field))
            return true;
    }
    return false;
}

bool completes(int box)
{
    return capitalises(box) && box != boxOf(TrackRecord::Title);
}

QString dateText(const QDate &date)
{
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

QString durationText(int seconds)
{
    return QString::number(seconds / 60) + QLatin1Char(':') +
           QString::number(seconds % 60).rightJustified(2, QLatin1Char('0'));
}

int albumTrackCount(QStringView countText, QStringView mediaNumberText)
{
    const double count = Numbers::leadingNumber(countText);
    if (!(count > 0) || !(Numbers::leadingNumber(mediaNumberText) > 0) || tooManyAlbumTracks(countText))
        return -1;
    return int(Numbers::roundHalfEven(count));
}

bool tooManyAlbumTracks(QStringView countText)
{
    return Numbers::roundHalfEven(Numbers::leadingNumber(countText)) > kMaxAlbumTracks;
}

ArtistTitle splitArtistTitle(const QString &trackTitle)
{
    const qsizetype dash = trackTitle.indexOf(QLatin1String(" - "));
    if (dash < 0)
        return {trackTitle, QString()};
    return {trackTitle.left(dash), trackTitle.mid(dash + 3)};
}

} // namespace EditorRules
