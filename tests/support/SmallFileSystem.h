#pragma once

// A small file system of its own (tmpfs), mounted over a temporary folder while the object lives, so a test
// can fill it to the brim and watch writes fail as they do on a full disk. Mounting needs root; where it
// cannot be done, skipReason() says why and the test skips.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <unistd.h>

namespace TestSupport {

class SmallFileSystem
{
public:
    explicit SmallFileSystem(const char *size = "size=64k") : m_mountPoint(QFile::encodeName(m_dir.path()))
    {
        if (::geteuid() != 0) {
            m_skipReason = QStringLiteral("mounting a small file system needs root");
        } else if (::mount("tmpfs", m_mountPoint.constData(), "tmpfs", 0, size) != 0) {
            m_skipReason = QStringLiteral("cannot mount a small file system here: %1")
                               .arg(QString::fromLocal8Bit(std::strerror(errno)));
        }
    }
    ~SmallFileSystem()
    {
        if (isMounted())
            ::umount2(m_mountPoint.constData(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem &) = delete;
    SmallFileSystem &operator=(const SmallFileSystem &) = delete;

    bool isMounted() const { return m_skipReason.isEmpty(); }
    const QString &skipReason() const { return m_skipReason; }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    // Takes up every free page with a file named "filler"; false when it could not be made.
    bool fill() const
    {
        QFile filler(filePath(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly))
            return false;
        const QByteArray page(4096, 'y');
        while (filler.write(page) == page.size() && filler.flush()) {
        }
        return true;
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_mountPoint;
    QString m_skipReason;
};

} // namespace TestSupport
