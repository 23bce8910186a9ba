#pragma once
#include "mirel/base/a_low.h"
#include "mirel/platform/a_device.h"

int a_high();
