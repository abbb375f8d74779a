#include "FieldList.h"

#include <algorithm>

namespace {
constexpr QChar kTab = QLatin1Char('\t');
}

FieldList::FieldList(int count)
{
    count = std::clamp(count, 0, kMaxFields);
    m_count = quint8(count);
    if (count > 1)
        m_text = QString(count - 1, kTab);
    for (int i = 0; i < count; ++i)
        m_start[size_t(i)] = quint32(i);
}

FieldList FieldList::fromList(const QStringList &fields)
{
    FieldList list;
    const int count = std::min(int(fields.size()), kMaxFields);
    list.m_count = quint8(count);
    qsizetype length = count > 0 ? count - 1 : 0;
    for (int i = 0; i < count; ++i)
        length += fields[i].size();
    list.m_text.reserve(length);
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            list.m_text += kTab;
        list.m_start[size_t(i)] = quint32(list.m_text.size());
        list.m_text += fields[i];
    }
    return list;
}

FieldList FieldList::fromJoined(const QString &line, int count, bool *dropped)
{
    FieldList list;
    list.m_text = line;
    list.split(count, dropped);
    return list;
}

void FieldList::split(int count, bool *dropped)
{
    if (dropped)
        *dropped = false;
    count = std::clamp(count, 0, kMaxFields);
    m_count = quint8(count);
    if (count == 0) {
        m_text.clear();
        return;
    }
    m_start[0] = 0;
    const QChar *data = m_text.constData();
    const qsizetype size = m_text.size();
    int field = 1;
    qsizetype pos = 0;
    for (; field < count; ++field) {
        const QChar *tab = std::find(data + pos, data + size, kTab);
        if (tab == data + size)
            break;
        pos = tab - data + 1;
        m_start[size_t(field)] = quint32(pos);
    }
    if (field < count) {
        // Fewer parts than fields: pad with empty fields so the joined text keeps its shape.
        m_text.reserve(size + (count - field));
        for (; field < count; ++field) {
            m_text += kTab;
            m_start[size_t(field)] = quint32(m_text.size());
        }
    } else {
        // More parts than fields: the last field ends at the next TAB; the rest is dropped.
        const QChar *tab = std::find(data + pos, data + size, kTab);
        if (tab != data + size) {
            m_text.truncate(tab - data);
            if (dropped)
                *dropped = true;
        }
    }
}

QStringView FieldList::at(int i) const
{
    if (i < 0 || i >= m_count)
        return {};
    const qsizetype start = m_start[size_t(i)];
    const qsizetype end = (i + 1 < m_count) ? qsizetype(m_start[size_t(i + 1)]) - 1 : m_text.size();
    return QStringView(m_text).mid(start, end - start);
}

void FieldList::set(int i, QStringView value)
{
    if (i < 0 || i >= m_count)
        return;
    const QStringView old = at(i);
    const qsizetype start = m_start[size_t(i)];
    const qsizetype delta = value.size() - old.size();
    m_text.replace(start, old.size(), value.data(), value.size());
    for (int k = i + 1; k < m_count; ++k)
        m_start[size_t(k)] = quint32(qsizetype(m_start[size_t(k)]) + delta);
}

bool FieldList::hasTabInFields() const
{
    const qsizetype separators = m_count > 0 ? m_count - 1 : 0;
    return m_text.count(kTab) != separators;
}

bool FieldList::replaceTabsInFields()
{
    if (!hasTabInFields())
        return false;
    for (int i = 0; i < m_count; ++i) {
        const qsizetype start = m_start[size_t(i)];
        const qsizetype length = at(i).size();
        for (qsizetype p = start; p < start + length; ++p) {
            if (m_text.at(p) == kTab)
                m_text[p] = QLatin1Char(' ');
        }
    }
    return true;
}

QStringList FieldList::toList() const
{
    QStringList list;
    list.reserve(m_count);
    for (int i = 0; i < m_count; ++i)
        list.append(value(i));
    return list;
}

bool FieldList::operator==(const FieldList &other) const
{
    if (m_count != other.m_count || m_text != other.m_text)
        return false;
    return std::equal(m_start.begin(), m_start.begin() + m_count, other.m_start.begin());
}

QString FieldList::oneLine(QString text)
{
    for (QChar &c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0) || u == 0x2028 || u == 0x2029)
            c = QLatin1Char(' ');
    }
    return text.trimmed();
}
