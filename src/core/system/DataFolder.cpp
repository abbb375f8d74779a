#include "DataFolder.h"

#include "AtomicFile.h"
#include "FileCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace DataFolder {

namespace {

const QString kData = QStringLiteral("DATA");
const QString kSettings = QStringLiteral("settings.ini");

Probe failed(int errnum)
{
    const bool notPermitted = errnum == EACCES || errnum == EPERM || errnum == EROFS;
    return {notPermitted ? Access::NotPermitted : Access::Failed, systemErrorText(errnum)};
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Copies one file; on failure says which, and why, in `error`.
bool copyFile(const QString &from, const QString &to, QString *error)
{
    QString reason;
    if (FileCopy::copy(from, to, {}, &reason))
        return true;
    *error = QStringLiteral("не удалось скопировать файл «%1»: %2").arg(native(from), reason);
    return false;
}

// Copies the files of `from` (not its subfolders, nor hidden files such as locks) into the new folder `to`.
bool copyFolder(const QString &from, const QString &to, QString *error)
{
    if (!QDir().mkpath(to)) {
        *error = QStringLiteral("не удалось создать папку «%1»").arg(native(to));
        return false;
    }
    const QFileInfoList files = QDir(from).entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo &file : files) {
        if (!copyFile(file.absoluteFilePath(), to + QLatin1Char('/') + file.fileName(), error))
            return false;
    }
    return true;
}

} // namespace

Probe probe(const QString &folder)
{
    const QByteArray name = QFile::encodeName(folder + QStringLiteral("/.cratebook-write-test-") +
                                              QString::number(QRandomGenerator::global()->generate64(), 36));
    const int fd = ::open(name.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0)
        return failed(errno);
    // A byte written and synced: on a full disk making an empty file may still work.
    int errnum = 0;
    if (::write(fd, "x", 1) != 1)
        errnum = errno ? errno : ENOSPC;
    else if (::fsync(fd) != 0)
        errnum = errno;
    if (::close(fd) != 0 && errnum == 0)
        errnum = errno;
    ::unlink(name.constData());
    return errnum == 0 ? Probe{} : failed(errnum);
}

Choice choose(const QString &programFolder, const QString &userFolder, bool installed)
{
    // A copy of the program in a folder of its own keeps its data beside it. A folder that fails for a
    // passing reason (a full disk) is not a reason to move: the data are there, and what cannot be
    // written is reported when it is written.
    if (!installed) {
        const Probe program = probe(programFolder);
        if (program.access == Access::Writable)
            return {programFolder, false, false, QString(), QString()};
        if (program.access == Access::Failed)
            return {programFolder, false, false, QString(), program.reason};
    }

    Choice choice{userFolder, true, false, QString(), QString()};
    const QString userData = userFolder + QLatin1Char('/') + kData;
    // The DATA folder is made last, so its presence says the data were brought over completely.
    if (QFileInfo(userData).isDir())
        return choice;
    const QString programData = programFolder + QLatin1Char('/') + kData;
    const QString programSettings = programFolder + QLatin1Char('/') + kSettings;
    const bool hasData = QFileInfo(programData).isDir() && !QDir(programData).isEmpty(QDir::Files);
    const bool hasSettings = QFileInfo(programSettings).isFile();
    if (!hasData && !hasSettings)
        return choice; // nothing to bring over: the folders are made as they are needed

    QString error;
    const QString staging = userData + QStringLiteral(".copying");
    QDir(staging).removeRecursively();
    bool ok = QDir().mkpath(userFolder);
    if (!ok)
        error = QStringLiteral("не удалось создать папку «%1»").arg(native(userFolder));
    if (ok && hasData)
        ok = copyFolder(programData, staging, &error);
    else if (ok)
        ok = QDir().mkpath(staging);
    const QString userSettings = userFolder + QLatin1Char('/') + kSettings;
    if (ok && hasSettings && !QFileInfo::exists(userSettings))
        ok = copyFile(programSettings, userSettings, &error);
    if (ok && !QDir().rename(staging, userData)) {
        ok = false;
        error = QStringLiteral("не удалось переименовать папку «%1»").arg(native(staging));
    }
    if (!ok) {
        QDir(staging).removeRecursively();
        choice.error = error;
        return choice;
    }
    choice.copied = true;
    return choice;
}

} // namespace DataFolder
