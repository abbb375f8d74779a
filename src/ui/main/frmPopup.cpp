#include "frmPopup.h"
