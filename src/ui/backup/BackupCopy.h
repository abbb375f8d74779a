#pragma once

#include <QString>

#include <functional>

class QWidget;

// The file copy of the backup dialogs, and what they do when a copy fails.
namespace BackupCopy {

// Copies `from` to `to` without a question: an existing file is replaced, missing folders are made, and
// nothing is shown. The copy is written beside the destination and renamed over it, so a failed copy
// leaves the destination as it was. 0 on success, non-zero on failure.
int copyFile(const QString &from, const QString &to);

enum class Outcome {
    Copied,
    Skipped, // the user chose "Пропустить"
    Aborted, // the user chose "Прервать"
};

// The texts of a failure: the line under the file's name, and the question that follows.
struct FailureTexts
{
    QString advice;
    QString question;
};

// Runs `copy` until it succeeds or the user gives up. Each failure shows the error box naming
// `shownSource` with `texts.advice`, then asks `texts.question` with Abort, Retry and Ignore.
Outcome copyWithRetry(QWidget *owner, const QString &shownSource, const std::function<bool()> &copy,
                      const FailureTexts &texts);

} // namespace BackupCopy
