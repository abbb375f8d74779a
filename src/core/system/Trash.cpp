#include "Trash.h"

#include "AtomicFile.h"
#include "FileCopy.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QUrl>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Trash {

namespace {

// Names tried for one file before giving up: "Rock.dat", "Rock.2.dat", ... "Rock.1000.dat".
constexpr int kMaxNames = 1000;

struct Place
{
    QString folder;       // the Trash: its "files" and "info" folders are inside
    QString recordedPath; // where the file came from, as the information file says
};

Result failed(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return Result::Failed;
}

bool noRights(int errnum)
{
    return errnum == EACCES || errnum == EPERM || errnum == EROFS;
}

// Makes the folder `path`, for the user alone, unless a folder is there (not a link to one). 0 or errno.
int makeFolder(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) == 0)
        return 0;
    if (errno != EEXIST)
        return errno;
    struct stat st = {};
    if (::lstat(native.constData(), &st) != 0)
        return errno;
    return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

// The device of `path`, or of the nearest folder above it that exists.
bool deviceOf(QString path, dev_t *device)
{
    struct stat st = {};
    while (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        const QString up = QFileInfo(path).absolutePath();
        if (up == path)
            return false;
        path = up;
    }
    *device = st.st_dev;
    return true;
}

Result findTrash(const QString &file, Place &place, QString *error)
{
    const QString absolute = QFileInfo(file).absoluteFilePath();
    struct stat st = {};
    if (::stat(QFile::encodeName(absolute).constData(), &st) != 0)
        return failed(error, systemErrorText(errno));

    // The user's own Trash, for files on its volume.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    dev_t device = 0;
    if (!data.isEmpty() && deviceOf(data, &device) && device == st.st_dev) {
        if (!QDir().mkpath(data))
            return failed(error, QStringLiteral("не удалось создать папку «%1»").arg(QDir::toNativeSeparators(data)));
        place.folder = data + QStringLiteral("/Trash");
        if (const int errnum = makeFolder(place.folder))
            return failed(error, systemErrorText(errnum));
        place.recordedPath = absolute;
        return Result::Done;
    }

    // The volume's: the shared .Trash with a folder per user when the administrator made one (a real
    // folder with the sticky bit), else the user's own .Trash-uid. Paths in it are relative to the volume.
    const QString top = QStorageInfo(absolute).rootPath();
    if (top.isEmpty())
        return Result::NoTrash;
    const QString uid = QString::number(::getuid());
    const QString topSlash = top.endsWith(QLatin1Char('/')) ? top : top + QLatin1Char('/');
    place.recordedPath = absolute.startsWith(topSlash) ? absolute.mid(topSlash.size()) : absolute;
    struct stat shared = {};
    if (::lstat(QFile::encodeName(topSlash + QStringLiteral(".Trash")).constData(), &shared) == 0 &&
        S_ISDIR(shared.st_mode) && (shared.st_mode & S_ISVTX)) {
        place.folder = topSlash + QStringLiteral(".Trash/") + uid;
        if (makeFolder(place.folder) == 0)
            return Result::Done;
    }
    place.folder = topSlash + QStringLiteral(".Trash-") + uid;
    const int errnum = makeFolder(place.folder);
    if (errnum != 0)
        return noRights(errnum) ? Result::NoTrash : failed(error, systemErrorText(errnum));
    struct stat own = {};
    if (::lstat(QFile::encodeName(place.folder).constData(), &own) != 0 || own.st_uid != ::getuid())
        return Result::NoTrash;
    return Result::Done;
}

// The n-th name tried for `name` in the Trash: "Rock.dat", then "Rock.2.dat", "Rock.3.dat", ...
QString trashName(const QString &name, int n)
{
    if (n == 1)
        return name;
    const QString number = QLatin1Char('.') + QString::number(n);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? QString(name.left(dot) + number + name.mid(dot)) : QString(name + number);
}

Result putInTrash(const QString &path, bool keepFile, QString *error)
{
    Place place;
    const Result found = findTrash(path, place, error);
    if (found != Result::Done)
        return found;
    for (const QString &folder :
         QStringList{place.folder + QStringLiteral("/files"), place.folder + QStringLiteral("/info")}) {
        if (const int errnum = makeFolder(folder))
            return failed(error, systemErrorText(errnum));
    }

    const QByteArray info = QByteArrayLiteral("[Trash Info]\nPath=") +
                            QUrl::toPercentEncoding(place.recordedPath, "/") + QByteArrayLiteral("\nDeletionDate=") +
                            QDateTime::currentDateTime().toString(Qt::ISODate).left(19).toUtf8() + '\n';
    const QString name = QFileInfo(path).fileName();
    for (int n = 1; n <= kMaxNames; ++n) {
        const QString candidate = trashName(name, n);
        const QString target = place.folder + QStringLiteral("/files/") + candidate;
        if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
            continue;
        // The information file claims the name: whoever made it first owns it.
        const QByteArray infoPath =
            QFile::encodeName(place.folder + QStringLiteral("/info/") + candidate + QStringLiteral(".trashinfo"));
        const int fd = ::open(infoPath.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return failed(error, systemErrorText(errno));
        }
        const bool written = writeAll(fd, info);
        int errnum = written ? 0 : errno;
        if (::close(fd) != 0 && written)
            errnum = errno;
        QString reason = errnum != 0 ? systemErrorText(errnum) : QString();
        if (reason.isEmpty()) {
            if (keepFile) {
                FileCopy::copy(path, target, {}, &reason);
            } else if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(target).constData()) != 0) {
                reason = systemErrorText(errno);
            }
        }
        if (!reason.isEmpty()) {
            ::unlink(infoPath.constData());
            return failed(error, reason);
        }
        return Result::Done;
    }
    return failed(error, systemErrorText(EEXIST));
}

} // namespace

Result moveFile(const QString &path, QString *error)
{
    return putInTrash(path, false, error);
}

Result keepCopy(const QString &path, QString *error)
{
    return putInTrash(path, true, error);
}

} // namespace Trash
