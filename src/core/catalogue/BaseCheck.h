#pragma once

#include <QString>

// Whether a file that is about to replace a base (a backup being restored) reads as a base, before it
// replaces anything. A file can be copied over a base whatever it holds; this says what the base reader
// would make of it, so the user can be asked first.
namespace BaseCheck {

struct Verdict
{
    bool readable = true; // the file could be read; when not, `error` says why
    QString error;
    QString doubt; // why the file does not look like a base (a clause for a sentence); empty when it does
};

// Reads `candidate` as a base that is to take the place of the base file `replaced`. It is doubted when
// it holds a NUL or another control character than TAB, CR and LF; when the reader would drop some of its
// lines; when it is empty and `replaced` is not; when it is UTF-8 with letters beyond ASCII rather than
// the code page; or when its last line has no line end (a file cut off).
Verdict check(const QString &candidate, const QString &replaced);

} // namespace BaseCheck
