#include "game/a_scene.h"
#include "game/scenes/a_room.h"

int puzzle() { return scene() + room(); }
