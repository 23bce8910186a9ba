#include "mirel/platform/graphics/a_sampler.h"

#include "mirel/platform/graphics/a_raster.h"
#include "mirel/platform/graphics/a_texelmix.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

#if defined(__x86_64__) || defined(__i386__)
#include "mirel/platform/graphics/a_rasterkernels.h"
#include <immintrin.h>
#define A_SAMPLER_X86 1
#endif

using namespace aTexel;

aSampler::aSampler(const aTexture& texture, const aDeviceRect& clamp, bool linear)
    : m_texture(&texture), m_data(texture.data()), m_pitch(texture.pitch()), m_format(texture.format()),
      m_x0(std::max(0, clamp.left)), m_y0(std::max(0, clamp.top)),
      m_x1(std::min(int(texture.width()), clamp.right) - 1),
      m_y1(std::min(int(texture.height()), clamp.bottom) - 1), m_linear(linear) {
    if (m_x1 < m_x0) {
        m_x1 = m_x0;
    }
    if (m_y1 < m_y0) {
        m_y1 = m_y0;
    }
}

namespace {

template <int Format> inline uint32_t fetchAt(const uint8_t* p) {
    if constexpr (Format == A_FMT_A8R8G8B8) {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    } else {
        return a_convertPixel(p, Format);
    }
}

template <int Format> inline uint32_t fetch(const uint8_t* data, uint32_t pitch, int x, int y) {
    constexpr int bytes = (Format == A_FMT_A8R8G8B8 || Format == A_FMT_X8R8G8B8) ? 4 : 2;
    return fetchAt<Format>(data + size_t(y) * pitch + size_t(x) * bytes);
}

// Samples k0 .. n-1 of a row, one at a time.
template <int Format>
void sampleRowT(const uint8_t* data, uint32_t pitch, int x0, int y0, int x1, int y1, bool linear,
                uint32_t* out, int k0, int n, const Fixed& f) {
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

void sampleScalar(const uint8_t* data, uint32_t pitch, int format, int x0, int y0, int x1, int y1,
                  bool linear, uint32_t* out, int k0, int n, const Fixed& f) {
    switch (format) {
    case A_FMT_A8R8G8B8:
        sampleRowT<A_FMT_A8R8G8B8>(data, pitch, x0, y0, x1, y1, linear, out, k0, n, f);
        break;
    case A_FMT_X8R8G8B8:
        sampleRowT<A_FMT_X8R8G8B8>(data, pitch, x0, y0, x1, y1, linear, out, k0, n, f);
        break;
    case A_FMT_R5G6B5:
        sampleRowT<A_FMT_R5G6B5>(data, pitch, x0, y0, x1, y1, linear, out, k0, n, f);
        break;
    case A_FMT_A1R5G5B5:
        sampleRowT<A_FMT_A1R5G5B5>(data, pitch, x0, y0, x1, y1, linear, out, k0, n, f);
        break;
    case A_FMT_A4R4G4B4:
        sampleRowT<A_FMT_A4R4G4B4>(data, pitch, x0, y0, x1, y1, linear, out, k0, n, f);
        break;
    default:
        std::fill(out + k0, out + n, 0u);
        break;
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

inline bool isClear(const aClearBlocks& clear, const TexelBox& b) {
    return clear.clear(b.xlo, b.ylo, b.xhi, b.yhi);
}
inline aClearBlocks::Coverage coverage(const aClearBlocks& clear, const TexelBox& b) {
    return clear.coverage(b.xlo, b.ylo, b.xhi, b.yhi);
}

// The clear runs of a row (see sampleAffineRowAvx2): runs of up to 32
// samples, each with whether the blocks its texels lie in are all clear,
// none, or some; in a run of some, each group asks for itself.
class ClearRuns {
public:
    ClearRuns(const aClearBlocks* clear, const Fixed& f, int x0, int y0, int x1, int y1, bool linear)
        : m_clear(clear), m_f(f), m_x0(x0), m_y0(y0), m_x1(x1), m_y1(y1), m_linear(linear) {}
    // Whether the group of up to `group` samples from k (the first at gx,
    // gy) reads only clear texels, n samples in the row.
    bool clearGroup(int k, int group, int n, int64_t gx, int64_t gy) {
        if (!m_clear) {
            return false;
        }
        if (k >= m_runEnd) {
            const int length = std::min(32, n - k);
            m_run = coverage(*m_clear, groupBox(m_f, gx, gy, length, m_x0, m_y0, m_x1, m_y1, m_linear));
            m_runEnd = k + length;
        }
        return m_run == aClearBlocks::Clear ||
               (m_run == aClearBlocks::Some && isClear(*m_clear, groupBox(m_f, gx, gy, std::min(group, n - k),
                                                                          m_x0, m_y0, m_x1, m_y1, m_linear)));
    }

private:
    const aClearBlocks* m_clear;
    const Fixed& m_f;
    int m_x0, m_y0, m_x1, m_y1;
    bool m_linear;
    int m_runEnd = 0;
    aClearBlocks::Coverage m_run = aClearBlocks::None;
};

// Calls row(kind, white) with the blend's kind (Opaque, Normal or Add) and
// whether the colour is white as compile-time constants.
template <class Row> int forBlend(const aBlendOp& op, uint32_t colour, Row row) {
    using Normal = std::integral_constant<int, aBlendOp::Normal>;
    using Opaque = std::integral_constant<int, aBlendOp::Opaque>;
    using Add = std::integral_constant<int, aBlendOp::Add>;
    const bool white = colour == 0xFFFFFFFFu;
    switch (op.kind) {
    case aBlendOp::Opaque:
        return white ? row(Opaque(), std::true_type()) : row(Opaque(), std::false_type());
    case aBlendOp::Normal:
        return white ? row(Normal(), std::true_type()) : row(Normal(), std::false_type());
    default:
        return white ? row(Add(), std::true_type()) : row(Add(), std::false_type());
    }
}

// One step of a mix down the columns: the rows a and b (8 pixels each)
// widened to 16 bits and mixed with lane weights (mulhrs form).
__attribute__((target("avx2"))) inline void mixDown(__m256i a, __m256i b, __m256i wlo, __m256i whi,
                                                    __m256i& lo, __m256i& hi) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i alo = _mm256_unpacklo_epi8(a, zero), ahi = _mm256_unpackhi_epi8(a, zero);
    lo =
        _mm256_add_epi16(alo, _mm256_mulhrs_epi16(_mm256_sub_epi16(_mm256_unpacklo_epi8(b, zero), alo), wlo));
    hi =
        _mm256_add_epi16(ahi, _mm256_mulhrs_epi16(_mm256_sub_epi16(_mm256_unpackhi_epi8(b, zero), ahi), whi));
}

// Lane weights 0..256 (one per 32-bit lane, in mulhrs form, see mixWeight)
// laid out as the 16-bit halves of mixDown take them: the low half of each
// 128-bit lane holds its pixels 0 and 1, four channels each, the high half 2
// and 3.
__attribute__((target("avx2"))) inline void spreadWeights(__m256i w, __m256i& lo, __m256i& hi) {
    lo = _mm256_shuffle_epi8(w, _mm256_setr_epi8(0, 1, 0, 1, 0, 1, 0, 1, 4, 5, 4, 5, 4, 5, 4, 5, 0, 1, 0, 1,
                                                 0, 1, 0, 1, 4, 5, 4, 5, 4, 5, 4, 5));
    hi = _mm256_shuffle_epi8(w, _mm256_setr_epi8(8, 9, 8, 9, 8, 9, 8, 9, 12, 13, 12, 13, 12, 13, 12, 13, 8, 9,
                                                 8, 9, 8, 9, 8, 9, 12, 13, 12, 13, 12, 13, 12, 13));
}

// Eight linear samples from the four texels around each, given as the left
// and right texels of the upper and lower rows (natural lane order), mixed
// down the columns first and then across, as lerp4 does; weights 0..256 per
// 32-bit lane in mulhrs form. The 16-bit mixes are exact bytes, so no pack
// lies between the two steps.
__attribute__((target("avx2"))) inline __m256i mixQuads(__m256i aL, __m256i aR, __m256i bL, __m256i bR,
                                                        __m256i wx, __m256i wy) {
    __m256i wylo, wyhi, wxlo, wxhi;
    spreadWeights(wy, wylo, wyhi);
    spreadWeights(wx, wxlo, wxhi);
    __m256i llo, lhi, rlo, rhi;
    mixDown(aL, bL, wylo, wyhi, llo, lhi);
    mixDown(aR, bR, wylo, wyhi, rlo, rhi);
    return _mm256_packus_epi16(_mm256_add_epi16(llo, _mm256_mulhrs_epi16(_mm256_sub_epi16(rlo, llo), wxlo)),
                               _mm256_add_epi16(lhi, _mm256_mulhrs_epi16(_mm256_sub_epi16(rhi, lhi), wxhi)));
}

// The constants of a row's loop, made once and held (see held).
struct RowConstants {
    __m256i frac, half, cap, one, opaque;
    aBlendConstantsAvx2 blend;
};

__attribute__((target("avx2"))) inline RowConstants rowConstants() {
    return RowConstants{held(_mm256_set1_epi32(0xFFFF)),           held(_mm256_set1_epi32(128)),
                        held(_mm256_set1_epi32(0x7FFF)),           held(_mm256_set1_epi32(1)),
                        held(_mm256_set1_epi32(int(0xFF000000u))), a_heldBlendConstantsAvx2()};
}

// The weight of each lane's position (16.16) in mulhrs form.
__attribute__((target("avx2"))) inline __m256i weightsOf(__m256i f, const RowConstants& k) {
    const __m256i w = _mm256_srli_epi32(_mm256_add_epi32(_mm256_and_si256(f, k.frac), k.half), 8);
    return _mm256_min_epi32(_mm256_slli_epi32(w, 7), k.cap);
}

// The texels at the lane columns `at` of a window of 8 from r, and of the
// window one column right.
__attribute__((target("avx2"))) inline void pickPairs(const uint32_t* r, __m256i at, __m256i& left,
                                                      __m256i& right) {
    left = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(r)), at);
    right = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(r + 1)), at);
}

// The texel pairs at the dword indices of four lanes, split into left and
// right texels of eight pixels: g0 holds pixels 0, 1, 4, 5, g1 2, 3, 6, 7.
__attribute__((target("avx2"))) inline void gatherPairs(const uint32_t* texels, __m256i at, __m256i& left,
                                                        __m256i& right) {
    const long long* base = reinterpret_cast<const long long*>(texels);
    const __m256 g0 = _mm256_castsi256_ps(_mm256_i32gather_epi64(base, _mm256_castsi256_si128(at), 4));
    const __m256 g1 = _mm256_castsi256_ps(_mm256_i32gather_epi64(base, _mm256_extracti128_si256(at, 1), 4));
    left = _mm256_castps_si256(_mm256_shuffle_ps(g0, g1, _MM_SHUFFLE(2, 0, 2, 0)));
    right = _mm256_castps_si256(_mm256_shuffle_ps(g0, g1, _MM_SHUFFLE(3, 1, 3, 1)));
}

// How a row samples texel pairs (see sampleLinear8): positions are clamped
// so that the pair's first column p and row q stay one short of the last
// column and row, and a position left of or above the bounds becomes the
// first column or row with weight 0, one at or past the last the one before
// it with weight 256: that reads exactly the clamped texels. The bounds need
// two columns and two rows.
struct PairRow {
    __m256i x0, x1, y0, y1; // the clamp of positions (16.16)
    // The lane of a group with the smallest column and row (0 or 7, in every
    // lane: a permute by it spreads that lane's value).
    __m256i leftLane, topLane;
    __m256i lastWindow; // the last column a window of 9 texels may start at
    int lastRow;        // the bounds' last row
    size_t width;       // texels a texture row
    // Rows below its first a group may reach; -1 gathers always (steps of
    // more than a texel, or a texture narrower than a window).
    int rows;
};

__attribute__((target("avx2"))) inline PairRow pairRow(int width, int x0, int y0, int x1, int y1,
                                                       const Fixed& f) {
    PairRow r;
    r.x0 = _mm256_set1_epi32(x0 << 16);
    r.x1 = _mm256_set1_epi32(((x1 - 1) << 16) | 0xFF80);
    r.y0 = _mm256_set1_epi32(y0 << 16);
    r.y1 = _mm256_set1_epi32(((y1 - 1) << 16) | 0xFF80);
    r.leftLane = _mm256_set1_epi32(f.dfx < 0 ? 7 : 0);
    r.topLane = _mm256_set1_epi32(f.dfy < 0 ? 7 : 0);
    r.lastWindow = _mm256_set1_epi32(width - 9);
    r.lastRow = y1;
    r.width = size_t(width);
    const bool narrow = f.dfx >= -65536 && f.dfx <= 65536 && f.dfy >= -65536 && f.dfy <= 65536;
    r.rows = narrow && width >= 9 ? int((7 * std::abs(f.dfy) + 65535) >> 16) : -1;
    return r;
}

__attribute__((target("avx2"))) inline __m256i blendLanes(__m256i a, __m256i b, __m256i mask) {
    return _mm256_castps_si256(
        _mm256_blendv_ps(_mm256_castsi256_ps(a), _mm256_castsi256_ps(b), _mm256_castsi256_ps(mask)));
}

// Eight linear samples from the lane positions fx, fy. Each reads the texel
// pair at columns p, p + 1 of the rows q, q + 1. Within a step of a texel
// the pairs of a group lie within 8 columns and a known number of rows: the
// rows are loaded as windows and each texel picked by a permute. Otherwise
// the pairs are gathered, two texels a load.
__attribute__((target("avx2"))) inline __m256i sampleLinear8(const uint32_t* texels, const PairRow& pr,
                                                             __m256i fx, __m256i fy, const RowConstants& k) {
    fx = _mm256_min_epi32(_mm256_max_epi32(fx, pr.x0), pr.x1);
    fy = _mm256_min_epi32(_mm256_max_epi32(fy, pr.y0), pr.y1);
    const __m256i p = _mm256_srai_epi32(fx, 16), q = _mm256_srai_epi32(fy, 16);
    __m256i aL, aR, bL, bR;
    if (pr.rows >= 0) {
        // A window reads 9 texels from the group's first column; near the
        // right edge it starts further left, and still holds every pair.
        const __m256i lo = _mm256_min_epi32(_mm256_permutevar8x32_epi32(p, pr.leftLane), pr.lastWindow);
        __m256i row = _mm256_permutevar8x32_epi32(q, pr.topLane);
        const int top = _mm256_cvtsi256_si32(row);
        const __m256i at = _mm256_sub_epi32(p, lo);
        const uint32_t* r = texels + size_t(top) * pr.width + size_t(_mm256_cvtsi256_si32(lo));
        pickPairs(r, at, aL, aR);
        r += pr.width;
        pickPairs(r, at, bL, bR);
        __m256i nextL = bL, nextR = bR;
        // Lanes whose upper row is the row below take it, and the one below
        // that as their lower; no lane reaches the bounds' last row as its upper.
        const int more = std::min(pr.rows, pr.lastRow - 1 - top);
        for (int i = 0; i < more; ++i) {
            row = _mm256_add_epi32(row, k.one);
            const __m256i here = _mm256_cmpeq_epi32(q, row);
            aL = blendLanes(aL, nextL, here);
            aR = blendLanes(aR, nextR, here);
            r += pr.width;
            pickPairs(r, at, nextL, nextR);
            bL = blendLanes(bL, nextL, here);
            bR = blendLanes(bR, nextR, here);
        }
    } else {
        // Pixels 0, 1, 4, 5 in the first gather and 2, 3, 6, 7 in the second,
        // so that the left and right texels come out in pixel order.
        const __m256i width = _mm256_set1_epi32(int(pr.width));
        const __m256i index = _mm256_permutevar8x32_epi32(_mm256_add_epi32(_mm256_mullo_epi32(q, width), p),
                                                          _mm256_setr_epi32(0, 1, 4, 5, 2, 3, 6, 7));
        gatherPairs(texels, index, aL, aR);
        gatherPairs(texels, _mm256_add_epi32(index, width), bL, bR);
    }
    return mixQuads(aL, aR, bL, bR, weightsOf(fx, k), weightsOf(fy, k));
}

// Eight samples of any clamp bounds the long way: each of the four texels
// gathered on its own.
__attribute__((target("avx2"))) inline __m256i sampleGathered8(const int* base, int width, int x0, int y0,
                                                               int x1, int y1, bool linear, __m256i fx,
                                                               __m256i fy, const RowConstants& k) {
    const __m256i vx0 = _mm256_set1_epi32(x0), vx1 = _mm256_set1_epi32(x1);
    const __m256i vy0 = _mm256_set1_epi32(y0), vy1 = _mm256_set1_epi32(y1);
    const __m256i rowPx = _mm256_set1_epi32(width), one = _mm256_set1_epi32(1);
    const __m256i ix = _mm256_srai_epi32(fx, 16), iy = _mm256_srai_epi32(fy, 16);
    const __m256i xa = _mm256_min_epi32(_mm256_max_epi32(ix, vx0), vx1);
    const __m256i ya = _mm256_min_epi32(_mm256_max_epi32(iy, vy0), vy1);
    const __m256i ra = _mm256_mullo_epi32(ya, rowPx);
    if (!linear) {
        return _mm256_i32gather_epi32(base, _mm256_add_epi32(ra, xa), 4);
    }
    const __m256i xb = _mm256_min_epi32(_mm256_max_epi32(_mm256_add_epi32(ix, one), vx0), vx1);
    const __m256i yb = _mm256_min_epi32(_mm256_max_epi32(_mm256_add_epi32(iy, one), vy0), vy1);
    const __m256i rb = _mm256_mullo_epi32(yb, rowPx);
    return mixQuads(_mm256_i32gather_epi32(base, _mm256_add_epi32(ra, xa), 4),
                    _mm256_i32gather_epi32(base, _mm256_add_epi32(ra, xb), 4),
                    _mm256_i32gather_epi32(base, _mm256_add_epi32(rb, xa), 4),
                    _mm256_i32gather_epi32(base, _mm256_add_epi32(rb, xb), 4), weightsOf(fx, k),
                    weightsOf(fy, k));
}

// A whole row of a 32-bit texture under any affine step, eight samples at a
// time; positions must fit 32 bits (checked by the caller). Returns n.
// With Blend, the samples are blended straight onto out under the blend of
// the kind Kind, tinted unless White, instead of being stored.
// Where a blend that keeps the target for texels of alpha 0 is given
// (clear non-null), runs of 32 and groups of 8 samples whose texels all lie
// in clear blocks are skipped; so are groups whose samples all come out
// clear. Nothing is written there: the back buffer's alpha is 0xFF already.
// Rows of a few groups (small sprites, particles) are not asked: the test
// would cost them about what it saves.
template <bool Blend, int Kind, bool White>
__attribute__((target("avx2"))) int sampleAffineRowAvx2(const uint8_t* data, uint32_t pitch, int x0, int y0,
                                                        int x1, int y1, bool linear, uint32_t orMask,
                                                        uint32_t* out, int n, const Fixed& f, uint32_t colour,
                                                        const aClearBlocks* clear) {
    aBlendOp op;
    op.kind = aBlendOp::Kind(Kind);
    const __m256i c16 = _mm256_unpacklo_epi8(_mm256_set1_epi32(int(colour)), _mm256_setzero_si256());
    const RowConstants kc = rowConstants();
    const __m256i opaque = kc.opaque;
    const int width = int(pitch / 4);
    const uint32_t* texels = reinterpret_cast<const uint32_t*>(data);
    const __m256i steps = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i stepX = _mm256_mullo_epi32(steps, _mm256_set1_epi32(int32_t(f.dfx)));
    const __m256i stepY = _mm256_mullo_epi32(steps, _mm256_set1_epi32(int32_t(f.dfy)));
    const __m256i alpha = _mm256_set1_epi32(int32_t(orMask));
    // Pairs of texels need two columns and two rows to clamp in.
    const bool pairs = linear && x1 > x0 && y1 > y0;
    const PairRow pairRows = pairRow(width, x0, y0, x1, y1, f);
    // Blends whose clear samples keep the target (tinted too: the tint keeps alpha 0).
    constexpr bool skipClear = Blend && (Kind == aBlendOp::Normal || Kind == aBlendOp::Add);
    ClearRuns runs(skipClear && n >= 32 ? clear : nullptr, f, x0, y0, x1, y1, linear);
    // Copies: the stores through out might otherwise be taken to change f.
    const int64_t dfx = f.dfx, dfy = f.dfy;
    int64_t gx = f.fx0, gy = f.fy0;
    for (int k = 0; k < n; k += 8, gx += 8 * dfx, gy += 8 * dfy) {
        if (runs.clearGroup(k, 8, n, gx, gy)) {
            continue;
        }
        const __m256i fx = _mm256_add_epi32(_mm256_set1_epi32(int32_t(gx)), stepX);
        const __m256i fy = _mm256_add_epi32(_mm256_set1_epi32(int32_t(gy)), stepY);
        __m256i r = pairs ? sampleLinear8(texels, pairRows, fx, fy, kc)
                          : sampleGathered8(reinterpret_cast<const int*>(data), width, x0, y0, x1, y1, linear,
                                            fx, fy, kc);
        r = _mm256_or_si256(r, alpha);
        // The last few: every lane's texels are clamped inside, only the
        // loads and stores of the target are cut short.
        const bool whole = k + 8 <= n;
        if constexpr (Blend) {
            const __m256i sa = _mm256_and_si256(r, opaque);
            if (skipClear && _mm256_testz_si256(sa, opaque)) {
                continue;
            }
            if (White && Kind == aBlendOp::Normal && whole && _mm256_testc_si256(sa, opaque)) {
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), r);
                continue;
            }
        }
        if (whole) {
            if constexpr (Blend) {
                const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(out + k));
                r = _mm256_or_si256(a_blend8Avx2(r, d, White, c16, op, kc.blend), opaque);
            }
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), r);
        } else {
            const __m256i mask = _mm256_cmpgt_epi32(_mm256_set1_epi32(n - k), steps);
            if constexpr (Blend) {
                const __m256i d = _mm256_maskload_epi32(reinterpret_cast<const int*>(out + k), mask);
                r = _mm256_or_si256(a_blend8Avx2(r, d, White, c16, op, kc.blend), opaque);
            }
            _mm256_maskstore_epi32(reinterpret_cast<int*>(out + k), mask, r);
        }
    }
    return n;
}

// sampleAffineRowAvx2 for the blend and tint given (none without Blend).
template <bool Blend>
int sampleAffineAvx2(const uint8_t* data, uint32_t pitch, int x0, int y0, int x1, int y1, bool linear,
                     uint32_t orMask, uint32_t* out, int n, const Fixed& f, uint32_t colour = 0xFFFFFFFFu,
                     const aBlendOp* op = nullptr, const aClearBlocks* clear = nullptr) {
    if constexpr (!Blend) {
        return sampleAffineRowAvx2<false, aBlendOp::Opaque, true>(data, pitch, x0, y0, x1, y1, linear, orMask,
                                                                  out, n, f, colour, nullptr);
    } else {
        return forBlend(*op, colour, [&](auto kind, auto white) {
            return sampleAffineRowAvx2<true, kind(), white()>(data, pitch, x0, y0, x1, y1, linear, orMask,
                                                              out, n, f, colour, clear);
        });
    }
}

#define A_SAMPLER_AVX512 __attribute__((target("avx512f,avx512bw")))
// GCC 12 takes the undefined first operand inside several AVX-512 intrinsics
// for a use of an uninitialised value.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif

// The most rows below its first that a group of sixteen reads from row
// windows; steeper ones are gathered.
constexpr int kWindowRows16 = 3;

// The sixteen-lane forms of the AVX2 row kernel's steps (see
// sampleLinear8): texel pairs from row windows of 32 texels, each picked by
// one permute of two loads; gathers otherwise.
struct PairRow16 {
    __m512i x0, x1, y0, y1;    // the clamp of positions (16.16)
    __m512i leftLane, topLane; // 0 or 15 in every lane
    __m512i lastWindow;        // the last column a window of 32 texels may start at
    int lastRow;
    size_t width;
    int rows; // rows below its first a group may reach; -1 gathers always
};

A_SAMPLER_AVX512 inline PairRow16 pairRow16(int width, int x0, int y0, int x1, int y1, const Fixed& f) {
    PairRow16 r;
    r.x0 = _mm512_set1_epi32(x0 << 16);
    r.x1 = _mm512_set1_epi32(((x1 - 1) << 16) | 0xFF80);
    r.y0 = _mm512_set1_epi32(y0 << 16);
    r.y1 = _mm512_set1_epi32(((y1 - 1) << 16) | 0xFF80);
    r.leftLane = _mm512_set1_epi32(f.dfx < 0 ? 15 : 0);
    r.topLane = _mm512_set1_epi32(f.dfy < 0 ? 15 : 0);
    r.lastWindow = _mm512_set1_epi32(width - 32);
    r.lastRow = y1;
    r.width = size_t(width);
    const bool narrow = f.dfx >= -65536 && f.dfx <= 65536 && f.dfy >= -65536 && f.dfy <= 65536;
    r.rows = narrow && width >= 32 ? int((15 * std::abs(f.dfy) + 65535) >> 16) : -1;
    // Steeper groups read more rows than gathers cost.
    if (r.rows > kWindowRows16) {
        r.rows = -1;
    }
    return r;
}

A_SAMPLER_AVX512 inline __m512i weightsOf16(__m512i f) {
    const __m512i w = _mm512_srli_epi32(
        _mm512_add_epi32(_mm512_and_si512(f, _mm512_set1_epi32(0xFFFF)), _mm512_set1_epi32(128)), 8);
    return _mm512_min_epi32(_mm512_slli_epi32(w, 7), _mm512_set1_epi32(0x7FFF));
}

A_SAMPLER_AVX512 inline void spreadWeights16(__m512i w, __m512i& lo, __m512i& hi) {
    lo = _mm512_shuffle_epi8(w, _mm512_set4_epi32(0x05040504, 0x05040504, 0x01000100, 0x01000100));
    hi = _mm512_shuffle_epi8(w, _mm512_set4_epi32(0x0D0C0D0C, 0x0D0C0D0C, 0x09080908, 0x09080908));
}

A_SAMPLER_AVX512 inline void mixDown16(__m512i a, __m512i b, __m512i wlo, __m512i whi, __m512i& lo,
                                       __m512i& hi) {
    const __m512i zero = _mm512_setzero_si512();
    const __m512i alo = _mm512_unpacklo_epi8(a, zero), ahi = _mm512_unpackhi_epi8(a, zero);
    lo =
        _mm512_add_epi16(alo, _mm512_mulhrs_epi16(_mm512_sub_epi16(_mm512_unpacklo_epi8(b, zero), alo), wlo));
    hi =
        _mm512_add_epi16(ahi, _mm512_mulhrs_epi16(_mm512_sub_epi16(_mm512_unpackhi_epi8(b, zero), ahi), whi));
}

A_SAMPLER_AVX512 inline __m512i mixQuads16(__m512i aL, __m512i aR, __m512i bL, __m512i bR, __m512i wx,
                                           __m512i wy) {
    __m512i wylo, wyhi, wxlo, wxhi;
    spreadWeights16(wy, wylo, wyhi);
    spreadWeights16(wx, wxlo, wxhi);
    __m512i llo, lhi, rlo, rhi;
    mixDown16(aL, bL, wylo, wyhi, llo, lhi);
    mixDown16(aR, bR, wylo, wyhi, rlo, rhi);
    return _mm512_packus_epi16(_mm512_add_epi16(llo, _mm512_mulhrs_epi16(_mm512_sub_epi16(rlo, llo), wxlo)),
                               _mm512_add_epi16(lhi, _mm512_mulhrs_epi16(_mm512_sub_epi16(rhi, lhi), wxhi)));
}

A_SAMPLER_AVX512 inline void pickPairs16(const uint32_t* r, __m512i at, __m512i at1, __m512i& left,
                                         __m512i& right) {
    const __m512i w0 = _mm512_loadu_si512(r), w1 = _mm512_loadu_si512(r + 16);
    left = _mm512_permutex2var_epi32(w0, at, w1);
    right = _mm512_permutex2var_epi32(w0, at1, w1);
}

A_SAMPLER_AVX512 inline __m512i sampleLinear16(const uint32_t* texels, const PairRow16& pr, __m512i fx,
                                               __m512i fy) {
    fx = _mm512_min_epi32(_mm512_max_epi32(fx, pr.x0), pr.x1);
    fy = _mm512_min_epi32(_mm512_max_epi32(fy, pr.y0), pr.y1);
    const __m512i p = _mm512_srai_epi32(fx, 16), q = _mm512_srai_epi32(fy, 16);
    __m512i aL, aR, bL, bR;
    if (pr.rows >= 0) {
        const __m512i lo = _mm512_min_epi32(_mm512_permutexvar_epi32(pr.leftLane, p), pr.lastWindow);
        __m512i row = _mm512_permutexvar_epi32(pr.topLane, q);
        const int top = _mm_cvtsi128_si32(_mm512_castsi512_si128(row));
        const __m512i at = _mm512_sub_epi32(p, lo), at1 = _mm512_add_epi32(at, _mm512_set1_epi32(1));
        const uint32_t* r =
            texels + size_t(top) * pr.width + size_t(_mm_cvtsi128_si32(_mm512_castsi512_si128(lo)));
        pickPairs16(r, at, at1, aL, aR);
        r += pr.width;
        pickPairs16(r, at, at1, bL, bR);
        __m512i nextL = bL, nextR = bR;
        const int more = std::min(pr.rows, pr.lastRow - 1 - top);
        for (int i = 0; i < more; ++i) {
            row = _mm512_add_epi32(row, _mm512_set1_epi32(1));
            const __mmask16 here = _mm512_cmpeq_epi32_mask(q, row);
            aL = _mm512_mask_mov_epi32(aL, here, nextL);
            aR = _mm512_mask_mov_epi32(aR, here, nextR);
            r += pr.width;
            pickPairs16(r, at, at1, nextL, nextR);
            bL = _mm512_mask_mov_epi32(bL, here, nextL);
            bR = _mm512_mask_mov_epi32(bR, here, nextR);
        }
    } else {
        const __m512i zero = _mm512_setzero_si512(), one = _mm512_set1_epi32(1);
        const __m512i width = _mm512_set1_epi32(int(pr.width));
        const __m512i a = _mm512_add_epi32(_mm512_mullo_epi32(q, width), p);
        const __m512i b = _mm512_add_epi32(a, width);
        aL = _mm512_mask_i32gather_epi32(zero, 0xFFFF, a, texels, 4);
        aR = _mm512_mask_i32gather_epi32(zero, 0xFFFF, _mm512_add_epi32(a, one), texels, 4);
        bL = _mm512_mask_i32gather_epi32(zero, 0xFFFF, b, texels, 4);
        bR = _mm512_mask_i32gather_epi32(zero, 0xFFFF, _mm512_add_epi32(b, one), texels, 4);
    }
    return mixQuads16(aL, aR, bL, bR, weightsOf16(fx), weightsOf16(fy));
}

// Sixteen samples of any clamp bounds the long way, each texel gathered.
A_SAMPLER_AVX512 inline __m512i sampleGathered16(const uint8_t* data, int width, int x0, int y0, int x1,
                                                 int y1, bool linear, __m512i fx, __m512i fy) {
    const __m512i zero = _mm512_setzero_si512(), one = _mm512_set1_epi32(1);
    const __m512i vx0 = _mm512_set1_epi32(x0), vx1 = _mm512_set1_epi32(x1);
    const __m512i vy0 = _mm512_set1_epi32(y0), vy1 = _mm512_set1_epi32(y1);
    const __m512i rowPx = _mm512_set1_epi32(width);
    const __m512i ix = _mm512_srai_epi32(fx, 16), iy = _mm512_srai_epi32(fy, 16);
    const __m512i xa = _mm512_min_epi32(_mm512_max_epi32(ix, vx0), vx1);
    const __m512i ya = _mm512_min_epi32(_mm512_max_epi32(iy, vy0), vy1);
    const __m512i ra = _mm512_mullo_epi32(ya, rowPx);
    const __m512i c00 = _mm512_mask_i32gather_epi32(zero, 0xFFFF, _mm512_add_epi32(ra, xa), data, 4);
    if (!linear) {
        return c00;
    }
    const __m512i xb = _mm512_min_epi32(_mm512_max_epi32(_mm512_add_epi32(ix, one), vx0), vx1);
    const __m512i yb = _mm512_min_epi32(_mm512_max_epi32(_mm512_add_epi32(iy, one), vy0), vy1);
    const __m512i rb = _mm512_mullo_epi32(yb, rowPx);
    return mixQuads16(c00, _mm512_mask_i32gather_epi32(zero, 0xFFFF, _mm512_add_epi32(ra, xb), data, 4),
                      _mm512_mask_i32gather_epi32(zero, 0xFFFF, _mm512_add_epi32(rb, xa), data, 4),
                      _mm512_mask_i32gather_epi32(zero, 0xFFFF, _mm512_add_epi32(rb, xb), data, 4),
                      weightsOf16(fx), weightsOf16(fy));
}

// A row of a 32-bit texture under any affine step, sixteen samples at a
// time, as sampleAffineRowAvx2 does it (clear runs and groups likewise).
// Positions must fit 32 bits (checked by the caller). Returns n.
template <bool Blend, int Kind, bool White>
A_SAMPLER_AVX512 int sampleAffineRowAvx512(const uint8_t* data, uint32_t pitch, int x0, int y0, int x1,
                                           int y1, bool linear, uint32_t orMask, uint32_t* out, int n,
                                           const Fixed& f, uint32_t colour, const aClearBlocks* clear) {
    aBlendOp op;
    op.kind = aBlendOp::Kind(Kind);
    const __m512i c16 = _mm512_unpacklo_epi8(_mm512_set1_epi32(int(colour)), _mm512_setzero_si512());
    const __m512i opaque = _mm512_set1_epi32(int(0xFF000000u));
    const int width = int(pitch / 4);
    const uint32_t* texels = reinterpret_cast<const uint32_t*>(data);
    const __m512i lanes = _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const __m512i stepX = _mm512_mullo_epi32(lanes, _mm512_set1_epi32(int32_t(f.dfx)));
    const __m512i stepY = _mm512_mullo_epi32(lanes, _mm512_set1_epi32(int32_t(f.dfy)));
    const __m512i alpha = _mm512_set1_epi32(int32_t(orMask));
    const bool pairs = linear && x1 > x0 && y1 > y0;
    const PairRow16 pairRows = pairRow16(width, x0, y0, x1, y1, f);
    constexpr bool skipClear = Blend && (Kind == aBlendOp::Normal || Kind == aBlendOp::Add);
    ClearRuns runs(skipClear && n >= 32 ? clear : nullptr, f, x0, y0, x1, y1, linear);
    const int64_t dfx = f.dfx, dfy = f.dfy;
    int64_t gx = f.fx0, gy = f.fy0;
    for (int k = 0; k < n; k += 16, gx += 16 * dfx, gy += 16 * dfy) {
        if (runs.clearGroup(k, 16, n, gx, gy)) {
            continue;
        }
        const __m512i fx = _mm512_add_epi32(_mm512_set1_epi32(int32_t(gx)), stepX);
        const __m512i fy = _mm512_add_epi32(_mm512_set1_epi32(int32_t(gy)), stepY);
        __m512i r = pairs ? sampleLinear16(texels, pairRows, fx, fy)
                          : sampleGathered16(data, width, x0, y0, x1, y1, linear, fx, fy);
        r = _mm512_or_si512(r, alpha);
        const __mmask16 keep = n - k >= 16 ? __mmask16(0xFFFF) : __mmask16((1u << (n - k)) - 1);
        if constexpr (Blend) {
            if (skipClear && _mm512_test_epi32_mask(r, opaque) == 0) {
                continue;
            }
            if (White && Kind == aBlendOp::Normal &&
                _mm512_cmpeq_epi32_mask(_mm512_and_si512(r, opaque), opaque) == 0xFFFF) {
                _mm512_mask_storeu_epi32(out + k, keep, r);
                continue;
            }
            const __m512i d = _mm512_maskz_loadu_epi32(keep, out + k);
            r = _mm512_or_si512(a_blend16Avx512(r, d, White, c16, op), opaque);
        }
        _mm512_mask_storeu_epi32(out + k, keep, r);
    }
    return n;
}

// sampleAffineRowAvx512 for the blend and tint given (none without Blend).
template <bool Blend>
int sampleAffineAvx512(const uint8_t* data, uint32_t pitch, int x0, int y0, int x1, int y1, bool linear,
                       uint32_t orMask, uint32_t* out, int n, const Fixed& f, uint32_t colour = 0xFFFFFFFFu,
                       const aBlendOp* op = nullptr, const aClearBlocks* clear = nullptr) {
    if constexpr (!Blend) {
        return sampleAffineRowAvx512<false, aBlendOp::Opaque, true>(data, pitch, x0, y0, x1, y1, linear,
                                                                    orMask, out, n, f, colour, nullptr);
    } else {
        return forBlend(*op, colour, [&](auto kind, auto white) {
            return sampleAffineRowAvx512<true, kind(), white()>(data, pitch, x0, y0, x1, y1, linear, orMask,
                                                                out, n, f, colour, clear);
        });
    }
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#endif

inline bool fits32(int64_t v) {
    return v > -(int64_t(1) << 30) && v < (int64_t(1) << 30);
}

} // namespace

void aSampler::sampleRowReference(uint32_t* out, int n, double tx0, double ty0, double dtx,
                                  double dty) const {
    sampleScalar(m_data, m_pitch, m_format, m_x0, m_y0, m_x1, m_y1, m_linear, out, 0, n,
                 fixedRow(m_linear, tx0, ty0, dtx, dty));
}

void aSampler::sampleRow(uint32_t* out, int n, double tx0, double ty0, double dtx, double dty) const {
    sampleRowStepped(out, n, tx0, ty0, fixedStep(dtx), fixedStep(dty));
}

int64_t aSampler::fixedStep(double d) {
    return toFixed(std::clamp(d, -65536.0, 65536.0));
}

void aSampler::sampleRowStepped(uint32_t* out, int n, double tx0, double ty0, int64_t dfx,
                                int64_t dfy) const {
    const double shift = m_linear ? 0.5 : 0.0;
    const Fixed f{toFixed(tx0 - shift), toFixed(ty0 - shift), dfx, dfy};
    int done = 0;
#ifdef A_SAMPLER_X86
    if (n > 0 && a_rasterSimdLevel() >= 2 && (m_format == A_FMT_A8R8G8B8 || m_format == A_FMT_X8R8G8B8) &&
        fits32(f.fx0) && fits32(f.fy0) && fits32(f.dfx * 8) && fits32(f.dfy * 8) &&
        fits32(f.fx0 + n * f.dfx) && fits32(f.fy0 + n * f.dfy)) {
        const uint32_t orMask = m_format == A_FMT_X8R8G8B8 ? 0xFF000000u : 0u;
        done = n >= 16 && a_rasterSimdLevel() >= 3 && fits32(f.dfx * 16) && fits32(f.dfy * 16)
                   ? sampleAffineAvx512<false>(m_data, m_pitch, m_x0, m_y0, m_x1, m_y1, m_linear, orMask, out,
                                               n, f)
                   : sampleAffineAvx2<false>(m_data, m_pitch, m_x0, m_y0, m_x1, m_y1, m_linear, orMask, out,
                                             n, f);
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
        const aClearBlocks* clear =
            op.kind == aBlendOp::Normal || op.kind == aBlendOp::Add ? m_clear : nullptr;
        // Rows of a few pixels (particles) stay on the narrower kernel.
        if (n >= 16 && a_rasterSimdLevel() >= 3 && fits32(f.dfx * 16) && fits32(f.dfy * 16)) {
            sampleAffineAvx512<true>(m_data, m_pitch, m_x0, m_y0, m_x1, m_y1, m_linear, orMask, target, n, f,
                                     colour, &op, clear);
        } else {
            sampleAffineAvx2<true>(m_data, m_pitch, m_x0, m_y0, m_x1, m_y1, m_linear, orMask, target, n, f,
                                   colour, &op, clear);
        }
        return true;
    }
#else
    (void)target, (void)n, (void)tx0, (void)ty0, (void)dfx, (void)dfy, (void)colour, (void)op;
#endif
    return false;
}
