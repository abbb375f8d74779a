#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The system's CD drives and the table of contents of the disc in one of them (through libdiscid).
namespace CdDrive {

// The kernel's list of CD drives.
inline const char kDriveInfoPath[] = "/proc/sys/dev/cdrom/info";

// The CD drives listed in the file at `infoPath` (the kernel's format: a line "drive name:" followed by
// the drives' names), as device paths ("/dev/sr0"), sorted by name and number. A missing or unreadable
// file, or one without drives, gives an empty list.
QStringList drives(const QString &infoPath = QString::fromLatin1(kDriveInfoPath));
// The same from the file's content. Names that are not plain device names are left out.
QStringList parseDriveInfo(const QByteArray &info);

// Reads the table of contents of the audio CD in `device`: the start of each audio track and the end of
// the last one, in frames from the start of the disc. On failure returns false and sets `error` to a
// sentence for the user (no such drive, no audio CD in it).
bool readToc(const QString &device, QList<int> &frameOffsets, int &leadout, QString *error);

} // namespace CdDrive
