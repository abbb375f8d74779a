#include "CddbLog.h"

namespace {

const QString kLineEnd = QStringLiteral("\r\n");

} // namespace

void CddbLog::clear()
{
    m_lines.assign(1, QString());
}

QString CddbLog::append(QStringView text)
{
    QString shown;
    qsizetype from = 0;
    for (;;) {
        const qsizetype end = text.indexOf(kLineEnd, from);
        const QString part = visible(text.mid(from, end < 0 ? -1 : end - from));
        m_lines.back() += part;
        shown += part;
        if (end < 0)
            break;
        m_lines.emplace_back();
        shown += QLatin1Char('\n');
        from = end + kLineEnd.size();
    }
    while (m_lines.size() > size_t(kMaxLines))
        m_lines.pop_front();
    return shown;
}

QString CddbLog::text() const
{
    QString all;
    for (const QString &line : m_lines) {
        if (&line != &m_lines.front())
            all += kLineEnd;
        all += line;
    }
    return all;
}

QString CddbLog::visible(QStringView line)
{
    QString shown = line.toString();
    for (QChar &c : shown) {
        const char16_t u = c.unicode();
        if (u < 0x20)
            c = QChar(0x2400 + u);
        else if (u == 0x7F)
            c = QChar(0x2421);
        else if (u >= 0x80 && u <= 0x9F)
            c = QChar(QChar::ReplacementCharacter);
        else if (u == 0x2028 || u == 0x2029)
            c = QChar(0x2424);
    }
    return shown;
}
