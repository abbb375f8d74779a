#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    (void)FuzzSupport::bytes(data, size);
    return 0;
}
