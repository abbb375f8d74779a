#pragma once

#include <QString>

#include <functional>

class QWidget;

// The file copy of the backup dialogs, and what they do when a copy fails.
namespace BackupCopy {

enum class Destination {
    Medium, // a backup medium: a link standing at the destination is replaced, never written through
    Base,   // the open base's file in the DATA folder: written as the program's own files are
};

// Copies `from` to `to` without a question: an existing file is replaced, missing folders are made, and
// nothing is shown. The copy is written beside the destination and renamed over it, so a failed copy
// leaves the destination as it was. 0 on success, non-zero on failure.
int copyFile(const QString &from, const QString &to, Destination destination);

enum class Outcome {
    Copied,
    Skipped, // the user chose "Пропустить", or declined to go on with this file
    Aborted, // the user chose "Прервать"
    Failed,  // (of one attempt) the copy failed
};

// The texts of a failure: the line under the file's name, and the question that follows.
struct FailureTexts
{
    QString advice;
    QString question;
};

// Runs `attempt` until it copies, the user declines or the user gives up. Each failure shows the error
// box naming `shownSource` with `texts.advice` (or the text the attempt put in `failure`), then asks
// `texts.question` with Abort, Retry and Ignore.
using Attempt = std::function<Outcome(QString *failure)>;
Outcome copyWithRetry(QWidget *owner, const QString &shownSource, const Attempt &attempt, const FailureTexts &texts);

// Reads `file` as a base about to replace the base file `base`. Copied when it reads as one or the user
// wants it all the same, Skipped when the user said No, Failed (with the reason in `error`) when it could
// not be read.
Outcome checkAsBase(QWidget *owner, const QString &file, const QString &base, QString *error = nullptr);

// Puts a copy of the base file `base` in the desktop's Trash before it is replaced, so the user can bring
// it back. True also where there is no Trash (or no file yet); false, with the reason, when the copy failed.
bool keepInTrash(const QString &base, QString *error);

} // namespace BackupCopy
