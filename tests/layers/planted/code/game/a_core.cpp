#include "game/a_scene.h"
#include "game/shell/a_shell.h"

int core() { return scene() + shell(); }
