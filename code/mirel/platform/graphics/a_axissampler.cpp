#include "mirel/platform/graphics/a_axissampler.h"

#include "mirel/platform/graphics/a_raster.h"
#include "mirel/platform/graphics/a_texelmix.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include "mirel/platform/graphics/a_rasterkernels.h"
#include <immintrin.h>
#define A_SAMPLER_X86 1
#endif

using namespace aTexel;

namespace {

// out[k] = mix of a[k] and b[k] with the one weight w (1..255).
void lerpRowsScalar(uint32_t* out, const uint32_t* a, const uint32_t* b, int k0, int n, uint32_t w) {
    for (int k = k0; k < n; ++k) {
        out[k] = lerp2(a[k], b[k], w);
    }
}

// out[k] = mix of v[xa[k]] and v[xb[k]] with weight w[k] (low 16 bits).
void lerpTableScalar(uint32_t* out, const uint32_t* v, const int32_t* xa, const int32_t* xb,
                     const uint32_t* w, int k0, int n) {
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
// aAxisSampler::prepare), for the pixels from xa on. pairs[g]: the lanes of
// group g read texel pairs (xb = xa + 1) within 9 texels from xa[8 g], which
// two loads and two permutes give.
__attribute__((target("avx2"))) int lerpTableAvx2(uint32_t* out, const uint32_t* v, int width,
                                                  const int32_t* xa, const int32_t* xb, const uint16_t* wlo,
                                                  const uint16_t* whi, const uint8_t* pairs, int n) {
    int k = 0;
    for (; k + 8 <= n; k += 8) {
        __m256i x, y;
        const int lo = xa[k];
        if (pairs[k / 8] && lo + 9 <= width) {
            const __m256i at = _mm256_sub_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(xa + k)),
                                                _mm256_set1_epi32(lo));
            x = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(v + lo)), at);
            y = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(v + lo + 1)),
                                            at);
        } else {
            tableLanes(v, width, xa + k, xb + k, x, y);
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k),
                            mix8(x, y, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(wlo + 2 * k)),
                                 _mm256_loadu_si256(reinterpret_cast<const __m256i*>(whi + 2 * k))));
    }
    return k;
}

__attribute__((target("avx2"))) int gatherTableAvx2(uint32_t* out, const uint32_t* v, int width,
                                                    const int32_t* xa, int n) {
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

// Where a blend is given, the samples are also blended straight onto target.
struct FusedBlend {
    uint32_t* target;
    uint32_t colour;
    const aBlendOp* op;
};

A_SAMPLER_AVX512 __attribute__((always_inline)) inline void store16(uint32_t* out, __m512i r,
                                                                    const FusedBlend* blend, int k) {
    _mm512_storeu_si512(out + k, r);
    if (blend) {
        const __m512i zero = _mm512_setzero_si512();
        const __m512i opaque = _mm512_set1_epi32(int(0xFF000000u));
        const bool white = blend->colour == 0xFFFFFFFFu;
        uint32_t* t = blend->target + k;
        if (white && blend->op->kind == aBlendOp::Normal) {
            // Sixteen clear samples leave the target; sixteen opaque ones replace it.
            if (_mm512_test_epi32_mask(r, opaque) == 0) {
                return;
            }
            if (_mm512_cmpeq_epi32_mask(_mm512_and_si512(r, opaque), opaque) == 0xFFFF) {
                _mm512_storeu_si512(t, r);
                return;
            }
        }
        const __m512i c16 = _mm512_unpacklo_epi8(_mm512_set1_epi32(int(blend->colour)), zero);
        const __m512i d = _mm512_loadu_si512(t);
        _mm512_storeu_si512(t, _mm512_or_si512(a_blend16Avx512(r, d, white, c16, *blend->op), opaque));
    }
}

A_SAMPLER_AVX512 int lerpRowsAvx512(uint32_t* out, const uint32_t* a, const uint32_t* b, int n, uint32_t w,
                                    const FusedBlend* blend = nullptr) {
    const __m512i wm = mixWeight16(_mm512_set1_epi16(short(w)));
    int k = 0;
    for (; k + 16 <= n; k += 16) {
        _mm_prefetch(reinterpret_cast<const char*>(a + k) + 2048, _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(b + k) + 2048, _MM_HINT_T0);
        store16(out, mix16(_mm512_loadu_si512(a + k), _mm512_loadu_si512(b + k), wm, wm), blend, k);
    }
    return k;
}

// Sixteen lanes of a table: when their texels lie within 32 of the row (any
// scale down to a half), two loads and two permutes; otherwise gathers.
// readable: the texels of v that may be read.
A_SAMPLER_AVX512 inline void tableLanes16(const uint32_t* v, int readable, const int32_t* xa,
                                          const int32_t* xb, __m512i& a, __m512i& b) {
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
                                     const int32_t* xb, const uint16_t* wlo, const uint16_t* whi, int n,
                                     const FusedBlend* blend = nullptr) {
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
        store16(out, mix16(x, y, _mm512_loadu_si512(wlo + 2 * k), _mm512_loadu_si512(whi + 2 * k)), blend, k);
    }
    return k;
}

A_SAMPLER_AVX512 int gatherTableAvx512(uint32_t* out, const uint32_t* v, int readable, const int32_t* xa,
                                       int n) {
    int k = 0;
    for (; k + 16 <= n; k += 16) {
        __m512i x, y;
        tableLanes16(v, readable, xa + k, xa + k, x, y);
        _mm512_storeu_si512(out + k, x);
    }
    return k;
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#endif

constexpr int kPad = 40;
constexpr int kReuseWidth = 64;

} // namespace

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
    // Groups of eight that read texel pairs within 9 texels of their first.
    m_pairs.assign(size_t(n) / 8 + 1, 0);
    for (int g = 0; g + 8 <= n; g += 8) {
        bool pairs = m_xa[size_t(g) + 7] - m_xa[size_t(g)] <= 7;
        for (int k = g; k < g + 8 && pairs; ++k) {
            pairs = m_xb[size_t(k)] == m_xa[size_t(k)] + 1 && m_xa[size_t(k)] >= m_xa[size_t(g)];
        }
        m_pairs[size_t(g) / 8] = pairs ? 1 : 0;
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
    return sample(ty0, nullptr, 0xFFFFFFFFu, nullptr, nullptr);
}

void aAxisSampler::blendRow(double ty0, uint32_t* target, uint32_t colour, const aBlendOp& op) {
    int done = 0;
    const uint32_t* p = sample(ty0, target, colour, &op, &done);
    a_blendSpan(target + done, p + done, m_n - done, colour, op);
}

const uint32_t* aAxisSampler::sample(double ty0, uint32_t* target, uint32_t colour, const aBlendOp* op,
                                     int* blended) {
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
#ifdef A_SAMPLER_X86
    // Wide rows are blended as they are mixed, without a second pass.
    FusedBlend fused{target, colour, op};
    const FusedBlend* fuse = target && op->kind != aBlendOp::General && level >= 3 ? &fused : nullptr;
#endif
    int done = 0;
    if (m_contiguous) {
        const uint32_t* a = v + m_xa[0];
#ifdef A_SAMPLER_X86
        if (level >= 3) {
            done = lerpRowsAvx512(out, a, a + 1, n, w, fuse);
            if (fuse) {
                *blended = done;
            }
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
            done = lerpTableAvx512(out, v, readable, m_xa.data(), m_xb.data(), m_wlo.data(), m_whi.data(), n,
                                   fuse);
            if (fuse) {
                *blended = done;
            }
        }
        if (level >= 2) {
            // Groups start at multiples of 8 from done (a multiple of 16).
            done += lerpTableAvx2(out + done, v, readable, m_xa.data() + done, m_xb.data() + done,
                                  m_wlo.data() + 2 * done, m_whi.data() + 2 * done, m_pairs.data() + done / 8,
                                  n - done);
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
