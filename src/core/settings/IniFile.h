#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// An INI file as the Windows private-profile functions read and write it, in the 8-bit code page.
//
// Reading: section and key names compare without regard to case and surrounding blanks; a value is
// the text after the first "=", with surrounding blanks removed and one pair of surrounding double
// (or single) quotes dropped; the first of duplicate sections and keys wins; lines before any section,
// comments (";") and lines without "=" are kept but never matched.
//
// Writing changes only the line of the key written (or appends the key at the end of its section, or
// the section at the end of the file) and keeps every other line, its order and its line end as it
// was. The file is written whole and atomically by save(): a failed write leaves the old file intact.
class IniFile
{
public:
    IniFile() = default;
    explicit IniFile(const QString &path) : m_path(path) {}

    const QString &path() const { return m_path; }
    void setPath(const QString &path) { m_path = path; }

    // Reads the file; a missing or unreadable file reads as empty. Returns false when the file exists
    // but cannot be read (the content is then empty), with the reason in `error` when given.
    bool load(QString *error = nullptr);
    // Parses `bytes` (the file's content) in place of load().
    void parse(const QByteArray &bytes);

    bool contains(const QString &section, const QString &key) const;
    // The value of `key` in `section`, or an empty string.
    QString value(const QString &section, const QString &key) const;
    // Sets `key` in `section`, creating the section and the key when needed.
    void setValue(const QString &section, const QString &key, const QString &value);

    // The file's content as it would be written.
    QByteArray serialize() const;
    // Writes the file atomically. On failure returns false and, when `error` is given, sets it to the
    // system's description of what went wrong.
    bool save(QString *error = nullptr) const;

private:
    enum class LineKind : quint8 { Other, Section, Key };
    struct Line
    {
        QString text;       // the line as read, without its line end
        QString section;    // for a section header: its trimmed name
        QString key;        // for a key line: its trimmed name
        QByteArray lineEnd; // "\r\n", "\n", "\r" or empty for a last line without one
        LineKind kind = LineKind::Other;
    };
    int findSection(const QString &section) const;
    int findKey(const QString &section, const QString &key) const;
    // Inserts `line` at `index`, first giving the line before it a line end if it has none.
    void insertLine(qsizetype index, Line line);

    QString m_path;
    QList<Line> m_lines;
    bool m_utf8Bom = false; // the file started with a UTF-8 byte order mark, written back as it was
};
