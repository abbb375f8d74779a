#include "BenchCommon.h"

void benchCompletion()
{
}
