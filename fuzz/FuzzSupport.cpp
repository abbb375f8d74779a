#include "FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace FuzzSupport {

QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// In memory (/dev/shm) where there is such a folder: a disk file system starts writing back every file that
// is rewritten after a truncation, which costs twenty times the reading being fuzzed.
const QString &folder()
{
    static const QString parent = [] {
        const QFileInfo shm(QStringLiteral("/dev/shm"));
        return shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
    }();
    static QTemporaryDir dir(parent + QStringLiteral("/cratebook-fuzz-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder: %s\n", qPrintable(dir.errorString()));
        std::abort();
    }
    static const QString path = dir.path();
    return path;
}

QString writeFile(const QString &name, const QByteArray &content)
{
    const QString path = folder() + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size()) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        std::abort();
    }
    return path;
}

QByteArray readFile(const QString &name)
{
    QFile file(folder() + QLatin1Char('/') + name);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s: %s\n", qPrintable(file.fileName()), qPrintable(file.errorString()));
        std::abort();
    }
    return file.readAll();
}

QList<QByteArray> lines(const QByteArray &content)
{
    if (content.isEmpty())
        return {};
    QByteArray text = content;
    text.replace("\r\n", "\n").replace('\r', '\n');
    QList<QByteArray> result = text.split('\n');
    if (text.endsWith('\n'))
        result.removeLast();
    return result;
}

QList<QByteArray> fields(const QByteArray &line, int count)
{
    QList<QByteArray> parts = line.split('\t');
    while (parts.size() < count)
        parts.append(QByteArray());
    return parts.mid(0, count);
}

QByteArray joined(const QList<QByteArray> &fields)
{
    return fields.join('\t');
}

bool isOneLine(const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0) || u == 0x2028 || u == 0x2029)
            return false;
    }
    return text == text.trimmed();
}

QByteArray hex(QStringView text)
{
    QByteArray out;
    for (const QChar c : text)
        out += QByteArray::number(c.unicode(), 16).rightJustified(4, '0') + ' ';
    return out.trimmed();
}

void fail(const char *condition, const char *file, int line, const QByteArray &detail)
{
    std::fprintf(stderr, "\n%s:%d: does not hold: %s\n", file, line, condition);
    if (!detail.isEmpty())
        std::fprintf(stderr, "%s\n", detail.constData());
    std::fflush(stderr);
    std::abort();
}

} // namespace FuzzSupport
