#include "mirel/platform/graphics/a_sampler.h"

#include "mirel/platform/graphics/a_raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include "mirel/platform/graphics/a_rasterkernels.h"
#include <immintrin.h>
#define A_SAMPLER_X86 1
#endif

aSampler::aSampler(const aTexture& texture, const aDeviceRect& clamp, bool linear)
    : m_data(texture.data()), m_pitch(texture.pitch()), m_format(texture.format()),
      m_x0(std::max(0, clamp.left)), m_y0(std::max(0, clamp.top)),
      m_x1(std::min(int(texture.width()), clamp.right) - 1), m_y1(std::min(int(texture.height()), clamp.bottom) - 1),
      m_linear(linear) {
    if (m_x1 < m_x0) {
        m_x1 = m_x0;
    }
    if (m_y1 < m_y0) {
        m_y1 = m_y0;
    }
}

namespace {

template <int Format>
inline uint32_t fetchAt(const uint8_t* p) {
    if constexpr (Format == A_FMT_A8R8G8B8) {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    } else {
        return a_convertPixel(p, Format);
    }
}

template <int Format>
inline uint32_t fetch(const uint8_t* data, uint32_t pitch, int x, int y) {
    constexpr int bytes = (Format == A_FMT_A8R8G8B8 || Format == A_FMT_X8R8G8B8) ? 4 : 2;
    return fetchAt<Format>(data + size_t(y) * pitch + size_t(x) * bytes);
}

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

Fixed fixedRow(bool linear, double tx0, double ty0, double dtx, double dty) {
    const double shift = linear ? 0.5 : 0.0;
    return Fixed{toFixed(tx0 - shift), toFixed(ty0 - shift), toFixed(std::clamp(dtx, -65536.0, 65536.0)),
                 toFixed(std::clamp(dty, -65536.0, 65536.0))};
}

// Samples k0 .. n-1 of a row, one at a time.
template <int Format>
void sampleRowT(const uint8_t* data, uint32_t pitch, int x0, int y0, int x1, int y1, bool linear, uint32_t* out,
                int k0, int n, const Fixed& f) {
    if (!linear) {
        for (int k = k0; k < n; ++k) {
            const int64_t fx = f.fx0 + k * f.dfx, fy = f.fy0 + k * f.dfy;
            const int x = int(std::clamp<int64_t>(fx >> 16, x0, x1));
            const int y = int(std::clamp<int64_t>(fy >> 16, y0, y1));
            out[k] = fetch<Format>(data, pitch, x, y);
        }
        return;
    }
    for (int k = k0; k < n; ++k) {
        const int64_t fx = f.fx0 + k * f.dfx, fy = f.fy0 + k * f.dfy;
        const int64_t ix = fx >> 16, iy = fy >> 16;
        const int xa = int(std::clamp<int64_t>(ix, x0, x1)), xb = int(std::clamp<int64_t>(ix + 1, x0, x1));
        const int ya = int(std::clamp<int64_t>(iy, y0, y1)), yb = int(std::clamp<int64_t>(iy + 1, y0, y1));
        out[k] = lerp4(fetch<Format>(data, pitch, xa, ya), fetch<Format>(data, pitch, xb, ya),
                       fetch<Format>(data, pitch, xa, yb), fetch<Format>(data, pitch, xb, yb), weightOf(fx),
                       weightOf(fy));
    }
}

void sampleScalar(const uint8_t* data, uint32_t pitch, int format, int x0, int y0, int x1, int y1, bool linear,
                  uint32_t* out, int k0, int n, const Fixed& f) {
    switch (format) {
    case A_FMT_A8R8G8B8: sampleRowT<A_FMT_A8R8G8B8>(data, pitch, x0, y0, x1, y1, linear, out, k0, n, f); break;
    case A_FMT_X8R8G8B8: sampleRowT<A_FMT_X8R8G8B8>(data, pitch, x0, y0, x1, y1, linear, out, k0, n, f); break;
    case A_FMT_R5G6B5: sampleRowT<A_FMT_R5G6B5>(data, pitch, x0, y0, x1, y1, linear, out, k0, n, f); break;
    case A_FMT_A1R5G5B5: sampleRowT<A_FMT_A1R5G5B5>(data, pitch, x0, y0, x1, y1, linear, out, k0, n, f); break;
    case A_FMT_A4R4G4B4: sampleRowT<A_FMT_A4R4G4B4>(data, pitch, x0, y0, x1, y1, linear, out, k0, n, f); break;
    default: std::fill(out + k0, out + n, 0u); break;
    }
}

// ---- vector kernels -------------------------------------------------------------
// out[k] = mix of a[k] and b[k] with the one weight w (1..255).
void lerpRowsScalar(uint32_t* out, const uint32_t* a, const uint32_t* b, int k0, int n, uint32_t w) {
    for (int k = k0; k < n; ++k) {
        out[k] = lerp2(a[k], b[k], w);
    }
}

// out[k] = mix of v[xa[k]] and v[xb[k]] with weight w[k] (low 16 bits).
void lerpTableScalar(uint32_t* out, const uint32_t* v, const int32_t* xa, const int32_t* xb, const uint32_t* w,
                     int k0, int n) {
    for (int k = k0; k < n; ++k) {
        out[k] = lerp2(v[xa[k]], v[xb[k]], w[k] & 0xFFFF);
    }
}

#ifdef A_SAMPLER_X86
int lerpRowsSse2(uint32_t* out, const uint32_t* a, const uint32_t* b, int n, uint32_t w) {
    const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128);
    const __m128i wb = _mm_set1_epi16(short(w)), wa = _mm_set1_epi16(short(256 - w));
    int k = 0;
    for (; k + 4 <= n; k += 4) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + k));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + k));
        __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(x, zero), wa),
                                   _mm_mullo_epi16(_mm_unpacklo_epi8(y, zero), wb));
        __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(x, zero), wa),
                                   _mm_mullo_epi16(_mm_unpackhi_epi8(y, zero), wb));
        lo = _mm_srli_epi16(_mm_add_epi16(lo, half), 8);
        hi = _mm_srli_epi16(_mm_add_epi16(hi, half), 8);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), _mm_packus_epi16(lo, hi));
    }
    return k;
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
    const __m256i lo = _mm256_add_epi16(xlo, _mm256_mulhrs_epi16(_mm256_sub_epi16(_mm256_unpacklo_epi8(y, zero), xlo), wlo));
    const __m256i hi = _mm256_add_epi16(xhi, _mm256_mulhrs_epi16(_mm256_sub_epi16(_mm256_unpackhi_epi8(y, zero), xhi), whi));
    return _mm256_packus_epi16(lo, hi);
}

__attribute__((target("avx2"))) int lerpRowsAvx2(uint32_t* out, const uint32_t* a, const uint32_t* b, int n,
                                                 uint32_t w) {
    const __m256i wm = mixWeight(_mm256_set1_epi16(short(w)));
    int k = 0;
    for (; k + 8 <= n; k += 8) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + k));
        const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + k));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), mix8(x, y, wm, wm));
    }
    return k;
}

// Mixes the pixels x and y (8 each) with per-pixel weights w32 (weight in
// both 16-bit halves of each 32-bit lane).
__attribute__((target("avx2"))) inline __m256i lerp8(__m256i x, __m256i y, __m256i w32) {
    const __m256i wm = mixWeight(w32);
    return mix8(x, y, _mm256_unpacklo_epi32(wm, wm), _mm256_unpackhi_epi32(wm, wm));
}

// The texels v[idx[k]] of eight lanes whose indices lie in lo .. lo + 15,
// picked from two loaded groups of eight.
__attribute__((target("avx2"))) inline __m256i pick16(__m256i w0, __m256i w1, __m256i idx) {
    const __m256i a = _mm256_permutevar8x32_epi32(w0, idx), b = _mm256_permutevar8x32_epi32(w1, idx);
    return _mm256_blendv_epi8(a, b, _mm256_cmpgt_epi32(idx, _mm256_set1_epi32(7)));
}

// Eight lanes of a table: when their texels lie within sixteen of the row
// (any scale down to a half), two loads and permutes; otherwise gathers.
// width: the texels of v that may be read.
__attribute__((target("avx2"))) inline void tableLanes(const uint32_t* v, int width, const int32_t* xa,
                                                       const int32_t* xb, __m256i& a, __m256i& b) {
    const __m256i ia = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(xa));
    const __m256i ib = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(xb));
    // Tables run one way, so the ends of each group bound it.
    const int lo = std::min(xa[0], xa[7]), hi = std::max(xb[0], xb[7]);
    if (hi - lo < 16 && lo + 16 <= width) {
        const __m256i w0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(v + lo));
        const __m256i w1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(v + lo + 8));
        const __m256i base = _mm256_set1_epi32(lo);
        a = pick16(w0, w1, _mm256_sub_epi32(ia, base));
        b = pick16(w0, w1, _mm256_sub_epi32(ib, base));
        return;
    }
    const int* p = reinterpret_cast<const int*>(v);
    a = _mm256_i32gather_epi32(p, ia, 4);
    b = _mm256_i32gather_epi32(p, ib, 4);
}

// wlo, whi: the weights in mulhrs form, laid out as mix8 takes them (see
// aAxisSampler::prepare), for the pixels from xa on.
__attribute__((target("avx2"))) int lerpTableAvx2(uint32_t* out, const uint32_t* v, int width, const int32_t* xa,
                                                  const int32_t* xb, const uint16_t* wlo, const uint16_t* whi,
                                                  int n) {
    int k = 0;
    for (; k + 8 <= n; k += 8) {
        __m256i x, y;
        tableLanes(v, width, xa + k, xb + k, x, y);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k),
                            mix8(x, y, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(wlo + 2 * k)),
                                 _mm256_loadu_si256(reinterpret_cast<const __m256i*>(whi + 2 * k))));
    }
    return k;
}

__attribute__((target("avx2"))) int gatherTableAvx2(uint32_t* out, const uint32_t* v, int width, const int32_t* xa,
                                                    int n) {
    int k = 0;
    for (; k + 8 <= n; k += 8) {
        __m256i x, y;
        tableLanes(v, width, xa + k, xa + k, x, y);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), x);
    }
    return k;
}

#define A_SAMPLER_AVX512 __attribute__((target("avx512f,avx512bw")))
// GCC 12 takes the undefined first operand inside several AVX-512 intrinsics
// for a use of an uninitialised value.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

// The AVX-512 forms of mixWeight and mix8, sixteen pixels at a time.
A_SAMPLER_AVX512 inline __m512i mixWeight16(__m512i w) {
    return _mm512_min_epu16(_mm512_slli_epi16(w, 7), _mm512_set1_epi16(0x7FFF));
}

A_SAMPLER_AVX512 inline __m512i mix16(__m512i x, __m512i y, __m512i wlo, __m512i whi) {
    const __m512i zero = _mm512_setzero_si512();
    const __m512i xlo = _mm512_unpacklo_epi8(x, zero), xhi = _mm512_unpackhi_epi8(x, zero);
    const __m512i lo = _mm512_add_epi16(xlo, _mm512_mulhrs_epi16(_mm512_sub_epi16(_mm512_unpacklo_epi8(y, zero), xlo), wlo));
    const __m512i hi = _mm512_add_epi16(xhi, _mm512_mulhrs_epi16(_mm512_sub_epi16(_mm512_unpackhi_epi8(y, zero), xhi), whi));
    return _mm512_packus_epi16(lo, hi);
}

A_SAMPLER_AVX512 int lerpRowsAvx512(uint32_t* out, const uint32_t* a, const uint32_t* b, int n, uint32_t w) {
    const __m512i wm = mixWeight16(_mm512_set1_epi16(short(w)));
    int k = 0;
    for (; k + 16 <= n; k += 16) {
        _mm_prefetch(reinterpret_cast<const char*>(a + k) + 2048, _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(b + k) + 2048, _MM_HINT_T0);
        _mm512_storeu_si512(out + k, mix16(_mm512_loadu_si512(a + k), _mm512_loadu_si512(b + k), wm, wm));
    }
    return k;
}

// Sixteen lanes of a table: when their texels lie within 32 of the row (any
// scale down to a half), two loads and two permutes; otherwise gathers.
// readable: the texels of v that may be read.
A_SAMPLER_AVX512 inline void tableLanes16(const uint32_t* v, int readable, const int32_t* xa, const int32_t* xb,
                                          __m512i& a, __m512i& b) {
    const __m512i ia = _mm512_loadu_si512(xa), ib = _mm512_loadu_si512(xb);
    const int lo = std::min(xa[0], xa[15]), hi = std::max(xb[0], xb[15]);
    if (hi - lo < 32 && lo + 32 <= readable) {
        const __m512i w0 = _mm512_loadu_si512(v + lo), w1 = _mm512_loadu_si512(v + lo + 16);
        const __m512i base = _mm512_set1_epi32(lo);
        a = _mm512_permutex2var_epi32(w0, _mm512_sub_epi32(ia, base), w1);
        b = _mm512_permutex2var_epi32(w0, _mm512_sub_epi32(ib, base), w1);
        return;
    }
    // The masked forms with a zero source: the plain ones start from an
    // undefined register, which the compiler warns about.
    a = _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), 0xFFFF, ia, v, 4);
    b = _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), 0xFFFF, ib, v, 4);
}

A_SAMPLER_AVX512 int lerpTableAvx512(uint32_t* out, const uint32_t* v, int readable, const int32_t* xa,
                                     const int32_t* xb, const uint16_t* wlo, const uint16_t* whi, int n) {
    int k = 0;
    for (; k + 16 <= n; k += 16) {
        __m512i x, y;
        if (xa[k] == xa[k + 15] && xb[k] == xb[k + 15]) {
            // One pair of texels for all sixteen (a picture stretched wide).
            x = _mm512_set1_epi32(int(v[xa[k]]));
            y = _mm512_set1_epi32(int(v[xb[k]]));
        } else {
            tableLanes16(v, readable, xa + k, xb + k, x, y);
        }
        _mm512_storeu_si512(out + k, mix16(x, y, _mm512_loadu_si512(wlo + 2 * k), _mm512_loadu_si512(whi + 2 * k)));
    }
    return k;
}

A_SAMPLER_AVX512 int gatherTableAvx512(uint32_t* out, const uint32_t* v, int readable, const int32_t* xa, int n) {
    int k = 0;
    for (; k + 16 <= n; k += 16) {
        __m512i x, y;
        tableLanes16(v, readable, xa + k, xa + k, x, y);
        _mm512_storeu_si512(out + k, x);
    }
    return k;
}

// A whole row of a 32-bit texture under any affine step, eight samples at a
// time; positions must fit 32 bits (checked by the caller). Returns n.
// With Blend, the samples are blended straight onto out (colour, op) instead.
template <bool Blend>
__attribute__((target("avx2"))) int sampleAffineAvx2(const uint8_t* data, uint32_t pitch, int x0, int y0, int x1,
                                                     int y1, bool linear, uint32_t orMask, uint32_t* out, int n,
                                                     const Fixed& f, uint32_t colour = 0xFFFFFFFFu,
                                                     const aBlendOp* op = nullptr) {
    const bool white = colour == 0xFFFFFFFFu;
    const __m256i c16 = _mm256_unpacklo_epi8(_mm256_set1_epi32(int(colour)), _mm256_setzero_si256());
    const __m256i opaque = _mm256_set1_epi32(int(0xFF000000u));
    const int* base = reinterpret_cast<const int*>(data);
    const __m256i steps = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    __m256i fx = _mm256_add_epi32(_mm256_set1_epi32(int32_t(f.fx0)),
                                  _mm256_mullo_epi32(steps, _mm256_set1_epi32(int32_t(f.dfx))));
    __m256i fy = _mm256_add_epi32(_mm256_set1_epi32(int32_t(f.fy0)),
                                  _mm256_mullo_epi32(steps, _mm256_set1_epi32(int32_t(f.dfy))));
    const __m256i sx = _mm256_set1_epi32(int32_t(f.dfx * 8)), sy = _mm256_set1_epi32(int32_t(f.dfy * 8));
    const __m256i vx0 = _mm256_set1_epi32(x0), vx1 = _mm256_set1_epi32(x1);
    const __m256i vy0 = _mm256_set1_epi32(y0), vy1 = _mm256_set1_epi32(y1);
    const __m256i rowPx = _mm256_set1_epi32(int32_t(pitch / 4));
    const __m256i one = _mm256_set1_epi32(1), frac = _mm256_set1_epi32(0xFFFF), round = _mm256_set1_epi32(128);
    const __m256i alpha = _mm256_set1_epi32(int32_t(orMask));
    int k = 0;
    for (; k < n; k += 8) {
        const __m256i ix = _mm256_srai_epi32(fx, 16), iy = _mm256_srai_epi32(fy, 16);
        const __m256i xa = _mm256_min_epi32(_mm256_max_epi32(ix, vx0), vx1);
        const __m256i ya = _mm256_min_epi32(_mm256_max_epi32(iy, vy0), vy1);
        const __m256i ra = _mm256_mullo_epi32(ya, rowPx);
        __m256i r;
        if (!linear) {
            r = _mm256_i32gather_epi32(base, _mm256_add_epi32(ra, xa), 4);
        } else {
            const __m256i xb = _mm256_min_epi32(_mm256_max_epi32(_mm256_add_epi32(ix, one), vx0), vx1);
            const __m256i yb = _mm256_min_epi32(_mm256_max_epi32(_mm256_add_epi32(iy, one), vy0), vy1);
            const __m256i rb = _mm256_mullo_epi32(yb, rowPx);
            const __m256i c00 = _mm256_i32gather_epi32(base, _mm256_add_epi32(ra, xa), 4);
            const __m256i c10 = _mm256_i32gather_epi32(base, _mm256_add_epi32(ra, xb), 4);
            const __m256i c01 = _mm256_i32gather_epi32(base, _mm256_add_epi32(rb, xa), 4);
            const __m256i c11 = _mm256_i32gather_epi32(base, _mm256_add_epi32(rb, xb), 4);
            __m256i wx = _mm256_srli_epi32(_mm256_add_epi32(_mm256_and_si256(fx, frac), round), 8);
            __m256i wy = _mm256_srli_epi32(_mm256_add_epi32(_mm256_and_si256(fy, frac), round), 8);
            wx = _mm256_or_si256(wx, _mm256_slli_epi32(wx, 16));
            wy = _mm256_or_si256(wy, _mm256_slli_epi32(wy, 16));
            r = lerp8(lerp8(c00, c01, wy), lerp8(c10, c11, wy), wx);
        }
        r = _mm256_or_si256(r, alpha);
        // The last few: every lane's texels are clamped inside, only the
        // loads and stores of the target are cut short.
        const bool whole = k + 8 <= n;
        const __m256i mask = _mm256_cmpgt_epi32(_mm256_set1_epi32(n - k), steps);
        if constexpr (Blend) {
            const __m256i d = whole ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(out + k))
                                    : _mm256_maskload_epi32(reinterpret_cast<const int*>(out + k), mask);
            r = _mm256_or_si256(a_blend8Avx2(r, d, white, c16, *op), opaque);
        }
        if (whole) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), r);
        } else {
            _mm256_maskstore_epi32(reinterpret_cast<int*>(out + k), mask, r);
        }
        fx = _mm256_add_epi32(fx, sx);
        fy = _mm256_add_epi32(fy, sy);
    }
    return n;
}

// A row of a 32-bit texture under any affine step, sixteen samples at a
// time. Where a group's texels lie within 32 columns and 4 rows, the rows are
// loaded as windows and each texel picked by a permute; otherwise gathered.
// Positions must fit 32 bits (checked by the caller). Returns n.
template <bool Blend>
A_SAMPLER_AVX512 int sampleAffineAvx512(const uint8_t* data, uint32_t pitch, int x0, int y0, int x1, int y1,
                                        bool linear, uint32_t orMask, uint32_t* out, int n, const Fixed& f,
                                        uint32_t colour = 0xFFFFFFFFu, const aBlendOp* op = nullptr) {
    const bool white = colour == 0xFFFFFFFFu;
    const __m512i zero = _mm512_setzero_si512();
    const __m512i c16 = _mm512_unpacklo_epi8(_mm512_set1_epi32(int(colour)), zero);
    const __m512i opaque = _mm512_set1_epi32(int(0xFF000000u));
    const __m512i lanes = _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const int32_t dfx = int32_t(f.dfx), dfy = int32_t(f.dfy);
    __m512i fx = _mm512_add_epi32(_mm512_set1_epi32(int32_t(f.fx0)), _mm512_mullo_epi32(lanes, _mm512_set1_epi32(dfx)));
    __m512i fy = _mm512_add_epi32(_mm512_set1_epi32(int32_t(f.fy0)), _mm512_mullo_epi32(lanes, _mm512_set1_epi32(dfy)));
    const __m512i sx = _mm512_set1_epi32(dfx * 16), sy = _mm512_set1_epi32(dfy * 16);
    const __m512i vx0 = _mm512_set1_epi32(x0), vx1 = _mm512_set1_epi32(x1);
    const __m512i vy0 = _mm512_set1_epi32(y0), vy1 = _mm512_set1_epi32(y1);
    const __m512i rowPx = _mm512_set1_epi32(int32_t(pitch / 4));
    const __m512i one = _mm512_set1_epi32(1), frac = _mm512_set1_epi32(0xFFFF), round = _mm512_set1_epi32(128);
    const __m512i alpha = _mm512_set1_epi32(int32_t(orMask));
    const int width = int(pitch / 4);
    const uint32_t* texels = reinterpret_cast<const uint32_t*>(data);
    int64_t gx = f.fx0, gy = f.fy0;
    for (int k = 0; k < n; k += 16, gx += 16 * f.dfx, gy += 16 * f.dfy) {
        const __m512i ix = _mm512_srai_epi32(fx, 16), iy = _mm512_srai_epi32(fy, 16);
        const __m512i xa = _mm512_min_epi32(_mm512_max_epi32(ix, vx0), vx1);
        const __m512i ya = _mm512_min_epi32(_mm512_max_epi32(iy, vy0), vy1);
        const __m512i xb = linear ? _mm512_min_epi32(_mm512_max_epi32(_mm512_add_epi32(ix, one), vx0), vx1) : xa;
        const __m512i yb = linear ? _mm512_min_epi32(_mm512_max_epi32(_mm512_add_epi32(iy, one), vy0), vy1) : ya;
        // The group's bounds from its first and last lanes (positions are
        // linear in the lane, and clamping keeps their order).
        const int64_t ex = gx + 15 * f.dfx, ey = gy + 15 * f.dfy;
        const int xlo = int(std::clamp<int64_t>(std::min(gx, ex) >> 16, x0, x1));
        const int xhi = int(std::clamp<int64_t>((std::max(gx, ex) >> 16) + (linear ? 1 : 0), x0, x1));
        const int ylo = int(std::clamp<int64_t>(std::min(gy, ey) >> 16, y0, y1));
        const int yhi = int(std::clamp<int64_t>((std::max(gy, ey) >> 16) + (linear ? 1 : 0), y0, y1));
        __m512i c00, c10, c01, c11;
        if (xhi - xlo < 32 && xlo + 32 <= width && yhi - ylo < 4) {
            const __m512i base = _mm512_set1_epi32(xlo);
            const __m512i ia = _mm512_sub_epi32(xa, base), ib = _mm512_sub_epi32(xb, base);
            c00 = c10 = c01 = c11 = zero;
            for (int y = ylo; y <= yhi; ++y) {
                const uint32_t* row = texels + size_t(y) * size_t(width) + xlo;
                const __m512i w0 = _mm512_loadu_si512(row), w1 = _mm512_loadu_si512(row + 16);
                const __m512i ta = _mm512_permutex2var_epi32(w0, ia, w1);
                const __m512i vy = _mm512_set1_epi32(y);
                const __mmask16 atA = _mm512_cmpeq_epi32_mask(ya, vy), atB = _mm512_cmpeq_epi32_mask(yb, vy);
                c00 = _mm512_mask_mov_epi32(c00, atA, ta);
                c01 = _mm512_mask_mov_epi32(c01, atB, ta);
                if (linear) {
                    const __m512i tb = _mm512_permutex2var_epi32(w0, ib, w1);
                    c10 = _mm512_mask_mov_epi32(c10, atA, tb);
                    c11 = _mm512_mask_mov_epi32(c11, atB, tb);
                }
            }
        } else {
            const __m512i ra = _mm512_mullo_epi32(ya, rowPx), rb = _mm512_mullo_epi32(yb, rowPx);
            c00 = _mm512_mask_i32gather_epi32(zero, 0xFFFF, _mm512_add_epi32(ra, xa), data, 4);
            c10 = _mm512_mask_i32gather_epi32(zero, 0xFFFF, _mm512_add_epi32(ra, xb), data, 4);
            c01 = _mm512_mask_i32gather_epi32(zero, 0xFFFF, _mm512_add_epi32(rb, xa), data, 4);
            c11 = _mm512_mask_i32gather_epi32(zero, 0xFFFF, _mm512_add_epi32(rb, xb), data, 4);
        }
        __m512i r;
        if (!linear) {
            r = c00;
        } else {
            __m512i wx = _mm512_srli_epi32(_mm512_add_epi32(_mm512_and_si512(fx, frac), round), 8);
            __m512i wy = _mm512_srli_epi32(_mm512_add_epi32(_mm512_and_si512(fy, frac), round), 8);
            wx = mixWeight16(_mm512_or_si512(wx, _mm512_slli_epi32(wx, 16)));
            wy = mixWeight16(_mm512_or_si512(wy, _mm512_slli_epi32(wy, 16)));
            const __m512i wxlo = _mm512_maskz_unpacklo_epi32(0xFFFF, wx, wx);
            const __m512i wxhi = _mm512_maskz_unpackhi_epi32(0xFFFF, wx, wx);
            const __m512i wylo = _mm512_maskz_unpacklo_epi32(0xFFFF, wy, wy);
            const __m512i wyhi = _mm512_maskz_unpackhi_epi32(0xFFFF, wy, wy);
            r = mix16(mix16(c00, c01, wylo, wyhi), mix16(c10, c11, wylo, wyhi), wxlo, wxhi);
        }
        r = _mm512_or_si512(r, alpha);
        const __mmask16 keep = n - k >= 16 ? __mmask16(0xFFFF) : __mmask16((1u << (n - k)) - 1);
        if constexpr (Blend) {
            const __m512i d = _mm512_maskz_loadu_epi32(keep, out + k);
            r = _mm512_or_si512(a_blend16Avx512(r, d, white, c16, *op), opaque);
        }
        _mm512_mask_storeu_epi32(out + k, keep, r);
        fx = _mm512_add_epi32(fx, sx);
        fy = _mm512_add_epi32(fy, sy);
    }
    return n;
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#endif

inline bool fits32(int64_t v) {
    return v > -(int64_t(1) << 30) && v < (int64_t(1) << 30);
}

} // namespace

void aSampler::sampleRowReference(uint32_t* out, int n, double tx0, double ty0, double dtx, double dty) const {
    sampleScalar(m_data, m_pitch, m_format, m_x0, m_y0, m_x1, m_y1, m_linear, out, 0, n,
                 fixedRow(m_linear, tx0, ty0, dtx, dty));
}

void aSampler::sampleRow(uint32_t* out, int n, double tx0, double ty0, double dtx, double dty) const {
    sampleRowStepped(out, n, tx0, ty0, fixedStep(dtx), fixedStep(dty));
}

int64_t aSampler::fixedStep(double d) {
    return toFixed(std::clamp(d, -65536.0, 65536.0));
}

void aSampler::sampleRowStepped(uint32_t* out, int n, double tx0, double ty0, int64_t dfx, int64_t dfy) const {
    const double shift = m_linear ? 0.5 : 0.0;
    const Fixed f{toFixed(tx0 - shift), toFixed(ty0 - shift), dfx, dfy};
    int done = 0;
#ifdef A_SAMPLER_X86
    if (n > 0 && a_rasterSimdLevel() >= 2 && (m_format == A_FMT_A8R8G8B8 || m_format == A_FMT_X8R8G8B8) &&
        fits32(f.fx0) && fits32(f.fy0) && fits32(f.dfx * 8) && fits32(f.dfy * 8) && fits32(f.fx0 + n * f.dfx) &&
        fits32(f.fy0 + n * f.dfy)) {
        const uint32_t orMask = m_format == A_FMT_X8R8G8B8 ? 0xFF000000u : 0u;
        done = n >= 16 && a_rasterSimdLevel() >= 3 && fits32(f.dfx * 16) && fits32(f.dfy * 16)
                   ? sampleAffineAvx512<false>(m_data, m_pitch, m_x0, m_y0, m_x1, m_y1, m_linear, orMask, out, n, f)
                   : sampleAffineAvx2<false>(m_data, m_pitch, m_x0, m_y0, m_x1, m_y1, m_linear, orMask, out, n, f);
    }
#endif
    sampleScalar(m_data, m_pitch, m_format, m_x0, m_y0, m_x1, m_y1, m_linear, out, done, n, f);
}

bool aSampler::sampleBlendRow(uint32_t* target, int n, double tx0, double ty0, int64_t dfx, int64_t dfy,
                              uint32_t colour, const aBlendOp& op) const {
#ifdef A_SAMPLER_X86
    const double shift = m_linear ? 0.5 : 0.0;
    const Fixed f{toFixed(tx0 - shift), toFixed(ty0 - shift), dfx, dfy};
    if (n > 0 && op.kind != aBlendOp::General && a_rasterSimdLevel() >= 2 &&
        (m_format == A_FMT_A8R8G8B8 || m_format == A_FMT_X8R8G8B8) && fits32(f.fx0) && fits32(f.fy0) &&
        fits32(f.dfx * 8) && fits32(f.dfy * 8) && fits32(f.fx0 + n * f.dfx) && fits32(f.fy0 + n * f.dfy)) {
        const uint32_t orMask = m_format == A_FMT_X8R8G8B8 ? 0xFF000000u : 0u;
        // Rows of a few pixels (particles) stay on the narrower kernel.
        if (n >= 16 && a_rasterSimdLevel() >= 3 && fits32(f.dfx * 16) && fits32(f.dfy * 16)) {
            sampleAffineAvx512<true>(m_data, m_pitch, m_x0, m_y0, m_x1, m_y1, m_linear, orMask, target, n, f, colour,
                                     &op);
        } else {
            sampleAffineAvx2<true>(m_data, m_pitch, m_x0, m_y0, m_x1, m_y1, m_linear, orMask, target, n, f, colour,
                                   &op);
        }
        return true;
    }
#else
    (void)target, (void)n, (void)tx0, (void)ty0, (void)dfx, (void)dfy, (void)colour, (void)op;
#endif
    return false;
}

// ---- the axis-aligned sampler ----------------------------------------------------

namespace {
constexpr int kPad = 40;
constexpr int kReuseWidth = 64;
}

void aAxisSampler::prepare(const aSampler& sampler, int n, double tx0, double dtx) {
    m_s = sampler;
    m_n = n;
    const Fixed f = fixedRow(sampler.m_linear, tx0, 0.0, dtx, 0.0);
    m_xa.resize(size_t(n) + 8);
    m_xb.resize(size_t(n) + 8);
    m_w.resize(size_t(n) + 8);
    m_out.resize(size_t(n) + 8);
    const int x0 = sampler.m_x0, x1 = sampler.m_x1;
    m_cmin = x1;
    m_cmax = x0;
    for (int k = 0; k < n; ++k) {
        const int64_t fx = f.fx0 + k * f.dfx, ix = fx >> 16;
        const int xa = int(std::clamp<int64_t>(ix, x0, x1));
        const int xb = sampler.m_linear ? int(std::clamp<int64_t>(ix + 1, x0, x1)) : xa;
        m_xa[size_t(k)] = xa;
        m_xb[size_t(k)] = xb;
        const uint32_t w = sampler.m_linear ? weightOf(fx) : 0;
        m_w[size_t(k)] = w | (w << 16);
        m_cmin = std::min(m_cmin, xa);
        m_cmax = std::max(m_cmax, xb);
    }
    if (m_cmax < m_cmin) {
        m_cmax = m_cmin;
    }
    // The weights as the vector kernels take them: per block of four pixels
    // p0..p3, the low half holds p0's weight four times then p1's, the high
    // half p2's then p3's (in mulhrs form, see mixWeight).
    m_wlo.assign(size_t(n + 16) * 2, 0);
    m_whi.assign(size_t(n + 16) * 2, 0);
    for (int k = 0; k < n; ++k) {
        const uint16_t y = uint16_t(std::min<uint32_t>((m_w[size_t(k)] & 0xFFFF) << 7, 0x7FFF));
        const int block = k / 4, at = k % 4;
        uint16_t* half = (at < 2 ? m_wlo.data() : m_whi.data()) + block * 8 + (at % 2) * 4;
        std::fill(half, half + 4, y);
    }
    // Unit steps (the whole row shifted by a fraction of a texel, or not at
    // all): the texels follow one another with one weight.
    m_contiguous = f.dfx == 65536;
    for (int k = 0; k < n && m_contiguous; ++k) {
        m_contiguous = m_xa[size_t(k)] == m_xa[0] + k && m_w[size_t(k)] == m_w[0] &&
                       (!sampler.m_linear || m_xb[size_t(k)] == m_xa[size_t(k)] + 1);
    }
    for (int k = 0; k < n; ++k) {
        m_xa[size_t(k)] -= m_cmin;
        m_xb[size_t(k)] -= m_cmin;
    }
    // Room for the vector kernels to read a whole window past the last texel.
    const size_t width = size_t(m_cmax - m_cmin + 1) + kPad;
    for (auto& r : m_rows) {
        r.resize(width);
    }
    m_blend.resize(width);
    m_rowY[0] = m_rowY[1] = -1;
    m_lastYa = m_lastYb = -1;
    m_last = nullptr;
    m_outFrom.clear();
}

const uint32_t* aAxisSampler::sourceRow(int y, int slot) {
    const aSampler& s = *m_s;
    const uint8_t* row = s.m_data + size_t(y) * s.m_pitch + size_t(m_cmin) * a_formatBytes(s.m_format);
    if (s.m_format == A_FMT_A8R8G8B8) {
        return reinterpret_cast<const uint32_t*>(row);
    }
    for (int k = 0; k < 2; ++k) {
        if (m_rowY[k] == y) {
            return m_rows[k].data();
        }
    }
    a_convertRow(m_rows[slot].data(), row, s.m_format, m_cmax - m_cmin + 1);
    m_rowY[slot] = y;
    return m_rows[slot].data();
}

const uint32_t* aAxisSampler::row(double ty0) {
    const aSampler& s = *m_s;
    const Fixed f = fixedRow(s.m_linear, 0.0, ty0, 0.0, 0.0);
    const int64_t iy = f.fy0 >> 16;
    const int ya = int(std::clamp<int64_t>(iy, s.m_y0, s.m_y1));
    const int yb = s.m_linear ? int(std::clamp<int64_t>(iy + 1, s.m_y0, s.m_y1)) : ya;
    uint32_t wy = s.m_linear ? weightOf(f.fy0) : 0;
    if (ya == yb) {
        wy = 0;
    }
    if (m_last && ya == m_lastYa && yb == m_lastYb && wy == m_lastWy) {
        return m_last;
    }
    m_lastYa = ya;
    m_lastYb = yb;
    m_lastWy = wy;
    const int width = m_cmax - m_cmin + 1;
    const int level = a_rasterSimdLevel();
    // One row of texels, mixed down the column first.
    const uint32_t* v;
    if (wy == 0) {
        v = sourceRow(ya, 0);
    } else if (wy == 256) {
        v = sourceRow(yb, 1);
    } else {
        // Keep the row that stays for the next texture row in its slot.
        const int slotA = m_rowY[1] == ya ? 1 : 0;
        const uint32_t* a = sourceRow(ya, slotA);
        const uint32_t* b = sourceRow(yb, 1 - slotA);
        uint32_t* blended = m_blend.data();
        int done = 0;
#ifdef A_SAMPLER_X86
        if (level >= 3) {
            done = lerpRowsAvx512(blended, a, b, width, wy);
        }
        if (level >= 2) {
            done += lerpRowsAvx2(blended + done, a + done, b + done, width - done, wy);
        }
        if (level >= 1) {
            done += lerpRowsSse2(blended + done, a + done, b + done, width - done, wy);
        }
#endif
        lerpRowsScalar(blended, a, b, done, width, wy);
        v = blended;
    }
    // Then across. The kernels may read past the texels in our own buffers,
    // not past a texture row read in place.
    const bool own = s.m_format != A_FMT_A8R8G8B8 || (wy != 0 && wy != 256);
    const int readable = own ? width + kPad : width;
    const int n = m_n;
    uint32_t* out = m_out.data();
    const uint32_t w = m_w[0] & 0xFFFF;
    if (m_contiguous && (w == 0 || w == 256)) {
        // Whole texels: the row itself.
        m_last = v + m_xa[0] + (w == 256 ? 1 : 0);
        return m_last;
    }
    // A narrow source (a small picture stretched wide) often mixes down to
    // the same texels as on the row before: then the row is the same too.
    if (width <= kReuseWidth && m_outFrom.size() == size_t(width) &&
        std::equal(v, v + width, m_outFrom.begin())) {
        m_last = out;
        return out;
    }
    if (width <= kReuseWidth) {
        m_outFrom.assign(v, v + width);
    }
    int done = 0;
    if (m_contiguous) {
        const uint32_t* a = v + m_xa[0];
#ifdef A_SAMPLER_X86
        if (level >= 3) {
            done = lerpRowsAvx512(out, a, a + 1, n, w);
        }
        if (level >= 2) {
            done += lerpRowsAvx2(out + done, a + done, a + 1 + done, n - done, w);
        }
        if (level >= 1) {
            done += lerpRowsSse2(out + done, a + done, a + 1 + done, n - done, w);
        }
#endif
        lerpRowsScalar(out, a, a + 1, done, n, w);
    } else if (s.m_linear) {
#ifdef A_SAMPLER_X86
        if (level >= 3) {
            done = lerpTableAvx512(out, v, readable, m_xa.data(), m_xb.data(), m_wlo.data(), m_whi.data(), n);
        }
        if (level >= 2) {
            done += lerpTableAvx2(out + done, v, readable, m_xa.data() + done, m_xb.data() + done,
                                  m_wlo.data() + 2 * done, m_whi.data() + 2 * done, n - done);
        }
#endif
        lerpTableScalar(out, v, m_xa.data(), m_xb.data(), m_w.data(), done, n);
    } else {
#ifdef A_SAMPLER_X86
        if (level >= 3) {
            done = gatherTableAvx512(out, v, readable, m_xa.data(), n);
        }
        if (level >= 2) {
            done += gatherTableAvx2(out + done, v, readable, m_xa.data() + done, n - done);
        }
#endif
        for (int k = done; k < n; ++k) {
            out[k] = v[m_xa[size_t(k)]];
        }
    }
    m_last = out;
    return out;
}
