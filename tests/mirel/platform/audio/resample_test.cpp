// The mixer's resampling: the vector path against the plain loop, and runs
// that never read past the frames they are given.
#include "mirel/platform/audio/a_resample.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

TEST(Resample, VectorPathMatchesThePlainLoopAndRunsStayInside) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> level(-1.0f, 1.0f);
    const int rates[] = {8000, 11025, 22050, 32000, 44100, 48000, 96000};
    for (int channels : {1, 2}) {
        for (int rate : rates) {
            const uint64_t step = a_mixStep(rate, 44100);
            const int64_t frames = 700;
            std::vector<float> sound(size_t(frames * channels));
            for (float& v : sound) {
                v = level(rng);
            }
            for (int trial = 0; trial < 20; ++trial) {
                aMixPosition start{int64_t(rng() % 600), uint32_t(rng())};
                const int n = a_mixRun(start, step, frames - 1, int(1 + rng() % 600));
                // Every frame read, and the one after it, lies inside.
                const uint64_t last = start.frac + uint64_t(n > 0 ? n - 1 : 0) * step;
                if (n > 0) {
                    EXPECT_LT(start.frame + int64_t(last >> 32) + 1, frames) << rate;
                }
                // The run is as long as it may be: one more would read past the end.
                const uint64_t next = start.frac + uint64_t(n) * step;
                const int wanted = n + 1;
                if (a_mixRun(start, step, frames - 1, wanted) == n) {
                    EXPECT_GE(start.frame + int64_t(next >> 32) + 1, frames) << rate << " run " << n;
                }
                std::vector<float> fast(size_t(2 * n), 0.25f), plain = fast;
                aMixPosition a = start, b = start;
                a_mixResampled(fast.data(), sound.data(), channels, a, step, n, 0.8f, 0.3f);
                a_mixResampledReference(plain.data(), sound.data(), channels, b, step, n, 0.8f, 0.3f);
                ASSERT_EQ(fast, plain) << "rate " << rate << " channels " << channels << " n " << n;
                EXPECT_EQ(a.frame, b.frame);
                EXPECT_EQ(a.frac, b.frac);
            }
        }
    }
    // Whole steps of a sound at the output's rate read each frame once.
    EXPECT_EQ(a_mixStep(44100, 44100), uint64_t(1) << 32);
    EXPECT_EQ(a_mixStep(22050, 44100), uint64_t(1) << 31);
}

} // namespace
