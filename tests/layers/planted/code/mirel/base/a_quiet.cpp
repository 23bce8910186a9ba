#include "a_low.h"

#include <mirel/sound/a_sound.h>
