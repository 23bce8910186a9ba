#include "mirel/platform/graphics/a_sampler.h"

#include "mirel/platform/graphics/a_raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
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

inline uint32_t lerp4(uint32_t c00, uint32_t c10, uint32_t c01, uint32_t c11, uint32_t wx, uint32_t wy) {
    constexpr uint32_t m = 0x00FF00FFu;
    // Down the columns first, then across: the vector path keeps this order.
    const uint32_t rb = lerpLanes(lerpLanes(c00 & m, c01 & m, wy), lerpLanes(c10 & m, c11 & m, wy), wx);
    const uint32_t ag =
        lerpLanes(lerpLanes((c00 >> 8) & m, (c01 >> 8) & m, wy), lerpLanes((c10 >> 8) & m, (c11 >> 8) & m, wy), wx);
    return rb | (ag << 8);
}

#if defined(__x86_64__) || defined(__i386__)
#define A_SAMPLER_X86 1
// lerp4 of two adjacent 32-bit texels in two rows, on 16-bit lanes.
inline uint32_t lerp4x(const uint8_t* p, uint32_t pitch, uint32_t wx, uint32_t wy) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i top = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), zero);
    const __m128i bottom = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + pitch)), zero);
    const __m128i half = _mm_set1_epi16(128);
    __m128i v = _mm_add_epi16(_mm_mullo_epi16(top, _mm_set1_epi16(short(256 - wy))),
                              _mm_mullo_epi16(bottom, _mm_set1_epi16(short(wy))));
    v = _mm_srli_epi16(_mm_add_epi16(v, half), 8);
    const __m128i w = _mm_set_epi16(short(wx), short(wx), short(wx), short(wx), short(256 - wx), short(256 - wx),
                                    short(256 - wx), short(256 - wx));
    __m128i h = _mm_mullo_epi16(v, w);
    h = _mm_add_epi16(h, _mm_srli_si128(h, 8));
    h = _mm_srli_epi16(_mm_add_epi16(h, half), 8);
    return uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(h, zero)));
}
#endif

// Positions in 16.16 fixed point: the walk along a row is exact integer steps.
inline int64_t toFixed(double v) {
    if (!(v > -1.0e9)) {
        return int64_t(-1.0e9 * 65536.0);
    }
    if (v > 1.0e9) {
        return int64_t(1.0e9 * 65536.0);
    }
    return std::llround(v * 65536.0);
}

template <int Format>
void sampleRowT(const uint8_t* data, uint32_t pitch, int x0, int y0, int x1, int y1, bool linear, uint32_t* out,
                int n, double tx0, double ty0, double dtx, double dty) {
    const double shift = linear ? 0.5 : 0.0;
    const int64_t fx0 = toFixed(tx0 - shift), fy0 = toFixed(ty0 - shift);
    const int64_t dfx = toFixed(std::clamp(dtx, -65536.0, 65536.0)), dfy = toFixed(std::clamp(dty, -65536.0, 65536.0));
    if (!linear) {
        for (int k = 0; k < n; ++k) {
            const int64_t fx = fx0 + k * dfx, fy = fy0 + k * dfy;
            const int x = int(std::clamp<int64_t>(fx >> 16, x0, x1));
            const int y = int(std::clamp<int64_t>(fy >> 16, y0, y1));
            out[k] = fetch<Format>(data, pitch, x, y);
        }
        return;
    }
    const uint64_t spanX = uint64_t(x1 - x0), spanY = uint64_t(y1 - y0);
    constexpr int bytes = (Format == A_FMT_A8R8G8B8 || Format == A_FMT_X8R8G8B8) ? 4 : 2;
    for (int k = 0; k < n; ++k) {
        const int64_t fx = fx0 + k * dfx, fy = fy0 + k * dfy;
        const int64_t ix = fx >> 16, iy = fy >> 16;
        const uint32_t wx = uint32_t(((fx & 0xFFFF) + 128) >> 8), wy = uint32_t(((fy & 0xFFFF) + 128) >> 8);
        if (uint64_t(ix - x0) < spanX && uint64_t(iy - y0) < spanY) {
            // All four texels inside: no clamping.
            const uint8_t* p = data + size_t(iy) * pitch + size_t(ix) * bytes;
#ifdef A_SAMPLER_X86
            if constexpr (bytes == 4) {
                out[k] = lerp4x(p, pitch, wx, wy) | (Format == A_FMT_X8R8G8B8 ? 0xFF000000u : 0u);
                continue;
            }
#endif
            out[k] = lerp4(fetchAt<Format>(p), fetchAt<Format>(p + bytes), fetchAt<Format>(p + pitch),
                           fetchAt<Format>(p + pitch + bytes), wx, wy);
            continue;
        }
        const int xa = int(std::clamp<int64_t>(ix, x0, x1)), xb = int(std::clamp<int64_t>(ix + 1, x0, x1));
        const int ya = int(std::clamp<int64_t>(iy, y0, y1)), yb = int(std::clamp<int64_t>(iy + 1, y0, y1));
        out[k] = lerp4(fetch<Format>(data, pitch, xa, ya), fetch<Format>(data, pitch, xb, ya),
                       fetch<Format>(data, pitch, xa, yb), fetch<Format>(data, pitch, xb, yb), wx, wy);
    }
}

} // namespace

void aSampler::sampleRow(uint32_t* out, int n, double tx0, double ty0, double dtx, double dty) const {
    switch (m_format) {
    case A_FMT_A8R8G8B8:
        sampleRowT<A_FMT_A8R8G8B8>(m_data, m_pitch, m_x0, m_y0, m_x1, m_y1, m_linear, out, n, tx0, ty0, dtx, dty);
        break;
    case A_FMT_X8R8G8B8:
        sampleRowT<A_FMT_X8R8G8B8>(m_data, m_pitch, m_x0, m_y0, m_x1, m_y1, m_linear, out, n, tx0, ty0, dtx, dty);
        break;
    case A_FMT_R5G6B5:
        sampleRowT<A_FMT_R5G6B5>(m_data, m_pitch, m_x0, m_y0, m_x1, m_y1, m_linear, out, n, tx0, ty0, dtx, dty);
        break;
    case A_FMT_A1R5G5B5:
        sampleRowT<A_FMT_A1R5G5B5>(m_data, m_pitch, m_x0, m_y0, m_x1, m_y1, m_linear, out, n, tx0, ty0, dtx, dty);
        break;
    case A_FMT_A4R4G4B4:
        sampleRowT<A_FMT_A4R4G4B4>(m_data, m_pitch, m_x0, m_y0, m_x1, m_y1, m_linear, out, n, tx0, ty0, dtx, dty);
        break;
    default: std::fill(out, out + n, 0u); break;
    }
}
