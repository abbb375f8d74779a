#include "XmcdEntry.h"

#include <QMap>

#include <algorithm>
#include <optional>

namespace {

const QLatin1String kOffsetsComment("Track frame offsets:");
const QLatin1String kLengthComment("Disc length:");
const QLatin1String kTitleKey("TTITLE");
const QLatin1String kExtendedTrackKey("EXTT");
const QLatin1String kLabelKey("label:");
const QLatin1String kArtistSeparator(" / ");

// The value of a run of decimal digits of at most `maxDigits`, or nothing when `text` is anything else.
std::optional<int> plainNumber(QStringView text, int maxDigits)
{
    if (text.isEmpty() || text.size() > maxDigits)
        return std::nullopt;
    int value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

// A text for a one-line field: control characters become spaces, surrounding blanks go.
QString oneLine(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    }
    return text.trimmed();
}

bool isVarious(const QString &artist)
{
    return artist.compare(QLatin1String("Various"), Qt::CaseInsensitive) == 0 ||
           artist.compare(QLatin1String("Various Artists"), Qt::CaseInsensitive) == 0;
}

QString labelOf(const QString &extendedData)
{
    const QStringList lines = extendedData.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const QString text = line.trimmed();
        if (text.startsWith(kLabelKey, Qt::CaseInsensitive))
            return oneLine(text.mid(kLabelKey.size()));
    }
    return {};
}

} // namespace

QString XmcdEntry::unescape(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out.append(c);
            continue;
        }
        const QChar escaped = value.at(i + 1);
        if (escaped == QLatin1Char('n'))
            out.append(QLatin1Char('\n'));
        else if (escaped == QLatin1Char('t'))
            out.append(QLatin1Char('\t'));
        else if (escaped == QLatin1Char('\\'))
            out.append(QLatin1Char('\\'));
        else {
            out.append(c);
            continue; // not an escape: the backslash stays, and the next character is read as usual
        }
        ++i;
    }
    return out;
}

bool XmcdEntry::splitArtist(const QString &text, QString *artist, QString *title)
{
    const qsizetype at = text.indexOf(kArtistSeparator);
    if (at < 0)
        return false;
    *artist = text.left(at).trimmed();
    *title = text.mid(at + kArtistSeparator.size()).trimmed();
    return true;
}

XmcdEntry XmcdEntry::parse(const QStringList &lines, const QString &category, const DiscToc &toc, Error *error)
{
    const auto fail = [error](Error why) {
        if (error)
            *error = why;
        return XmcdEntry();
    };
    if (error)
        *error = Error::None;
    if (lines.isEmpty())
        return fail(Error::NoLines);

    const int trackCount = toc.trackCount();
    QMap<QString, QString> values; // keyword -> its lines' values joined, still escaped
    QMap<int, QString> titles;     // track index -> TTITLE, still escaped
    QList<int> offsets;
    bool offsetsListed = false;
    bool readingOffsets = false;
    std::optional<int> discLength;

    for (const QString &line : lines) {
        if (line.startsWith(QLatin1Char('#'))) {
            const QStringView comment = QStringView(line).mid(1).trimmed();
            if (readingOffsets) {
                if (!comment.isEmpty() && comment.front().isDigit()) {
                    const std::optional<int> offset = plainNumber(comment, 9);
                    if (!offset || *offset > DiscToc::kMaxFrames)
                        return fail(Error::BadOffsets);
                    offsets.append(*offset);
                    continue;
                }
                readingOffsets = false;
            }
            if (comment.compare(kOffsetsComment, Qt::CaseInsensitive) == 0 && !offsetsListed) {
                offsetsListed = true;
                readingOffsets = true;
            } else if (comment.startsWith(kLengthComment, Qt::CaseInsensitive) && !discLength) {
                // "N seconds" (or "N secs"): the number, then a blank or nothing.
                const QStringView rest = comment.mid(kLengthComment.size()).trimmed();
                const qsizetype digits =
                    std::find_if(rest.begin(), rest.end(), [](QChar c) { return !c.isDigit(); }) - rest.begin();
                const std::optional<int> seconds = plainNumber(rest.left(digits), 9);
                if (!seconds || (digits < rest.size() && !rest.at(digits).isSpace()) ||
                    *seconds > DiscToc::kMaxFrames / DiscToc::kFramesPerSecond)
                    return fail(Error::BadDiscLength);
                discLength = *seconds;
            }
            continue;
        }
        readingOffsets = false;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed().toUpper();
        const QString value = line.mid(equals + 1);
        if (key.startsWith(kTitleKey) || key.startsWith(kExtendedTrackKey)) {
            const bool title = key.startsWith(kTitleKey);
            const std::optional<int> index =
                plainNumber(QStringView(key).mid(title ? kTitleKey.size() : kExtendedTrackKey.size()), 4);
            if (!index)
                return fail(Error::BadKeyword);
            if (*index >= trackCount)
                return fail(Error::TrackCountMismatch);
            if (title)
                titles[*index].append(value);
            continue;
        }
        values[key].append(value);
    }

    const int entryTracks = offsetsListed ? int(offsets.size()) : (titles.isEmpty() ? 0 : titles.lastKey() + 1);
    if (entryTracks != trackCount)
        return fail(Error::TrackCountMismatch);
    for (qsizetype i = 1; i < offsets.size(); ++i) {
        if (offsets.at(i) <= offsets.at(i - 1))
            return fail(Error::BadOffsets);
    }
    const bool ownLengths = offsetsListed && discLength;
    if (ownLengths && qint64(*discLength) * DiscToc::kFramesPerSecond <= offsets.last())
        return fail(Error::BadDiscLength);

    XmcdEntry entry;
    entry.category = category;
    const QString discTitle = oneLine(unescape(values.value(QStringLiteral("DTITLE"))));
    if (!splitArtist(discTitle, &entry.artist, &entry.album))
        entry.artist = entry.album = discTitle;
    entry.year = oneLine(unescape(values.value(QStringLiteral("DYEAR"))));
    entry.genre = oneLine(unescape(values.value(QStringLiteral("DGENRE"))));
    if (entry.genre.isEmpty())
        entry.genre = oneLine(category);
    entry.extendedData = unescape(values.value(QStringLiteral("EXTD")));
    entry.label = labelOf(entry.extendedData);

    QStringList trackTitles;
    for (int i = 0; i < trackCount; ++i)
        trackTitles.append(oneLine(unescape(titles.value(i))));
    entry.compilation = isVarious(entry.artist);
    if (!entry.compilation) {
        const auto titled = [](const QString &t) { return !t.isEmpty(); };
        const auto withArtist = [](const QString &t) { return t.contains(kArtistSeparator); };
        entry.compilation = std::any_of(trackTitles.cbegin(), trackTitles.cend(), titled) &&
                            std::all_of(trackTitles.cbegin(), trackTitles.cend(),
                                        [&](const QString &t) { return !titled(t) || withArtist(t); });
    }

    for (int i = 0; i < trackCount; ++i) {
        Track track;
        track.artist = entry.artist;
        track.title = trackTitles.at(i);
        QString artist, title;
        // The title is trimmed, so an artist cut from it is never empty.
        if (entry.compilation && splitArtist(track.title, &artist, &title)) {
            track.artist = artist;
            track.title = title;
        }
        qint64 frames = toc.trackFrames(i);
        if (ownLengths) {
            const qint64 end =
                i + 1 < offsets.size() ? offsets.at(i + 1) : qint64(*discLength) * DiscToc::kFramesPerSecond;
            frames = end - offsets.at(i);
        }
        track.lengthSeconds = framesToSeconds(frames);
        entry.tracks.append(track);
    }
    return entry;
}
