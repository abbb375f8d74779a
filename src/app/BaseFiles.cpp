#include "BaseFiles.h"
