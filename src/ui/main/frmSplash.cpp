#include "frmSplash.h"
