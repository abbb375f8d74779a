#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

// What the first MPEG audio frame header of a file tells: eleven display texts (bit rate, channel mode,
// copyright, CRC, emphasis, sampling frequency, layer, length, version, original, size) and the play time.
//
// The header is looked for in the first 4096 bytes after a leading ID3v2 tag, if the file has one (from the
// start of the file when the tag claims more than the file holds). Two bytes that look like the start of a
// header are taken for one only when the next frame's header follows where the frame's length says, or the
// frame ends at the end of the file or at its ID3v1 tag.
class MpegStreamInfo
{
public:
    enum Text {
        BitRate,
        ChannelMode,
        Copyright,
        Crc,
        Emphasis,
        SamplingFrequency,
        Layer,
        Length,
        Version,
        Original,
        Size,
        kTextCount
    };

    // The bytes searched for a frame header.
    static constexpr int kSearchSize = 4096;

    // The eleven texts, in the order of Text; empty where nothing was found.
    QStringList texts = QStringList(kTextCount, QString());
    // Whether a frame header was found; when not, only the size text is filled.
    bool headerFound = false;
    // The play time in whole seconds; -1 when none follows (no header, bit rate 0, a Xing stream of 57
    // frames or fewer, under a second long or without a frame count).
    int seconds = -1;
    // Why the file could not be read (Russian), all texts then empty; empty when it was read.
    QString error;

    // Reads the file at `path`.
    static MpegStreamInfo read(const QString &path);
    // The same from bytes already read: `head` the first bytes of the file (at least 10, to see an ID3v2
    // header) and `fileLength` its whole length. Bytes of the file that `head` does not reach count as 0 (and
    // an ID3v1 tag it does not reach is not there); bytes of `head` past `fileLength` are not the file's and
    // are ignored.
    static MpegStreamInfo fromBytes(QByteArrayView head, qint64 fileLength);
    // The size of the ID3v2 tag a file begins with (header, body and a v2.4 footer), from its first ten
    // bytes; 0 when it begins with none.
    static qint64 id3v2Size(QByteArrayView first10);
    // The length in bytes of the frame whose header starts `header` (at least its first three bytes): 0 for a
    // free-format frame, whose length is not in its header; -1 for bytes that are no frame header (no sync,
    // a version other than 1, 2 and 2.5 of layer III, an unused bit rate or sampling frequency).
    static int frameLength(QByteArrayView header);
};
