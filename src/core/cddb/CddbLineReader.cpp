#include "CddbLineReader.h"

#include "core/text/Cp1251.h"

void CddbLineReader::append(QByteArrayView bytes)
{
    if (m_error != Error::None)
        return;
    // What was taken already goes once it is at least half the buffer, so appending stays linear.
    if (m_position > 0 && m_position * 2 >= m_buffer.size()) {
        m_buffer.remove(0, m_position);
        m_position = 0;
    }
    m_buffer.append(bytes);
}

CddbLineReader::Status CddbLineReader::next(QString *line)
{
    if (m_error != Error::None)
        return Status::Error;
    const qsizetype end = m_buffer.indexOf('\n', m_position);
    if (end < 0) {
        // One byte more than the limit may still be the CR of a line end.
        return pendingBytes() > m_maxLineBytes + 1 ? fail(Error::LineTooLong) : Status::NeedMore;
    }
    qsizetype length = end - m_position;
    if (length > 0 && m_buffer.at(end - 1) == '\r')
        --length;
    if (length > m_maxLineBytes)
        return fail(Error::LineTooLong);
    const QByteArrayView bytes(m_buffer.constData() + m_position, length);
    if (m_encoding == Encoding::Latin1) {
        *line = eightBitText(bytes);
    } else {
        if (!isValidUtf8(bytes))
            return fail(Error::InvalidText);
        *line = QString::fromUtf8(bytes);
    }
    m_position = end + 1;
    return Status::Line;
}

CddbLineReader::Status CddbLineReader::fail(Error error)
{
    m_error = error;
    m_buffer.clear();
    m_position = 0;
    return Status::Error;
}

bool CddbLineReader::isValidUtf8(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *const end = p + bytes.size();
    while (p < end) {
        const unsigned char lead = *p++;
        if (lead < 0x80)
            continue;
        // The number of continuation bytes, and the least value that needs this many.
        int more = 0;
        char32_t least = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1;
            least = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2;
            least = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3;
            least = 0x10000;
        } else {
            return false; // a continuation byte, C0/C1 (always overlong) or F5 and up (past U+10FFFF)
        }
        char32_t value = lead & (0x7F >> (more + 1));
        if (end - p < more)
            return false;
        for (int i = 0; i < more; ++i, ++p) {
            if ((*p & 0xC0) != 0x80)
                return false;
            value = (value << 6) | (*p & 0x3F);
        }
        if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return false;
    }
    return true;
}

QString CddbLineReader::eightBitText(QByteArrayView bytes)
{
    if (isValidUtf8(bytes))
        return QString::fromLatin1(bytes);
    // Russian discs were entered on Windows in its Cyrillic code page, and older servers pass the bytes on.
    // Text in it has Cyrillic letters for all its high bytes, and words of them; ISO 8859-1 text (Café) does
    // not, but for a stray letter.
    const QString cyrillic = Cp1251::decode(bytes);
    bool together = false;
    bool previous = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (static_cast<unsigned char>(bytes.at(i)) < 0x80) {
            previous = false;
            continue;
        }
        const QChar c = cyrillic.at(i);
        if (!c.isLetter() || c.script() != QChar::Script_Cyrillic)
            return QString::fromLatin1(bytes);
        together = together || previous;
        previous = true;
    }
    return together ? cyrillic : QString::fromLatin1(bytes);
}
