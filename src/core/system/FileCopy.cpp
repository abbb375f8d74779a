#include "FileCopy.h"

#include "AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace FileCopy {

namespace {

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

} // namespace

bool sameFile(const QString &a, const QString &b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

bool copy(const QString &from, const QString &to, const Options &options, QString *error)
{
    const QFileInfo source(from);
    if (!source.exists())
        return fail(error, QStringLiteral("файл не найден"));
    if (!source.isFile())
        return fail(error, QStringLiteral("это не файл, а папка"));
    const QFileInfo target(to);
    // A link that is replaced is not the file it points to, even when that is the source.
    const bool replacedLink = options.replaceLinks && target.isSymLink();
    if (!replacedLink && sameFile(from, to))
        return fail(error, QStringLiteral("файл нельзя скопировать сам в себя"));
    if (!replacedLink && target.isDir())
        return fail(error, QStringLiteral("на месте файла находится папка"));
    const QString folder = target.absolutePath();
    if (!QFileInfo(folder).isDir()) {
        if (!options.createFolders)
            return fail(error, QStringLiteral("папка «%1» не существует").arg(QDir::toNativeSeparators(folder)));
        if (!QDir().mkpath(folder))
            return fail(error, QStringLiteral("не удалось создать папку «%1»").arg(QDir::toNativeSeparators(folder)));
    }
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return fail(error, systemErrorText(in.errorString()));
    AtomicFile out(to, options.replaceLinks ? AtomicFile::Links::Replace : AtomicFile::Links::Follow);
    if (!out.open())
        return fail(error, out.errorString());

    // In pieces, so a large file never has to fit in memory at once.
    constexpr qint64 kChunk = 1 << 20;
    QByteArray buffer;
    while (!in.atEnd()) {
        buffer = in.read(kChunk);
        if (in.error() != QFileDevice::NoError)
            return fail(error, systemErrorText(in.errorString()));
        if (!out.write(buffer))
            return fail(error, out.errorString());
    }
    if (!out.commit())
        return fail(error, out.errorString());
    return true;
}

} // namespace FileCopy
