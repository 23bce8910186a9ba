#pragma once
// Angle helpers in single precision. Each wrap takes one step only, so an
// angle more than a turn out of range stays out of range.

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
