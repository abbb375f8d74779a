#include "ListView.h"
