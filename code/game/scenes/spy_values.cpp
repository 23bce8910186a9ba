#include "game/scenes/spy_values.h"

#include <cmath>
#include <cstdlib>

namespace {

// The next number from *at; false when there is none or it is not finite.
bool readNumber(const char*& at, float& out) {
    char* end = nullptr;
    const float v = std::strtof(at, &end);
    if (end == at || !std::isfinite(v))
        return false;
    at = end;
    out = v;
    return true;
}

} // namespace

bool SpyReadPoint(const std::string& value, SpyPoint& point) {
    const char* at = value.c_str();
    float x = 0.0f, y = 0.0f;
    if (!readNumber(at, x))
        return false;
    if (!readNumber(at, y))
        y = 0.0f;
    point = SpyPoint{x, y};
    return true;
}

float SpyReadFloat(const std::string& value) {
    const char* at = value.c_str();
    float v = 0.0f;
    return readNumber(at, v) ? v : 0.0f;
}
