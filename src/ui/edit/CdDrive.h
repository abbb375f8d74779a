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
// sentence for the user about what is wrong (problemText()), with libdiscid's own words as its detail.
bool readToc(const QString &device, QList<int> &frameOffsets, int &leadout, QString *error);

// Why the disc in a drive cannot be read, as far as the system tells.
enum class Problem { Unknown, NoDrive, NoRights, NoDisc, NotAudio };
// The problem told by opening the device (`openErrno`: 0 when it opened) and then asking the drive about
// its tray (`driveStatus`) and its disc (`discStatus`): the kernel's CDS_ values, -1 where it would not say.
Problem classify(int openErrno, int driveStatus, int discStatus);
// The sentence for the user about `problem` in `device`, then `detail` on a line of its own when there is one.
QString problemText(Problem problem, const QString &device, const QString &detail = QString());

} // namespace CdDrive
