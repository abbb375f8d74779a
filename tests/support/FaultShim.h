#pragma once

// A fault injector for the file operations of the C library, linked into a test executable: its own
// open, write, fsync, close, link, rename and unlink stand in front of the library's for the whole
// process (Qt included), pass every call through, and fail the chosen one.
//
// Only operations on files below the armed folder count, so the rest of the process (fonts, Qt's own
// files, the test's output) is never disturbed. Operation n is the n-th such call since arm().

#include <QString>

namespace FaultShim {

enum class Mode {
    Once,       // operation n fails with EIO; later ones succeed
    FromThenOn, // operation n and every later one fail with ENOSPC, as on a full disk (removing a file
                // still works there: it frees room)
};

// Starts counting the operations below `folder`; operation `failAt` (from 1) fails as `mode` says.
// failAt 0 fails nothing and only counts.
void arm(const QString &folder, int failAt, Mode mode);
void disarm();
// Operations counted since arm().
int operations();
// Whether an operation was failed since arm().
bool failed();
// The name of operation n (from 1) since arm(), for messages: "write", "rename", ...
QString operationName(int n);

} // namespace FaultShim
