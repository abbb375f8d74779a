#include "ListViewModel.h"
