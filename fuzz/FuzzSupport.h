#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <cstddef>
#include <cstdint>

// What the fuzz targets share: a folder for the files the readers read, made once per process; the
// plain rules of the line-and-TAB text files, stated over bytes so they do not lean on the code they
// check; and a check that stops the run with a message, so that libFuzzer keeps the input.
namespace FuzzSupport {

// The fuzz input as bytes (a copy: the readers may keep what they are given).
QByteArray bytes(const uint8_t *data, size_t size);

// A temporary folder made on first use (in memory where possible) and removed when the process ends normally.
const QString &folder();
// Writes `content` to the file `name` in folder(), replacing it, and returns its path.
QString writeFile(const QString &name, const QByteArray &content);
// The content of the file `name` in folder().
QByteArray readFile(const QString &name);

// The lines of a text file: CR LF, LF and a lone CR each end a line, and a line end at the very end does
// not start another (empty) line. No bytes, no lines.
QList<QByteArray> lines(const QByteArray &content);
// The first `count` TAB-separated parts of `line`, missing ones empty: the fields a reader makes of it.
QList<QByteArray> fields(const QByteArray &line, int count);
// The fields joined by TAB.
QByteArray joined(const QList<QByteArray> &fields);

// Whether `text` is one line as a catalogue field from outside must be: no control character (NUL, line breaks
// and TAB among them, C1 controls, the Unicode line and paragraph separators), no blank at either end.
bool isOneLine(const QString &text);

// The UTF-16 code units of `text` in hex, for messages.
QByteArray hex(QStringView text);

// Prints what did not hold, with `detail` when given, and aborts.
[[noreturn]] void fail(const char *condition, const char *file, int line, const QByteArray &detail = {});

} // namespace FuzzSupport

// Stops the run when `condition` does not hold; FUZZ_CHECK_SAYING also prints `detail` (a QByteArray).
#define FUZZ_CHECK(condition) FUZZ_CHECK_SAYING(condition, QByteArray())
#define FUZZ_CHECK_SAYING(condition, detail)                                                                           \
    do {                                                                                                               \
        if (!(condition))                                                                                              \
            FuzzSupport::fail(#condition, __FILE__, __LINE__, detail);                                                 \
    } while (false)
