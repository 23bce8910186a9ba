#pragma once
#include "mirel/gfx/a_high.h"
#include "mirel/sound/a_sound.h"

int scene();
