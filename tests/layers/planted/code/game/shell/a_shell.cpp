#include "game/shell/a_shell.h"

#include "game/a_scene.h"
#include "mirel/gfx/a_high.h"

int shell() { return room() + scene() + a_high(); }
