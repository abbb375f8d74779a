#include "BackupCopy.h"

#include "core/catalogue/BaseCheck.h"
#include "core/system/Trash.h"
#include "ui/platform/MsgBox.h"
#include "ui/platform/modFO.h"

#include <QDir>
#include <QFileInfo>

namespace BackupCopy {

int copyFile(const QString &from, const QString &to, Destination destination)
{
    int flags = modFO::NoConfirmation | modFO::NoConfirmMkdir | modFO::NoErrorUi;
    if (destination == Destination::Medium)
        flags |= modFO::ReplaceLinks;
    return modFO::copyFile(nullptr, from, to, flags) ? 0 : 1;
}

Outcome copyWithRetry(QWidget *owner, const QString &shownSource, const Attempt &attempt, const FailureTexts &texts)
{
    for (;;) {
        QString failure;
        const Outcome outcome = attempt(&failure);
        if (outcome != Outcome::Failed)
            return outcome;
        if (failure.isEmpty()) {
            failure = QStringLiteral("Не удается скопировать файл ") + QDir::toNativeSeparators(shownSource) +
                      QStringLiteral(".\r\n\r\n") + texts.advice;
        }
        MsgBox::show(owner, failure, MsgBox::OkOnly, MsgBox::Critical, MsgBox::FirstButton,
                     QStringLiteral("Ошибка при копировании"));
        switch (MsgBox::show(owner, texts.question, MsgBox::AbortRetryIgnore, MsgBox::Question)) {
        case MsgBox::Abort:
            return Outcome::Aborted;
        case MsgBox::Retry:
            continue;
        default:
            return Outcome::Skipped;
        }
    }
}

Outcome checkAsBase(QWidget *owner, const QString &file, const QString &base, QString *error)
{
    const BaseCheck::Verdict verdict = BaseCheck::check(file, base);
    if (!verdict.readable) {
        if (error)
            *error = verdict.error;
        return Outcome::Failed;
    }
    if (verdict.doubt.isEmpty())
        return Outcome::Copied;
    const QString question = QStringLiteral("Файл «%1» не похож на базу: %2.\r\n"
                                            "Вы действительно хотите восстановить из него базу?")
                                 .arg(QDir::toNativeSeparators(file), verdict.doubt);
    return MsgBox::confirm(owner, question) ? Outcome::Copied : Outcome::Skipped;
}

bool keepInTrash(const QString &base, QString *error)
{
    if (!QFileInfo(base).isFile())
        return true;
    return Trash::keepCopy(base, error) != Trash::Result::Failed;
}

} // namespace BackupCopy
