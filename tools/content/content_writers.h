#pragma once
// The project's content writers: every picture and font the game and its tests
// use is made by these functions from pixels the caller computes.
//
// Pictures are held as 0xAARRGGBB words, rows top to bottom. Every writer
// returns the complete file in memory (empty on failure).

#include <cstdint>
#include <string>
#include <vector>

namespace content {

struct Picture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> argb;

    Picture() = default;
    Picture(uint32_t w, uint32_t h, uint32_t fill = 0) : width(w), height(h), argb(size_t(w) * h, fill) {}
    uint32_t& at(uint32_t x, uint32_t y) { return argb[size_t(y) * width + x]; }
    uint32_t at(uint32_t x, uint32_t y) const { return argb[size_t(y) * width + x]; }
};

using Bytes = std::vector<uint8_t>;

Bytes writeJpeg(const Picture& picture, int quality = 90);
Bytes writePng(const Picture& picture, bool withAlpha = true);

// How a JNG file stores its alpha channel.
enum class JngAlpha {
    None, // colour only
    Zlib, // 8-bit alpha rows, deflated, in IDAT chunks
    Jpeg, // alpha as a grey JPEG in JDAA chunks
};
// A JNG file: the colour as a JPEG stream in a JDAT chunk plus the alpha.
// idatChunk caps the size of each IDAT chunk (several are written when needed).
Bytes writeJng(const Picture& picture, JngAlpha alpha = JngAlpha::Zlib, int quality = 90,
               uint32_t idatChunk = 8192);

// Uncompressed BMP files. 24 and 32 bits drop alpha; indexed files take one
// palette index per pixel (bits 1, 4 or 8) and up to 1 << bits palette colours.
Bytes writeBmp24(const Picture& picture);
Bytes writeBmp32(const Picture& picture);
Bytes writeBmpIndexed(uint32_t width, uint32_t height, int bits, const std::vector<uint32_t>& palette,
                      const std::vector<uint8_t>& indices);
// A black-and-white mask: index 1 (white) where mask is not 0.
Bytes writeBmp1(uint32_t width, uint32_t height, const std::vector<uint8_t>& mask);

// TGA true-colour files of 24 or 32 bits, bottom-up, optionally run-length coded.
Bytes writeTga(const Picture& picture, int bits = 32, bool rle = false);

// Frames of one size side by side, left to right, in a strip of columns per
// row (0: all in one row).
Picture makeStrip(const std::vector<Picture>& frames, uint32_t columns = 0);

// Writes bytes to a file; false on any failure.
bool saveFile(const std::string& path, const Bytes& bytes);
bool saveFile(const std::string& path, const std::string& text);

// A bitmap font built from a TrueType or OpenType face.
struct FontBuildOptions {
    std::string facePath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    uint32_t pixelHeight = 16;            // em size in pixels
    std::vector<uint32_t> codes;          // characters to include (empty: 0x20..0x7E and 0xA0..0xFF)
    uint32_t atlasWidth = 256;            // the atlas grows in height as needed
    uint32_t padding = 1;                 // free pixels around each glyph
    std::string textureName = "font.png"; // the "Texture" value
    float charSpacing = 0.0f;
    float underlineDY = 0.0f; // 0: no underline keys
    uint32_t underlineColor = 0;
    int format16 = 4444;
    int format32 = 8888;
};
struct FontBuildResult {
    Picture atlas;        // white glyphs with coverage as alpha
    std::string fontFile; // the font file text ([General] and [Charlist])
    std::string error;    // set on failure
};
bool buildFont(const FontBuildOptions& options, FontBuildResult& result);

} // namespace content
