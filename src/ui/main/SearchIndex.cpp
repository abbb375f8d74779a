#include "SearchIndex.h"
