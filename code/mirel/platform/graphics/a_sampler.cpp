#include "mirel/platform/graphics/a_sampler.h"

#include "mirel/platform/graphics/a_raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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

// Whole texel index of a position, kept inside int range before clamping.
inline int toIndex(double v) {
    if (!(v > -1.0e9)) {
        return -1000000000;
    }
    if (v > 1.0e9) {
        return 1000000000;
    }
    return int(std::floor(v));
}

template <int Format>
inline uint32_t fetch(const uint8_t* data, uint32_t pitch, int x, int y) {
    constexpr int bytes = (Format == A_FMT_A8R8G8B8 || Format == A_FMT_X8R8G8B8) ? 4 : 2;
    const uint8_t* p = data + size_t(y) * pitch + size_t(x) * bytes;
    if constexpr (Format == A_FMT_A8R8G8B8) {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    } else {
        return a_convertPixel(p, Format);
    }
}

inline uint32_t lerp4(uint32_t c00, uint32_t c10, uint32_t c01, uint32_t c11, uint32_t wx, uint32_t wy) {
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t top = ((c00 >> shift) & 255) * (256 - wx) + ((c10 >> shift) & 255) * wx;
        const uint32_t bottom = ((c01 >> shift) & 255) * (256 - wx) + ((c11 >> shift) & 255) * wx;
        out |= ((top * (256 - wy) + bottom * wy + 32768) >> 16) << shift;
    }
    return out;
}

template <int Format>
void sampleRowT(const uint8_t* data, uint32_t pitch, int x0, int y0, int x1, int y1, bool linear, uint32_t* out,
                int n, double tx0, double ty0, double dtx, double dty) {
    if (!linear) {
        for (int k = 0; k < n; ++k) {
            const int x = std::clamp(toIndex(tx0 + k * dtx), x0, x1);
            const int y = std::clamp(toIndex(ty0 + k * dty), y0, y1);
            out[k] = fetch<Format>(data, pitch, x, y);
        }
        return;
    }
    for (int k = 0; k < n; ++k) {
        const double fx = tx0 + k * dtx - 0.5, fy = ty0 + k * dty - 0.5;
        const int ix = toIndex(fx), iy = toIndex(fy);
        const uint32_t wx = uint32_t(std::clamp((fx - ix) * 256.0 + 0.5, 0.0, 256.0));
        const uint32_t wy = uint32_t(std::clamp((fy - iy) * 256.0 + 0.5, 0.0, 256.0));
        const int xa = std::clamp(ix, x0, x1), xb = std::clamp(ix + 1, x0, x1);
        const int ya = std::clamp(iy, y0, y1), yb = std::clamp(iy + 1, y0, y1);
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
