#include "BaseFiles.h"

#include "platform/AtomicFile.h"

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
        result.error = file.errorString();
        return false;
    }
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.ok = false;
        result.error = file.errorString();
        return false;
    }
    return true;
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

    table.reserve(int(std::min<qsizetype>(bytes.count('\n') + 1, 50'000'000)));
    forEachLine(bytes, [&table](const QString &line) { table.AddTrack(TrackRecord::fromLine(line)); });

    QFile file(path);
    file.setPermissions(file.permissions() | QFileDevice::WriteOwner | QFileDevice::ReadOwner);
    return result;
}

QByteArray baseFileContent(TrackTable &table)
{
    QByteArray out;
    qsizetype estimate = 0;
    for (int i = 1; i <= table.upperBound(); ++i)
        estimate += table.at(i).joined().size() + 2;
    out.reserve(estimate);
    for (int i = 1; i <= table.upperBound(); ++i) {
        table.replaceTabsInFields(i);
        const TrackRecord &record = table.at(i);
        if (record.isEmpty(TrackRecord::MediaType))
            continue;
        Cp1251::encodeAppend(record.joined(), out);
        out += kLineEnd;
    }
    return out;
}

bool writeBase(const QString &path, TrackTable &table, QString *error)
{
    return writeFileAtomically(path, baseFileContent(table), error);
}

ReadResult readTracklist(const QString &path, int columns, QVector<FieldList> &rows)
{
    ReadResult result;
    QByteArray bytes;
    if (!readAll(path, bytes, result))
        return result;
    rows.clear();
    forEachLine(bytes, [&rows, columns](const QString &line) { rows.append(FieldList::fromJoined(line, columns)); });
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
