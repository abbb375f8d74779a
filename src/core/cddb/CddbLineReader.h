#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Cuts the bytes a CDDB server sends into lines of text. A line ends with LF; a CR just before the LF
// belongs to the line end, any other CR to the text. Bytes after the last LF wait for more.
//
// Text is UTF-8 (the server speaks protocol level 6), decoded strictly: an overlong form, a surrogate, a
// value past U+10FFFF or a cut sequence is an error, never a replacement character. A server left at a
// lower level sends 8-bit text, which setEncoding(Latin1) reads as eightBitText() does. A line longer than
// the limit (its line end not counted) is an error too, found as soon as that many bytes wait without a
// line end, so the reader never holds much more than one line. An error is final: the reader gives no
// further lines.
class CddbLineReader
{
public:
    enum class Encoding { Utf8, Latin1 };
    enum class Status { Line, NeedMore, Error };
    enum class Error { None, LineTooLong, InvalidText };

    static constexpr qsizetype kDefaultMaxLineBytes = 4096;

    explicit CddbLineReader(qsizetype maxLineBytes = kDefaultMaxLineBytes) : m_maxLineBytes(maxLineBytes) {}

    void append(QByteArrayView bytes);

    // The next whole line into `line` (Status::Line); NeedMore when no whole line waits; Error after a
    // fault. The encoding in force when a line is taken decodes it, so a change applies to the lines not
    // taken yet.
    Status next(QString *line);

    Error error() const { return m_error; }
    // Bytes received but not taken as lines yet.
    qsizetype pendingBytes() const { return m_buffer.size() - m_position; }

    Encoding encoding() const { return m_encoding; }
    void setEncoding(Encoding encoding) { m_encoding = encoding; }

    // A line of 8-bit text: Windows-1251 when it is not UTF-8, every byte from 0x80 up is a Cyrillic letter
    // there and two such letters stand together; otherwise ISO 8859-1.
    static QString eightBitText(QByteArrayView bytes);
    // Whether `bytes` are well-formed UTF-8 as RFC 3629 defines it.
    static bool isValidUtf8(QByteArrayView bytes);

private:
    Status fail(Error error);

    QByteArray m_buffer;
    qsizetype m_position = 0;
    qsizetype m_maxLineBytes;
    Encoding m_encoding = Encoding::Utf8;
    Error m_error = Error::None;
};
