#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// The bases of this session, in the order of the bases menu: those found at start-up, then those created
// since. A deleted base keeps its place, marked as gone, so positions stay what the menu and the delete
// dialog show. Several entries may name the same file (a base created under an existing name); they are
// one base.
class BaseList
{
public:
    // The bases found at start-up; with none, the one default base the first save creates.
    void reset(const QStringList &names, const QString &defaultName);
    // Adds a base at the end; its position.
    int append(const QString &name);
    void removeLast();

    int count() const { return int(m_entries.size()); }
    QString name(int i) const { return valid(i) ? m_entries[i].name : QString(); }
    bool isGone(int i) const { return valid(i) && m_entries[i].gone; }
    void setGone(int i, bool gone);
    // Marks every entry named `name` as gone (they are one file); their positions.
    QVector<int> markGone(const QString &name);

    // The base shown as open in the menu, -1 for none.
    int checked() const { return m_checked; }
    void check(int i) { m_checked = valid(i) ? i : -1; }

    // The base to open when base `index` is deleted: the nearest one listed before it that is not gone and
    // is not the same file, else the nearest after it; -1 when there is none.
    int nextAfterDeleting(int index) const;

private:
    bool valid(int i) const { return i >= 0 && i < m_entries.size(); }
    struct Entry
    {
        QString name;
        bool gone = false;
    };
    QVector<Entry> m_entries;
    int m_checked = -1;
};
