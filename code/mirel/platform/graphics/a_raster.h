#pragma once
// Inner loops of the software rasterizer: span blending and texel sampling.
// Every path works on bytes with the same integer formulas, so the vector
// kernels and the plain reference give identical pixels.

#include <cstdint>

// Blend factors as the device sets them: the result per colour channel is
//   min(255, round((src * fs + dst * fd) / 255))
// with fs, fd in 0..255 taken from A_BLEND_ZERO/ONE/SRCALPHA/INVSRCALPHA.
struct aBlendOp {
    enum Kind { Opaque, Normal, Add, General };
    Kind kind = Opaque;
    int src = 2; // A_BLEND_* codes (used by General)
    int dst = 1;
};

// The blend of the device's state (alphaBlend 0: Opaque).
aBlendOp a_blendOp(bool alphaBlend, int srcFactor, int dstFactor);

// round(a * b / 255) for bytes.
inline uint32_t a_mul255(uint32_t a, uint32_t b) {
    return (a * b + 127) / 255;
}

// Each channel of a multiplied by the same channel of b (ARGB), rounded.
inline uint32_t a_modulate(uint32_t a, uint32_t b) {
    return (a_mul255(a >> 24, b >> 24) << 24) | (a_mul255((a >> 16) & 255, (b >> 16) & 255) << 16) |
           (a_mul255((a >> 8) & 255, (b >> 8) & 255) << 8) | a_mul255(a & 255, b & 255);
}

// The vector instruction sets the kernels may use: 0 none (the plain loops),
// 1 SSE2, 2 AVX2, 3 AVX-512 (F and BW). a_rasterSimdLevel gives the level in
// use: at the first call the best the processor has, or the lower one that
// the environment variable MIREL_SIMD names ("sse2", "avx2", "avx512"; an
// unknown name or a level the processor lacks is logged and the processor's
// best is used). a_setRasterSimdLevel sets it (tests run every level) and
// never raises it above what the processor has (a_rasterCpuSimdLevel).
int a_rasterSimdLevel();
int a_rasterCpuSimdLevel();
void a_setRasterSimdLevel(int level);
// The level that MIREL_SIMD = asked (null: not set) gives on a processor
// whose best level is best.
int a_pickSimdLevel(const char* asked, int best);
// "plain", "sse2", "avx2" or "avx512".
const char* a_rasterSimdName(int level);

// Blends n source pixels (ARGB, each first modulated by colour) onto n
// destination pixels; the destination's alpha byte is written as 0xFF.
void a_blendSpan(uint32_t* dst, const uint32_t* src, int n, uint32_t colour, const aBlendOp& op);
// The plain one-pixel-at-a-time form of a_blendSpan (the reference the fast
// kernels must match).
void a_blendSpanReference(uint32_t* dst, const uint32_t* src, int n, uint32_t colour, const aBlendOp& op);

// Converts n pixels of a stored texture row to ARGB (16-bit channels expanded
// by bit replication; formats without alpha give 0xFF).
void a_convertRow(uint32_t* out, const uint8_t* row, int format, int n);
// The one-pixel-at-a-time form of a_convertRow.
void a_convertRowReference(uint32_t* out, const uint8_t* row, int format, int n);

// One stored pixel as ARGB, as a_convertRow gives it.
uint32_t a_convertPixel(const uint8_t* pixel, int format);
