#pragma once

#include <QString>

#include <memory>

class QLockFile;

// Keeps two copies of the program from running on the same data at once: the first copy holds a lock
// file in the data folder until it ends; a second copy fails to take it. A lock left by a copy that
// crashed is recognised as stale and taken over.
//
// A full disk must not keep the user out of the catalogue: when there is no room for the lock file, the
// data folder itself is locked instead (flock, which needs no room). A copy holding the lock file also
// holds a shared lock on the folder, so either way a second copy is refused, also one that reaches the
// folder through a link.
class SingleInstance
{
public:
    // `lockFilePath`: the lock file, in the folder it guards.
    explicit SingleInstance(const QString &lockFilePath);
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // Takes the lock; false when another running copy holds it, or when it could not be taken at all
    // (then lockFileFailed() is true).
    bool tryLock();
    bool lockFileFailed() const { return m_lockFileFailed; }
    // The system's error number of the lock file that could not be made, or 0 when unknown.
    int lockFileError() const { return m_lockFileError; }
    // The lock is held on the folder alone: there was no room for the lock file (lockFileError() says
    // why), and nothing else will fit there either.
    bool withoutLockFile() const { return m_folderOnly; }
    bool isLocked() const;
    void unlock();

private:
    enum class FolderLock { Taken, HeldByOther, Unavailable };
    FolderLock lockFolder(bool exclusive);
    void releaseFolder();
    bool lockFileTaken();
    bool lockFileNotMade();

    std::unique_ptr<QLockFile> m_lock;
    QString m_folder;
    int m_folderFd = -1;
    bool m_folderOnly = false;
    bool m_lockFileFailed = false;
    int m_lockFileError = 0;
};
