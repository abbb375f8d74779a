#include "BaseFiles.h"

#include "core/system/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>

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

// How many multi-byte UTF-8 sequences `size` bytes at `p` hold, counting on from `sequences` and
// stopping at 64: enough to tell. -1 at the first byte that UTF-8 cannot hold there. Text in Windows-1251
// fails at its first letter: a Cyrillic letter there is a byte of 0xC0 or more, and two of them in a row
// are never a UTF-8 sequence.
constexpr int kEnoughSequences = 64;

int countUtf8Sequences(const char *bytes, qsizetype size, int sequences)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes);
    for (qsizetype i = 0; i < size && sequences >= 0 && sequences < kEnoughSequences;) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        const int length = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
        if (length == 0 || i + length > size)
            return -1;
        for (int k = 1; k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return -1;
        }
        i += length;
        ++sequences;
    }
    return sequences;
}

const QByteArray kByteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");

// Whether `bytes` are UTF-8 rather than the code page: a byte order mark, or text beyond ASCII whose
// first sequences are all valid UTF-8.
bool looksLikeUtf8(const QByteArray &bytes)
{
    return bytes.startsWith(kByteOrderMark) || countUtf8Sequences(bytes.constData(), bytes.size(), 0) > 0;
}

// Line `lineNumber` of a base file becomes the next track of `table`; what the next save will not keep
// of it is counted in `losses`.
void takeBaseLine(QByteArrayView line, int lineNumber, TrackTable &table, Losses &losses);

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
    BaseReader reader(path);
    while (reader.readPiece(table, std::numeric_limits<int>::max())) {
    }
    table.squeeze();
    return reader.result();
}

Losses readBaseBytes(const QByteArray &bytes, TrackTable &table)
{
    table.reserve(int(std::min<qsizetype>(bytes.count('\n') + 1, 50'000'000)));
    Losses losses;
    losses.otherEncoding = looksLikeUtf8(bytes);
    int lineNumber = 0;
    forEachLineBytes(bytes, [&](QByteArrayView line) { takeBaseLine(line, ++lineNumber, table, losses); });
    table.squeeze();
    return losses;
}

namespace {

void takeBaseLine(QByteArrayView line, int lineNumber, TrackTable &table, Losses &losses)
{
    // A line of exactly fourteen fields is kept as it is; any other becomes a record first.
    bool longLine = false;
    if (!table.appendLine(line))
        table.AddTrack(TrackRecord::fromLine(Cp1251::decode(line), &longLine));
    if (longLine)
        noteLongLine(losses, lineNumber);
    // A record without a media type is not written; only a line that is blank through and through
    // loses nothing.
    const bool typed = !line.isEmpty() && line.front() != '\t';
    if (!typed && std::any_of(line.begin(), line.end(), [](char c) { return c != '\t'; })) {
        if (losses.droppedLines++ == 0)
            losses.firstDroppedLine = lineNumber;
    }
}

} // namespace

BaseReader::BaseReader(const QString &path, qint64 chunkBytes)
    : m_file(path), m_chunkBytes(std::max<qint64>(chunkBytes, 1))
{
    m_result.exists = QFileInfo(path).isFile();
    if (!m_result.exists) {
        m_atEnd = true;
        return;
    }
    if (!m_file.open(QIODevice::ReadOnly)) {
        m_result.ok = false;
        m_result.error = systemErrorText(m_file.errorString());
        m_atEnd = true;
        return;
    }
    m_fileSize = m_file.size();
}

bool BaseReader::fill()
{
    if (m_eof)
        return false;
    m_buffer.remove(0, m_pos);
    m_pos = 0;
    const qsizetype kept = m_buffer.size();
    m_buffer.resize(kept + qsizetype(m_chunkBytes));
    const qint64 got = m_file.read(m_buffer.data() + kept, m_chunkBytes);
    if (got < 0) {
        m_buffer.resize(kept);
        m_result.ok = false;
        m_result.error = systemErrorText(m_file.errorString());
        m_eof = true;
        return false;
    }
    m_buffer.resize(kept + qsizetype(got));
    if (got == 0)
        m_eof = true;
    return got > 0;
}

bool BaseReader::readPiece(TrackTable &piece, int maxTracks)
{
    for (int taken = 0; taken < maxTracks && !m_atEnd;) {
        // The next line ends at CR, LF or CR LF; a CR at the end of what is read waits for the next
        // chunk, which may begin with its LF.
        const char *data = m_buffer.constData();
        const qsizetype size = m_buffer.size();
        qsizetype end = m_pos;
        while (end < size && data[end] != '\r' && data[end] != '\n')
            ++end;
        if ((end == size || (data[end] == '\r' && end + 1 == size)) && !m_eof) {
            fill();
            continue;
        }
        if (!m_result.ok)
            break;
        if (m_pos == size) { // the end of the file
            finish();
            break;
        }
        if (m_lineNumber == 0 && m_buffer.startsWith(kByteOrderMark))
            m_utf8Sequences = kEnoughSequences;
        if (m_utf8Sequences >= 0 && m_utf8Sequences < kEnoughSequences)
            m_utf8Sequences = countUtf8Sequences(data + m_pos, end - m_pos, m_utf8Sequences);
        takeBaseLine(QByteArrayView(data + m_pos, end - m_pos), ++m_lineNumber, piece, m_result.losses);
        ++taken;
        if (end < size && data[end] == '\r' && end + 1 < size && data[end + 1] == '\n')
            ++end;
        m_consumed += std::min(end + 1, size) - m_pos;
        m_pos = std::min(end + 1, size);
    }
    if (!m_result.ok)
        m_atEnd = true;
    return !m_atEnd;
}

void BaseReader::finish()
{
    m_atEnd = true;
    m_result.losses.otherEncoding = m_utf8Sequences > 0;
    m_file.close();
    m_buffer = QByteArray();
    m_file.setPermissions(m_file.permissions() | QFileDevice::WriteOwner | QFileDevice::ReadOwner);
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
