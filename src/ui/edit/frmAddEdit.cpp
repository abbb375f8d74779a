#include "frmAddEdit.h"
