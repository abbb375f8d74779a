#include "BaseFiles.h"

#include "core/system/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace BaseFiles {

namespace {

const QByteArray kLineEnd = QByteArrayLiteral("\r\n");

bool readAll(const QString &path, QByteArray &bytes, ReadResult &result)
{
    QFile file(path);
    result.exists = QFileInfo(path).isFile();
    if (!result.exists)
        return false;
    if (!file.open(QIODevice::ReadOnly)) {
        result.ok = false;
        result.error = systemErrorText(file.errorString());
        return false;
    }
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.ok = false;
        result.error = systemErrorText(file.errorString());
        return false;
    }
    return true;
}

// Whether `bytes` are UTF-8 rather than the code page: a byte order mark, or text beyond ASCII whose
// first sequences are all valid UTF-8. Text in Windows-1251 fails at its first letter: a Cyrillic letter
// there is a byte of 0xC0 or more, and two of them in a row are never a UTF-8 sequence.
bool looksLikeUtf8(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return true;
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype size = bytes.size();
    int sequences = 0;
    for (qsizetype i = 0; i < size && sequences < 64;) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        const int length = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
        if (length == 0 || i + length > size)
            return false;
        for (int k = 1; k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
        }
        i += length;
        ++sequences;
    }
    return sequences > 0;
}

void noteLongLine(Losses &losses, int lineNumber)
{
    if (losses.longLines++ == 0)
        losses.firstLongLine = lineNumber;
}

} // namespace

QStringList listBases(const QString &dataPath)
{
    const QDir dir(dataPath);
    QStringList names;
    const QStringList files = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    for (const QString &file : files) {
        if (file.size() > 4 && file.endsWith(QLatin1String(".dat"), Qt::CaseInsensitive))
            names.append(file.chopped(4));
    }
    std::stable_sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

ReadResult readBase(const QString &path, TrackTable &table)
{
    ReadResult result;
    QByteArray bytes;
    if (!readAll(path, bytes, result))
        return result;
    result.losses = readBaseBytes(bytes, table);

    QFile file(path);
    file.setPermissions(file.permissions() | QFileDevice::WriteOwner | QFileDevice::ReadOwner);
    return result;
}

Losses readBaseBytes(const QByteArray &bytes, TrackTable &table)
{
    table.reserve(int(std::min<qsizetype>(bytes.count('\n') + 1, 50'000'000)));
    Losses losses;
    losses.otherEncoding = looksLikeUtf8(bytes);
    int lineNumber = 0;
    forEachLineBytes(bytes, [&](QByteArrayView bytesOfLine) {
        ++lineNumber;
        // A line of exactly fourteen fields is kept as it is; any other becomes a record first.
        bool longLine = false;
        if (!table.appendLine(bytesOfLine)) {
            TrackRecord record = TrackRecord::fromLine(Cp1251::decode(bytesOfLine), &longLine);
            table.AddTrack(record);
        }
        if (longLine)
            noteLongLine(losses, lineNumber);
        // A record without a media type is not written; only a line that is blank through and through
        // loses nothing.
        const bool typed = !bytesOfLine.isEmpty() && bytesOfLine.front() != '\t';
        if (!typed && std::any_of(bytesOfLine.begin(), bytesOfLine.end(), [](char c) { return c != '\t'; })) {
            if (losses.droppedLines++ == 0)
                losses.firstDroppedLine = lineNumber;
        }
    });
    table.squeeze();
    return losses;
}

QByteArray baseFileContent(TrackTable &table, const std::function<void(int)> &tabsReplaced)
{
    QByteArray out;
    qsizetype estimate = 0;
    for (int i = 1; i <= table.upperBound(); ++i) {
        const QByteArrayView line = table.line(i);
        estimate += (line.isEmpty() ? table.at(i).joined().size() : line.size()) + 2;
    }
    out.reserve(estimate);
    for (int i = 1; i <= table.upperBound(); ++i) {
        if (table.replaceTabsInFields(i) && tabsReplaced)
            tabsReplaced(i);
        // A track kept as its line is written as that line; the others are encoded from their record.
        const QByteArrayView line = table.line(i);
        if (!line.isEmpty()) {
            if (line.front() == '\t')
                continue;
            out.append(line);
        } else {
            const TrackRecord record = table.at(i);
            if (record.isEmpty(TrackRecord::MediaType))
                continue;
            Cp1251::encodeAppend(record.joined(), out);
        }
        out += kLineEnd;
    }
    return out;
}

bool writeBase(const QString &path, TrackTable &table, QString *error, const std::function<void(int)> &tabsReplaced)
{
    return writeFileAtomically(path, baseFileContent(table, tabsReplaced), error);
}

ReadResult readTracklist(const QString &path, int columns, QVector<FieldList> &rows)
{
    ReadResult result;
    QByteArray bytes;
    if (!readAll(path, bytes, result))
        return result;
    rows.clear();
    result.losses.otherEncoding = looksLikeUtf8(bytes);
    int lineNumber = 0;
    forEachLine(bytes, [&](const QString &line) {
        ++lineNumber;
        bool longLine = false;
        rows.append(FieldList::fromJoined(line, columns, &longLine));
        if (longLine)
            noteLongLine(result.losses, lineNumber);
    });
    return result;
}

bool writeTracklist(const QString &path, const QVector<FieldList> &rows, int columns, QString *error)
{
    QByteArray out;
    for (const FieldList &row : rows) {
        for (int c = 0; c < columns; ++c) {
            if (c > 0)
                out += '\t';
            Cp1251::encodeAppend(row.at(c), out);
        }
        out += kLineEnd;
    }
    return writeFileAtomically(path, out, error);
}

bool writeFileAtomically(const QString &path, const QByteArray &content, QString *error)
{
    return AtomicFile::writeFile(path, content, error);
}

QString baseNameError(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("Имя базы не может быть пустым.");
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return QStringLiteral("Имя базы не может содержать управляющие символы.");
        if (QStringView(u"\\/:*?\"<>|").contains(c))
            return QStringLiteral("Имя базы не может содержать символ «%1».").arg(c);
    }
    if (name.contains(QLatin1String("..")))
        return QStringLiteral("Имя базы не может содержать две точки подряд.");

    // Device names are reserved whatever follows their first dot ("con.old" too).
    const QString stem = name.section(QLatin1Char('.'), 0, 0).trimmed().toUpper();
    static const QStringList devices = [] {
        QStringList list{QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"), QStringLiteral("NUL")};
        for (int n = 1; n <= 9; ++n) {
            list.append(QStringLiteral("COM%1").arg(n));
            list.append(QStringLiteral("LPT%1").arg(n));
        }
        return list;
    }();
    if (devices.contains(stem))
        return QStringLiteral("Имя «%1» зарезервировано системой для устройства.")
            .arg(name.section(QLatin1Char('.'), 0, 0));

    // The longest file made from the name is its safety copy: name + ".dat$". File names hold 255 bytes.
    if ((name + QStringLiteral(".dat$")).toUtf8().size() > 255)
        return QStringLiteral("Имя базы слишком длинное.");
    return QString();
}

} // namespace BaseFiles
