#include "BackupLayout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

namespace BackupLayout {

namespace {

const QChar kSlash = QLatin1Char('/');

bool isDigits(const QString &text, int count)
{
    if (text.size() != count)
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

// The block device behind `device` (/dev/sdb1) is removable media, as the kernel sees it. A partition has
// no flag of its own: its disk's counts.
bool removableDevice(const QString &device)
{
    if (!device.startsWith(QStringLiteral("/dev/")))
        return false;
    const QString block = QStringLiteral("/sys/class/block/") + QFileInfo(device).fileName();
    for (const QString &flag :
         QStringList{block + QStringLiteral("/removable"), block + QStringLiteral("/../removable")}) {
        QFile file(flag);
        if (file.open(QIODevice::ReadOnly))
            return file.read(1) == "1";
    }
    return false;
}

} // namespace

QString normaliseLocation(const QString &text, const QString &home)
{
    if (text.trimmed().isEmpty())
        return QString();
    QString location = text;
    if (location == QLatin1String("~"))
        location = home;
    else if (location.startsWith(QStringLiteral("~/")))
        location = home + location.mid(1);
    else if (QDir::isRelativePath(location))
        location = home + kSlash + location;
    if (!location.endsWith(kSlash))
        location += kSlash;
    return location;
}

Interval defaultInterval(const QDate &today)
{
    return {QDate(today.year(), today.month(), 1), today};
}

QString datedBackupPath(const QString &location, const QDate &day)
{
    return location + day.toString(QStringLiteral("yyyy")) + kSlash + day.toString(QStringLiteral("MM-dd")) +
           QStringLiteral(".dat");
}

bool isYearFolderName(const QString &name)
{
    if (!name.startsWith(QStringLiteral("20")))
        return false;
    return std::none_of(name.begin(), name.end(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

QStringList yearFolders(const QString &location)
{
    QStringList folders;
    // Neither a link to a folder nor a hidden one is a year folder of this medium; a read-only one is.
    const QStringList names = QDir(location).entryList(
        {QStringLiteral("20*")}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name | QDir::IgnoreCase);
    for (const QString &name : names) {
        if (folders.size() == kMaxYearFolders)
            break;
        if (!isYearFolderName(name))
            continue;
        folders.append(location + name);
    }
    return folders;
}

QStringList backupFiles(const QString &yearFolder)
{
    return QDir(yearFolder).entryList({QStringLiteral("*-*.dat")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
}

QString entryText(const QString &yearFolder, const QString &fileName)
{
    return fileName.mid(3, 2) + QLatin1Char('.') + fileName.left(2) + QLatin1Char('.') + yearFolder.right(4);
}

Listing list(const QString &location)
{
    Listing listing;
    listing.yearFolders = yearFolders(location);
    for (const QString &folder : std::as_const(listing.yearFolders)) {
        for (const QString &file : backupFiles(folder))
            listing.entries.append(entryText(folder, file));
    }
    return listing;
}

Source sourceOf(const QString &location, const QString &entry)
{
    // The entry's first three parts between dots are day, month and year, whatever follows.
    const QStringList parts = entry.split(QLatin1Char('.'));
    const QString day = parts.value(0), month = parts.value(1), year = parts.value(2);
    Source source;
    source.path = location + year + kSlash + month + QLatin1Char('-') + day + QStringLiteral(".dat");
    source.valid = parts.size() == 3 && isDigits(day, 2) && isDigits(month, 2) && isDigits(year, 4);
    return source;
}

QString resolveSource(const Source &source)
{
    if (!source.valid)
        return QString();
    const QFileInfo exact(source.path);
    if (exact.exists())
        return source.path;
    const QDir folder = exact.dir();
    const QStringList names = folder.entryList({exact.fileName()}, QDir::Files, QDir::Name);
    return names.size() == 1 ? folder.filePath(names.first()) : source.path;
}

QVector<Volume> mountedVolumes()
{
    QVector<Volume> volumes;
    for (const QStorageInfo &storage : QStorageInfo::mountedVolumes()) {
        Volume volume;
        volume.rootPath = storage.rootPath();
        volume.ready = storage.isValid() && storage.isReady();
        // Desktop systems mount media the user plugs in under /media or /run/media.
        volume.removable = volume.rootPath.startsWith(QStringLiteral("/media/")) ||
                           volume.rootPath.startsWith(QStringLiteral("/run/media/")) ||
                           removableDevice(QString::fromLocal8Bit(storage.device()));
        volumes.append(volume);
    }
    return volumes;
}

QString defaultLocation(const QVector<Volume> &volumes, const QString &home)
{
    for (const Volume &volume : volumes) {
        if (volume.removable && volume.ready && volume.rootPath != QLatin1String("/"))
            return volume.rootPath.endsWith(kSlash) ? volume.rootPath : volume.rootPath + kSlash;
    }
    return home + QStringLiteral("/Резервные копии Cratebook/");
}

} // namespace BackupLayout
