#include "frmMain.h"
