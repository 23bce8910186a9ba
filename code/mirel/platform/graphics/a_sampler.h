#pragma once
// Texel fetching for the rasterizer's transformed paths. Positions are in
// texels (texel t spans t .. t + 1); reads are clamped to a rectangle.
//
// Positions become 16.16 fixed point (rounded to nearest); texel k of a row
// is at the start plus k steps, exactly. Point sampling takes texel
// (x >> 16, y >> 16); linear sampling the four texels around (x - 0.5,
// y - 0.5), weighted in 1/256 steps, down the columns first and then across,
// each step rounded. Every path below gives the same texels.

#include "mirel/platform/graphics/a_device.h"
#include "mirel/platform/graphics/a_raster.h"

class aSampler {
public:
    aSampler(const aTexture& texture, const aDeviceRect& clamp, bool linear);

    // Fills out[k] with the sample at (tx0 + k * dtx, ty0 + k * dty), k < n.
    void sampleRow(uint32_t* out, int n, double tx0, double ty0, double dtx, double dty) const;
    // The same one texel at a time (the reference the fast paths must match).
    void sampleRowReference(uint32_t* out, int n, double tx0, double ty0, double dtx, double dty) const;
    // sampleRow with the steps already in fixed point (fixedStep of dtx and
    // dty), for callers that walk many rows with one step.
    void sampleRowStepped(uint32_t* out, int n, double tx0, double ty0, int64_t dfx, int64_t dfy) const;
    static int64_t fixedStep(double d);
    // Samples a row as sampleRowStepped and blends it straight onto target
    // as a_blendSpan would (colour, op), where a fused kernel serves the
    // texture and blend; false (nothing done) otherwise. Under the normal or
    // the adding blend, groups of pixels whose texels all have alpha 0 (the
    // texture's clear blocks) are not sampled: the blend would keep the
    // target as it is.
    bool sampleBlendRow(uint32_t* target, int n, double tx0, double ty0, int64_t dfx, int64_t dfy,
                        uint32_t colour, const aBlendOp& op) const;

private:
    friend class aAxisSampler;
    const aTexture* m_texture;
    const uint8_t* m_data;
    uint32_t m_pitch;
    int m_format;
    int m_x0, m_y0, m_x1, m_y1; // inclusive clamp bounds
    bool m_linear;
    // The texture's clear blocks when it has any, looked up at the first
    // blended row.
    mutable const aClearBlocks* m_clear = nullptr;
    mutable bool m_clearLooked = false;
};
