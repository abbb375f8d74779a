// The stream information's promises, on any bytes taken as the start of a file of any length:
//  - the record always has eleven texts, the size text is the length followed by " bytes", and the seconds
//    are -1 or more;
//  - without a header only the size text is filled and there is no play time; with one, every header text
//    is one of its few values, and the bit rate and length texts agree with the seconds and with each other;
//  - a header is found only where the bytes after the ID3v2 tag (from the start when the tag claims more than
//    the file) hold the start of one in the searched range whose frame length the header itself allows;
//  - reading the bytes from a file gives what the bytes themselves give.

#include "FuzzSupport.h"
#include "core/media/MpegStreamInfo.h"

#include <QRegularExpression>

#include <climits>
#include <limits>

namespace {

QByteArray describe(const MpegStreamInfo &info)
{
    return info.texts.join(QLatin1Char('|')).toUtf8() + " seconds=" + QByteArray::number(info.seconds) +
           " found=" + QByteArray::number(info.headerFound) + " error=" + info.error.toUtf8();
}

// Whether `content` (of a file `length` bytes long) holds the start of a frame header in the 4092 offsets
// after `tag`: a sync pair whose header has a frame length.
bool holdsHeader(const QByteArray &content, qint64 length, qint64 tag)
{
    // Bytes past the end count as 0, which starts no header and is no header's second byte.
    const QByteArray file = content.left(std::min<qint64>(content.size(), length));
    for (qint64 p = tag; p <= tag + 4091 && p + 1 < file.size(); ++p) {
        const QByteArray header = file.mid(p, 3).leftJustified(3, '\0');
        if (MpegStreamInfo::frameLength(header) >= 0)
            return true;
    }
    return false;
}

void checkRecord(const MpegStreamInfo &info, const QByteArray &content, qint64 length)
{
    using T = MpegStreamInfo;
    const QByteArray detail = describe(info);
    FUZZ_CHECK_SAYING(info.texts.size() == T::kTextCount, detail);
    FUZZ_CHECK_SAYING(info.error.isEmpty(), detail);
    FUZZ_CHECK_SAYING(info.seconds >= -1, detail);
    FUZZ_CHECK_SAYING(info.texts[T::Size] == QString::number(std::max<qint64>(length, 0)) + QStringLiteral(" bytes"),
                      detail);

    qint64 tag = T::id3v2Size(content.left(std::min<qint64>(length, 10)));
    if (tag > length)
        tag = 0;
    FUZZ_CHECK_SAYING(!info.headerFound || holdsHeader(content, length, tag), detail);
    if (!info.headerFound) {
        FUZZ_CHECK_SAYING(info.seconds == -1, detail);
        for (int i = 0; i < T::kTextCount; ++i)
            FUZZ_CHECK_SAYING(i == T::Size || info.texts[i].isEmpty(), detail);
        return;
    }

    const auto oneOf = [](const QString &text, std::initializer_list<const char *> values) {
        for (const char *v : values) {
            if (text == QLatin1String(v))
                return true;
        }
        return false;
    };
    FUZZ_CHECK_SAYING(oneOf(info.texts[T::ChannelMode], {" Stereo", " Joint Stereo", " 2 Channel", " Mono"}), detail);
    FUZZ_CHECK_SAYING(oneOf(info.texts[T::Copyright], {" Yes", " No"}), detail);
    FUZZ_CHECK_SAYING(oneOf(info.texts[T::Original], {" Yes", " No"}), detail);
    FUZZ_CHECK_SAYING(oneOf(info.texts[T::Crc], {"Yes", "No"}), detail);
    FUZZ_CHECK_SAYING(oneOf(info.texts[T::Emphasis], {" None", " 50/15 microsec", " invalid", " CITT j. 17"}), detail);
    FUZZ_CHECK_SAYING(oneOf(info.texts[T::Layer], {"layer 1", "layer 2", "layer 3"}), detail);
    if (info.texts[T::Version] == QLatin1String("MPEG 1.0"))
        FUZZ_CHECK_SAYING(oneOf(info.texts[T::SamplingFrequency], {"44100 Hz", "48000 Hz", "32000 Hz"}), detail);
    else if (info.texts[T::Version] == QLatin1String("MPEG 2.0"))
        FUZZ_CHECK_SAYING(oneOf(info.texts[T::SamplingFrequency], {"22050 Hz", "24000 Hz", "16000 Hz"}), detail);
    else
        FUZZ_CHECK_SAYING(info.texts[T::Version] == QLatin1String("MPEG 2.5") &&
                              oneOf(info.texts[T::SamplingFrequency], {"11025 Hz", "12000 Hz", "8000 Hz"}) &&
                              info.texts[T::Layer] == QLatin1String("layer 3"),
                          detail);

    // Constant: "<n>Kbit" and the seconds, or none for bit rate 0. Xing: "<n> Kbit (VBR)" and "<s> seconds",
    // or neither when no play time follows.
    static const QRegularExpression cbrRate(QStringLiteral("^(\\d+)Kbit$"));
    static const QRegularExpression vbrRate(QStringLiteral("^\\d+ Kbit \\(VBR\\)$"));
    const QString &rate = info.texts[T::BitRate];
    const QString &time = info.texts[T::Length];
    const QRegularExpressionMatch cbr = cbrRate.match(rate);
    if (info.seconds == -1) {
        FUZZ_CHECK_SAYING(time.isEmpty(), detail);
        FUZZ_CHECK_SAYING(rate.isEmpty() || rate == QLatin1String("0Kbit"), detail);
        return;
    }
    const QString shown =
        info.seconds == INT_MAX ? time.section(QLatin1Char(' '), 0, 0) : QString::number(info.seconds);
    if (cbr.hasMatch()) {
        FUZZ_CHECK_SAYING(cbr.captured(1).toInt() > 0 && time == shown, detail);
    } else {
        FUZZ_CHECK_SAYING(vbrRate.match(rate).hasMatch(), detail);
        FUZZ_CHECK_SAYING(info.seconds > 0 && time == shown + QStringLiteral(" seconds"), detail);
    }
}

bool same(const MpegStreamInfo &a, const MpegStreamInfo &b)
{
    return a.texts == b.texts && a.headerFound == b.headerFound && a.seconds == b.seconds && a.error == b.error;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content = FuzzSupport::bytes(data, size);
    const qint64 n = content.size();

    const qint64 tag = MpegStreamInfo::id3v2Size(content.left(10));
    FUZZ_CHECK(tag >= 0 && tag <= 10 + (qint64(1) << 28) - 1 + 10);
    FUZZ_CHECK((tag == 0) == !(n >= 10 && content.startsWith("ID3")));
    FUZZ_CHECK(MpegStreamInfo::id3v2Size(content) == tag); // only the first ten bytes count

    const MpegStreamInfo whole = MpegStreamInfo::fromBytes(content, n);
    checkRecord(whole, content, n);
    // The same bytes as the head of longer files (the rest counting as 0), and as a file cut short.
    for (const qint64 length :
         {n + 1, n + 4096, qint64(5'000'000), qint64(1) << 40, std::numeric_limits<qint64>::max(), n / 2}) {
        checkRecord(MpegStreamInfo::fromBytes(content, length), content, length);
    }
    const MpegStreamInfo negative = MpegStreamInfo::fromBytes(content, -1);
    FUZZ_CHECK_SAYING(!negative.headerFound && negative.texts[MpegStreamInfo::Size] == QStringLiteral("0 bytes"),
                      describe(negative));

    const MpegStreamInfo read = MpegStreamInfo::read(FuzzSupport::writeFile(QStringLiteral("stream.mp3"), content));
    FUZZ_CHECK_SAYING(same(read, whole), describe(read) + "\n" + describe(whole));
    return 0;
}
