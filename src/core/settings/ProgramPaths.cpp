#include "ProgramPaths.h"

void ProgramPaths::setAppPath(const QString &folder)
{
    sAppPath = SlashPath(folder);
    sDataPath = sAppPath + QStringLiteral("DATA/");
}

QString SlashPath(const QString &path)
{
    if (path.endsWith(QLatin1Char('/')))
        return path;
    return path + QLatin1Char('/');
}
