#include "FaultShim.h"

#include <QDir>
#include <QFile>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct State
{
    std::mutex mutex;
    bool armed = false;
    std::string prefix; // the armed folder, ending in "/"
    int failAt = 0;
    FaultShim::Mode mode = FaultShim::Mode::Once;
    int count = 0;
    bool failed = false;
    std::vector<const char *> names;
    std::array<bool, 65536> tracked{}; // file descriptors opened below the folder
};

State &state()
{
    static State s;
    return s;
}

template <typename F> F real(const char *name)
{
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

bool below(const char *path)
{
    if (!path)
        return false;
    const std::string &prefix = state().prefix;
    const size_t n = prefix.size();
    // The folder itself counts too (a nameless file is opened on its folder).
    return std::strncmp(path, prefix.c_str(), n) == 0 ||
           (std::strlen(path) + 1 == n && std::strncmp(path, prefix.c_str(), n - 1) == 0);
}

bool trackedFd(int fd)
{
    return fd >= 0 && size_t(fd) < state().tracked.size() && state().tracked[size_t(fd)];
}

// Counts one operation when it concerns the armed folder; true (with errno set) when it must fail.
// `removal` marks operations that free room, which still work on a full disk.
bool fault(bool concerned, const char *name, bool removal = false)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.armed || !concerned)
        return false;
    ++s.count;
    if (s.names.size() < 100000)
        s.names.push_back(name);
    bool fail = false;
    if (s.failAt > 0) {
        if (s.mode == FaultShim::Mode::Once)
            fail = s.count == s.failAt;
        else
            fail = s.count >= s.failAt && !removal;
    }
    if (fail) {
        s.failed = true;
        errno = s.mode == FaultShim::Mode::Once ? EIO : ENOSPC;
    }
    return fail;
}

void track(int fd, bool on)
{
    if (fd >= 0 && size_t(fd) < state().tracked.size())
        state().tracked[size_t(fd)] = on;
}

bool concernsPath(const char *path)
{
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().armed && below(path);
}

bool concernsFd(int fd)
{
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().armed && trackedFd(fd);
}

mode_t modeArgument(int flags, va_list args)
{
    // The mode is passed only when a file may be created.
    if ((flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE)
        return mode_t(va_arg(args, int));
    return 0;
}

int openCommon(const char *symbol, int dirfd, const char *path, int flags, mode_t mode, bool at)
{
    const bool concerned = concernsPath(path);
    if (fault(concerned, "open"))
        return -1;
    int fd;
    if (at)
        fd = real<int (*)(int, const char *, int, ...)>(symbol)(dirfd, path, flags, mode);
    else
        fd = real<int (*)(const char *, int, ...)>(symbol)(path, flags, mode);
    if (concerned) {
        std::lock_guard<std::mutex> lock(state().mutex);
        track(fd, true);
    }
    return fd;
}

} // namespace

extern "C" {

int open(const char *path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArgument(flags, args);
    va_end(args);
    return openCommon("open", AT_FDCWD, path, flags, mode, false);
}

int open64(const char *path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArgument(flags, args);
    va_end(args);
    return openCommon("open64", AT_FDCWD, path, flags, mode, false);
}

int openat(int dirfd, const char *path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArgument(flags, args);
    va_end(args);
    return openCommon("openat", dirfd, path, flags, mode, true);
}

int openat64(int dirfd, const char *path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArgument(flags, args);
    va_end(args);
    return openCommon("openat64", dirfd, path, flags, mode, true);
}

ssize_t write(int fd, const void *buffer, size_t size)
{
    if (fault(concernsFd(fd), "write"))
        return -1;
    return real<ssize_t (*)(int, const void *, size_t)>("write")(fd, buffer, size);
}

int fsync(int fd)
{
    if (fault(concernsFd(fd), "fsync"))
        return -1;
    return real<int (*)(int)>("fsync")(fd);
}

int fdatasync(int fd)
{
    if (fault(concernsFd(fd), "fdatasync"))
        return -1;
    return real<int (*)(int)>("fdatasync")(fd);
}

int close(int fd)
{
    const bool concerned = concernsFd(fd);
    if (concerned) {
        std::lock_guard<std::mutex> lock(state().mutex);
        track(fd, false);
    }
    // A failed close still releases the descriptor, as the system's does.
    const bool fail = fault(concerned, "close");
    const int saved = errno;
    const int result = real<int (*)(int)>("close")(fd);
    if (fail) {
        errno = saved;
        return -1;
    }
    return result;
}

int linkat(int olddirfd, const char *oldpath, int newdirfd, const char *newpath, int flags)
{
    if (fault(concernsPath(newpath), "link"))
        return -1;
    return real<int (*)(int, const char *, int, const char *, int)>("linkat")(olddirfd, oldpath, newdirfd, newpath,
                                                                              flags);
}

int link(const char *oldpath, const char *newpath)
{
    if (fault(concernsPath(newpath), "link"))
        return -1;
    return real<int (*)(const char *, const char *)>("link")(oldpath, newpath);
}

int rename(const char *oldpath, const char *newpath)
{
    if (fault(concernsPath(oldpath) || concernsPath(newpath), "rename"))
        return -1;
    return real<int (*)(const char *, const char *)>("rename")(oldpath, newpath);
}

int renameat(int olddirfd, const char *oldpath, int newdirfd, const char *newpath)
{
    if (fault(concernsPath(oldpath) || concernsPath(newpath), "rename"))
        return -1;
    return real<int (*)(int, const char *, int, const char *)>("renameat")(olddirfd, oldpath, newdirfd, newpath);
}

int unlink(const char *path)
{
    if (fault(concernsPath(path), "unlink", true))
        return -1;
    return real<int (*)(const char *)>("unlink")(path);
}

} // extern "C"

namespace FaultShim {

void arm(const QString &folder, int failAt, Mode mode)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.prefix = QFile::encodeName(QDir(folder).canonicalPath()).toStdString() + "/";
    s.failAt = failAt;
    s.mode = mode;
    s.count = 0;
    s.failed = false;
    s.names.clear();
    s.tracked.fill(false);
    s.armed = true;
}

void disarm()
{
    std::lock_guard<std::mutex> lock(state().mutex);
    state().armed = false;
}

int operations()
{
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().count;
}

bool failed()
{
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().failed;
}

QString operationName(int n)
{
    std::lock_guard<std::mutex> lock(state().mutex);
    const auto &names = state().names;
    return n >= 1 && size_t(n) <= names.size() ? QString::fromLatin1(names[size_t(n - 1)]) : QString();
}

} // namespace FaultShim
