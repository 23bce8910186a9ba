#pragma once
// Picture decoding from memory into 32-bit pixels, and the texture pixel
// formats images are stored in.
//
// Decoded pixels are 0xAARRGGBB words, rows top to bottom without padding;
// in memory on a little-endian machine that is the byte order blue, green,
// red, alpha of an A8R8G8B8 texture. Every decoder checks the data it reads
// against the buffer it was given, refuses headers that claim absurd sizes,
// and reports failure with a short reason instead of crashing.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "mirel/base/a_memory.h"
// The texture format codes A_FMT_* are the device's.
#include "mirel/platform/graphics/a_device.h"

// The largest picture a decoder accepts: each side, and width x height.
constexpr uint32_t A_IMAGE_MAX_SIDE = 16384;
constexpr uint64_t A_IMAGE_MAX_PIXELS = 16u * 1024u * 1024u;

struct aDecodedImage {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> pixels; // width x height ARGB words
    // The file's own texture format: A8R8G8B8 when it carries alpha, X8R8G8B8 otherwise.
    int fileFormat = A_FMT_X8R8G8B8;
};

// A picture file read through the file server and decoded, apart from any
// device: what an image does with a file before it makes its texture.
// a_readImageFile may run on any thread; the lines it logs are held in `log`
// for the thread that makes the texture to write (aLogHold).
struct aImageFile {
    bool read = false;    // the file gave bytes
    bool jng = false;     // they began 0x8B 'J' 'N' 'G'
    bool decoded = false; // picture holds them decoded, else error says why not
    aDecodedImage picture;
    std::string error;
    std::vector<std::string> log;

    size_t heldBytes() const { return picture.pixels.capacity() * sizeof(uint32_t); }
};
aImageFile a_readImageFile(const std::string& path);

enum class aImageFileKind { unknown, jpeg, png, bmp, tga, jng, unsupported };

// Gives a decoded picture's words their count, zeroed; a large picture's
// pages are made resident in one go first (a_reserveResident).
inline void a_sizePixels(std::vector<uint32_t>& pixels, size_t count) {
    pixels.clear();
    a_reserveResident(pixels, count);
    pixels.resize(count);
}

// Looks at the first bytes. A known format this engine does not read (DDS,
// PPM, HDR, MNG) is "unsupported"; a TGA is recognised by a plausible header.
aImageFileKind a_detectImageKind(const uint8_t* data, size_t size);

// Each decoder returns true with out filled, or false with a reason in error
// (out is then empty).
bool a_decodeJpeg(const uint8_t* data, size_t size, aDecodedImage& out, std::string& error);
bool a_decodePng(const uint8_t* data, size_t size, aDecodedImage& out, std::string& error);
bool a_decodeBmp(const uint8_t* data, size_t size, aDecodedImage& out, std::string& error);
bool a_decodeTga(const uint8_t* data, size_t size, aDecodedImage& out, std::string& error);
bool a_decodeJng(const uint8_t* data, size_t size, aDecodedImage& out, std::string& error);
// Picks the decoder by a_detectImageKind.
bool a_decodeImage(const uint8_t* data, size_t size, aDecodedImage& out, std::string& error);

// One stored pixel to ARGB and back. X8R8G8B8 reads with alpha 0xFF.
// Unknown formats read and write as 0.
uint32_t a_pixelToArgb(int format, uint32_t stored);
uint32_t a_pixelFromArgb(int format, uint32_t argb);
// Converts count ARGB words into dst (packed in the format's size).
void a_convertRowFromArgb(int format, const uint32_t* src, uint32_t count, void* dst);
void a_convertRowToArgb(int format, const void* src, uint32_t count, uint32_t* dst);
