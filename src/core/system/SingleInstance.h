#pragma once

#include <QString>

#include <memory>

class QLockFile;

// Keeps two copies of the program from running on the same data at once: the first copy holds a lock
// file in the data folder until it ends; a second copy fails to take it. A lock left by a copy that
// crashed is recognised as stale and taken over.
class SingleInstance
{
public:
    explicit SingleInstance(const QString &lockFilePath);
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // Takes the lock; false when another running copy holds it, or when the lock file could not be made
    // (then lockFileFailed() is true).
    bool tryLock();
    bool lockFileFailed() const { return m_lockFileFailed; }
    bool isLocked() const;
    void unlock();

private:
    std::unique_ptr<QLockFile> m_lock;
    bool m_lockFileFailed = false;
};
