// The base-file reader on any bytes: the table it reads holds one track per line with the line's TAB-separated
// parts as its fields, and a save of that table, read again, gives the same tracks (those with a media type),
// whose save is the same bytes again. Read in small pieces, a few bytes at a time, the file gives the same
// tracks and the same losses.

#include "FuzzSupport.h"
#include "core/catalogue/BaseFiles.h"
#include "core/catalogue/TrackTable.h"
#include "core/text/Cp1251.h"

using FuzzSupport::fields;
using FuzzSupport::joined;

namespace {

TrackTable readBase(const QByteArray &content)
{
    const QString path = FuzzSupport::writeFile(QStringLiteral("base.dat"), content);
    TrackTable table;
    const BaseFiles::ReadResult result = BaseFiles::readBase(path, table);
    FUZZ_CHECK_SAYING(result.exists && result.ok, result.error.toUtf8());
    return table;
}

QByteArray describe(const TrackRecord &record)
{
    return FuzzSupport::hex(record.joined());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content = FuzzSupport::bytes(data, size);
    TrackTable table = readBase(content);

    TrackTable wholeTable;
    const BaseFiles::Losses whole = BaseFiles::readBaseBytes(content, wholeTable);
    BaseFiles::BaseReader reader(FuzzSupport::writeFile(QStringLiteral("base.dat"), content), 3);
    TrackTable pieces;
    for (bool more = true; more;) {
        TrackTable piece;
        more = reader.readPiece(piece, 2);
        FUZZ_CHECK(piece.count() <= 2);
        pieces.appendTable(std::move(piece));
    }
    const BaseFiles::Losses &losses = reader.result().losses;
    FUZZ_CHECK(reader.atEnd() && reader.result().ok);
    FUZZ_CHECK(losses.longLines == whole.longLines && losses.firstLongLine == whole.firstLongLine &&
               losses.droppedLines == whole.droppedLines && losses.firstDroppedLine == whole.firstDroppedLine &&
               losses.otherEncoding == whole.otherEncoding);
    FUZZ_CHECK(pieces.count() == table.count() && wholeTable.count() == table.count());
    for (int i = 1; i <= table.count(); ++i)
        FUZZ_CHECK_SAYING(pieces.at(i) == table.at(i) && wholeTable.at(i) == table.at(i), describe(pieces.at(i)));

    // One track per line, field f being part f of the line split at TAB.
    const QList<QByteArray> lines = FuzzSupport::lines(content);
    FUZZ_CHECK(table.count() == lines.size());
    FUZZ_CHECK(table.hasTracks() == !lines.isEmpty());
    FUZZ_CHECK(table.upperBound() >= 1);
    QByteArray expectedSave;
    QList<TrackRecord> kept;
    for (int i = 1; i <= table.count(); ++i) {
        const TrackRecord record = table.at(i);
        FUZZ_CHECK(record.count() == TrackRecord::kFieldCount);
        const QList<QByteArray> parts = fields(lines[i - 1], TrackRecord::kFieldCount);
        for (int f = 0; f < TrackRecord::kFieldCount; ++f) {
            FUZZ_CHECK_SAYING(record.at(f) == Cp1251::decode(parts[f]), describe(record));
            FUZZ_CHECK_SAYING(table.field(i, f) == record.value(f), describe(record));
        }
        // What a save writes: the tracks with a media type, their fourteen fields, CR LF after each.
        if (!parts[TrackRecord::MediaType].isEmpty()) {
            expectedSave += joined(parts) + "\r\n";
            kept.append(record);
        }
    }

    const QByteArray saved = BaseFiles::baseFileContent(table);
    FUZZ_CHECK(saved == expectedSave);

    TrackTable again = readBase(saved);
    FUZZ_CHECK(again.count() == kept.size());
    for (int i = 1; i <= again.count(); ++i)
        FUZZ_CHECK_SAYING(again.at(i) == kept[i - 1], describe(again.at(i)) + "\n" + describe(kept[i - 1]));
    FUZZ_CHECK(BaseFiles::baseFileContent(again) == saved);
    return 0;
}
