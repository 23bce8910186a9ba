#include "mirel/gui/gui_region.h"

#include "mirel/base/a_log.h"
#include "mirel/file/a_fileserver.h"

#include <cstdlib>

namespace GUI {

namespace {

uint16_t read16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
uint32_t read32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

constexpr size_t kFileHeader = 14;
constexpr size_t kInfoHeader = 40; // the smallest header with 32-bit sizes

} // namespace

bool Region::LoadFromBitmap(const std::string& path) {
    size_t size = 0;
    uint8_t* data = file_readFullAndMalloc(path, &size);
    bool ok = LoadFromMemory(data, data ? size : 0, path);
    std::free(data);
    return ok;
}

bool Region::LoadFromMemory(const uint8_t* data, size_t size, const std::string& name) {
    auto reject = [&]() {
        a_log("Region::LoadFromBitmap - invalid bitmap file '%s'", name.c_str());
        return false;
    };
    if (!data || size < kFileHeader + kInfoHeader || data[0] != 'B' || data[1] != 'M') {
        return reject();
    }
    const uint64_t infoSize = read32(data + 14);
    const int32_t width = int32_t(read32(data + 18));
    const int32_t rawHeight = int32_t(read32(data + 22));
    const uint16_t bits = read16(data + 28);
    const uint32_t compression = read32(data + 30);
    const uint64_t pixelOffset = read32(data + 10);
    if (infoSize < kInfoHeader || bits != 1 || compression != 0 || width <= 0 || rawHeight == 0 ||
        rawHeight == INT32_MIN) {
        return reject();
    }
    // Negative heights store the top row first.
    const bool topDown = rawHeight < 0;
    const int32_t height = topDown ? -rawHeight : rawHeight;

    // Palette entry 0 follows the info header and precedes the pixels.
    const uint64_t paletteOffset = kFileHeader + infoSize;
    if (paletteOffset + 4 > size || paletteOffset + 4 > pixelOffset) {
        return reject();
    }
    const uint64_t stride = ((uint64_t(width) + 31) / 32) * 4;
    if (pixelOffset > size || stride * uint64_t(height) > size - pixelOffset) {
        return reject();
    }
    // Pixels whose colour is not black belong to the region, whatever their index.
    const uint8_t invert = (read32(data + paletteOffset) & 0xFFFFFFu) != 0 ? 1 : 0;

    std::vector<uint8_t> mask(size_t(width) * size_t(height));
    for (int32_t y = 0; y < height; ++y) {
        const int32_t fileRow = topDown ? y : height - 1 - y;
        const uint8_t* row = data + pixelOffset + uint64_t(fileRow) * stride;
        uint8_t* out = &mask[size_t(y) * size_t(width)];
        for (int32_t x = 0; x < width; ++x) {
            out[x] = uint8_t(((row[x >> 3] >> (7 - (x & 7))) & 1) ^ invert);
        }
    }
    m_width = width;
    m_height = height;
    m_mask = std::move(mask);
    return true;
}

bool Region::HitTest(int32_t x, int32_t y) const {
    if (m_mask.empty() || x < 0 || y < 0 || x >= m_width || y >= m_height) {
        return false;
    }
    return m_mask[size_t(y) * size_t(m_width) + size_t(x)] != 0;
}

} // namespace GUI
