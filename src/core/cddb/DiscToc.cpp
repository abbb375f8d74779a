#include "DiscToc.h"

namespace {

int digitSum(int n)
{
    int sum = 0;
    for (; n > 0; n /= 10)
        sum += n % 10;
    return sum;
}

} // namespace

bool DiscToc::isValid() const
{
    if (frameOffsets.isEmpty() || frameOffsets.size() > kMaxTracks)
        return false;
    int previous = -1;
    for (const int offset : frameOffsets) {
        if (offset <= previous)
            return false;
        previous = offset;
    }
    return leadout > previous && leadout <= kMaxFrames;
}

quint32 DiscToc::discId() const
{
    int sum = 0;
    for (const int offset : frameOffsets)
        sum += digitSum(offset / kFramesPerSecond);
    const quint32 playSeconds = quint32(leadout / kFramesPerSecond - frameOffsets.first() / kFramesPerSecond);
    return (quint32(sum % 255) << 24) | ((playSeconds & 0xFFFF) << 8) | quint32(trackCount());
}

QString DiscToc::discIdText() const
{
    return QStringLiteral("%1").arg(discId(), 8, 16, QLatin1Char('0'));
}

int DiscToc::trackFrames(int index) const
{
    const int end = index + 1 < trackCount() ? frameOffsets.at(index + 1) : leadout;
    return end - frameOffsets.at(index);
}

QByteArray DiscToc::queryCommand() const
{
    QByteArray command = "cddb query " + discIdText().toLatin1() + ' ' + QByteArray::number(trackCount());
    for (const int offset : frameOffsets)
        command += ' ' + QByteArray::number(offset);
    return command + ' ' + QByteArray::number(lengthSeconds());
}

int framesToSeconds(qint64 frames)
{
    return int((frames + DiscToc::kFramesPerSecond / 2) / DiscToc::kFramesPerSecond);
}
