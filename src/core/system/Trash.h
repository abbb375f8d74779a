#pragma once

#include <QString>

// The desktop's Trash (the freedesktop.org one that file managers show): a base the program removes or
// replaces goes there, so the user can bring it back.
//
// A file goes to the Trash of its own volume: the user's Trash in the data folder ($XDG_DATA_HOME/Trash)
// when the file is on that volume, else the volume's own ($topdir/.Trash/$uid or $topdir/.Trash-$uid).
// The entry's information file is written first and removed again when the file itself cannot follow,
// so a failure leaves nothing behind. Every step is checked and bounded: a Trash that cannot take the
// file fails, it never waits. (Not QFile::moveToTrash: Qt 6.4's tries new names for the information file
// without end when it cannot be made at all, as on a full disk, and it cannot put a copy there.)
namespace Trash {

enum class Result {
    Done,
    NoTrash, // the file's volume has no Trash the program may use (read-only, no rights): nothing was done
    Failed,  // there is a Trash, but the file could not be put there; the reason is in `error`
};

// Moves the file `path` to the Trash.
Result moveFile(const QString &path, QString *error = nullptr);
// Puts a copy of the file `path` in the Trash, recorded as coming from `path`; the file stays as it is.
Result keepCopy(const QString &path, QString *error = nullptr);

} // namespace Trash
