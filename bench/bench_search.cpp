#include "BenchCommon.h"

void benchSearch(const QString &dir)
{
    Q_UNUSED(dir);
}
