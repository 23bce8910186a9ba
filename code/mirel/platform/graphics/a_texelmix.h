#pragma once
// The texel arithmetic both samplers share: 16.16 fixed-point positions and
// the rounded mix of two texels, in plain and vector forms that give the same
// bytes. A texel pair mixes as (a * (256 - w) + b * w + 128) >> 8 per
// channel, weights w in 0..256.

#include <algorithm>
#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace aTexel {

// Two channels per 32-bit word (0x00RR00BB and 0x00AA00GG); weights in 1/256,
// so each lane stays below 65536 before the rounding shift.
inline uint32_t lerpLanes(uint32_t a, uint32_t b, uint32_t w) {
    return ((a * (256 - w) + b * w + 0x00800080u) >> 8) & 0x00FF00FFu;
}

// Each channel of a and b mixed as (a * (256 - w) + b * w + 128) >> 8.
inline uint32_t lerp2(uint32_t a, uint32_t b, uint32_t w) {
    constexpr uint32_t m = 0x00FF00FFu;
    return lerpLanes(a & m, b & m, w) | (lerpLanes((a >> 8) & m, (b >> 8) & m, w) << 8);
}

inline uint32_t lerp4(uint32_t c00, uint32_t c10, uint32_t c01, uint32_t c11, uint32_t wx, uint32_t wy) {
    // Down the columns first, then across: every path keeps this order.
    return lerp2(lerp2(c00, c01, wy), lerp2(c10, c11, wy), wx);
}

// Positions in 16.16 fixed point: the walk along a row is exact integer steps.
// Rounds half away from zero, as llround does.
inline int64_t toFixed(double v) {
    if (!(v > -1.0e9)) {
        return int64_t(-1.0e9 * 65536.0);
    }
    if (v > 1.0e9) {
        return int64_t(1.0e9 * 65536.0);
    }
    const double x = v * 65536.0;
    const int64_t t = int64_t(x); // toward zero; x - t is exact
    const double f = x - double(t);
    return t + int64_t(f >= 0.5) - int64_t(f <= -0.5); // no branch
}

inline uint32_t weightOf(int64_t f) {
    return uint32_t(((f & 0xFFFF) + 128) >> 8);
}

struct Fixed {
    int64_t fx0, fy0, dfx, dfy;
};

inline Fixed fixedRow(bool linear, double tx0, double ty0, double dtx, double dty) {
    const double shift = linear ? 0.5 : 0.0;
    return Fixed{toFixed(tx0 - shift), toFixed(ty0 - shift), toFixed(std::clamp(dtx, -65536.0, 65536.0)),
                 toFixed(std::clamp(dty, -65536.0, 65536.0))};
}

#if defined(__x86_64__) || defined(__i386__)
// A value the compiler may no longer see through: a vector constant made
// once before a loop and kept (in a register, or on the stack as an operand)
// where it would otherwise be built anew at every use inside a loop that is
// short of registers.
__attribute__((target("avx2"))) inline __m256i held(__m256i v) {
    __asm__("" : "+x"(v));
    return v;
}

// The mix of one channel, (a * (256 - w) + b * w + 128) >> 8, is exactly
// a + (((b - a) * w + 128) >> 8), and that is mulhrs of (b - a) by w * 128,
// rounding included: (d * w * 128 + 16384) >> 15. A weight of 256 becomes
// 32767, which still gives d for every |d| <= 255.
__attribute__((target("avx2"))) inline __m256i mixWeight(__m256i w) {
    return _mm256_min_epu16(_mm256_slli_epi16(w, 7), _mm256_set1_epi16(0x7FFF));
}

// Mixes the pixels x and y (8 each) with 16-bit lane weights for the low and
// high halves (already in mulhrs form).
__attribute__((target("avx2"))) inline __m256i mix8(__m256i x, __m256i y, __m256i wlo, __m256i whi) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i xlo = _mm256_unpacklo_epi8(x, zero), xhi = _mm256_unpackhi_epi8(x, zero);
    const __m256i lo =
        _mm256_add_epi16(xlo, _mm256_mulhrs_epi16(_mm256_sub_epi16(_mm256_unpacklo_epi8(y, zero), xlo), wlo));
    const __m256i hi =
        _mm256_add_epi16(xhi, _mm256_mulhrs_epi16(_mm256_sub_epi16(_mm256_unpackhi_epi8(y, zero), xhi), whi));
    return _mm256_packus_epi16(lo, hi);
}

// Mixes the pixels x and y (8 each) with per-pixel weights w32 (weight in
// both 16-bit halves of each 32-bit lane).
__attribute__((target("avx2"))) inline __m256i lerp8(__m256i x, __m256i y, __m256i w32) {
    const __m256i wm = mixWeight(w32);
    return mix8(x, y, _mm256_unpacklo_epi32(wm, wm), _mm256_unpackhi_epi32(wm, wm));
}

// GCC 12 takes the undefined first operand inside several AVX-512 intrinsics
// for a use of an uninitialised value.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
// The AVX-512 forms of mixWeight and mix8, sixteen pixels at a time.
__attribute__((target("avx512f,avx512bw"))) inline __m512i mixWeight16(__m512i w) {
    return _mm512_min_epu16(_mm512_slli_epi16(w, 7), _mm512_set1_epi16(0x7FFF));
}

__attribute__((target("avx512f,avx512bw"))) inline __m512i mix16(__m512i x, __m512i y, __m512i wlo,
                                                                 __m512i whi) {
    const __m512i zero = _mm512_setzero_si512();
    const __m512i xlo = _mm512_unpacklo_epi8(x, zero), xhi = _mm512_unpackhi_epi8(x, zero);
    const __m512i lo =
        _mm512_add_epi16(xlo, _mm512_mulhrs_epi16(_mm512_sub_epi16(_mm512_unpacklo_epi8(y, zero), xlo), wlo));
    const __m512i hi =
        _mm512_add_epi16(xhi, _mm512_mulhrs_epi16(_mm512_sub_epi16(_mm512_unpackhi_epi8(y, zero), xhi), whi));
    return _mm512_packus_epi16(lo, hi);
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#endif

} // namespace aTexel
