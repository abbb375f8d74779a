#include "MpegStreamInfo.h"

#include "core/system/AtomicFile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The last offset of the search buffer where a header may start.
constexpr int kLastStart = MpegStreamInfo::kSearchSize - 5;
// The furthest byte after a frame start that is looked at: the frame count of a "Xing" header right after
// the longest side information (4 + 32 + 12).
constexpr int kXingReach = 48;
// The longest frame there is: MPEG-1 layer II at 384 kbit/s and 32 kHz, with padding.
constexpr int kLongestFrame = 1729;
// The bytes read after the ID3v2 tag: the search buffer, the header of the frame after one found at its very
// end, and the "Xing" header of such a frame.
constexpr int kReadSize = kLastStart + std::max(kLongestFrame + 4, kXingReach);

constexpr int kId3v2HeaderSize = 10;
constexpr int kId3v2FooterSize = 10;
constexpr int kId3v1Size = 128;
// The frames of a Xing stream (at 44.1 and 22.05 kHz) before its seconds are counted, and the fewest it
// needs to have a play time at all.
constexpr qint64 kXingLeadFrames = 57;

// Bytes of the file after its ID3v2 tag; those past the end (of the file or of what was read) count as 0.
class Window
{
public:
    explicit Window(QByteArrayView bytes) : m_bytes(bytes) {}
    uchar at(qsizetype i) const { return i < m_bytes.size() ? uchar(m_bytes[i]) : 0; }

private:
    QByteArrayView m_bytes;
};

enum class MpegVersion { Mpeg1, Mpeg2, Mpeg25 };

// The version a header's second byte names: 0xFA..0xFF MPEG-1, 0xF2..0xF7 MPEG-2, 0xE2 and 0xE3 MPEG-2.5
// (layer III, the only layer it has); nothing for any other byte.
std::optional<MpegVersion> versionOf(uchar h1)
{
    if (h1 >= 0xFA)
        return MpegVersion::Mpeg1;
    if (h1 >= 0xF2 && h1 <= 0xF7)
        return MpegVersion::Mpeg2;
    if (h1 == 0xE2 || h1 == 0xE3)
        return MpegVersion::Mpeg25;
    return std::nullopt;
}

// Hertz from the sampling index in the third header byte (0..2; 3 is unused): MPEG-2 halves MPEG-1's
// frequencies, MPEG-2.5 quarters them.
int frequencyOf(MpegVersion version, uchar h2)
{
    static const int kMpeg1[] = {44100, 48000, 32000};
    return kMpeg1[(h2 >> 2) & 0x03] / (version == MpegVersion::Mpeg1 ? 1 : version == MpegVersion::Mpeg2 ? 2 : 4);
}

int layerOf(uchar h1)
{
    return (h1 & 0x06) == 0x02 ? 3 : (h1 & 0x06) == 0x04 ? 2 : 1;
}

// Whether the next frame's header at `q` continues the stream of the header at `p`: the same version, layer
// and sampling frequency, and a bit rate there is.
bool continues(const Window &w, qsizetype p, qsizetype q)
{
    return w.at(q) == 0xFF && (w.at(q + 1) & 0xFE) == (w.at(p + 1) & 0xFE) &&
           (w.at(q + 2) & 0x0C) == (w.at(p + 2) & 0x0C) && (w.at(q + 2) >> 4) != 15;
}

// The first frame header of the search buffer, -1 when none starts in it. A sync pair alone is no header:
// one is taken only where the next frame's header stands where its frame length says, or where its frame
// ends the audio (at the end of the file or at its ID3v1 tag). A free-format frame has no length to check.
int findHeader(const Window &w, qint64 bytesAfter, bool id3v1)
{
    for (int p = 0; p <= kLastStart; ++p) {
        if (w.at(p) != 0xFF)
            continue;
        const uchar header[] = {0xFF, w.at(p + 1), w.at(p + 2)};
        const int length = MpegStreamInfo::frameLength(QByteArrayView(header, 3));
        if (length < 0)
            continue;
        if (length == 0 || continues(w, p, p + length))
            return p;
        const qint64 end = p + length;
        if (end == bytesAfter || (id3v1 && end == bytesAfter - kId3v1Size))
            return p;
    }
    return -1;
}

// Kilobits a second from the upper four bits of the third header byte. The layer III rates, used for every
// layer; index 0 ("free format") reads as 24 in MPEG-1 and as 0 in MPEG-2.
int bitRateKbit(bool mpeg1, int index)
{
    if (mpeg1) {
        if (index <= 5)
            return 8 * index + 24;
        if (index <= 9)
            return 16 * index - 16;
        if (index <= 13)
            return 32 * index - 160;
        return 320;
    }
    if (index <= 7)
        return 8 * index;
    return 16 * index - 64;
}

// Seconds of a stream of `frames` frames after its leading frames, counting 38, 38 and 39 frames to the
// second in turn (115 frames in three seconds): a second is begun by any frame left over.
qint64 countedSeconds(qint64 frames)
{
    const qint64 rest = frames - kXingLeadFrames;
    if (rest <= 0)
        return 0;
    const qint64 triples = rest / 115;
    const qint64 left = rest % 115;
    return 3 * triples + (left == 0 ? 0 : left <= 38 ? 1 : left <= 76 ? 2 : 3);
}

QString yesNo(bool set)
{
    return set ? QStringLiteral(" Yes") : QStringLiteral(" No");
}

// The record of a file of `fileLength` bytes whose ID3v2 tag (of `tagSize` bytes, 0 for none) is followed
// by `after`; `id3v1` tells whether the file ends in an ID3v1 tag.
MpegStreamInfo decode(QByteArrayView after, qint64 tagSize, qint64 fileLength, bool id3v1)
{
    MpegStreamInfo info;
    info.texts[MpegStreamInfo::Size] = QString::number(fileLength) + QStringLiteral(" bytes");

    const Window w(after);
    const int p = findHeader(w, fileLength - tagSize, id3v1);
    if (p < 0)
        return info;
    info.headerFound = true;

    const uchar h1 = w.at(p + 1);
    const uchar h2 = w.at(p + 2);
    const uchar h3 = w.at(p + 3);

    const MpegVersion version = *versionOf(h1);
    const bool mpeg1 = version == MpegVersion::Mpeg1;
    const int layer = layerOf(h1);
    const int frequency = frequencyOf(version, h2);
    const int kbit = bitRateKbit(mpeg1, h2 >> 4);
    const int channelMode = h3 >> 6;
    const bool mono = channelMode == 3;

    info.texts[MpegStreamInfo::Crc] = (h1 & 0x01) == 0 ? QStringLiteral("Yes") : QStringLiteral("No");
    info.texts[MpegStreamInfo::Version] = mpeg1                           ? QStringLiteral("MPEG 1.0")
                                          : version == MpegVersion::Mpeg2 ? QStringLiteral("MPEG 2.0")
                                                                          : QStringLiteral("MPEG 2.5");
    info.texts[MpegStreamInfo::Layer] = QStringLiteral("layer ") + QString::number(layer);
    info.texts[MpegStreamInfo::SamplingFrequency] = QString::number(frequency) + QStringLiteral(" Hz");
    info.texts[MpegStreamInfo::Copyright] = yesNo(h3 & 0x08);
    info.texts[MpegStreamInfo::Original] = yesNo(h3 & 0x04);
    static const char *const kEmphasis[] = {" None", " 50/15 microsec", " invalid", " CITT j. 17"};
    info.texts[MpegStreamInfo::Emphasis] = QLatin1String(kEmphasis[h3 & 0x03]);
    static const char *const kChannelModes[] = {" Stereo", " Joint Stereo", " 2 Channel", " Mono"};
    info.texts[MpegStreamInfo::ChannelMode] = QLatin1String(kChannelModes[channelMode]);

    // The audio: the file without its leading tag. The trailing ID3v1 tag is not looked for here.
    const qint64 audioLength = fileLength - tagSize;
    qint64 seconds = -1;

    // The "Xing" header sits right after the side information of the stream's first frame, whose size
    // follows from the version and from whether the frame is mono.
    const int xing = mpeg1 ? (mono ? 21 : 36) : (mono ? 13 : 21);
    const qsizetype x = p + xing;
    if (w.at(x) == 'X' && w.at(x + 1) == 'i' && w.at(x + 2) == 'n' && w.at(x + 3) == 'g') {
        // The frame count's lower three bytes (its highest byte would only count from 2^24 frames,
        // more than 100 hours). Without the frames flag those bytes hold something else: no play time.
        const bool hasFrames = (w.at(x + 7) & 0x01) != 0;
        const qint64 frames = (qint64(w.at(x + 9)) << 16) | (qint64(w.at(x + 10)) << 8) | qint64(w.at(x + 11));
        if (hasFrames && frames > kXingLeadFrames) {
            if (layer == 3 && (frequency == 44100 || frequency == 22050)) {
                seconds = countedSeconds(frames);
            } else {
                const int samplesPerFrame = layer == 1 ? 384 : (layer == 3 && !mpeg1) ? 576 : 1152;
                seconds = frames * samplesPerFrame / frequency;
            }
        }
        if (seconds > 0) {
            // (bytes × 8) ÷ (seconds × 1000), taken as bytes ÷ (seconds × 125) so that no length overflows.
            info.texts[MpegStreamInfo::BitRate] =
                QString::number(audioLength / (seconds * 125)) + QStringLiteral(" Kbit (VBR)");
            info.texts[MpegStreamInfo::Length] = QString::number(seconds) + QStringLiteral(" seconds");
        } else {
            seconds = -1; // no frame count, too few frames or under a second: no play time, no average rate
        }
    } else {
        info.texts[MpegStreamInfo::BitRate] = QString::number(kbit) + QStringLiteral("Kbit");
        if (kbit > 0) {
            seconds = audioLength / (kbit / 8) / 1000;
            info.texts[MpegStreamInfo::Length] = QString::number(seconds);
        }
    }
    info.seconds = int(std::min<qint64>(seconds, INT_MAX)); // more only from a length no file has
    return info;
}

// Reads up to `count` bytes at `offset`, past interruptions and short reads; false on a read error.
bool readAt(int fd, QByteArray &to, qint64 count, qint64 offset)
{
    to.resize(count);
    qint64 done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd, to.data() + done, size_t(count - done), off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break; // the file ended (it may have shrunk since its length was taken)
        done += n;
    }
    to.resize(done);
    return true;
}

QString notAFileText(mode_t mode)
{
    return S_ISDIR(mode) ? QStringLiteral("это папка, а не файл")
                         : QStringLiteral("это не файл, а устройство или канал");
}

QString openErrorText(int errnum)
{
    // The common text for EACCES speaks of writing; this is a read.
    return errnum == EACCES ? QStringLiteral("нет прав на чтение этого файла") : systemErrorText(errnum);
}

MpegStreamInfo failed(const QString &reason)
{
    MpegStreamInfo info;
    info.error = reason;
    return info;
}

// Where the search for the stream starts: after a leading ID3v2 tag. A tag that claims more than the whole
// file is broken, and the file is searched from its start.
qint64 streamStart(QByteArrayView head, qint64 fileLength)
{
    const qint64 tag = MpegStreamInfo::id3v2Size(head.first(std::min<qsizetype>(head.size(), kId3v2HeaderSize)));
    return tag > fileLength ? 0 : tag;
}

} // namespace

MpegStreamInfo MpegStreamInfo::read(const QString &path)
{
    if (path.isEmpty())
        return failed(systemErrorText(ENOENT));
    const QByteArray native = QFile::encodeName(path);

    // A folder, a device or a pipe is refused before it is opened: opening some of them has side effects.
    struct stat st = {};
    if (::stat(native.constData(), &st) != 0)
        return failed(openErrorText(errno));
    if (!S_ISREG(st.st_mode))
        return failed(notAFileText(st.st_mode));

    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return failed(openErrorText(errno));
    struct Closer
    {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    // The name may have been given to something else since it was looked at.
    if (::fstat(fd, &st) != 0)
        return failed(systemErrorText(errno));
    if (!S_ISREG(st.st_mode))
        return failed(notAFileText(st.st_mode));
    const qint64 length = st.st_size;

    // One read usually does: it holds the search buffer of a file without an ID3v2 tag, and the tag's header.
    QByteArray head;
    if (!readAt(fd, head, std::min<qint64>(length, kReadSize), 0))
        return failed(systemErrorText(errno));
    const qint64 tag = streamStart(head, length);
    QByteArray id3v1;
    if (length >= kId3v1Size && !readAt(fd, id3v1, 3, length - kId3v1Size))
        return failed(systemErrorText(errno));
    const bool hasId3v1 = id3v1 == "TAG";
    if (tag == 0)
        return decode(head, 0, length, hasId3v1);
    QByteArray after;
    if (!readAt(fd, after, std::min<qint64>(length - tag, kReadSize), tag))
        return failed(systemErrorText(errno));
    return decode(after, tag, length, hasId3v1);
}

MpegStreamInfo MpegStreamInfo::fromBytes(QByteArrayView head, qint64 fileLength)
{
    const qint64 length = std::max<qint64>(fileLength, 0);
    // Bytes given beyond the file's length are not the file's.
    head = head.first(std::min<qint64>(head.size(), length));
    const qint64 tag = streamStart(head, length);
    const QByteArrayView after =
        tag < head.size() ? head.sliced(tag, std::min<qint64>(head.size() - tag, kReadSize)) : QByteArrayView();
    const bool id3v1 =
        length >= kId3v1Size && head.size() == length && head.sliced(length - kId3v1Size).startsWith("TAG");
    return decode(after, tag, length, id3v1);
}

qint64 MpegStreamInfo::id3v2Size(QByteArrayView first10)
{
    if (first10.size() < kId3v2HeaderSize || !first10.startsWith("ID3"))
        return 0;
    // Four bytes of seven bits each ("syncsafe"); a set eighth bit is ignored, as it must never be set.
    qint64 body = 0;
    for (int i = 6; i < 10; ++i)
        body = (body << 7) | (uchar(first10[i]) & 0x7F);
    const bool footer = (uchar(first10[5]) & 0x10) != 0;
    return kId3v2HeaderSize + body + (footer ? kId3v2FooterSize : 0);
}

int MpegStreamInfo::frameLength(QByteArrayView header)
{
    if (header.size() < 3 || uchar(header[0]) != 0xFF)
        return -1;
    const uchar h1 = uchar(header[1]), h2 = uchar(header[2]);
    const std::optional<MpegVersion> version = versionOf(h1);
    const int bitRateIndex = h2 >> 4, samplingIndex = (h2 >> 2) & 0x03;
    if (!version || bitRateIndex == 15 || samplingIndex == 3)
        return -1; // values the standard leaves unused: no frame has them
    if (bitRateIndex == 0)
        return 0; // free format: the frame's length is not in its header

    // The standard's bit rates in kbit/s, by layer; MPEG-2 and 2.5 share theirs.
    static const int kMpeg1[3][15] = {
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
    };
    static const int kMpeg2[2][15] = {
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
    };
    const int layer = layerOf(h1);
    const bool mpeg1 = *version == MpegVersion::Mpeg1;
    const int kbit = mpeg1 ? kMpeg1[layer - 1][bitRateIndex] : kMpeg2[layer == 1 ? 0 : 1][bitRateIndex];
    const int frequency = frequencyOf(*version, h2);
    const int padding = (h2 >> 1) & 0x01;
    if (layer == 1)
        return (12 * kbit * 1000 / frequency + padding) * 4;
    // Layer III of MPEG-2 and 2.5 has half the samples a frame (576), and so half the bytes.
    const int factor = layer == 3 && !mpeg1 ? 72 : 144;
    return factor * kbit * 1000 / frequency + padding;
}
