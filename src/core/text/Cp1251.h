#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

// The 8-bit code page of every file the program reads or writes (Windows-1251). Conversion goes
// through tables built once from Qt's "windows-1251" codec (256 entries one way, one per 16-bit character
// the other), so a large base converts at memory speed. Every byte decodes to one character and back to
// the same byte (the one byte the code page leaves unassigned, 0x98, maps to U+0098 and back), so a file
// read and written again is unchanged.
//
// Characters the code page cannot hold are written as Windows writes them: a close look-alike where one
// exists (é as e, ß as ss, ‟ as "), otherwise "?"; a character beyond 16 bits (an emoji) is one "?".
// Never a control byte.
namespace Cp1251 {

QString decode(QByteArrayView bytes);
// Decodes `bytes` into `out`, replacing what it held; its room is reused when it has enough, so decoding
// many texts one after another into one string allocates once.
void decodeInto(QByteArrayView bytes, QString &out);
QByteArray encode(QStringView text);
// Appends the encoding of `text` to `out` (no allocation per call when `out` has room).
void encodeAppend(QStringView text, QByteArray &out);

// True when every character of `text` has its own byte in the code page, so encode() loses nothing.
bool canEncode(QStringView text);
// Writes the byte of every character of `text` to `out` (text.size() bytes) and returns true, when every
// character has a byte of its own; returns false as soon as one has not, `out` then partly written.
bool encodeExact(QStringView text, char *out);
// The character `byte` stands for (what decode() makes of it).
char16_t decodeByte(quint8 byte);
// What `text` becomes after a write and a read back: the characters the code page cannot hold replaced
// as encode() replaces them.
QString roundTrip(QStringView text);
// How the texts among `texts` that the code page cannot hold will be written, one "«text» → «written»" line
// each, in order and without repeats: what the program shows before it stores them.
QStringList roundTripChanges(const QStringList &texts);

} // namespace Cp1251
