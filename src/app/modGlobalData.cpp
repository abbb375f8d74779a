#include "modGlobalData.h"
