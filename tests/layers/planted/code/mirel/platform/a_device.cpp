#include "mirel/platform/a_device.h"

#include "mirel/base/a_low.h"
#include "mirel/gfx/a_high.h"

int a_device() { return a_low(); }
