#include "AtomicFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A name for the new file beside the target while it is being put in place: hidden, and never taken
// for a base ("Rock.dat" gives ".Rock.dat.k3Xq9Z.tmp").
QByteArray temporaryName(const QString &target)
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray suffix(6, '0');
    for (char &c : suffix)
        c = kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
    const QFileInfo info(target);
    return QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName() + QLatin1Char('.')) + suffix +
           QByteArrayLiteral(".tmp");
}

// Makes the rename of a file in `folder` last through a power cut. The new file itself is synced already,
// so a failure here changes nothing the user could act on and is not reported.
void syncFolder(const QByteArray &folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

bool namelessFilesAllowed = true;

// A nameless file is given its name through /proc: without it, a named temporary file is used.
bool canNameNamelessFiles()
{
    static const bool available = ::access("/proc/self/fd", F_OK) == 0;
    return available;
}

} // namespace

AtomicFile::AtomicFile(const QString &path, Links links) : m_links(links)
{
    // Writing through a link replaces the file it points to, not the link, unless the link is replaced.
    const QFileInfo info(path);
    m_path = info.isSymLink() && links == Links::Follow ? info.symLinkTarget() : info.absoluteFilePath();
    m_native = QFile::encodeName(m_path);
}

AtomicFile::~AtomicFile()
{
    discard();
}

bool AtomicFile::fail(int errnum)
{
    return fail(systemErrorText(errnum));
}

bool AtomicFile::fail(const QString &reason)
{
    m_error = reason;
    discard();
    return false;
}

void AtomicFile::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_tempName.isEmpty()) {
        ::unlink(m_tempName.constData());
        m_tempName.clear();
    }
}

bool AtomicFile::open()
{
    discard();
    m_error.clear();
    const QFileInfo target(m_path);
    const QString folder = target.absolutePath();

    struct stat old = {};
    // A link that is replaced stands for no file: what it points to has no say in the new one.
    const bool exists = m_links == Links::Follow ? ::stat(m_native.constData(), &old) == 0
                                                 : ::lstat(m_native.constData(), &old) == 0 && !S_ISLNK(old.st_mode);
    if (exists && S_ISDIR(old.st_mode))
        return fail(QStringLiteral("на месте файла находится папка"));
    // A file the user made read-only stays as it is; renaming over it would succeed, even for root.
    if (exists && !(old.st_mode & S_IWUSR))
        return fail(QStringLiteral("файл доступен только для чтения"));
    if (!QFileInfo(folder).isDir())
        return fail(QStringLiteral("папка «%1» не существует").arg(QDir::toNativeSeparators(folder)));

    const mode_t mode = exists ? (old.st_mode & 07777) : 0666;
    const QByteArray nativeFolder = QFile::encodeName(folder);
    m_named = false;
#ifdef O_TMPFILE
    if (namelessFilesAllowed && canNameNamelessFiles()) {
        m_fd = ::open(nativeFolder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (m_fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return fail(errno);
    }
#endif
    if (m_fd < 0) {
        // No nameless files on this file system: a named one, removed again on failure.
        m_named = true;
        for (int attempt = 0; m_fd < 0 && attempt < 100; ++attempt) {
            m_tempName = temporaryName(m_path);
            m_fd = ::open(m_tempName.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, mode);
            if (m_fd < 0) {
                const int errnum = errno;
                m_tempName.clear();
                if (errnum != EEXIST)
                    return fail(errnum);
            }
        }
        if (m_fd < 0)
            return fail(EEXIST);
    }
    // The new file keeps the old one's permissions (the mask of new files may have narrowed them).
    if (exists)
        ::fchmod(m_fd, mode);
    return true;
}

bool AtomicFile::write(QByteArrayView bytes)
{
    if (m_fd < 0)
        return false;
    return writeAll(m_fd, bytes) || fail(errno);
}

bool AtomicFile::commit()
{
    if (m_fd < 0)
        return false;
    // Everything must be on the disk before the new file takes the old one's place.
    // fdatasync: the content and its size; the rest of the file's metadata need not wait for the disk.
    if (::fdatasync(m_fd) != 0)
        return fail(errno);

    if (!m_named) {
        const QByteArray self = QByteArrayLiteral("/proc/self/fd/") + QByteArray::number(m_fd);
        for (int attempt = 0; m_tempName.isEmpty(); ++attempt) {
            const QByteArray name = temporaryName(m_path);
            if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0)
                m_tempName = name;
            else if (errno != EEXIST || attempt >= 100)
                return fail(errno);
        }
    }

    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return fail(errno);
    if (::rename(m_tempName.constData(), m_native.constData()) != 0)
        return fail(errno);
    m_tempName.clear();
    syncFolder(QFile::encodeName(QFileInfo(m_path).absolutePath()));
    return true;
}

void AtomicFile::cancel()
{
    discard();
}

bool writeAll(int fd, QByteArrayView bytes, qsizetype *written)
{
    qsizetype done = 0;
    const auto finish = [&](bool ok) {
        if (written)
            *written = done;
        return ok;
    };
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return finish(false);
        }
        done += n;
    }
    return finish(true);
}

bool AtomicFile::writeFile(const QString &path, QByteArrayView content, QString *error)
{
    AtomicFile file(path);
    if (file.open() && file.write(content) && file.commit())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

void AtomicFile::setNamelessFilesAllowed(bool allowed)
{
    namelessFilesAllowed = allowed;
}

namespace {

struct KnownError
{
    int errnum;
    const char *text; // UTF-8
};

// Every cause a file operation of the program can meet, in the user's words. Anything else the system
// might say is still told in Russian, by its number (systemErrorText()).
const KnownError kKnownErrors[] = {
    {ENOSPC, "на диске нет свободного места"},
    {EDQUOT, "превышена квота на диске"},
    {EACCES, "нет прав на запись в эту папку или этот файл"},
    {EPERM, "операция не разрешена"},
    {EROFS, "диск доступен только для чтения"},
    {ENOENT, "файл или папка не найдены"},
    {ENOTDIR, "часть пути не является папкой"},
    {EISDIR, "на месте файла находится папка"},
    {EIO, "ошибка ввода-вывода: диск неисправен или отключён"},
    {ENAMETOOLONG, "слишком длинное имя файла"},
    {EFBIG, "файл слишком большой"},
    {EOVERFLOW, "файл слишком большой"},
    {EMFILE, "открыто слишком много файлов"},
    {ENFILE, "открыто слишком много файлов"},
    {EBUSY, "файл занят другой программой"},
    {ETXTBSY, "файл занят другой программой"},
    {ELOOP, "слишком много символических ссылок в пути"},
    {EEXIST, "файл уже существует"},
    {ENOTEMPTY, "папка не пуста"},
    {ENODEV, "устройство не найдено"},
    {ENXIO, "устройство не найдено"},
    {ENOMEDIUM, "в устройстве нет носителя"},
    {EMEDIUMTYPE, "носитель не подходит для этого устройства"},
    {EXDEV, "файл нельзя перенести на другой диск, только скопировать"},
    {EMLINK, "в папке слишком много ссылок"},
    {EAGAIN, "ресурс временно недоступен, попробуйте ещё раз"},
    {EINTR, "операция прервана"},
    {ENOMEM, "не хватает памяти"},
    {EINVAL, "недопустимый аргумент: файловая система не поддерживает эту операцию или это имя"},
    {EILSEQ, "недопустимые символы в имени файла"},
    {EBADF, "файл не открыт для этой операции"},
    {EFAULT, "ошибка в адресе данных программы"},
    {ESPIPE, "это не обычный файл, а канал или устройство"},
    {ENOTSUP, "файловая система не поддерживает эту операцию"},
    {ENOSYS, "система не поддерживает эту операцию"},
    {ENOLCK, "не удалось заблокировать файл: нет свободных блокировок"},
    {ESTALE, "файл на сетевом диске больше недоступен"},
    {ETIMEDOUT, "истекло время ожидания: сетевой диск не отвечает"},
    {EHOSTDOWN, "сетевой диск недоступен"},
    {EHOSTUNREACH, "сетевой диск недоступен"},
    {ENETDOWN, "сеть недоступна"},
    {ENETUNREACH, "сеть недоступна"},
    {ENOTCONN, "сетевой диск отключён"},
    {ECONNREFUSED, "сетевой диск отказал в соединении"},
    {ECONNRESET, "соединение с сетевым диском разорвано"},
    {ECONNABORTED, "соединение с сетевым диском разорвано"},
    {ENOLINK, "соединение с сетевым диском разорвано"},
    {ECOMM, "ошибка связи с сетевым диском"},
    {EREMOTEIO, "ошибка ввода-вывода на сетевом диске"},
    {EUCLEAN, "файловая система повреждена"},
    {EBADMSG, "данные на диске повреждены"},
    {ENODATA, "данные недоступны"},
    {ENOKEY, "папка зашифрована, а ключ недоступен"},
    {EKEYEXPIRED, "папка зашифрована, а срок действия ключа истёк"},
    {EKEYREVOKED, "папка зашифрована, а ключ отозван"},
    {EKEYREJECTED, "папка зашифрована, а ключ отвергнут"},
    {ECANCELED, "операция отменена"},
    {E2BIG, "слишком длинный список аргументов"},
    {ENOTBLK, "нужно блочное устройство"},
    {ENOTTY, "устройство не поддерживает эту операцию"},
    {EDEADLK, "файл заблокирован: возможна взаимная блокировка"},
    {EPIPE, "канал закрыт"},
    {ENOBUFS, "не хватает памяти для буферов системы"},
    {ENOTUNIQ, "имя в сети не единственное"},
    {ESHUTDOWN, "соединение закрыто"},
};

// Most errno values fit below this; a few reach up to it (EHWPOISON is 133 on Linux).
constexpr int kLastErrno = 134;

// The ways the system and Qt word `errnum`: the C library's text in the C locale and in the current one,
// and Qt's own (translated) text for the few causes Qt words itself.
QStringList systemWordings(int errnum)
{
    QStringList wordings;
    if (locale_t c = ::newlocale(LC_ALL_MASK, "C", locale_t(0))) {
        wordings.append(QString::fromLocal8Bit(::strerror_l(errnum, c)));
        ::freelocale(c);
    }
    const QString current = QString::fromLocal8Bit(std::strerror(errnum));
    if (!wordings.contains(current))
        wordings.append(current);
    const char *qtText = errnum == EACCES   ? "Permission denied"
                         : errnum == EMFILE ? "Too many open files"
                         : errnum == ENOENT ? "No such file or directory"
                         : errnum == ENOSPC ? "No space left on device"
                                            : nullptr;
    if (qtText) {
        const QString translated = QCoreApplication::translate("QIODevice", qtText);
        if (!wordings.contains(translated))
            wordings.append(translated);
    }
    wordings.removeAll(QString());
    return wordings;
}

} // namespace

QString systemErrorText(int errnum)
{
    for (const KnownError &known : kKnownErrors) {
        if (known.errnum == errnum)
            return QString::fromUtf8(known.text);
    }
    // Not one a file operation meets; still not the system's English.
    return QStringLiteral("системная ошибка номер %1").arg(errnum);
}

QString systemErrorText(const QString &reason)
{
    // The longest wording found wins: "No such device" is also part of "No such device or address".
    // Worded once: the locale and Qt's translation are set up before the first file is touched.
    static const QList<QStringList> wordings = [] {
        QList<QStringList> all;
        for (int errnum = 0; errnum <= kLastErrno; ++errnum)
            all.append(errnum == 0 ? QStringList() : systemWordings(errnum));
        return all;
    }();
    int best = 0;
    qsizetype bestLength = 0;
    for (int errnum = 1; errnum <= kLastErrno; ++errnum) {
        for (const QString &wording : wordings[errnum]) {
            if (wording.size() > bestLength && reason.contains(wording, Qt::CaseInsensitive)) {
                best = errnum;
                bestLength = wording.size();
            }
        }
    }
    return best != 0 ? systemErrorText(best) : reason;
}
