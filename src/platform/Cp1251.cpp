#include "Cp1251.h"
