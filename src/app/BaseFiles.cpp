#include "BaseFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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
    // A file the user marked read-only is not replaced behind their back (the rename of a temporary
    // file would otherwise succeed, even for root).
    const QFileInfo info(path);
    if (info.exists() && !(info.permissions() & QFileDevice::WriteOwner)) {
        if (error)
            *error = QStringLiteral("файл доступен только для чтения");
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (file.write(content) != content.size()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace BaseFiles
