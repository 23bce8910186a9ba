#include "game/scenes/a_room.h"

#include "game/shell/a_shell.h"

int room() { return scene() + shell(); }
