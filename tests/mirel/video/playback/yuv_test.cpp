// The colour tables and the YUV 4:2:0 to BGRA conversion.

#include "mirel/video/a_yuv.h"

#include <gtest/gtest.h>

#include <cstring>
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
