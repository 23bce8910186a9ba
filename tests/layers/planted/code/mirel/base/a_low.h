#pragma once
#include <cstdint>

int a_low();
