#include "CdDrive.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <discid/discid.h>
#include <fcntl.h>
#include <linux/cdrom.h>
#include <memory>
#include <sys/ioctl.h>
#include <unistd.h>

namespace CdDrive {

QStringList drives(const QString &infoPath)
{
    QFile file(infoPath);
    // The kernel's file reports a size of 0, so it is read to its end rather than by its size.
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parseDriveInfo(file.readAll());
}

QStringList parseDriveInfo(const QByteArray &info)
{
    static const QRegularExpression plainName(QStringLiteral("^[A-Za-z][A-Za-z0-9_-]*$"));
    const QByteArray key = "drive name:";
    QStringList names;
    for (const QByteArray &line : info.split('\n')) {
        if (!line.startsWith(key))
            continue;
        for (const QByteArray &word : line.mid(key.size()).simplified().split(' ')) {
            const QString name = QString::fromLatin1(word);
            if (plainName.match(name).hasMatch() && !names.contains(name))
                names.append(name);
        }
        break;
    }
    // The kernel lists the newest drive first; "sr2" before "sr10".
    const auto split = [](const QString &name) {
        qsizetype digits = name.size();
        while (digits > 0 && name.at(digits - 1).isDigit())
            --digits;
        return std::make_pair(name.left(digits), name.mid(digits).rightJustified(10, QLatin1Char('0')));
    };
    std::sort(names.begin(), names.end(), [&](const QString &a, const QString &b) { return split(a) < split(b); });
    QStringList devices;
    for (const QString &name : names)
        devices.append(QStringLiteral("/dev/") + name);
    return devices;
}

namespace {

// What the drive itself says when libdiscid could not read it: libdiscid's message names no cause the user
// can act on (a drive the user may not open reads as "no disc").
Problem probe(const QString &device)
{
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return classify(errno, -1, -1);
    const int driveStatus = ::ioctl(fd, CDROM_DRIVE_STATUS, CDSL_CURRENT);
    const int discStatus = driveStatus < 0 ? -1 : ::ioctl(fd, CDROM_DISC_STATUS, 0);
    ::close(fd);
    return classify(0, driveStatus, discStatus);
}

} // namespace

Problem classify(int openErrno, int driveStatus, int discStatus)
{
    switch (openErrno) {
    case 0:
        break;
    case EACCES:
    case EPERM:
        return Problem::NoRights;
    case ENOMEDIUM:
        return Problem::NoDisc;
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
        return Problem::NoDrive;
    default:
        return Problem::Unknown;
    }
    // A device that does not answer a CD drive's question is not one.
    if (driveStatus < 0)
        return Problem::NoDrive;
    if (driveStatus == CDS_NO_DISC || driveStatus == CDS_TRAY_OPEN || discStatus == CDS_NO_DISC)
        return Problem::NoDisc;
    switch (discStatus) {
    case CDS_DATA_1:
    case CDS_DATA_2:
    case CDS_XA_2_1:
    case CDS_XA_2_2:
        return Problem::NotAudio;
    default:
        return Problem::Unknown;
    }
}

QString problemText(Problem problem, const QString &device, const QString &detail)
{
    QString text;
    switch (problem) {
    case Problem::NoDrive:
        text = QStringLiteral("Не найден CD-дисковод ") + device + QLatin1Char('.');
        break;
    case Problem::NoRights:
        text = QStringLiteral("Нет прав на чтение дисковода ") + device +
               QStringLiteral(". Добавьте своего пользователя в группу cdrom и войдите в систему заново.");
        break;
    case Problem::NoDisc:
        text = QStringLiteral("В дисководе ") + device + QStringLiteral(" нет диска.");
        break;
    case Problem::NotAudio:
        text = QStringLiteral("Диск в дисководе ") + device + QStringLiteral(" не является звуковым компакт-диском.");
        break;
    case Problem::Unknown:
        text = QStringLiteral("Не удается прочитать компакт-диск в дисководе ") + device + QLatin1Char('.');
        break;
    }
    return detail.isEmpty() ? text : text + QStringLiteral("\r\nПодробности: ") + detail;
}

bool readToc(const QString &device, QList<int> &frameOffsets, int &leadout, QString *error)
{
    const auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    frameOffsets.clear();
    leadout = 0;
    if (device.isEmpty() || !QFileInfo::exists(device))
        return fail(problemText(Problem::NoDrive, device));

    const std::unique_ptr<DiscId, void (*)(DiscId *)> disc(discid_new(), discid_free);
    if (!disc)
        return fail(problemText(Problem::Unknown, device));
    if (!discid_read_sparse(disc.get(), QFile::encodeName(device).constData(), 0))
        return fail(problemText(probe(device), device, QString::fromLocal8Bit(discid_get_error_msg(disc.get()))));
    const int first = discid_get_first_track_num(disc.get());
    const int last = discid_get_last_track_num(disc.get());
    for (int track = first; track <= last && track > 0; ++track)
        frameOffsets.append(discid_get_track_offset(disc.get(), track));
    leadout = discid_get_sectors(disc.get());
    return true;
}

} // namespace CdDrive
