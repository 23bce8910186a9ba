#pragma once
#include "mirel/platform/a_device.h"

int a_sound();
