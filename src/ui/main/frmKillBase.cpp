#include "frmKillBase.h"
