#pragma once
#include "mirel/base/a_low.h"

int a_device();
