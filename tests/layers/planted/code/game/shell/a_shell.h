#pragma once
#include "game/scenes/a_room.h"

int shell();
