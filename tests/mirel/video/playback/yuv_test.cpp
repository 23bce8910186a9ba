// The colour tables and the YUV 4:2:0 to BGRA conversion, at every vector level.

#include "mirel/video/a_yuv.h"
#include "support/simd_levels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

TEST(YuvTables, ValuesAtTheEndsAndTheMiddle) {
    const aYuvTables& t = a_yuvTables();
    struct Case {
        const int32_t* table;
        int32_t at0, at1, at127, at128, at129, at255;
    };
    // The shift rounds towards minus infinity, and 128 (no colour) maps to 0.
    for (const Case& c : {Case{t.blueU, -222, -220, -2, 0, 2, 220}, Case{t.greenU, -43, -43, 0, 0, 0, 43},
                          Case{t.greenV, -89, -89, -1, 0, 1, 89}, Case{t.redV, -222, -220, -2, 0, 2, 220}}) {
        EXPECT_EQ(c.table[0], c.at0);
        EXPECT_EQ(c.table[1], c.at1);
        EXPECT_EQ(c.table[127], c.at127);
        EXPECT_EQ(c.table[128], c.at128);
        EXPECT_EQ(c.table[129], c.at129);
        EXPECT_EQ(c.table[255], c.at255);
    }
}

TEST(YuvConversion, ChromaHalvesStridesClampingAndByteOrder) {
    // 4 x 2 luma (stride 6), 2 x 1 chroma (stride 3): the left chroma sample
    // holds no colour, the right one saturates blue and red.
    const uint8_t y[12] = {10, 20, 200, 250, 0, 0, 30, 40, 100, 5, 0, 0};
    const uint8_t u[3] = {128, 255, 0};
    const uint8_t v[3] = {128, 255, 0};
    aYuvPlanes p;
    p.y = y;
    p.u = u;
    p.v = v;
    p.yWidth = 4;
    p.yHeight = 2;
    p.yStride = 6;
    p.uvWidth = 2;
    p.uvHeight = 1;
    p.uvStride = 3;
    std::vector<uint32_t> out(4 * 2, 0);
    a_yuvToBgra(p, out.data(), 4, 2);
    EXPECT_EQ(out[0], 0xFF0A0A0Au);
    EXPECT_EQ(out[5], 0xFF282828u);
    // Y 200 with U = V = 255: B = R = 200 + 220 -> 255, G = 200 - 43 - 89 = 68.
    EXPECT_EQ(out[2], 0xFFFF44FFu);
    // Y 5: G = 5 - 132 clamps at 0.
    EXPECT_EQ(out[7], 0xFFE100E1u);
    uint8_t bytes[4];
    std::memcpy(bytes, &out[6], 4); // Y 100: B 255, G 0, R 255 in B, G, R, A order
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0x00);
    EXPECT_EQ(bytes[2], 0xFF);
    EXPECT_EQ(bytes[3], 0xFF);

    // An output smaller than the picture is written only where both overlap,
    // and a picture with a bottom-up (negative) stride reads its top row first.
    std::vector<uint32_t> small(3 * 1, 0x12345678u);
    a_yuvToBgra(p, small.data(), 3, 1);
    EXPECT_EQ(small[2], 0xFFFF44FFu);
    aYuvPlanes flipped = p;
    flipped.y = y + 6;
    flipped.yStride = -6;
    std::vector<uint32_t> f(8, 0);
    a_yuvToBgra(flipped, f.data(), 4, 2);
    EXPECT_EQ(f[0], 0xFF1E1E1Eu);
    EXPECT_EQ(f[4], 0xFF0A0A0Au);
}

TEST(YuvConversion, EveryVectorLevelGivesThePlainLoopsBytes) {
    // Random planes of the shapes a stream may have: 4:2:0, 4:2:2 and 4:4:4,
    // widths that leave a few pixels after the last group of sixteen, odd
    // chroma widths, strides wider than the picture and a bottom-up picture;
    // values across the whole range, so that every channel clamps both ways.
    struct Shape {
        int w, h, uvW, uvH;
        bool flipped;
    } shapes[] = {{64, 4, 32, 2, false}, {53, 7, 27, 4, false},   {16, 2, 8, 1, false},
                  {15, 3, 8, 2, false},  {100, 5, 50, 5, false},  {33, 3, 33, 3, false},
                  {90, 6, 45, 3, true},  {1024, 2, 512, 1, false}};
    SimdLevels levels;
    std::mt19937 rng(11);
    for (const Shape& s : shapes) {
        const int yStride = s.w + 5, uvStride = s.uvW + 3;
        std::vector<uint8_t> y(size_t(yStride) * s.h), u(size_t(uvStride) * s.uvH), v(u.size());
        for (auto* plane : {&y, &u, &v}) {
            for (uint8_t& b : *plane) {
                b = uint8_t(rng());
            }
        }
        aYuvPlanes p;
        p.y = s.flipped ? y.data() + size_t(yStride) * (s.h - 1) : y.data();
        p.yStride = s.flipped ? -yStride : yStride;
        p.u = u.data();
        p.v = v.data();
        p.yWidth = s.w;
        p.yHeight = s.h;
        p.uvWidth = s.uvW;
        p.uvHeight = s.uvH;
        p.uvStride = uvStride;
        a_setRasterSimdLevel(0);
        std::vector<uint32_t> want(size_t(s.w) * s.h);
        a_yuvToBgra(p, want.data(), s.w, s.h);
        for (int level : levels.all()) {
            a_setRasterSimdLevel(level);
            std::vector<uint32_t> got(want.size(), 0u);
            a_yuvToBgra(p, got.data(), s.w, s.h);
            ASSERT_EQ(got, want) << s.w << "x" << s.h << " chroma " << s.uvW << "x" << s.uvH << " level "
                                 << level;
        }
    }
}
