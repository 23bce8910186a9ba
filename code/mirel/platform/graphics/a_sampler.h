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

#include <optional>
#include <vector>

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
    // texture and blend; false (nothing done) otherwise.
    bool sampleBlendRow(uint32_t* target, int n, double tx0, double ty0, int64_t dfx, int64_t dfy, uint32_t colour,
                        const aBlendOp& op) const;

private:
    friend class aAxisSampler;
    const uint8_t* m_data;
    uint32_t m_pitch;
    int m_format;
    int m_x0, m_y0, m_x1, m_y1; // inclusive clamp bounds
    bool m_linear;
};

// Rows of samples for a quad that is neither turned nor sheared: every row
// samples the same columns, so their texels and weights are worked out once
// and each row blends a single pair of texture rows. Gives exactly what
// aSampler::sampleRow gives for (tx0, ty0, dtx, 0).
class aAxisSampler {
public:
    // Sets up n samples per row starting at column position tx0, dtx apart.
    void prepare(const aSampler& sampler, int n, double tx0, double dtx);
    // The n samples of the row at texel position ty0 (valid until the next
    // call; rows that repeat the previous one cost nothing).
    const uint32_t* row(double ty0);

private:
    const uint32_t* sourceRow(int y, int slot);

    std::optional<aSampler> m_s;
    int m_n = 0;
    int m_cmin = 0, m_cmax = 0; // texture columns read
    bool m_contiguous = false;  // column k is m_xa[0] + k, weight constant
    std::vector<int32_t> m_xa, m_xb;
    std::vector<uint32_t> m_w;  // linear: weight, twice in 16 bits
    std::vector<uint16_t> m_wlo, m_whi; // the same for the vector kernels
    std::vector<uint32_t> m_rows[2], m_blend, m_out;
    std::vector<uint32_t> m_outFrom; // the mixed texels m_out was made from (narrow sources)
    int m_rowY[2] = {-1, -1};
    int m_lastYa = -1, m_lastYb = -1;
    uint32_t m_lastWy = 0;
    const uint32_t* m_last = nullptr;
};
