#include "game/a_scene.h"

#include "mirel/base/a_low.h"
#include "mirel/platform/a_device.h"

int scene() { return a_high() + a_sound(); }
