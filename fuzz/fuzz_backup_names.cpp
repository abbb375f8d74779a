// The names found on a backup medium, whatever they are: a year folder's name and a file's name, as the
// restore turns them into a list entry and the entry back into the file to read.
//  - An entry is read back only from location + four digits + "/" + two digits + "-" + two digits + ".dat":
//    never from above the location, never from a path that names something else.
//  - A dated backup (a year folder, as the listing takes one, ending in four digits, and a file mm-dd.dat)
//    leads back to itself. A folder whose name holds a line feed or another control character is no year
//    folder: the listing never shows its files.
//
// The input is the folder's name, a NUL, then the file's name, both as UTF-8.

#include "FuzzSupport.h"
#include "core/backup/BackupLayout.h"

#include <QRegularExpression>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzSupport::bytes(data, size);
    const qsizetype split = bytes.indexOf('\0');
    const QString folderName = QString::fromUtf8(split < 0 ? bytes : bytes.left(split));
    const QString fileName = split < 0 ? QString() : QString::fromUtf8(bytes.mid(split + 1));
    const QString location = QStringLiteral("/medium/");
    const QString folder = location + folderName;

    const QString entry = BackupLayout::entryText(folder, fileName);
    const BackupLayout::Source source = BackupLayout::sourceOf(location, entry);
    FUZZ_CHECK(source.path.startsWith(location));
    if (source.valid) {
        static const QRegularExpression dated(QStringLiteral("^/medium/[0-9]{4}/[0-9]{2}-[0-9]{2}\\.dat\\z"));
        FUZZ_CHECK_SAYING(dated.match(source.path).hasMatch(), source.path.toUtf8());
    }

    // "\z", not "$": "$" also matches before a final line feed.
    static const QRegularExpression year(QStringLiteral("[0-9]{4}\\z"));
    static const QRegularExpression backup(QStringLiteral("^[0-9]{2}-[0-9]{2}\\.dat\\z"));
    if (BackupLayout::isYearFolderName(folderName) && year.match(folder).hasMatch() &&
        backup.match(fileName).hasMatch()) {
        FUZZ_CHECK(source.valid);
        FUZZ_CHECK_SAYING(source.path == location + folder.right(4) + QLatin1Char('/') + fileName,
                          source.path.toUtf8());
    }
    return 0;
}
