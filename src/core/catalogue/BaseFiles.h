#pragma once

#include "FieldList.h"
#include "TrackTable.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// The files of a catalogue, as stored in the DATA folder:
//  - a base file (name + ".dat"): one track per line, its 14 fields joined by TAB;
//  - the Tracklist file ("otbor.lst"): one picked track per line, its five texts joined by TAB.
// Both are text in the Windows-1251 code page with CR LF line ends, with no header. Reading accepts CR,
// LF or CR LF as a line end. Writing goes through a temporary file that replaces the old one only when
// everything was written, so a failed write leaves the previous file as it was.
namespace BaseFiles {

// The bases in `dataPath`: the names of its "*.dat" files without the extension, sorted by name without
// regard to case. Safety copies ("*.dat$") and folders are not bases.
QStringList listBases(const QString &dataPath);

// What a file held that the next write of it will not keep. Lines are numbered from 1.
struct Losses
{
    int longLines = 0; // lines with more parts than a row has fields: the rest is not written back
    int firstLongLine = 0;
    int droppedLines = 0; // base lines with an empty media type but other text: not written back at all
    int firstDroppedLine = 0;
    bool otherEncoding = false; // the file is UTF-8 (a byte order mark, or valid UTF-8 beyond ASCII), not
                                // Windows-1251: its letters read wrongly, and what is added is written in
                                // Windows-1251 beside them

    bool any() const { return longLines > 0 || droppedLines > 0 || otherEncoding; }
};

struct ReadResult
{
    bool exists = false; // the file was there
    bool ok = true;      // it could be read (a missing file counts as read: there was nothing to read)
    QString error;       // what went wrong, when !ok
    Losses losses;
};

// Appends the tracks of the base file at `path` to `table`: field i of a track is part i of its line
// split at TAB; missing parts leave fields empty, parts past the fourteenth are ignored, and an empty
// line gives a track of empty fields. What the next save will not keep is counted in `losses`. A readable file is made
// writable for the owner afterwards so the next save can replace it.
ReadResult readBase(const QString &path, TrackTable &table);
// The same for the bytes of a base file already read: appends their tracks to `table` and returns what
// the next write would not keep.
Losses readBaseBytes(const QByteArray &bytes, TrackTable &table);

// Reads a base file piece by piece, as readBase() would read it whole: a large base can be shown while
// the rest of it is still being read, and the file's bytes are never all held at once. Each piece
// holds the tracks of the next lines in their order; the pieces put together are the table readBase()
// gives, with the same losses once the file is read to its end.
class BaseReader
{
public:
    // `chunkBytes`: how much of the file is read at a time.
    explicit BaseReader(const QString &path, qint64 chunkBytes = 1 << 20);

    // Appends the tracks of up to `maxTracks` more lines to `piece`. False once there is nothing more
    // to read: the file is read to its end, or could not be read (see result()); the last tracks may
    // come with that answer.
    bool readPiece(TrackTable &piece, int maxTracks);
    // Whether the file is read to its end (or could not be read).
    bool atEnd() const { return m_atEnd; }
    // What was read so far; once atEnd(), what readBase() would have answered. A readable file is made
    // writable for the owner when its end is reached, as readBase() does.
    const ReadResult &result() const { return m_result; }
    // The file's size in bytes, and how many of them the lines read so far took.
    qint64 fileSize() const { return m_fileSize; }
    qint64 bytesRead() const { return m_consumed; }

private:
    bool fill();
    void finish();

    QFile m_file;
    qint64 m_chunkBytes;
    qint64 m_fileSize = 0;
    qint64 m_consumed = 0;
    QByteArray m_buffer; // bytes read but not yet taken as lines, from m_pos on
    qsizetype m_pos = 0;
    bool m_eof = false;
    bool m_atEnd = false;
    int m_lineNumber = 0;
    int m_utf8Sequences = 0; // multi-byte UTF-8 sequences seen so far; -1: a byte that UTF-8 cannot hold
    ReadResult m_result;
};

// The lines of a base file for `table`: every TAB inside a field is first replaced by a space, in the
// table too, and `tabsReplaced`, when given, is told each track that changed so; records whose media
// type (field 0) is empty are left out.
QByteArray baseFileContent(TrackTable &table, const std::function<void(int)> &tabsReplaced = {});
// Writes `table` to `path` (as baseFileContent()). False, with the reason in `error`, when it could not.
bool writeBase(const QString &path, TrackTable &table, QString *error = nullptr,
               const std::function<void(int)> &tabsReplaced = {});

// Reads the Tracklist file: one row of `columns` texts per line (missing texts empty, extra ones
// ignored). `result.exists` is false when there is no such file; `rows` is then left alone.
ReadResult readTracklist(const QString &path, int columns, QVector<FieldList> &rows);
// Writes the Tracklist rows, each as its first `columns` texts joined by TAB.
bool writeTracklist(const QString &path, const QVector<FieldList> &rows, int columns, QString *error = nullptr);

// Writes `content` to `path` through a temporary file beside it. False, with the reason, on failure.
bool writeFileAtomically(const QString &path, const QByteArray &content, QString *error = nullptr);

// Why `name` cannot be a base name, or an empty text when it can. A base name becomes a file name inside
// the DATA folder on any system the bases are carried to: it must not lead out of the folder (path
// separators, ".."), hold a character file names cannot hold, be a reserved device name, or be too
// long for a file name with ".dat$" after it. `name` is taken as given (blanks are the caller's to trim).
QString baseNameError(const QString &name);

// Calls `lineHandler(QStringView line)` for every line of `bytes`, decoded from the code page.
template <typename Handler> void forEachLine(const QByteArray &bytes, Handler &&lineHandler);
// Calls `lineHandler(QByteArrayView line)` for every line of `bytes`, as bytes of the code page.
template <typename Handler> void forEachLineBytes(const QByteArray &bytes, Handler &&lineHandler);

} // namespace BaseFiles

#include "core/text/Cp1251.h"

template <typename Handler> void BaseFiles::forEachLine(const QByteArray &bytes, Handler &&lineHandler)
{
    forEachLineBytes(bytes, [&lineHandler](QByteArrayView line) { lineHandler(Cp1251::decode(line)); });
}

template <typename Handler> void BaseFiles::forEachLineBytes(const QByteArray &bytes, Handler &&lineHandler)
{
    const char *data = bytes.constData();
    const qsizetype size = bytes.size();
    qsizetype start = 0;
    while (start < size) {
        qsizetype end = start;
        while (end < size && data[end] != '\r' && data[end] != '\n')
            ++end;
        lineHandler(QByteArrayView(data + start, end - start));
        if (end < size && data[end] == '\r' && end + 1 < size && data[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
}
