#include "PrintServerReply.h"

#include <cups/cups.h>

bool PrintServerReply::lastRequestFailed()
{
    // Anything past the successful codes: redirections, client and server errors, and CUPS's own
    // (a cancelled authentication, an unreachable server).
    return cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE;
}
