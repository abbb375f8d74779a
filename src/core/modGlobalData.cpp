#include "modGlobalData.h"

QStringList modGlobalData::mediaTypes()
{
    return {QStringLiteral("CD"), QStringLiteral("LP")};
}
