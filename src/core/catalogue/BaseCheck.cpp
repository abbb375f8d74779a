#include "BaseCheck.h"

#include "BaseFiles.h"
#include "core/system/AtomicFile.h"

#include <QFile>
#include <QFileInfo>

namespace BaseCheck {

namespace {

// The first control character other than TAB, CR and LF, with its line (from 1); 0 when there is none.
int firstControlLine(const QByteArray &bytes, int *code)
{
    int line = 1;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c == '\n' || (c == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))) {
            ++line;
        } else if ((c < 0x20 && c != '\t' && c != '\r') || c == 0x7F) {
            *code = c;
            return line;
        }
    }
    return 0;
}

} // namespace

Verdict check(const QString &candidate, const QString &replaced)
{
    Verdict verdict;
    QFile file(candidate);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        verdict.readable = false;
        verdict.error = systemErrorText(file.errorString());
        return verdict;
    }

    if (bytes.isEmpty()) {
        if (QFileInfo(replaced).size() > 0)
            verdict.doubt = QStringLiteral("файл пуст, а в открытой базе есть треки");
        return verdict;
    }
    int code = 0;
    if (const int line = firstControlLine(bytes, &code)) {
        verdict.doubt = QStringLiteral("в строке %1 есть управляющий символ с кодом %2").arg(line).arg(code);
        return verdict;
    }
    TrackTable table;
    const BaseFiles::Losses losses = BaseFiles::readBaseBytes(bytes, table);
    if (losses.otherEncoding) {
        verdict.doubt = QStringLiteral("он записан в кодировке UTF-8, а не Windows-1251");
    } else if (losses.droppedLines > 0) {
        verdict.doubt = QStringLiteral("строки без типа носителя не будут прочитаны: %1 (первая из них — строка %2)")
                            .arg(losses.droppedLines)
                            .arg(losses.firstDroppedLine);
    } else if (!bytes.endsWith('\n') && !bytes.endsWith('\r')) {
        verdict.doubt = QStringLiteral("его последняя строка оборвана");
    }
    return verdict;
}

} // namespace BaseCheck
