#pragma once

#include <QString>

// Where the program keeps its files (settings.ini and the DATA folder).
//
// A copy run from a folder of its own keeps them beside itself. Where that folder cannot be written (a
// copy on a read-only disk, or one installed for all users), the per-user data folder is used instead,
// and on the first start there the program folder's data are copied over, so the user's bases come along.
// The originals are never moved or changed.
namespace DataFolder {

enum class Access {
    Writable,     // a file could be made, written and synced
    NotPermitted, // the folder is not the user's to write (no rights, a read-only disk)
    Failed,       // it could not be written just now (a full disk, a failing device)
};

struct Probe
{
    Access access = Access::Writable;
    QString reason; // the user's words for what failed
};

// Tries to write a small file in `folder` and removes it again.
Probe probe(const QString &folder);

struct Choice
{
    QString folder;          // where settings.ini and DATA are kept
    bool userFolder = false; // the per-user folder was chosen
    bool copied = false;     // the program folder's data were copied there just now
    QString error;           // the data could not be copied: nothing was changed, and the program must not start
    QString writeProblem;    // the program folder is kept but cannot be written just now: why, for the user
};

// `installed`: the program was installed for all users; it keeps its data in `userFolder` however its
// own folder may be written.
Choice choose(const QString &programFolder, const QString &userFolder, bool installed);

} // namespace DataFolder
