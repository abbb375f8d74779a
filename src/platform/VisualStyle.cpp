#include "VisualStyle.h"
