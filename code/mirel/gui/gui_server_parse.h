#pragma once
// Reading numbers out of GUI script values. Values are blank-separated
// numbers; reading stops at the first text that is not a number and the
// numbers not read are 0. Integers take a sign and a 0x or leading-0 base
// prefix; integers wider than their type wrap, floats out of an int's range
// are clamped when truncated.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

namespace GUI {
namespace ScriptValue {

// Up to `count` integers into out[]; returns how many were read.
inline int ReadLongs(const std::string& value, long* out, int count) {
    const char* p = value.c_str();
    int n = 0;
    for (; n < count; ++n) {
        char* end = nullptr;
        long v = std::strtol(p, &end, 0);
        if (end == p)
            break;
        out[n] = v;
        p = end;
    }
    for (int i = n; i < count; ++i)
        out[i] = 0;
    return n;
}

inline int ReadShorts(const std::string& value, int16_t* out, int count) {
    long v[8];
    if (count > 8)
        count = 8;
    int n = ReadLongs(value, v, count);
    for (int i = 0; i < count; ++i)
        out[i] = static_cast<int16_t>(static_cast<uint16_t>(static_cast<unsigned long>(v[i])));
    return n;
}

inline int32_t ReadInt(const std::string& value) {
    long v = 0;
    ReadLongs(value, &v, 1);
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<unsigned long>(v)));
}

inline int ReadFloats(const std::string& value, float* out, int count) {
    const char* p = value.c_str();
    int n = 0;
    for (; n < count; ++n) {
        char* end = nullptr;
        float v = std::strtof(p, &end);
        if (end == p)
            break;
        out[n] = v;
        p = end;
    }
    for (int i = n; i < count; ++i)
        out[i] = 0.0f;
    return n;
}

// A float truncated towards zero into an int; NaN gives 0.
inline int32_t TruncateToInt(float v) {
    if (std::isnan(v))
        return 0;
    if (v >= 2147483520.0f)
        return std::numeric_limits<int32_t>::max();
    if (v <= -2147483648.0f)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

} // namespace ScriptValue
} // namespace GUI
