// The Tracklist reader on any bytes, with the five columns the main window keeps: one row per line with the
// line's TAB-separated parts as its texts; the rows written back are the first five parts of each line with
// CR LF, and read again they are the same rows.

#include "FuzzSupport.h"
#include "core/catalogue/BaseFiles.h"
#include "core/catalogue/FieldList.h"
#include "core/text/Cp1251.h"

#include <QVector>

namespace {

constexpr int kColumns = 5;

QVector<FieldList> readTracklist(const QString &path)
{
    // A row left from before must not survive a read.
    QVector<FieldList> rows{FieldList::fromList({QStringLiteral("left"), QStringLiteral("over")})};
    const BaseFiles::ReadResult result = BaseFiles::readTracklist(path, kColumns, rows);
    FUZZ_CHECK_SAYING(result.exists && result.ok, result.error.toUtf8());
    return rows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content = FuzzSupport::bytes(data, size);
    const QVector<FieldList> rows = readTracklist(FuzzSupport::writeFile(QStringLiteral("otbor.lst"), content));

    const QList<QByteArray> lines = FuzzSupport::lines(content);
    FUZZ_CHECK(rows.size() == lines.size());
    QByteArray expectedWrite;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QList<QByteArray> parts = FuzzSupport::fields(lines[i], kColumns);
        FUZZ_CHECK(rows[i].count() == kColumns);
        for (int c = 0; c < kColumns; ++c)
            FUZZ_CHECK_SAYING(rows[i].at(c) == Cp1251::decode(parts[c]), FuzzSupport::hex(rows[i].joined()));
        expectedWrite += FuzzSupport::joined(parts) + "\r\n";
    }

    const QString written = FuzzSupport::folder() + QStringLiteral("/written.lst");
    QString error;
    FUZZ_CHECK_SAYING(BaseFiles::writeTracklist(written, rows, kColumns, &error), error.toUtf8());
    FUZZ_CHECK(FuzzSupport::readFile(QStringLiteral("written.lst")) == expectedWrite);
    FUZZ_CHECK(readTracklist(written) == rows);
    return 0;
}
