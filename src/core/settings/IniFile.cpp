#include "IniFile.h"

#include "core/system/AtomicFile.h"
#include "core/text/Cp1251.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Blanks are spaces and TABs only: a no-break space or other white space is part of the text.
QStringView trimmedBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QByteArray crLf()
{
    return QByteArrayLiteral("\r\n");
}

} // namespace

bool IniFile::load(QString *error)
{
    m_lines.clear();
    m_utf8Bom = false;
    QFile file(m_path);
    if (!file.exists())
        return true;
    const auto failed = [&](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    // Qt refuses a folder in its own English words.
    if (QFileInfo(m_path).isDir())
        return failed(systemErrorText(EISDIR));
    if (!file.open(QIODevice::ReadOnly))
        return failed(systemErrorText(file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return failed(systemErrorText(file.errorString()));
    parse(bytes);
    return true;
}

// Lines end at CR LF, LF or a lone CR; each line keeps its own line end so it is written back as it was.
// A line whose first non-blank character is ";" is a comment. One whose first non-blank character is "["
// is a section header when a "]" follows, the name being the text between "[" and the first "]"
// (anything after the "]" is ignored); without a "]" it is junk that matches nothing and does not start a
// section. Any other line with an "=" is a key line, unless its key name is empty. Key lines before the
// first section header belong to no section.
void IniFile::parse(const QByteArray &bytes)
{
    m_lines.clear();
    QByteArrayView rest(bytes);
    m_utf8Bom = rest.startsWith(QByteArrayView(kUtf8Bom));
    if (m_utf8Bom)
        rest = rest.sliced(3);

    const char *data = rest.data();
    const qsizetype size = rest.size();
    qsizetype start = 0;
    while (start < size) {
        qsizetype end = start;
        while (end < size && data[end] != '\r' && data[end] != '\n')
            ++end;
        Line line;
        line.text = Cp1251::decode(QByteArrayView(data + start, end - start));
        qsizetype next = end;
        if (end < size) {
            next = end + ((data[end] == '\r' && end + 1 < size && data[end + 1] == '\n') ? 2 : 1);
            line.lineEnd = QByteArray(data + end, next - end);
        }
        start = next;

        const QStringView trimmed = trimmedBlanks(line.text);
        if (trimmed.startsWith(u';')) {
            // A comment.
        } else if (trimmed.startsWith(u'[')) {
            const qsizetype close = trimmed.indexOf(u']');
            if (close > 0) {
                line.kind = LineKind::Section;
                line.section = trimmedBlanks(trimmed.sliced(1, close - 1)).toString();
            }
        } else {
            const qsizetype equals = line.text.indexOf(u'=');
            if (equals >= 0) {
                const QStringView key = trimmedBlanks(QStringView(line.text).first(equals));
                if (!key.isEmpty()) {
                    line.kind = LineKind::Key;
                    line.key = key.toString();
                }
            }
        }
        m_lines.append(std::move(line));
    }
}

// Only the first section of a name counts: keys under a later header of the same name are not seen, and
// a key new to the section is added to the first one.
int IniFile::findSection(const QString &section) const
{
    const QStringView name = trimmedBlanks(section);
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const Line &line = m_lines[i];
        if (line.kind == LineKind::Section && sameName(line.section, name))
            return int(i);
    }
    return -1;
}

int IniFile::findKey(const QString &section, const QString &key) const
{
    const int header = findSection(section);
    if (header < 0)
        return -1;
    const QStringView name = trimmedBlanks(key);
    if (name.isEmpty())
        return -1;
    for (qsizetype i = header + 1; i < m_lines.size(); ++i) {
        const Line &line = m_lines[i];
        if (line.kind == LineKind::Section)
            break;
        if (line.kind == LineKind::Key && sameName(line.key, name))
            return int(i);
    }
    return -1;
}

bool IniFile::contains(const QString &section, const QString &key) const
{
    return findKey(section, key) >= 0;
}

QString IniFile::value(const QString &section, const QString &key) const
{
    const int index = findKey(section, key);
    if (index < 0)
        return QString();
    const QString &text = m_lines[index].text;
    QStringView value = trimmedBlanks(QStringView(text).sliced(text.indexOf(u'=') + 1));
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return value.toString();
}

// The value is written as given, except that line breaks in it become spaces: the file has one key per
// line, and a break would make the rest of the value a line (or a section header) of its own.
void IniFile::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString keyName = trimmedBlanks(key).toString();
    if (keyName.isEmpty())
        return;
    QString text = value;
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));

    const int index = findKey(section, key);
    if (index >= 0) {
        // The line keeps its own spelling of the key, up to and including the "="; the new value replaces
        // everything after it.
        Line &line = m_lines[index];
        line.text = line.text.left(line.text.indexOf(u'=') + 1) + text;
        return;
    }

    Line keyLine;
    keyLine.text = keyName + QLatin1Char('=') + text;
    keyLine.key = keyName;
    keyLine.kind = LineKind::Key;
    keyLine.lineEnd = crLf();

    const int header = findSection(section);
    if (header >= 0) {
        // After the section's last key line, so blank lines and comments that lead into the next section
        // stay with it.
        qsizetype at = header + 1;
        for (qsizetype i = header + 1; i < m_lines.size() && m_lines[i].kind != LineKind::Section; ++i) {
            if (m_lines[i].kind == LineKind::Key)
                at = i + 1;
        }
        insertLine(at, std::move(keyLine));
        return;
    }

    Line headerLine;
    headerLine.section = trimmedBlanks(section).toString();
    headerLine.text = QLatin1Char('[') + headerLine.section + QLatin1Char(']');
    headerLine.kind = LineKind::Section;
    headerLine.lineEnd = crLf();
    insertLine(m_lines.size(), std::move(headerLine));
    insertLine(m_lines.size(), std::move(keyLine));
}

void IniFile::insertLine(qsizetype index, Line line)
{
    if (index > 0 && m_lines[index - 1].lineEnd.isEmpty())
        m_lines[index - 1].lineEnd = crLf();
    m_lines.insert(index, std::move(line));
}

QByteArray IniFile::serialize() const
{
    QByteArray out;
    qsizetype size = m_utf8Bom ? 3 : 0;
    for (const Line &line : m_lines)
        size += line.text.size() + line.lineEnd.size();
    out.reserve(size);
    if (m_utf8Bom)
        out += kUtf8Bom;
    for (const Line &line : m_lines) {
        Cp1251::encodeAppend(line.text, out);
        out += line.lineEnd;
    }
    return out;
}

bool IniFile::save(QString *error) const
{
    // On failure the old file is left as it was.
    return AtomicFile::writeFile(m_path, serialize(), error);
}
