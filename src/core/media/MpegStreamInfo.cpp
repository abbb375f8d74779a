#include "MpegStreamInfo.h"

MpegStreamInfo MpegStreamInfo::read(const QString &)
{
    return {};
}

MpegStreamInfo MpegStreamInfo::fromBytes(QByteArrayView, qint64)
{
    return {};
}

qint64 MpegStreamInfo::id3v2Size(QByteArrayView)
{
    return 0;
}
