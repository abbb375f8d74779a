#pragma once

#include <QString>

// Copying one file to another path. The copy is written as an AtomicFile: a failed copy leaves whatever
// was at the destination as it was and nothing half-written behind.
namespace FileCopy {

struct Options
{
    bool createFolders = false; // make the destination's missing folders
    bool replaceLinks = false;  // a link at the destination is replaced by the copy, its target left alone
                                // (copies onto backup media); otherwise the copy is written through it
};

// Copies the file `from` to the file path `to`, replacing a file there. False, with the reason in
// `error`, when it could not: no such source file, the source is the destination itself, the
// destination's folder is missing (without `createFolders`), the destination is a folder or a
// read-only file, or reading or writing failed.
bool copy(const QString &from, const QString &to, const Options &options = {}, QString *error = nullptr);

// True when both paths name the same existing file (also through links or different spellings).
bool sameFile(const QString &a, const QString &b);

} // namespace FileCopy
