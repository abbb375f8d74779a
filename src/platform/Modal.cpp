#include "Modal.h"
