#include "modFO.h"

#include "MsgBox.h"
#include "core/system/FileCopy.h"

#include <QDir>
#include <QFileInfo>

namespace modFO {

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

} // namespace

bool copyFile(QWidget *owner, const QString &from, const QString &to, int flags, QString *error)
{
    if (!(flags & NoConfirmation) && QFileInfo(to).isFile() && !FileCopy::sameFile(from, to)) {
        const auto answer = MsgBox::show(
            owner,
            QStringLiteral("Файл «%1» уже существует.\r\nЗаменить его файлом «%2»?").arg(native(to), native(from)),
            MsgBox::YesNo, MsgBox::Question, MsgBox::SecondButton, QStringLiteral("Подтверждение замены файла"));
        if (answer != MsgBox::Yes) {
            if (error)
                *error = QStringLiteral("замена файла отменена");
            return false;
        }
    }

    // Missing folders are made only when the caller allowed it; without the flag a missing folder is a
    // failure rather than a question, since the program's own copies always go to existing folders.
    FileCopy::Options options;
    options.createFolders = (flags & NoConfirmMkdir) != 0;
    options.replaceLinks = (flags & ReplaceLinks) != 0;
    QString reason;
    if (FileCopy::copy(from, to, options, &reason))
        return true;
    if (error)
        *error = reason;
    if (!(flags & NoErrorUi)) {
        MsgBox::show(
            owner,
            QStringLiteral("Не удалось скопировать файл «%1» в «%2»:\r\n%3.").arg(native(from), native(to), reason),
            MsgBox::OkOnly, MsgBox::Critical, MsgBox::FirstButton, QStringLiteral("Ошибка копирования"));
    }
    return false;
}

} // namespace modFO
