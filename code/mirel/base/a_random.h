#pragma once
// The engine-wide random generator with the C library's contract: values from
// 0 to A_RAND_MAX (32767), reseeded with a_srand. The same seed gives the same
// sequence on every machine.

#include <cstdint>

constexpr int A_RAND_MAX = 32767;

int a_rand();
void a_srand(uint32_t seed);

// min + rand() * (max - min) / 32767, the range helper the engine uses everywhere.
float a_randRange(float min, float max);
int a_randRangeInt(int min, int max);
