#include "BaseList.h"

void BaseList::reset(const QStringList &names, const QString &defaultName)
{
    m_entries.clear();
    for (const QString &name : names.isEmpty() ? QStringList{defaultName} : names)
        m_entries.append({name, false});
    m_checked = -1;
}

int BaseList::append(const QString &name)
{
    m_entries.append({name, false});
    return count() - 1;
}

void BaseList::removeLast()
{
    if (m_entries.isEmpty())
        return;
    if (m_checked == count() - 1)
        m_checked = -1;
    m_entries.removeLast();
}

void BaseList::setGone(int i, bool gone)
{
    if (valid(i))
        m_entries[i].gone = gone;
}

QVector<int> BaseList::markGone(const QString &name)
{
    QVector<int> marked;
    for (int i = 0; i < count(); ++i) {
        if (m_entries[i].name == name) {
            m_entries[i].gone = true;
            marked.append(i);
        }
    }
    return marked;
}

int BaseList::nextAfterDeleting(int index) const
{
    const QString deleted = name(index);
    const auto usable = [&](int i) { return !m_entries[i].gone && m_entries[i].name != deleted; };
    for (int i = index - 1; i >= 0; --i) {
        if (usable(i))
            return i;
    }
    for (int i = index + 1; i < count(); ++i) {
        if (usable(i))
            return i;
    }
    return -1;
}
