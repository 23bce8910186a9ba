#pragma once

#include "mirel/platform/graphics/a_sampler.h"

#include <optional>
#include <vector>

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
    // Blends that row onto target as a_blendSpan(target, row(ty0), n, colour,
    // op) would.
    void blendRow(double ty0, uint32_t* target, uint32_t colour, const aBlendOp& op);

private:
    const uint32_t* sourceRow(int y, int slot);
    // row(), blending the pixels it can straight onto target (when given)
    // and counting them in *blended.
    const uint32_t* sample(double ty0, uint32_t* target, uint32_t colour, const aBlendOp* op, int* blended);

    std::optional<aSampler> m_s;
    int m_n = 0;
    int m_cmin = 0, m_cmax = 0; // texture columns read
    bool m_contiguous = false;  // column k is m_xa[0] + k, weight constant
    std::vector<int32_t> m_xa, m_xb;
    std::vector<uint32_t> m_w;          // linear: weight, twice in 16 bits
    std::vector<uint16_t> m_wlo, m_whi; // the same for the vector kernels
    std::vector<uint8_t> m_pairs;       // per group of 8: texel pairs within 9 texels
    std::vector<uint32_t> m_rows[2], m_blend, m_out;
    std::vector<uint32_t> m_outFrom; // the mixed texels m_out was made from (narrow sources)
    int m_rowY[2] = {-1, -1};
    int m_lastYa = -1, m_lastYb = -1;
    uint32_t m_lastWy = 0;
    const uint32_t* m_last = nullptr;
};
