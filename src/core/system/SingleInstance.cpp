#include "SingleInstance.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// A lock file whose content cannot be read (a copy that crashed between creating the file and writing
// its process ID into it) is taken over once it is this old; younger, it may belong to a copy that is
// starting this very moment.
constexpr qint64 kUnreadableLockAgeSecs = 10;

} // namespace

// The lock is held for the whole run, so it must never go stale by age: with a stale time of 0, QLockFile
// counts a lock as stale only when the process ID written in it is no longer running on this machine
// (or now runs another program, or the machine has restarted since). A lock written on another machine
// (data on a shared drive) is never taken over. On Linux the lock file is also held with flock(), so a
// lock file is never removed while its owner is alive.
SingleInstance::SingleInstance(const QString &lockFilePath)
    : m_lock(std::make_unique<QLockFile>(lockFilePath)), m_folder(QFileInfo(lockFilePath).absolutePath())
{
    m_lock->setStaleLockTime(0);
}

SingleInstance::~SingleInstance()
{
    releaseFolder();
}

// flock() on the folder: shared beside a lock file, exclusive in its place.
SingleInstance::FolderLock SingleInstance::lockFolder(bool exclusive)
{
    releaseFolder();
    m_folderFd = ::open(QFile::encodeName(m_folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folderFd < 0)
        return FolderLock::Unavailable;
    if (::flock(m_folderFd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0)
        return FolderLock::Taken;
    const FolderLock result = errno == EWOULDBLOCK ? FolderLock::HeldByOther : FolderLock::Unavailable;
    releaseFolder();
    return result;
}

void SingleInstance::releaseFolder()
{
    if (m_folderFd >= 0)
        ::close(m_folderFd); // releases the flock
    m_folderFd = -1;
    m_folderOnly = false;
}

// The lock file is ours; the folder must not be held by a copy that had no room for a lock file. Where the
// folder cannot be locked at all (a file system without flock), the lock file alone keeps copies apart.
bool SingleInstance::lockFileTaken()
{
    if (lockFolder(false) != FolderLock::HeldByOther)
        return true;
    m_lock->unlock();
    return false;
}

// The lock file could not be made, for the reason in errno: not another copy (no rights, a full disk).
// QLockFile returns straight after the failing call, so errno still tells which.
bool SingleInstance::lockFileNotMade()
{
    m_lockFileError = errno;
    if (m_lockFileError != ENOSPC && m_lockFileError != EDQUOT) {
        m_lockFileFailed = true;
        return false;
    }
    // No room: the folder alone is locked, which needs none.
    switch (lockFolder(true)) {
    case FolderLock::Taken:
        m_folderOnly = true;
        return true;
    case FolderLock::HeldByOther:
        return false;
    case FolderLock::Unavailable:
        break;
    }
    m_lockFileFailed = true;
    return false;
}

bool SingleInstance::tryLock()
{
    m_lockFileFailed = false;
    m_lockFileError = 0;
    if (isLocked())
        return true;
    errno = 0;
    if (m_lock->tryLock(0))
        return lockFileTaken();
    if (m_lock->error() != QLockFile::LockFailedError)
        return lockFileNotMade();

    // A readable lock that QLockFile did not take over belongs to a running copy.
    if (m_lock->getLockInfo(nullptr, nullptr, nullptr))
        return false;
    const QFileInfo info(m_lock->fileName());
    const auto retry = [this] {
        errno = 0;
        if (m_lock->tryLock(0))
            return lockFileTaken();
        return m_lock->error() != QLockFile::LockFailedError && lockFileNotMade();
    };
    if (!info.exists()) // released in the meantime
        return retry();
    if (info.lastModified().secsTo(QDateTime::currentDateTime()) < kUnreadableLockAgeSecs)
        return false;
    return m_lock->removeStaleLockFile() && retry();
}

bool SingleInstance::isLocked() const
{
    return m_lock->isLocked() || m_folderOnly;
}

void SingleInstance::unlock()
{
    m_lock->unlock();
    releaseFolder();
}
