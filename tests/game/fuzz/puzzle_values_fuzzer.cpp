// Arbitrary bytes as the values the puzzles read from their files: layout
// offsets and "x,y,turns" start places. Must never crash, and what is read
// stays within the documented limits.

#include "game/bonus/bonus_values.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const int32_t v =
        bonusvalues::ParseInt(text, -bonusvalues::kCoordinateLimit, bonusvalues::kCoordinateLimit);
    if (v < -bonusvalues::kCoordinateLimit || v > bonusvalues::kCoordinateLimit)
        std::abort();
    float x = 1.0f, y = 2.0f;
    int32_t turns = 0;
    bonusvalues::ParsePlace(text, x, y, turns);
    if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > float(bonusvalues::kCoordinateLimit) ||
        std::fabs(y) > float(bonusvalues::kCoordinateLimit) || turns <= -4 || turns >= 4)
        std::abort();
    return 0;
}
