#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The table of contents of an audio CD as a CDDB server knows it: where each audio track starts and where
// the last one ends, in frames of 1/75 second counted from the very start of the disc (so the first track
// of a plain audio CD starts at frame 150, after the two-second lead-in).
struct DiscToc
{
    static constexpr int kFramesPerSecond = 75;
    static constexpr int kMaxTracks = 99;
    // Nothing longer than a day is a CD; the bound keeps every sum below in range.
    static constexpr int kMaxFrames = 24 * 3600 * kFramesPerSecond;

    // The start of each track, in order.
    QList<int> frameOffsets;
    // The end of the last track (the lead-out).
    int leadout = 0;

    int trackCount() const { return int(frameOffsets.size()); }

    // 1 to 99 tracks, starting at 0 or later, each after the one before, the lead-out after the last, and
    // nothing past kMaxFrames. The members below assume a valid table.
    bool isValid() const;

    // The CDDB disc id: the sum of the decimal digits of each track's start in whole seconds, modulo 255,
    // in the top byte; the play time in whole seconds (lead-out less the first track's start) in the middle
    // two bytes; the track count in the low byte.
    quint32 discId() const;
    // The disc id as CDDB writes it: eight lower-case hexadecimal digits.
    QString discIdText() const;

    // The disc's length in whole seconds, counted from the start of the disc: the last field of the query.
    int lengthSeconds() const { return leadout / kFramesPerSecond; }
    // The length of track `index` (from 0) in frames: up to the next track's start, the last one up to the
    // lead-out.
    int trackFrames(int index) const;

    // "cddb query <disc id> <track count> <offset>... <length in seconds>", without a line end.
    QByteArray queryCommand() const;
};

// Whole seconds from frames, rounded to the nearest second (half a second rounds up).
int framesToSeconds(qint64 frames);
