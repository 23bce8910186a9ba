#include "mirel/platform/audio/a_resample.h"

#include <cmath>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define A_RESAMPLE_X86 1
#endif

uint64_t a_mixStep(int rate, int outRate) {
    const double step = std::ldexp(static_cast<double>(rate) / static_cast<double>(outRate), 32);
    return step < 1.0 ? 1u : static_cast<uint64_t>(std::llround(step));
}

int a_mixRun(const aMixPosition& p, uint64_t step, int64_t limit, int n) {
    const int64_t avail = limit - p.frame;
    if (avail <= 0 || n <= 0) {
        return 0;
    }
    // The last of the n frames lies at frac + (n - 1) * step.
    const uint64_t last = p.frac + static_cast<uint64_t>(n - 1) * step;
    if (static_cast<uint64_t>(avail) > (last >> 32)) {
        return n;
    }
    // Frames k with frac + k * step < avail * 2^32.
    const uint64_t room = (static_cast<uint64_t>(avail) << 32) - p.frac;
    return static_cast<int>((room + step - 1) / step);
}

void a_mixResampledReference(float* acc, const float* frames, int channels, aMixPosition& p, uint64_t step,
                             int n, float left, float right) {
    uint64_t rel = p.frac;
    for (int k = 0; k < n; ++k, rel += step) {
        const int64_t i0 = p.frame + static_cast<int64_t>(rel >> 32);
        const float t = a_mixWeight(static_cast<uint32_t>(rel));
        if (channels == 1) {
            const float a = frames[i0], b = frames[i0 + 1];
            const float v = a + (b - a) * t;
            acc[2 * k] += v * left;
            acc[2 * k + 1] += v * right;
        } else {
            const float* f = frames + 2 * i0;
            acc[2 * k] += (f[0] + (f[2] - f[0]) * t) * left;
            acc[2 * k + 1] += (f[1] + (f[3] - f[1]) * t) * right;
        }
    }
    a_mixAdvance(p, step, n);
}

void a_mixResampled(float* acc, const float* frames, int channels, aMixPosition& p, uint64_t step, int n,
                    float left, float right) {
    int k = 0;
#ifdef A_RESAMPLE_X86
    // Two output frames at a time; the same operations in the same order as
    // the plain loop, lane by lane.
    const __m128 gains = _mm_setr_ps(left, right, left, right);
    const __m128 scale = _mm_set1_ps(1.0f / 16777216.0f);
    const float* base = frames + (channels == 1 ? p.frame : 2 * p.frame);
    uint64_t rel = p.frac;
    const __m128i twoSteps = _mm_set1_epi64x(static_cast<long long>(2 * step));
    __m128i rels = _mm_set_epi64x(static_cast<long long>(rel + step), static_cast<long long>(rel));
    for (; k + 2 <= n; k += 2, rel += 2 * step) {
        const size_t i0 = static_cast<size_t>(rel >> 32), i1 = static_cast<size_t>((rel + step) >> 32);
        // Weights t0, t0, t1, t1 from the two fractions.
        const __m128i fr = _mm_srli_epi64(_mm_slli_epi64(rels, 32), 40);
        const __m128 t = _mm_mul_ps(_mm_cvtepi32_ps(_mm_shuffle_epi32(fr, _MM_SHUFFLE(2, 2, 0, 0))), scale);
        rels = _mm_add_epi64(rels, twoSteps);
        __m128 a, b;
        if (channels == 1) {
            const __m128 q0 = _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(base + i0)));
            const __m128 q1 = _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(base + i1)));
            const __m128 q = _mm_movelh_ps(q0, q1); // a0 b0 a1 b1
            a = _mm_shuffle_ps(q, q, _MM_SHUFFLE(2, 2, 0, 0));
            b = _mm_shuffle_ps(q, q, _MM_SHUFFLE(3, 3, 1, 1));
        } else {
            const __m128 q0 = _mm_loadu_ps(base + 2 * i0); // aL aR bL bR
            const __m128 q1 = _mm_loadu_ps(base + 2 * i1);
            a = _mm_movelh_ps(q0, q1);
            b = _mm_movehl_ps(q1, q0);
        }
        const __m128 v = _mm_add_ps(a, _mm_mul_ps(_mm_sub_ps(b, a), t));
        float* out = acc + 2 * k;
        _mm_storeu_ps(out, _mm_add_ps(_mm_loadu_ps(out), _mm_mul_ps(v, gains)));
    }
    if (k > 0) {
        a_mixAdvance(p, step, k);
    }
#endif
    a_mixResampledReference(acc + 2 * k, frames, channels, p, step, n - k, left, right);
}
