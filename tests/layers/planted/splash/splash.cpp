#include "splash.h"

#include "mirel/base/a_low.h"

#include <X11/Xlib.h>

int splash() { return 0; }
