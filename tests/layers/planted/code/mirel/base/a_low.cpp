#include "mirel/base/a_low.h"

#include "mirel/gfx/a_high.h"

int a_low() { return 1; }
