// The code page's promises, on any bytes and any text:
//  - every byte decodes to one character that encodes back to the same byte, and nothing is lost;
//  - decoding agrees with Qt's "windows-1251" codec (apart from 0x98, which the code page leaves unassigned);
//  - a text the code page can hold encodes without loss, to what Qt's codec makes of it;
//  - encoding never makes a control byte out of anything but that same control character;
//  - encodeAppend() appends exactly what encode() gives, and roundTrip() is what a write and a read make.
//
// The input is taken as bytes, as UTF-8 text and as UTF-16 code units (lone surrogates and all).

#include "FuzzSupport.h"
#include "core/text/Cp1251.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
#include <cstring>

namespace {

bool isControl(char16_t c)
{
    return c < 0x20 || c == 0x7F;
}

void checkBytes(const QByteArray &bytes)
{
    const QString text = Cp1251::decode(bytes);
    FUZZ_CHECK(text.size() == bytes.size());
    FUZZ_CHECK(Cp1251::encode(text) == bytes);
    FUZZ_CHECK(Cp1251::canEncode(text));
    FUZZ_CHECK(Cp1251::roundTrip(text) == text);

    if (!bytes.contains('\x98')) {
        QStringDecoder codec("windows-1251", QStringDecoder::Flag::Stateless);
        FUZZ_CHECK(codec.isValid());
        const QString byCodec = codec.decode(bytes);
        FUZZ_CHECK_SAYING(!codec.hasError() && byCodec == text,
                          FuzzSupport::hex(byCodec) + "\n" + FuzzSupport::hex(text));
    }
}

void checkText(QStringView text, const QByteArray &prefix)
{
    const QByteArray encoded = Cp1251::encode(text);

    // Control bytes: exactly as many of each as the text held of that control character.
    std::array<int, 128> controlsIn{};
    std::array<int, 128> controlsOut{};
    for (const QChar c : text) {
        if (isControl(c.unicode()))
            ++controlsIn[c.unicode()];
    }
    for (const char byte : encoded) {
        if (isControl(uchar(byte)))
            ++controlsOut[uchar(byte)];
    }
    FUZZ_CHECK_SAYING(controlsIn == controlsOut, FuzzSupport::hex(text) + "\n" + encoded.toHex(' '));

    QByteArray appended = prefix;
    Cp1251::encodeAppend(text, appended);
    FUZZ_CHECK(appended == prefix + encoded);

    const QString back = Cp1251::roundTrip(text);
    FUZZ_CHECK(back == Cp1251::decode(encoded));
    FUZZ_CHECK(Cp1251::encode(back) == encoded);
    FUZZ_CHECK(Cp1251::canEncode(back));

    if (Cp1251::canEncode(text)) {
        FUZZ_CHECK_SAYING(back == text, FuzzSupport::hex(text) + "\n" + FuzzSupport::hex(back));
        if (!text.contains(QChar(0x0098))) {
            QStringEncoder codec("windows-1251", QStringEncoder::Flag::Stateless);
            const QByteArray byCodec = codec.encode(text);
            FUZZ_CHECK_SAYING(!codec.hasError() && byCodec == encoded, byCodec.toHex(' ') + "\n" + encoded.toHex(' '));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzSupport::bytes(data, size);
    checkBytes(bytes);

    const QByteArray prefix = bytes.left(bytes.isEmpty() ? 0 : uchar(bytes[0]) % 8);
    checkText(QString::fromUtf8(bytes), prefix);
    QString units(bytes.size() / 2, Qt::Uninitialized);
    std::memcpy(units.data(), bytes.constData(), size_t(units.size()) * sizeof(QChar));
    checkText(units, prefix);
    return 0;
}
