#include "splash.h"

#include "../code/game/a_scene.h"
