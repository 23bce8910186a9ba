#pragma once
#include "game/a_scene.h"

int room();
