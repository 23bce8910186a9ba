#pragma once
// Texel fetching for the rasterizer's transformed paths. Positions are in
// texels (texel t spans t .. t + 1); reads are clamped to a rectangle.

#include "mirel/platform/graphics/a_device.h"

class aSampler {
public:
    aSampler(const aTexture& texture, const aDeviceRect& clamp, bool linear);

    // Fills out[k] with the sample at (tx0 + k * dtx, ty0 + k * dty), k < n.
    // Point: texel (floor x, floor y). Linear: the four texels around
    // (x - 0.5, y - 0.5), weighted in 1/256 steps.
    void sampleRow(uint32_t* out, int n, double tx0, double ty0, double dtx, double dty) const;

private:
    const uint8_t* m_data;
    uint32_t m_pitch;
    int m_format;
    int m_x0, m_y0, m_x1, m_y1; // inclusive clamp bounds
    bool m_linear;
};
