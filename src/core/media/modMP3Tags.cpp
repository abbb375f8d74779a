#include "modMP3Tags.h"

namespace modMP3Tags {

QString fixedField(const QString &text, int width)
{
    return text.left(width).leftJustified(width, QLatin1Char(' '));
}

QString fieldText(const QString &field)
{
    const qsizetype nul = field.indexOf(QChar(0));
    return (nul < 0 ? field : field.left(nul)).trimmed();
}

const QStringList &genreNames()
{
    static const QStringList names;
    return names;
}

quint8 genreNumber(const QString &)
{
    return 0;
}

bool parseTag(QByteArrayView, TagBuffer &)
{
    return false;
}

bool ReadTag(const QString &, TagBuffer &)
{
    return false;
}

QByteArray tagBytes(const TagBuffer &, const QString &)
{
    return QByteArray(kTagSize, '\0');
}

WriteResult WriteTag(const QString &, const TagBuffer &, const QString &)
{
    return {QStringLiteral("запись тегов ещё не сделана")};
}

} // namespace modMP3Tags
