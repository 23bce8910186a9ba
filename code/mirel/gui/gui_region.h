#pragma once
// A one-bit hit mask read from a monochrome BMP file.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace GUI {

class Region {
public:
    Region() = default;
    virtual ~Region() = default;

    // Reads the mask from a 1-bit BMP through the file server. An unreadable
    // or unsuitable file is logged once and leaves the region as it was.
    bool LoadFromBitmap(const std::string& path);
    // The same from a file already in memory; name is used in the log line.
    bool LoadFromMemory(const uint8_t* data, size_t size, const std::string& name);

    // True inside the mask where the pixel belongs to the region.
    bool HitTest(int32_t x, int32_t y) const;

    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    // width x height bytes, rows from the top, non-zero inside the region.
    const std::vector<uint8_t>& GetMask() const { return m_mask; }

private:
    int32_t m_width = 0;
    int32_t m_height = 0;
    std::vector<uint8_t> m_mask;
};

} // namespace GUI
