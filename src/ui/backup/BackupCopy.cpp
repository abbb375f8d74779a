#include "BackupCopy.h"

#include "ui/platform/MsgBox.h"
#include "ui/platform/modFO.h"

#include <QDir>

namespace BackupCopy {

int copyFile(const QString &from, const QString &to)
{
    const int flags = modFO::NoConfirmation | modFO::NoConfirmMkdir | modFO::NoErrorUi;
    return modFO::copyFile(nullptr, from, to, flags) ? 0 : 1;
}

Outcome copyWithRetry(QWidget *owner, const QString &shownSource, const std::function<bool()> &copy,
                      const FailureTexts &texts)
{
    while (!copy()) {
        MsgBox::show(owner,
                     QStringLiteral("Не удается скопировать файл ") + QDir::toNativeSeparators(shownSource) +
                         QStringLiteral(".\r\n\r\n") + texts.advice,
                     MsgBox::OkOnly, MsgBox::Critical, MsgBox::FirstButton, QStringLiteral("Ошибка при копировании"));
        switch (MsgBox::show(owner, texts.question, MsgBox::AbortRetryIgnore, MsgBox::Question)) {
        case MsgBox::Abort:
            return Outcome::Aborted;
        case MsgBox::Retry:
            continue;
        default:
            return Outcome::Skipped;
        }
    }
    return Outcome::Copied;
}

} // namespace BackupCopy
