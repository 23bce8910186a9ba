#include "mirel/platform/graphics/a_sampler.h"

#include "mirel/platform/graphics/a_raster.h"
#include "mirel/platform/graphics/a_texelmix.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include "mirel/platform/graphics/a_rasterkernels.h"
#include <immintrin.h>
#define A_SAMPLER_X86 1
#endif

using namespace aTexel;

aSampler::aSampler(const aTexture& texture, const aDeviceRect& clamp, bool linear)
    : m_texture(&texture), m_data(texture.data()), m_pitch(texture.pitch()), m_format(texture.format()),
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

#ifdef A_SAMPLER_X86
// The box of texels that count samples from (gx, gy) on read, within the
// clamp bounds: the box of the first and the last (positions are linear in
// the sample, and clamping keeps their order; linear filtering reads one
// texel further right and down).
struct TexelBox {
    int xlo, ylo, xhi, yhi;
};
inline TexelBox groupBox(const Fixed& f, int64_t gx, int64_t gy, int count, int x0, int y0, int x1, int y1,
                         bool linear) {
    const int64_t ex = gx + (count - 1) * f.dfx, ey = gy + (count - 1) * f.dfy;
    const int extra = linear ? 1 : 0;
    return TexelBox{int(std::clamp<int64_t>(std::min(gx, ex) >> 16, x0, x1)),
                    int(std::clamp<int64_t>(std::min(gy, ey) >> 16, y0, y1)),
                    int(std::clamp<int64_t>((std::max(gx, ex) >> 16) + extra, x0, x1)),
                    int(std::clamp<int64_t>((std::max(gy, ey) >> 16) + extra, y0, y1))};
}

inline bool isClear(const aClearBlocks& clear, const TexelBox& b) { return clear.clear(b.xlo, b.ylo, b.xhi, b.yhi); }

// A whole row of a 32-bit texture under any affine step, eight samples at a
// time; positions must fit 32 bits (checked by the caller). Returns n.
// With Blend, the samples are blended straight onto out (colour, op) instead.
// Groups whose texels all lie in clear blocks (clear non-null: a blend that
// keeps the target there) only have the target's alpha set, as the blend does.
// Rows of a few groups (small sprites, particles) are not asked: the test
// would cost them about what it saves.
template <bool Blend>
__attribute__((target("avx2"))) int sampleAffineAvx2(const uint8_t* data, uint32_t pitch, int x0, int y0, int x1,
                                                     int y1, bool linear, uint32_t orMask, uint32_t* out, int n,
                                                     const Fixed& f, uint32_t colour = 0xFFFFFFFFu,
                                                     const aBlendOp* op = nullptr,
                                                     const aClearBlocks* clear = nullptr) {
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
    if (n < 32) {
        clear = nullptr;
    }
    int k = 0;
    for (; k < n; k += 8) {
        if constexpr (Blend) {
            if (clear && isClear(*clear, groupBox(f, f.fx0 + k * f.dfx, f.fy0 + k * f.dfy, std::min(8, n - k), x0,
                                                  y0, x1, y1, linear))) {
                const __m256i mask = _mm256_cmpgt_epi32(_mm256_set1_epi32(n - k), steps);
                const __m256i d = _mm256_maskload_epi32(reinterpret_cast<const int*>(out + k), mask);
                _mm256_maskstore_epi32(reinterpret_cast<int*>(out + k), mask, _mm256_or_si256(d, opaque));
                fx = _mm256_add_epi32(fx, sx);
                fy = _mm256_add_epi32(fy, sy);
                continue;
            }
        }
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

#define A_SAMPLER_AVX512 __attribute__((target("avx512f,avx512bw")))
// GCC 12 takes the undefined first operand inside several AVX-512 intrinsics
// for a use of an uninitialised value.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif


// A row of a 32-bit texture under any affine step, sixteen samples at a
// time. Where a group's texels lie within 32 columns and 4 rows, the rows are
// loaded as windows and each texel picked by a permute; otherwise gathered.
// Positions must fit 32 bits (checked by the caller). Returns n.
// Clear groups (clear non-null) as in sampleAffineAvx2.
template <bool Blend>
A_SAMPLER_AVX512 int sampleAffineAvx512(const uint8_t* data, uint32_t pitch, int x0, int y0, int x1, int y1,
                                        bool linear, uint32_t orMask, uint32_t* out, int n, const Fixed& f,
                                        uint32_t colour = 0xFFFFFFFFu, const aBlendOp* op = nullptr,
                                        const aClearBlocks* clear = nullptr) {
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
        // The group's bounds from its first and last lanes.
        const auto [xlo, ylo, xhi, yhi] = groupBox(f, gx, gy, 16, x0, y0, x1, y1, linear);
        if constexpr (Blend) {
            // The box of the whole group of sixteen: for a short last group it
            // is larger than needed, so the test errs towards sampling.
            if (clear && clear->clear(xlo, ylo, xhi, yhi)) {
                const __mmask16 keep = n - k >= 16 ? __mmask16(0xFFFF) : __mmask16((1u << (n - k)) - 1);
                const __m512i d = _mm512_maskz_loadu_epi32(keep, out + k);
                _mm512_mask_storeu_epi32(out + k, keep, _mm512_or_si512(d, opaque));
                fx = _mm512_add_epi32(fx, sx);
                fy = _mm512_add_epi32(fy, sy);
                continue;
            }
        }
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
        // Texels of alpha 0 leave the target as it is under these blends
        // (tinted too: the tint keeps alpha 0).
        if (!m_clearLooked) {
            m_clearLooked = true;
            m_clear = m_texture->clearBlocks();
            // A texture without a single clear block is not asked group by group.
            if (m_clear && !m_clear->anyClear()) {
                m_clear = nullptr;
            }
        }
        const aClearBlocks* clear = op.kind == aBlendOp::Normal || op.kind == aBlendOp::Add ? m_clear : nullptr;
        // Rows of a few pixels (particles) stay on the narrower kernel.
        if (n >= 16 && a_rasterSimdLevel() >= 3 && fits32(f.dfx * 16) && fits32(f.dfy * 16)) {
            sampleAffineAvx512<true>(m_data, m_pitch, m_x0, m_y0, m_x1, m_y1, m_linear, orMask, target, n, f, colour,
                                     &op, clear);
        } else {
            sampleAffineAvx2<true>(m_data, m_pitch, m_x0, m_y0, m_x1, m_y1, m_linear, orMask, target, n, f, colour,
                                   &op, clear);
        }
        return true;
    }
#else
    (void)target, (void)n, (void)tx0, (void)ty0, (void)dfx, (void)dfy, (void)colour, (void)op;
#endif
    return false;
}

