#include "mirel/video/a_yuv.h"

#include <algorithm>
#include <cstddef>

namespace {

aYuvTables makeTables() {
    aYuvTables t{};
    for (int32_t i = 0; i < 256; ++i) {
        t.blueU[i] = (-14496256 + i * 113508) >> 16;
        t.greenU[i] = (-2785792 + i * 22020) >> 16;
        t.greenV[i] = (-5822464 + i * 45744) >> 16;
        t.redV[i] = (-14487936 + i * 113443) >> 16;
    }
    return t;
}

inline uint32_t clampByte(int32_t c) { return static_cast<uint32_t>(std::clamp(c, 0, 255)); }

} // namespace

const aYuvTables& a_yuvTables() {
    static const aYuvTables tables = makeTables();
    return tables;
}

void a_yuvToBgra(const aYuvPlanes& p, uint32_t* out, int width, int height) {
    if (!out || !p.y || !p.u || !p.v || width <= 0 || height <= 0)
        return;
    const int w = std::min(width, p.yWidth);
    const int h = std::min(height, p.yHeight);
    if (w <= 0 || h <= 0 || p.uvWidth <= 0 || p.uvHeight <= 0)
        return;
    const int xShift = p.uvWidth < p.yWidth ? 1 : 0;
    const int yShift = p.uvHeight < p.yHeight ? 1 : 0;
    const aYuvTables& t = a_yuvTables();
    for (int y = 0; y < h; ++y) {
        const int cy = std::min(y >> yShift, p.uvHeight - 1);
        const uint8_t* ly = p.y + static_cast<ptrdiff_t>(y) * p.yStride;
        const uint8_t* lu = p.u + static_cast<ptrdiff_t>(cy) * p.uvStride;
        const uint8_t* lv = p.v + static_cast<ptrdiff_t>(cy) * p.uvStride;
        uint32_t* row = out + static_cast<ptrdiff_t>(y) * width;
        for (int x = 0; x < w; ++x) {
            const int cx = std::min(x >> xShift, p.uvWidth - 1);
            const int32_t Y = ly[x];
            const uint8_t U = lu[cx];
            const uint8_t V = lv[cx];
            const uint32_t b = clampByte(Y + t.blueU[U]);
            const uint32_t g = clampByte(Y - t.greenU[U] - t.greenV[V]);
            const uint32_t r = clampByte(Y + t.redV[V]);
            row[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
        }
    }
}
