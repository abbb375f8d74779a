#include "modAutoComplete.h"
