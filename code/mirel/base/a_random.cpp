#include "mirel/base/a_random.h"

namespace {
// The classic linear congruential generator, 15 bits out of the high half.
uint32_t g_state = 1;
} // namespace

int a_rand() {
    g_state = g_state * 1103515245u + 12345u;
    return static_cast<int>((g_state >> 16) & 0x7fff);
}

void a_srand(uint32_t seed) {
    g_state = seed;
}

float a_randRange(float min, float max) {
    return min + static_cast<float>(a_rand()) * (max - min) / static_cast<float>(A_RAND_MAX);
}

int a_randRangeInt(int min, int max) {
    return min + static_cast<int>(static_cast<int64_t>(a_rand()) * (max - min) / A_RAND_MAX);
}
