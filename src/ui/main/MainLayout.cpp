#include "MainLayout.h"
