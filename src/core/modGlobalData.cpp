#include "modGlobalData.h"

modGlobalData::modGlobalData() = default;

void modGlobalData::fillColumns()
{
    static const struct {
        const char16_t *caption;
        int width;
    } kColumns[kColumnCount] = {
        {u"Тип носителя", 40}, {u"№ носителя", 50}, {u"№ трека", 50}, {u"Исполнитель", 100},
        {u"Название", 130},    {u"Альбом", 130},    {u"Длительность", 50}, {u"Дата", 50},
        {u"Стиль", 90},        {u"Лэйбл", 90},      {u"Комментарий", 90},  {u"Рейтинг", 90},
    };
    for (int k = 0; k < kColumnCount; ++k)
        arColumns[size_t(k)] = {QString::fromUtf16(kColumns[k].caption), kColumns[k].width};
}

void modGlobalData::setAppPath(const QString &folder)
{
    sAppPath = SlashPath(folder);
    sDataPath = sAppPath + QStringLiteral("DATA/");
}

QStringList modGlobalData::mediaTypes()
{
    return {QStringLiteral("CD"), QStringLiteral("LP")};
}

QString SlashPath(const QString &path)
{
    if (path.endsWith(QLatin1Char('/')))
        return path;
    return path + QLatin1Char('/');
}
