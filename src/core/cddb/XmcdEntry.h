#pragma once

#include "DiscToc.h"

#include <QList>
#include <QString>
#include <QStringList>

// A disc entry of a CDDB database in the xmcd format, as `cddb read` sends it, turned into what the
// program stores: artist, album, year, genre, record label, and per track its artist, title and length.
//
// The rules, where the format leaves room:
// - Lines are "KEYWORD=value". A keyword given on several lines is the concatenation of its values in
//   order; then the escapes \n, \t and \\ are replaced (any other backslash stays as it is). Lines that
//   are neither comments nor "KEYWORD=value" are ignored, as are keywords this program does not use.
// - DTITLE is "Artist / Album", cut at the first " / "; without " / " artist and album are both the whole
//   text. Without DTITLE both are empty.
// - TTITLEn is the title of track n + 1. A disc is a compilation when its artist is "Various" or "Various
//   Artists" (any case), or when every track that has a title has " / " in it; only then is a track title
//   "Artist / Title", cut at its first " / ", and a track without " / " has the disc's artist. On any other
//   disc " / " is part of the title ("Part One / Part Two") and every track has the disc's artist. A
//   track without a TTITLE line has an empty title.
// - DGENRE is the genre; when it is missing or blank, the category of the match is.
// - The record label: xmcd has no field for it. It is the rest of the first line of EXTD that starts,
//   after blanks, with "Label:" in any case, trimmed; empty when there is none.
// - Track lengths come from the comments "# Track frame offsets:" (one offset a comment line after it,
//   up to the first comment line that is not a lone number) and "# Disc length: N seconds": a track runs
//   to the next one's start, the last to the disc length, rounded to whole seconds. An entry without
//   either comment takes the lengths from the disc's own table of contents.
// - The entry must describe the disc of the table of contents: its track count (the number of frame
//   offsets when it lists them, otherwise the highest TTITLE number plus one) must be the disc's, and no
//   TTITLEn or EXTTn may name a track the disc does not have. Offsets must increase and lie before the
//   disc length; numbers must be plain decimal within the range of a CD.
// - Single-line fields (titles, artist, album, year, genre, label) have control characters (line breaks
//   and TABs from the escapes among them) turned into spaces and are trimmed; EXTD keeps its lines.
struct XmcdEntry
{
    enum class Error {
        None,
        NoLines,            // nothing at all
        BadKeyword,         // a TTITLE or EXTT keyword without a plain track number
        BadOffsets,         // frame offsets that do not increase, or are out of range
        BadDiscLength,      // a disc length that is not a number, or not after the last offset
        TrackCountMismatch, // a track count that is not the disc's
    };

    struct Track
    {
        QString artist;
        QString title;
        int lengthSeconds = 0;
    };

    // Reads the entry's `lines` (without the final "."), found in `category`, for the disc `toc` (a valid
    // table of contents). On failure returns an empty entry and sets `error` when given.
    static XmcdEntry parse(const QStringList &lines, const QString &category, const DiscToc &toc,
                           Error *error = nullptr);

    // Replaces the xmcd escapes \n, \t and \\ in `value`.
    static QString unescape(const QString &value);
    // Splits "Artist / Title" at the first " / ": false (and nothing set) when there is none.
    static bool splitArtist(const QString &text, QString *artist, QString *title);

    bool isEmpty() const { return tracks.isEmpty(); }

    QString category;
    QString artist;
    QString album;
    QString year;
    QString genre;
    QString label;
    // EXTD, unescaped, with its line breaks.
    QString extendedData;
    bool compilation = false;
    QList<Track> tracks;
};
