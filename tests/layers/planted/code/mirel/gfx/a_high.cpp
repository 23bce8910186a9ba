#include "mirel/gfx/a_high.h"

#include "game/a_scene.h"
#include "mirel/gfx/a_missing.h"

#include <vector>

int a_high() { return a_device(); }
