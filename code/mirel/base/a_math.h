#pragma once
// Angle helpers in single precision, and fractions as alpha bytes. Each wrap
// takes one step only, so an angle more than a turn out of range stays out of
// range.

#include <cstdint>

constexpr float A_PI = 3.14159265358979f;
constexpr float A_2PI = 6.28318530717959f;

// Into [0, 2pi).
inline float wrapAngle2Pi(float angle) {
    if (angle >= A_2PI) {
        return angle - A_2PI;
    }
    if (angle < 0.0f) {
        return angle + A_2PI;
    }
    return angle;
}

// Into [-pi, pi].
inline float wrapAnglePi(float angle) {
    if (angle < -A_PI) {
        return angle + A_2PI;
    }
    if (angle > A_PI) {
        return angle - A_2PI;
    }
    return angle;
}

// A fraction as an alpha byte: 0 at or below 0 (and for what is not a
// number), 255 at or above 1, else rounded.
inline uint8_t alphaByte(float fraction) {
    if (!(fraction > 0.0f)) {
        return 0;
    }
    if (fraction >= 1.0f) {
        return 255;
    }
    return uint8_t(fraction * 255.0f + 0.5f);
}

// White with the fraction's alpha, as 0xAARRGGBB.
inline uint32_t whiteWithAlpha(float fraction) {
    return uint32_t(alphaByte(fraction)) << 24 | 0xFFFFFFu;
}
