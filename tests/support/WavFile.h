#pragma once

// A WAV file around 16-bit PCM samples, for the MP3 encoder that makes the tests' MP3 files.

#include <QByteArray>
#include <QtEndian>

namespace TestSupport {

// `pcm` (interleaved 16-bit little-endian samples of two channels) at `rate` samples a second, as a WAV file.
inline QByteArray stereoWav(const QByteArray &pcm, int rate)
{
    QByteArray wav("RIFF....WAVEfmt ....\x01\x00\x02\x00........\x04\x00\x10\x00"
                   "data....",
                   44);
    qToLittleEndian(quint32(36 + pcm.size()), wav.data() + 4);
    qToLittleEndian(quint32(16), wav.data() + 16);
    qToLittleEndian(quint32(rate), wav.data() + 24);
    qToLittleEndian(quint32(rate * 4), wav.data() + 28);
    qToLittleEndian(quint32(pcm.size()), wav.data() + 40);
    return wav + pcm;
}

} // namespace TestSupport
