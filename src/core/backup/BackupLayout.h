#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

// Backups of a base on removable media (or any folder, "the location").
//
// A backup made by the program is written twice: as the base's own file name directly in the location,
// and as the dated backup of the day it was made, location + year folder + "/" + month-day + ".dat"
// (2005/03-17.dat for 17 March 2005). The dated backups are what the restore lists: each one is shown as
// day.month.year and read back from the same place.
namespace BackupLayout {

// At most this many year folders are looked at in one location.
constexpr int kMaxYearFolders = 999;

// The location as the dialogs use it: "~" stands for the home folder, a relative path is taken inside
// the home folder, and the text ends in "/". Empty when `text` is blank (there is no location).
QString normaliseLocation(const QString &text, const QString &home);

// The default interval of the backup dialog: from the first of the month to `today`.
struct Interval
{
    QDate from, to;
};
Interval defaultInterval(const QDate &today);

// The dated backup of `day` in `location` (which ends in "/").
QString datedBackupPath(const QString &location, const QDate &day);

// Whether a folder named `name` is a year folder: its name begins with "20" and holds no control
// character. A name such as "2005" followed by a line feed only looks like a year in a list: its entries
// would be read back from another folder.
bool isYearFolderName(const QString &name);
// The year folders of `location`: its folders named as isYearFolderName() says, that are real folders
// (not links to one, not hidden), in name order, at most kMaxYearFolders. Each as location + name.
QStringList yearFolders(const QString &location);
// The backups in a year folder: its files whose names match "*-*.dat" (in any case), in name order.
QStringList backupFiles(const QString &yearFolder);
// The list entry of backup `fileName` in `yearFolder`: characters 4-5 of the name, ".", characters 1-2,
// ".", the last four characters of the folder's path. "2005" with "03-17.dat" gives "17.03.2005".
QString entryText(const QString &yearFolder, const QString &fileName);

// What a listing of a location found: the year folders, and one entry per backup in folder order.
struct Listing
{
    QStringList yearFolders;
    QStringList entries;
};
Listing list(const QString &location);

// Where entry `entry` is read back from in `location`.
struct Source
{
    // location + year + "/" + month + "-" + day + ".dat", as the entry gives them (for messages).
    QString path;
    // The entry is a date of the form dd.mm.yyyy, so the path leads back to a dated backup. An entry
    // that does not (made from a file named otherwise, such as 1-2.dat) must not be read from at all.
    bool valid = false;
};
Source sourceOf(const QString &location, const QString &entry);
// The file to read for `source`: its path, or the file of that name written in another case (a medium
// from another system may hold 03-17.DAT). Empty when the source is not valid.
QString resolveSource(const Source &source);

// A mounted volume, as far as the default location cares.
struct Volume
{
    QString rootPath;
    bool removable = false;
    bool ready = false;
};
// The volumes mounted now, with whether each is removable media.
QVector<Volume> mountedVolumes();
// The default location: the first removable volume that is ready, else the folder
// "Резервные копии Cratebook" in the home folder. Ends in "/".
QString defaultLocation(const QVector<Volume> &volumes, const QString &home);

} // namespace BackupLayout
