#include "SingleInstance.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLockFile>

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
SingleInstance::SingleInstance(const QString &lockFilePath) : m_lock(std::make_unique<QLockFile>(lockFilePath))
{
    m_lock->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::tryLock()
{
    m_lockFileFailed = false;
    if (m_lock->isLocked())
        return true;
    if (m_lock->tryLock(0))
        return true;
    if (m_lock->error() != QLockFile::LockFailedError) {
        // Not another copy: the file could not be made or written (no rights, a full disk).
        m_lockFileFailed = true;
        return false;
    }

    // A readable lock that QLockFile did not take over belongs to a running copy.
    if (m_lock->getLockInfo(nullptr, nullptr, nullptr))
        return false;
    const QFileInfo info(m_lock->fileName());
    const auto retry = [this] {
        if (m_lock->tryLock(0))
            return true;
        m_lockFileFailed = m_lock->error() != QLockFile::LockFailedError;
        return false;
    };
    if (!info.exists()) // released in the meantime
        return retry();
    if (info.lastModified().secsTo(QDateTime::currentDateTime()) < kUnreadableLockAgeSecs)
        return false;
    return m_lock->removeStaleLockFile() && retry();
}

bool SingleInstance::isLocked() const
{
    return m_lock->isLocked();
}

void SingleInstance::unlock()
{
    m_lock->unlock();
}
