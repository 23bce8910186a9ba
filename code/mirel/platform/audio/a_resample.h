#pragma once
// The mixer's resampling: a sound read at its own rate into the output's,
// each output frame interpolated linearly between the frame at its position
// and the next. Positions are exact fixed point (a frame and a fraction in
// 1/2^32), so every output frame's position is the start plus k steps, and the
// vector path and the plain loop give the same sound.

#include <cstdint>

struct aMixPosition {
    int64_t frame = 0;
    uint32_t frac = 0; // of a frame, in 1/2^32
};

// The step per output frame of a sound at rate played at outRate.
uint64_t a_mixStep(int rate, int outRate);

// How many of the next n output frames read only frames before limit (the
// frame at the position and the next).
int a_mixRun(const aMixPosition& p, uint64_t step, int64_t limit, int n);

// The interpolation weight of a position's fraction.
inline float a_mixWeight(uint32_t frac) {
    return static_cast<float>(frac >> 8) * (1.0f / 16777216.0f);
}

// Adds n output frames to acc (stereo, interleaved) from frames (channels 1
// or 2, interleaved), starting at p and advancing it by step each frame, with
// the gains of the left and right side. Every frame read must exist (see
// a_mixRun).
void a_mixResampled(float* acc, const float* frames, int channels, aMixPosition& p, uint64_t step, int n,
                    float left, float right);
// The one-frame-at-a-time form of a_mixResampled.
void a_mixResampledReference(float* acc, const float* frames, int channels, aMixPosition& p, uint64_t step,
                             int n, float left, float right);

// Moves p on by n steps.
inline void a_mixAdvance(aMixPosition& p, uint64_t step, int n) {
    const uint64_t rel = p.frac + static_cast<uint64_t>(n) * step;
    p.frame += static_cast<int64_t>(rel >> 32);
    p.frac = static_cast<uint32_t>(rel);
}
