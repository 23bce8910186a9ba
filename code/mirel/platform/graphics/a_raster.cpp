#include "mirel/platform/graphics/a_raster.h"

#include "mirel/platform/graphics/a_device.h"

#include "mirel/base/a_log.h"

#include <cstdlib>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include "mirel/platform/graphics/a_rasterkernels.h"
#include <immintrin.h>
#define A_RASTER_X86 1
#endif

namespace {
int bestSimdLevel() {
#if defined(__x86_64__) || defined(__i386__)
    if (!__builtin_cpu_supports("avx2")) {
        return 1;
    }
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") ? 3 : 2;
#else
    return 0;
#endif
}

const char* const kLevelNames[] = {"plain", "sse2", "avx2", "avx512"};

} // namespace

int a_pickSimdLevel(const char* asked, int best) {
    if (!asked) {
        return best;
    }
    for (int level = 1; level <= 3; ++level) {
        if (std::strcmp(asked, kLevelNames[level]) != 0) {
            continue;
        }
        if (level > best) {
            a_log("aRaster. The processor lacks the vector level '%s' of MIREL_SIMD; %s is used", asked,
                  kLevelNames[best]);
            return best;
        }
        return level;
    }
    a_log("aRaster. Unknown vector level '%s' in MIREL_SIMD (sse2, avx2, avx512); %s is used", asked,
          kLevelNames[best]);
    return best;
}

namespace {
// -1 until the first drawing asks (the log is open by then).
int g_simdLevel = -1;

inline int simdLevel() {
    if (g_simdLevel < 0) {
        g_simdLevel = a_pickSimdLevel(std::getenv("MIREL_SIMD"), bestSimdLevel());
    }
    return g_simdLevel;
}
} // namespace

int a_rasterSimdLevel() {
    return simdLevel();
}

int a_rasterCpuSimdLevel() {
    return bestSimdLevel();
}

const char* a_rasterSimdName(int level) {
    return kLevelNames[level < 0 ? 0 : level > 3 ? 3 : level];
}

void a_setRasterSimdLevel(int level) {
    g_simdLevel = level < 0 ? 0 : level < bestSimdLevel() ? level : bestSimdLevel();
}

aBlendOp a_blendOp(bool alphaBlend, int srcFactor, int dstFactor) {
    aBlendOp op;
    op.src = srcFactor;
    op.dst = dstFactor;
    if (!alphaBlend || (srcFactor == A_BLEND_ONE && dstFactor == A_BLEND_ZERO)) {
        op.kind = aBlendOp::Opaque;
    } else if (srcFactor == A_BLEND_SRCALPHA && dstFactor == A_BLEND_INVSRCALPHA) {
        op.kind = aBlendOp::Normal;
    } else if (srcFactor == A_BLEND_SRCALPHA && dstFactor == A_BLEND_ONE) {
        op.kind = aBlendOp::Add;
    } else {
        op.kind = aBlendOp::General;
    }
    return op;
}

namespace {

uint32_t factorOf(int code, uint32_t srcAlpha) {
    switch (code) {
    case A_BLEND_ZERO:
        return 0;
    case A_BLEND_ONE:
        return 255;
    case A_BLEND_SRCALPHA:
        return srcAlpha;
    case A_BLEND_INVSRCALPHA:
        return 255 - srcAlpha;
    default:
        return 0;
    }
}

inline uint32_t blendPixel(uint32_t d, uint32_t s, const aBlendOp& op) {
    uint32_t a = s >> 24;
    uint32_t fs, fd;
    switch (op.kind) {
    case aBlendOp::Opaque:
        return s | 0xFF000000u;
    case aBlendOp::Normal:
        fs = a;
        fd = 255 - a;
        break;
    case aBlendOp::Add:
        fs = a;
        fd = 255;
        break;
    default:
        fs = factorOf(op.src, a);
        fd = factorOf(op.dst, a);
        break;
    }
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        uint32_t v = (((s >> shift) & 255) * fs + ((d >> shift) & 255) * fd + 127) / 255;
        out |= (v > 255 ? 255 : v) << shift;
    }
    return out;
}

#ifdef A_RASTER_X86

// floor(x / 255) for every 16-bit lane (exact for 0..65535).
inline __m128i div255(__m128i x) {
    return _mm_srli_epi16(_mm_mulhi_epu16(x, _mm_set1_epi16(short(0x8081))), 7);
}

// Modulates four pixels widened to 16 bits by the colour (widened likewise).
inline __m128i mod16(__m128i s16, __m128i c16) {
    return div255(_mm_add_epi16(_mm_mullo_epi16(s16, c16), _mm_set1_epi16(127)));
}

inline __m128i alpha16(__m128i s16) {
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(s16, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
}

// One half (two pixels) of the normal blend on 16-bit lanes.
inline __m128i normal16(__m128i s16, __m128i d16) {
    __m128i a = alpha16(s16);
    __m128i ia = _mm_sub_epi16(_mm_set1_epi16(255), a);
    __m128i t = _mm_add_epi16(_mm_mullo_epi16(s16, a), _mm_mullo_epi16(d16, ia));
    return div255(_mm_add_epi16(t, _mm_set1_epi16(127)));
}

inline __m128i add16(__m128i s16) {
    __m128i a = alpha16(s16);
    return div255(_mm_add_epi16(_mm_mullo_epi16(s16, a), _mm_set1_epi16(127)));
}

int blendSse2(uint32_t* dst, const uint32_t* src, int n, uint32_t colour, const aBlendOp& op) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
    const bool white = colour == 0xFFFFFFFFu;
    const __m128i c16 = _mm_unpacklo_epi8(_mm_set1_epi32(int(colour)), zero);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        __m128i slo = _mm_unpacklo_epi8(s, zero);
        __m128i shi = _mm_unpackhi_epi8(s, zero);
        if (!white) {
            slo = mod16(slo, c16);
            shi = mod16(shi, c16);
        }
        __m128i r;
        if (op.kind == aBlendOp::Opaque) {
            r = white ? s : _mm_packus_epi16(slo, shi);
        } else {
            __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
            if (op.kind == aBlendOp::Normal) {
                if (white) {
                    // Whole groups of opaque or transparent texels need no arithmetic.
                    int m = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(s, opaque), opaque)) & 0x8888;
                    if (m == 0x8888) {
                        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_or_si128(s, opaque));
                        continue;
                    }
                    if ((_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(s, opaque), zero)) & 0x8888) ==
                        0x8888) {
                        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_or_si128(d, opaque));
                        continue;
                    }
                }
                __m128i lo = normal16(slo, _mm_unpacklo_epi8(d, zero));
                __m128i hi = normal16(shi, _mm_unpackhi_epi8(d, zero));
                r = _mm_packus_epi16(lo, hi);
            } else {
                r = _mm_adds_epu8(d, _mm_packus_epi16(add16(slo), add16(shi)));
            }
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_or_si128(r, opaque));
    }
    return i;
}

// Blends all n pixels: whole groups of eight, then the rest through masked
// loads and stores (no branch on the length, which short runs make
// unpredictable).
__attribute__((target("avx2"))) int blendAvx2(uint32_t* dst, const uint32_t* src, int n, uint32_t colour,
                                              const aBlendOp& op) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i opaque = _mm256_set1_epi32(int(0xFF000000u));
    const bool white = colour == 0xFFFFFFFFu;
    const __m256i c16 = _mm256_unpacklo_epi8(_mm256_set1_epi32(int(colour)), zero);
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        // A row ahead: the streams of a large layer arrive in time.
        _mm_prefetch(reinterpret_cast<const char*>(src + i) + 4096, _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(dst + i) + 4096, _MM_HINT_T0);
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
        if (op.kind == aBlendOp::Normal || op.kind == aBlendOp::Add) {
            // Whole groups of opaque (untinted, normal blend) or transparent
            // texels (any tint keeps alpha 0) need no arithmetic.
            const __m256i sa = _mm256_and_si256(s, opaque);
            if (white && op.kind == aBlendOp::Normal && _mm256_testc_si256(sa, opaque)) {
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), s);
                continue;
            }
            if (_mm256_testz_si256(sa, opaque)) {
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_or_si256(d, opaque));
                continue;
            }
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i),
                            _mm256_or_si256(a_blend8Avx2(s, d, white, c16, op), opaque));
    }
    if (i < n) {
        const __m256i mask =
            _mm256_cmpgt_epi32(_mm256_set1_epi32(n - i), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
        const __m256i s = _mm256_maskload_epi32(reinterpret_cast<const int*>(src + i), mask);
        const __m256i d = _mm256_maskload_epi32(reinterpret_cast<const int*>(dst + i), mask);
        _mm256_maskstore_epi32(reinterpret_cast<int*>(dst + i), mask,
                               _mm256_or_si256(a_blend8Avx2(s, d, white, c16, op), opaque));
        i = n;
    }
    return i;
}

#define A_RASTER_AVX512 __attribute__((target("avx512f,avx512bw")))

A_RASTER_AVX512 inline __m512i div255z(__m512i x) {
    return _mm512_srli_epi16(_mm512_mulhi_epu16(x, _mm512_set1_epi16(short(0x8081))), 7);
}

A_RASTER_AVX512 inline __m512i alpha16z(__m512i s16) {
    return _mm512_shufflehi_epi16(_mm512_shufflelo_epi16(s16, _MM_SHUFFLE(3, 3, 3, 3)),
                                  _MM_SHUFFLE(3, 3, 3, 3));
}

A_RASTER_AVX512 int blendAvx512(uint32_t* dst, const uint32_t* src, int n, uint32_t colour,
                                const aBlendOp& op) {
    const __m512i zero = _mm512_setzero_si512();
    const __m512i opaque = _mm512_set1_epi32(int(0xFF000000u));
    const __m512i k127 = _mm512_set1_epi16(127);
    const __m512i k255 = _mm512_set1_epi16(255);
    const bool white = colour == 0xFFFFFFFFu;
    const __m512i c16 = _mm512_unpacklo_epi8(_mm512_set1_epi32(int(colour)), zero);
    // Byte 3 of pixels 0 and 1 (7) of each 128-bit lane, widened to 16 bits
    // four times each; and of pixels 2 and 3 (11, 15).
    const __m512i alphaLo =
        _mm512_set4_epi32(int(0xFF07FF07u), int(0xFF07FF07u), int(0xFF03FF03u), int(0xFF03FF03u));
    const __m512i alphaHi =
        _mm512_set4_epi32(int(0xFF0FFF0Fu), int(0xFF0FFF0Fu), int(0xFF0BFF0Bu), int(0xFF0BFF0Bu));
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        _mm_prefetch(reinterpret_cast<const char*>(src + i) + 4096, _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(dst + i) + 4096, _MM_HINT_T0);
        const __m512i s = _mm512_loadu_si512(src + i);
        __m512i slo = _mm512_unpacklo_epi8(s, zero);
        __m512i shi = _mm512_unpackhi_epi8(s, zero);
        if (!white) {
            slo = div255z(_mm512_add_epi16(_mm512_mullo_epi16(slo, c16), k127));
            shi = div255z(_mm512_add_epi16(_mm512_mullo_epi16(shi, c16), k127));
        }
        __m512i r;
        if (op.kind == aBlendOp::Opaque) {
            r = white ? s : _mm512_packus_epi16(slo, shi);
        } else {
            const __m512i d = _mm512_loadu_si512(dst + i);
            if (op.kind == aBlendOp::Normal) {
                if (white) {
                    const __mmask16 full = _mm512_cmpeq_epi32_mask(_mm512_and_si512(s, opaque), opaque);
                    if (full == 0xFFFF) {
                        _mm512_storeu_si512(dst + i, s);
                        continue;
                    }
                    if (_mm512_test_epi32_mask(s, opaque) == 0) {
                        _mm512_storeu_si512(dst + i, _mm512_or_si512(d, opaque));
                        continue;
                    }
                }
                // Untinted, each pixel's alpha comes straight from its texel
                // byte: one shuffle per half.
                const __m512i alo = white ? _mm512_shuffle_epi8(s, alphaLo) : alpha16z(slo);
                const __m512i ahi = white ? _mm512_shuffle_epi8(s, alphaHi) : alpha16z(shi);
                const __m512i tlo = _mm512_add_epi16(
                    _mm512_mullo_epi16(slo, alo),
                    _mm512_mullo_epi16(_mm512_unpacklo_epi8(d, zero), _mm512_sub_epi16(k255, alo)));
                const __m512i thi = _mm512_add_epi16(
                    _mm512_mullo_epi16(shi, ahi),
                    _mm512_mullo_epi16(_mm512_unpackhi_epi8(d, zero), _mm512_sub_epi16(k255, ahi)));
                r = _mm512_packus_epi16(div255z(_mm512_add_epi16(tlo, k127)),
                                        div255z(_mm512_add_epi16(thi, k127)));
            } else {
                const __m512i lo = div255z(_mm512_add_epi16(_mm512_mullo_epi16(slo, alpha16z(slo)), k127));
                const __m512i hi = div255z(_mm512_add_epi16(_mm512_mullo_epi16(shi, alpha16z(shi)), k127));
                r = _mm512_adds_epu8(d, _mm512_packus_epi16(lo, hi));
            }
        }
        _mm512_storeu_si512(dst + i, _mm512_or_si512(r, opaque));
    }
    return i;
}

#endif

} // namespace

void a_blendSpanReference(uint32_t* dst, const uint32_t* src, int n, uint32_t colour, const aBlendOp& op) {
    const bool white = colour == 0xFFFFFFFFu;
    for (int i = 0; i < n; ++i) {
        uint32_t s = white ? src[i] : a_modulate(src[i], colour);
        dst[i] = blendPixel(dst[i], s, op);
    }
}

void a_blendSpan(uint32_t* dst, const uint32_t* src, int n, uint32_t colour, const aBlendOp& op) {
    if (n <= 0) {
        return;
    }
    int done = 0;
#ifdef A_RASTER_X86
    const int simd = simdLevel();
    if (op.kind != aBlendOp::General && simd >= 1) {
        // Each kernel only where it has a whole group to do: short runs
        // (small sprites, particles) stay off the wide units.
        if (simd >= 3 && n >= 16) {
            done = blendAvx512(dst, src, n, colour, op);
        }
        if (simd >= 2) {
            done += blendAvx2(dst + done, src + done, n - done, colour, op);
        }
        if (n - done >= 4) {
            done += blendSse2(dst + done, src + done, n - done, colour, op);
        }
    }
#endif
    a_blendSpanReference(dst + done, src + done, n - done, colour, op);
}

namespace {
inline uint32_t expand565(uint16_t p) {
    uint32_t r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
    return 0xFF000000u | (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) | ((b << 3) | (b >> 2));
}
inline uint32_t expand1555(uint16_t p) {
    uint32_t r = (p >> 10) & 31, g = (p >> 5) & 31, b = p & 31;
    return ((p & 0x8000) ? 0xFF000000u : 0u) | (((r << 3) | (r >> 2)) << 16) | (((g << 3) | (g >> 2)) << 8) |
           ((b << 3) | (b >> 2));
}
inline uint32_t expand4444(uint16_t p) {
    uint32_t a = (p >> 12) & 15, r = (p >> 8) & 15, g = (p >> 4) & 15, b = p & 15;
    return (a * 17u << 24) | (r * 17u << 16) | (g * 17u << 8) | (b * 17u);
}
} // namespace

uint32_t a_convertPixel(const uint8_t* pixel, int format) {
    uint32_t v32;
    uint16_t v16;
    switch (format) {
    case A_FMT_A8R8G8B8:
        std::memcpy(&v32, pixel, 4);
        return v32;
    case A_FMT_X8R8G8B8:
        std::memcpy(&v32, pixel, 4);
        return v32 | 0xFF000000u;
    case A_FMT_R5G6B5:
        std::memcpy(&v16, pixel, 2);
        return expand565(v16);
    case A_FMT_A1R5G5B5:
        std::memcpy(&v16, pixel, 2);
        return expand1555(v16);
    case A_FMT_A4R4G4B4:
        std::memcpy(&v16, pixel, 2);
        return expand4444(v16);
    default:
        return 0;
    }
}

void a_convertRowReference(uint32_t* out, const uint8_t* row, int format, int n) {
    const int bytes = a_formatBytes(format);
    for (int i = 0; i < n; ++i) {
        out[i] = a_convertPixel(row + size_t(i) * bytes, format);
    }
}

namespace {
#ifdef A_RASTER_X86
// Eight 16-bit pixels to ARGB. The channels are widened by bit replication
// exactly as expand565 / expand1555 / expand4444 do.
template <int Format> inline void convert8(uint32_t* out, const uint8_t* row) {
    const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row));
    __m128i r, g, b, a;
    if constexpr (Format == A_FMT_R5G6B5) {
        const __m128i r5 = _mm_srli_epi16(p, 11);
        const __m128i g6 = _mm_and_si128(_mm_srli_epi16(p, 5), _mm_set1_epi16(63));
        const __m128i b5 = _mm_and_si128(p, _mm_set1_epi16(31));
        r = _mm_or_si128(_mm_slli_epi16(r5, 3), _mm_srli_epi16(r5, 2));
        g = _mm_or_si128(_mm_slli_epi16(g6, 2), _mm_srli_epi16(g6, 4));
        b = _mm_or_si128(_mm_slli_epi16(b5, 3), _mm_srli_epi16(b5, 2));
        a = _mm_set1_epi16(255);
    } else if constexpr (Format == A_FMT_A1R5G5B5) {
        const __m128i r5 = _mm_and_si128(_mm_srli_epi16(p, 10), _mm_set1_epi16(31));
        const __m128i g5 = _mm_and_si128(_mm_srli_epi16(p, 5), _mm_set1_epi16(31));
        const __m128i b5 = _mm_and_si128(p, _mm_set1_epi16(31));
        r = _mm_or_si128(_mm_slli_epi16(r5, 3), _mm_srli_epi16(r5, 2));
        g = _mm_or_si128(_mm_slli_epi16(g5, 3), _mm_srli_epi16(g5, 2));
        b = _mm_or_si128(_mm_slli_epi16(b5, 3), _mm_srli_epi16(b5, 2));
        a = _mm_srli_epi16(_mm_srai_epi16(p, 15), 8);
    } else {
        const __m128i k15 = _mm_set1_epi16(15);
        const __m128i a4 = _mm_srli_epi16(p, 12);
        const __m128i r4 = _mm_and_si128(_mm_srli_epi16(p, 8), k15);
        const __m128i g4 = _mm_and_si128(_mm_srli_epi16(p, 4), k15);
        const __m128i b4 = _mm_and_si128(p, k15);
        a = _mm_or_si128(_mm_slli_epi16(a4, 4), a4);
        r = _mm_or_si128(_mm_slli_epi16(r4, 4), r4);
        g = _mm_or_si128(_mm_slli_epi16(g4, 4), g4);
        b = _mm_or_si128(_mm_slli_epi16(b4, 4), b4);
    }
    const __m128i bg = _mm_or_si128(b, _mm_slli_epi16(g, 8));
    const __m128i ra = _mm_or_si128(r, _mm_slli_epi16(a, 8));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi16(bg, ra));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4), _mm_unpackhi_epi16(bg, ra));
}

template <int Format> int convert16(uint32_t* out, const uint8_t* row, int n) {
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        convert8<Format>(out + i, row + size_t(i) * 2);
    }
    return i;
}

// Sixteen 16-bit pixels at a time: the same channel arithmetic as convert8.
template <int Format>
__attribute__((target("avx2"))) int convert16Avx2(uint32_t* out, const uint8_t* row, int n) {
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + size_t(i) * 2));
        __m256i r, g, b, a;
        if constexpr (Format == A_FMT_R5G6B5) {
            const __m256i r5 = _mm256_srli_epi16(p, 11);
            const __m256i g6 = _mm256_and_si256(_mm256_srli_epi16(p, 5), _mm256_set1_epi16(63));
            const __m256i b5 = _mm256_and_si256(p, _mm256_set1_epi16(31));
            r = _mm256_or_si256(_mm256_slli_epi16(r5, 3), _mm256_srli_epi16(r5, 2));
            g = _mm256_or_si256(_mm256_slli_epi16(g6, 2), _mm256_srli_epi16(g6, 4));
            b = _mm256_or_si256(_mm256_slli_epi16(b5, 3), _mm256_srli_epi16(b5, 2));
            a = _mm256_set1_epi16(255);
        } else if constexpr (Format == A_FMT_A1R5G5B5) {
            const __m256i r5 = _mm256_and_si256(_mm256_srli_epi16(p, 10), _mm256_set1_epi16(31));
            const __m256i g5 = _mm256_and_si256(_mm256_srli_epi16(p, 5), _mm256_set1_epi16(31));
            const __m256i b5 = _mm256_and_si256(p, _mm256_set1_epi16(31));
            r = _mm256_or_si256(_mm256_slli_epi16(r5, 3), _mm256_srli_epi16(r5, 2));
            g = _mm256_or_si256(_mm256_slli_epi16(g5, 3), _mm256_srli_epi16(g5, 2));
            b = _mm256_or_si256(_mm256_slli_epi16(b5, 3), _mm256_srli_epi16(b5, 2));
            a = _mm256_srli_epi16(_mm256_srai_epi16(p, 15), 8);
        } else {
            const __m256i k15 = _mm256_set1_epi16(15);
            const __m256i a4 = _mm256_srli_epi16(p, 12);
            const __m256i r4 = _mm256_and_si256(_mm256_srli_epi16(p, 8), k15);
            const __m256i g4 = _mm256_and_si256(_mm256_srli_epi16(p, 4), k15);
            const __m256i b4 = _mm256_and_si256(p, k15);
            a = _mm256_or_si256(_mm256_slli_epi16(a4, 4), a4);
            r = _mm256_or_si256(_mm256_slli_epi16(r4, 4), r4);
            g = _mm256_or_si256(_mm256_slli_epi16(g4, 4), g4);
            b = _mm256_or_si256(_mm256_slli_epi16(b4, 4), b4);
        }
        const __m256i bg = _mm256_or_si256(b, _mm256_slli_epi16(g, 8));
        const __m256i ra = _mm256_or_si256(r, _mm256_slli_epi16(a, 8));
        // Within each 128-bit half: pixels 0-3 / 8-11 low, 4-7 / 12-15 high.
        const __m256i lo = _mm256_unpacklo_epi16(bg, ra), hi = _mm256_unpackhi_epi16(bg, ra);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_permute2x128_si256(lo, hi, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i + 8), _mm256_permute2x128_si256(lo, hi, 0x31));
    }
    return i;
}

int convertX8(uint32_t* out, const uint8_t* row, int n) {
    const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + size_t(i) * 4));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_or_si128(p, opaque));
    }
    return i;
}
#endif
} // namespace

void a_convertRow(uint32_t* out, const uint8_t* row, int format, int n) {
    if (n <= 0) {
        return;
    }
    if (format == A_FMT_A8R8G8B8) {
        std::memcpy(out, row, size_t(n) * 4);
        return;
    }
    int done = 0;
#ifdef A_RASTER_X86
    if (simdLevel() >= 1) {
        const bool wide = simdLevel() >= 2;
        switch (format) {
        case A_FMT_X8R8G8B8:
            done = convertX8(out, row, n);
            break;
        case A_FMT_R5G6B5:
            done = wide ? convert16Avx2<A_FMT_R5G6B5>(out, row, n) : 0;
            done += convert16<A_FMT_R5G6B5>(out + done, row + size_t(done) * 2, n - done);
            break;
        case A_FMT_A1R5G5B5:
            done = wide ? convert16Avx2<A_FMT_A1R5G5B5>(out, row, n) : 0;
            done += convert16<A_FMT_A1R5G5B5>(out + done, row + size_t(done) * 2, n - done);
            break;
        case A_FMT_A4R4G4B4:
            done = wide ? convert16Avx2<A_FMT_A4R4G4B4>(out, row, n) : 0;
            done += convert16<A_FMT_A4R4G4B4>(out + done, row + size_t(done) * 2, n - done);
            break;
        default:
            break;
        }
    }
#endif
    a_convertRowReference(out + done, row + size_t(done) * a_formatBytes(format), format, n - done);
}
