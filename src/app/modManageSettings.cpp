#include "modManageSettings.h"
