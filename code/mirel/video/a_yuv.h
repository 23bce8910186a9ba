#pragma once
// YUV to 32-bit BGRA conversion of decoded video frames, in 16.16 fixed point.

#include <cstdint>

// One decoded picture: a luma plane and two chroma planes (strides in bytes,
// may be negative for bottom-up storage; each pointer is the top row).
struct aYuvPlanes {
    const uint8_t* y = nullptr;
    const uint8_t* u = nullptr;
    const uint8_t* v = nullptr;
    int yWidth = 0;
    int yHeight = 0;
    int yStride = 0;
    int uvWidth = 0;
    int uvHeight = 0;
    int uvStride = 0;
};

// The four lookup tables: entry i = (base + i * step) >> 16.
struct aYuvTables {
    int32_t blueU[256];
    int32_t greenU[256];
    int32_t greenV[256];
    int32_t redV[256];
};
const aYuvTables& a_yuvTables();

// Converts the picture into `out` (width x height pixels, rows of `width`),
// each pixel as the bytes B, G, R, A (A = 255), i.e. A8R8G8B8 in memory.
// Rows with chroma at half the width take the AVX2 kernel where the drawing's
// vector level allows it (a_rasterSimdLevel), with the same integer formulas.
// Only the part covered by both the picture and the output is written. Chroma
// is sampled at half resolution along each axis where its plane is smaller
// than the luma plane (4:2:0 halves both, 4:2:2 only x, 4:4:4 none).
void a_yuvToBgra(const aYuvPlanes& planes, uint32_t* out, int width, int height);
