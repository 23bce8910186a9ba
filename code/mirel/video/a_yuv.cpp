#include "mirel/video/a_yuv.h"

#include "mirel/platform/graphics/a_raster.h"

#include <algorithm>
#include <cstddef>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define A_YUV_X86 1
#endif

namespace {

// The bases and steps of the four tables (16.16 fixed point).
constexpr int32_t kBlueUBase = -14496256, kBlueUStep = 113508;
constexpr int32_t kGreenUBase = -2785792, kGreenUStep = 22020;
constexpr int32_t kGreenVBase = -5822464, kGreenVStep = 45744;
constexpr int32_t kRedVBase = -14487936, kRedVStep = 113443;

aYuvTables makeTables() {
    aYuvTables t{};
    for (int32_t i = 0; i < 256; ++i) {
        t.blueU[i] = (kBlueUBase + i * kBlueUStep) >> 16;
        t.greenU[i] = (kGreenUBase + i * kGreenUStep) >> 16;
        t.greenV[i] = (kGreenVBase + i * kGreenVStep) >> 16;
        t.redV[i] = (kRedVBase + i * kRedVStep) >> 16;
    }
    return t;
}

inline uint32_t clampByte(int32_t c) {
    return static_cast<uint32_t>(std::clamp(c, 0, 255));
}

// Pixels x0 .. w - 1 of one row, one at a time.
void convertRowScalar(const aYuvTables& t, const uint8_t* ly, const uint8_t* lu, const uint8_t* lv,
                      uint32_t* row, int x0, int w, int xShift, int uvWidth) {
    for (int x = x0; x < w; ++x) {
        const int cx = std::min(x >> xShift, uvWidth - 1);
        const int32_t Y = ly[x];
        const uint8_t U = lu[cx];
        const uint8_t V = lv[cx];
        const uint32_t b = clampByte(Y + t.blueU[U]);
        const uint32_t g = clampByte(Y - t.greenU[U] - t.greenV[V]);
        const uint32_t r = clampByte(Y + t.redV[V]);
        row[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
    }
}

#ifdef A_YUV_X86
// The table entries of eight chroma samples, each in both 16-bit halves of
// its 32-bit lane: the value for the two pixels that share the sample.
__attribute__((target("avx2"))) inline __m256i tableTwice(__m256i c, int32_t base, int32_t step) {
    const __m256i t = _mm256_srai_epi32(
        _mm256_add_epi32(_mm256_mullo_epi32(c, _mm256_set1_epi32(step)), _mm256_set1_epi32(base)), 16);
    return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(t, _MM_SHUFFLE(2, 2, 0, 0)),
                                  _MM_SHUFFLE(2, 2, 0, 0));
}

__attribute__((target("avx2"))) inline __m256i clampBytes(__m256i c) {
    return _mm256_min_epi16(_mm256_max_epi16(c, _mm256_setzero_si256()), _mm256_set1_epi16(255));
}

// Rows with chroma at half the width, sixteen pixels (eight chroma samples)
// at a time, with the tables' own integer formulas; returns the pixels done.
__attribute__((target("avx2"))) int convertRowAvx2(const uint8_t* ly, const uint8_t* lu, const uint8_t* lv,
                                                   uint32_t* row, int w, int uvWidth) {
    const __m256i alpha = _mm256_set1_epi16(short(0xFF00));
    int x = 0;
    for (; x + 16 <= w && (x >> 1) + 8 <= uvWidth; x += 16) {
        const __m256i u =
            _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(lu + (x >> 1))));
        const __m256i v =
            _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(lv + (x >> 1))));
        const __m256i y = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(ly + x)));
        const __m256i bu = tableTwice(u, kBlueUBase, kBlueUStep);
        const __m256i gu = tableTwice(u, kGreenUBase, kGreenUStep);
        const __m256i gv = tableTwice(v, kGreenVBase, kGreenVStep);
        const __m256i rv = tableTwice(v, kRedVBase, kRedVStep);
        const __m256i b = clampBytes(_mm256_add_epi16(y, bu));
        const __m256i g = clampBytes(_mm256_sub_epi16(_mm256_sub_epi16(y, gu), gv));
        const __m256i r = clampBytes(_mm256_add_epi16(y, rv));
        const __m256i bg = _mm256_or_si256(b, _mm256_slli_epi16(g, 8));
        const __m256i ra = _mm256_or_si256(r, alpha);
        // Within each 128-bit half: pixels 0-3 / 8-11 low, 4-7 / 12-15 high.
        const __m256i lo = _mm256_unpacklo_epi16(bg, ra), hi = _mm256_unpackhi_epi16(bg, ra);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + x), _mm256_permute2x128_si256(lo, hi, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + x + 8), _mm256_permute2x128_si256(lo, hi, 0x31));
    }
    return x;
}
#endif

} // namespace

const aYuvTables& a_yuvTables() {
    static const aYuvTables tables = makeTables();
    return tables;
}

void a_yuvToBgra(const aYuvPlanes& p, uint32_t* out, int width, int height) {
    if (!out || !p.y || !p.u || !p.v || width <= 0 || height <= 0)
        return;
    const int w = std::min(width, p.yWidth);
    const int h = std::min(height, p.yHeight);
    if (w <= 0 || h <= 0 || p.uvWidth <= 0 || p.uvHeight <= 0)
        return;
    const int xShift = p.uvWidth < p.yWidth ? 1 : 0;
    const int yShift = p.uvHeight < p.yHeight ? 1 : 0;
    const aYuvTables& t = a_yuvTables();
#ifdef A_YUV_X86
    const bool wide = xShift == 1 && a_rasterSimdLevel() >= 2;
#endif
    for (int y = 0; y < h; ++y) {
        const int cy = std::min(y >> yShift, p.uvHeight - 1);
        const uint8_t* ly = p.y + static_cast<ptrdiff_t>(y) * p.yStride;
        const uint8_t* lu = p.u + static_cast<ptrdiff_t>(cy) * p.uvStride;
        const uint8_t* lv = p.v + static_cast<ptrdiff_t>(cy) * p.uvStride;
        uint32_t* row = out + static_cast<ptrdiff_t>(y) * width;
        int done = 0;
#ifdef A_YUV_X86
        if (wide)
            done = convertRowAvx2(ly, lu, lv, row, w, p.uvWidth);
#endif
        convertRowScalar(t, ly, lu, lv, row, done, w, xShift, p.uvWidth);
    }
}
