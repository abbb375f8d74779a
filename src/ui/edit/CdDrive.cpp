#include "CdDrive.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <discid/discid.h>
#include <memory>

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
        return fail(QStringLiteral("Не найден CD-дисковод ") + device + QLatin1Char('.'));

    const std::unique_ptr<DiscId, void (*)(DiscId *)> disc(discid_new(), discid_free);
    if (!disc || !discid_read_sparse(disc.get(), QFile::encodeName(device).constData(), 0))
        return fail(QStringLiteral("В дисководе ") + device + QStringLiteral(" нет звукового компакт-диска."));
    const int first = discid_get_first_track_num(disc.get());
    const int last = discid_get_last_track_num(disc.get());
    for (int track = first; track <= last && track > 0; ++track)
        frameOffsets.append(discid_get_track_offset(disc.get(), track));
    leadout = discid_get_sectors(disc.get());
    return true;
}

} // namespace CdDrive
