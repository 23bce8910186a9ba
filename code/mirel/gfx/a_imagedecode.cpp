#include "mirel/gfx/a_imagedecode.h"

#include <algorithm>
#include <cstring>

namespace {

uint16_t rd16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t rd32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool sizeAcceptable(uint64_t w, uint64_t h, std::string& error) {
    if (w == 0 || h == 0) {
        error = "empty picture";
        return false;
    }
    if (w > A_IMAGE_MAX_SIDE || h > A_IMAGE_MAX_SIDE || w * h > A_IMAGE_MAX_PIXELS) {
        error = "picture size " + std::to_string(w) + "x" + std::to_string(h) + " too large";
        return false;
    }
    return true;
}

bool fail(aDecodedImage& out, std::string& error, const char* why) {
    out = aDecodedImage();
    error = why;
    return false;
}

// A channel from a bit mask, scaled to 8 bits.
struct MaskChannel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    explicit MaskChannel(uint32_t m = 0) : mask(m) {
        if (!m)
            return;
        while (!((m >> shift) & 1))
            ++shift;
        while (shift + bits < 32 && ((m >> (shift + bits)) & 1))
            ++bits;
    }
    uint32_t get(uint32_t v) const {
        if (!bits)
            return 0;
        uint32_t c = (v & mask) >> shift;
        if (bits >= 8)
            return c >> (bits - 8);
        // Replicate the top bits into the low ones so full scale gives 255.
        uint32_t r = 0;
        int have = 0;
        while (have < 8) {
            r = (r << bits) | c;
            have += bits;
        }
        return r >> (have - 8);
    }
};

constexpr uint32_t kBmpRle8 = 1;
constexpr uint32_t kBmpRle4 = 2;

// Run-length coded palette indices (8 or 4 bits a pixel), rows from the bottom
// unless `topDown`: runs of one index (two alternating ones with 4 bits),
// literal runs padded to 16 bits, and the escapes end of line, end of picture
// and a jump ahead. Pixels the data skips or never reaches stay opaque black.
// Data that ends before the last row without the end of the picture fails.
bool decodeBmpRunLength(const uint8_t* p, size_t size, bool four, uint32_t w, uint32_t h, bool topDown,
                        const uint32_t* palette, uint32_t palCount, aDecodedImage& out, std::string& error) {
    out.width = w;
    out.height = h;
    a_sizePixels(out.pixels, static_cast<size_t>(w) * h);
    std::fill(out.pixels.begin(), out.pixels.end(), 0xFF000000u);
    out.fileFormat = A_FMT_X8R8G8B8;
    const uint8_t* end = p + size;
    uint64_t x = 0, y = 0; // y counts rows in file order
    auto put = [&](uint32_t index) {
        if (x < w && y < h) {
            const uint64_t row = topDown ? y : h - 1 - y;
            out.pixels[static_cast<size_t>(row * w + x)] = index < palCount ? palette[index] : 0xFF000000u;
        }
        ++x;
    };
    while (y < h) {
        if (end - p < 2)
            return fail(out, error, "truncated BMP run-length data");
        const uint32_t count = p[0], value = p[1];
        p += 2;
        if (count > 0) {
            for (uint32_t i = 0; i < count && x < w; ++i)
                put(four ? (i & 1 ? value & 15 : value >> 4) : value);
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of picture
            return true;
        } else if (value == 2) { // jump right and up
            if (end - p < 2)
                return fail(out, error, "truncated BMP run-length data");
            x += p[0];
            y += p[1];
            p += 2;
        } else { // a literal run
            const size_t bytes = four ? (value + 1) / 2 : value;
            const size_t padded = bytes + (bytes & 1);
            if (static_cast<size_t>(end - p) < padded)
                return fail(out, error, "truncated BMP run-length data");
            for (uint32_t i = 0; i < value && x < w; ++i)
                put(four ? (i & 1 ? p[i / 2] & 15 : p[i / 2] >> 4) : p[i]);
            p += padded;
        }
    }
    return true;
}

} // namespace

aImageFileKind a_detectImageKind(const uint8_t* data, size_t size) {
    if (!data || size < 2)
        return aImageFileKind::unknown;
    if (size >= 4 && data[0] == 0x8B && data[1] == 'J' && data[2] == 'N' && data[3] == 'G')
        return aImageFileKind::jng;
    if (size >= 4 && data[0] == 0x8A && data[1] == 'M' && data[2] == 'N' && data[3] == 'G')
        return aImageFileKind::unsupported;
    if (size >= 8 && std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0)
        return aImageFileKind::png;
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
        return aImageFileKind::jpeg;
    if (data[0] == 'B' && data[1] == 'M')
        return aImageFileKind::bmp;
    if (size >= 4 && std::memcmp(data, "DDS ", 4) == 0)
        return aImageFileKind::unsupported;
    if (data[0] == 'P' && (data[1] == '3' || data[1] == '6' || data[1] == 'F' || data[1] == 'f'))
        return aImageFileKind::unsupported;
    if (size >= 2 && data[0] == '#' && data[1] == '?')
        return aImageFileKind::unsupported;
    if (size >= 18) {
        uint8_t cmapType = data[1], type = data[2], bpp = data[16];
        bool typeOk = type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11;
        bool bppOk = bpp == 8 || bpp == 15 || bpp == 16 || bpp == 24 || bpp == 32;
        if (cmapType <= 1 && typeOk && bppOk && rd16(data + 12) && rd16(data + 14))
            return aImageFileKind::tga;
    }
    return aImageFileKind::unknown;
}

bool a_decodeImage(const uint8_t* data, size_t size, aDecodedImage& out, std::string& error) {
    switch (a_detectImageKind(data, size)) {
    case aImageFileKind::jpeg:
        return a_decodeJpeg(data, size, out, error);
    case aImageFileKind::png:
        return a_decodePng(data, size, out, error);
    case aImageFileKind::bmp:
        return a_decodeBmp(data, size, out, error);
    case aImageFileKind::tga:
        return a_decodeTga(data, size, out, error);
    case aImageFileKind::jng:
        return a_decodeJng(data, size, out, error);
    case aImageFileKind::unsupported:
        return fail(out, error, "unsupported image format");
    case aImageFileKind::unknown:
        break;
    }
    return fail(out, error, "unknown image format");
}

// ---------------------------------------------------------------- BMP

bool a_decodeBmp(const uint8_t* data, size_t size, aDecodedImage& out, std::string& error) {
    out = aDecodedImage();
    if (!data || size < 26 || data[0] != 'B' || data[1] != 'M')
        return fail(out, error, "not a BMP file");
    uint32_t offBits = rd32(data + 10);
    uint32_t hdrSize = rd32(data + 14);
    if (hdrSize != 12 && hdrSize != 40 && hdrSize != 52 && hdrSize != 56 && hdrSize != 64 && hdrSize != 108 &&
        hdrSize != 124)
        return fail(out, error, "BMP header of unknown size");
    if (14ull + hdrSize > size)
        return fail(out, error, "truncated BMP header");
    const uint8_t* h = data + 14;
    int64_t width, height;
    uint32_t bpp, compression = 0, clrUsed = 0;
    uint32_t maskR = 0, maskG = 0, maskB = 0, maskA = 0;
    bool core = hdrSize == 12;
    if (core) {
        width = rd16(h + 4);
        height = static_cast<int16_t>(rd16(h + 6));
        bpp = rd16(h + 10);
    } else {
        width = static_cast<int32_t>(rd32(h + 4));
        height = static_cast<int32_t>(rd32(h + 8));
        bpp = rd16(h + 14);
        compression = rd32(h + 16);
        clrUsed = rd32(h + 32);
    }
    bool topDown = height < 0;
    if (topDown)
        height = -height;
    if (width <= 0 || height <= 0)
        return fail(out, error, "BMP with no pixels");
    if (!sizeAcceptable(static_cast<uint64_t>(width), static_cast<uint64_t>(height), error)) {
        out = aDecodedImage();
        return false;
    }
    const bool runLength = compression == kBmpRle8 || compression == kBmpRle4;
    if (compression != 0 && !runLength && compression != 3 && compression != 6)
        return fail(out, error, "BMP compression not supported");
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return fail(out, error, "BMP bit depth not supported");
    if (runLength && bpp != (compression == kBmpRle8 ? 8u : 4u))
        return fail(out, error, "BMP run-length data of the wrong bit depth");
    if (compression != 0 && !runLength && bpp != 16 && bpp != 32)
        return fail(out, error, "BMP bit fields need 16 or 32 bits");

    if (compression == 3 || compression == 6) {
        const uint8_t* m = nullptr;
        size_t need = compression == 6 ? 16 : 12;
        if (hdrSize >= 52) {
            m = h + 40;
            need = hdrSize >= 56 ? 16 : 12;
        } else {
            if (14ull + hdrSize + need > size)
                return fail(out, error, "truncated BMP bit fields");
            m = h + hdrSize;
        }
        maskR = rd32(m);
        maskG = rd32(m + 4);
        maskB = rd32(m + 8);
        if (need == 16)
            maskA = rd32(m + 12);
    } else if (bpp == 16) {
        maskR = 0x7C00;
        maskG = 0x03E0;
        maskB = 0x001F;
    } else if (bpp == 32) {
        maskR = 0xFF0000;
        maskG = 0xFF00;
        maskB = 0xFF;
    }

    // Palette.
    uint32_t palette[256] = {};
    uint32_t palCount = 0;
    if (bpp <= 8) {
        uint32_t entry = core ? 3 : 4;
        uint32_t maxEntries = 1u << bpp;
        palCount = clrUsed && clrUsed < maxEntries ? clrUsed : maxEntries;
        uint64_t palStart = 14ull + hdrSize; // within size, checked above
        uint64_t palEnd = (offBits > palStart && offBits <= size) ? offBits : size;
        uint64_t avail = palEnd - palStart;
        if (palCount > avail / entry)
            palCount = static_cast<uint32_t>(avail / entry);
        for (uint32_t i = 0; i < palCount; ++i) {
            const uint8_t* p = data + palStart + i * entry;
            palette[i] = 0xFF000000u | (p[2] << 16) | (p[1] << 8) | p[0];
        }
    }

    uint32_t w = static_cast<uint32_t>(width), hgt = static_cast<uint32_t>(height);
    if (runLength) {
        if (offBits < 14u + hdrSize || offBits > size)
            return fail(out, error, "truncated BMP pixel data");
        return decodeBmpRunLength(data + offBits, size - offBits, compression == kBmpRle4, w, hgt, topDown,
                                  palette, palCount, out, error);
    }

    uint64_t stride = ((static_cast<uint64_t>(width) * bpp + 31) / 32) * 4;
    uint64_t needBytes = stride * static_cast<uint64_t>(height);
    if (offBits < 14u + hdrSize || offBits > size || needBytes > size - offBits)
        return fail(out, error, "truncated BMP pixel data");

    out.width = w;
    out.height = hgt;
    a_sizePixels(out.pixels, static_cast<size_t>(w) * hgt);
    MaskChannel cr(maskR), cg(maskG), cb(maskB), ca(maskA);
    bool alpha = ca.bits > 0;
    out.fileFormat = alpha ? A_FMT_A8R8G8B8 : A_FMT_X8R8G8B8;
    for (uint32_t y = 0; y < hgt; ++y) {
        const uint8_t* row = data + offBits + stride * (topDown ? y : hgt - 1 - y);
        uint32_t* dst = &out.pixels[static_cast<size_t>(y) * w];
        for (uint32_t x = 0; x < w; ++x) {
            uint32_t argb;
            switch (bpp) {
            case 1:
            case 4:
            case 8: {
                uint32_t bitPos = x * bpp;
                uint32_t byte = row[bitPos >> 3];
                uint32_t idx = (byte >> (8 - bpp - (bitPos & 7))) & ((1u << bpp) - 1);
                argb = idx < palCount ? palette[idx] : 0xFF000000u;
                break;
            }
            case 24: {
                const uint8_t* p = row + x * 3;
                argb = 0xFF000000u | (p[2] << 16) | (p[1] << 8) | p[0];
                break;
            }
            default: {
                uint32_t v = bpp == 16 ? rd16(row + x * 2) : rd32(row + x * 4);
                uint32_t a = alpha ? ca.get(v) : 0xFF;
                argb = (a << 24) | (cr.get(v) << 16) | (cg.get(v) << 8) | cb.get(v);
                break;
            }
            }
            dst[x] = argb;
        }
    }
    return true;
}

// ---------------------------------------------------------------- TGA

namespace {

struct TgaReader {
    const uint8_t* p;
    const uint8_t* end;
    uint32_t bpp; // pixel bits
    uint32_t alphaBits;
    const uint32_t* cmap;
    uint32_t cmapCount;
    uint32_t cmapFirst;
    bool indexed;
    bool grey;

    uint32_t bytes() const { return (bpp + 7) / 8; }

    static uint32_t fromBits(const uint8_t* s, uint32_t bits, uint32_t alphaBits) {
        switch (bits) {
        case 8:
            return 0xFF000000u | (s[0] * 0x010101u);
        case 15:
        case 16: {
            uint32_t v = rd16(s);
            uint32_t r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
            r = (r << 3) | (r >> 2);
            g = (g << 3) | (g >> 2);
            b = (b << 3) | (b >> 2);
            uint32_t a = (bits == 16 && alphaBits == 1) ? ((v & 0x8000) ? 0xFF : 0) : 0xFF;
            return (a << 24) | (r << 16) | (g << 8) | b;
        }
        case 24:
            return 0xFF000000u | (s[2] << 16) | (s[1] << 8) | s[0];
        default:
            return (static_cast<uint32_t>(s[3]) << 24) | (s[2] << 16) | (s[1] << 8) | s[0];
        }
    }

    // Reads one pixel, false at the end of the data.
    bool pixel(uint32_t& argb) {
        uint32_t n = bytes();
        if (static_cast<size_t>(end - p) < n)
            return false;
        if (indexed) {
            uint32_t idx = n == 1 ? p[0] : rd16(p);
            argb = (idx >= cmapFirst && idx - cmapFirst < cmapCount) ? cmap[idx - cmapFirst] : 0xFF000000u;
        } else if (grey) {
            uint32_t a = n == 2 ? p[1] : 0xFF;
            argb = (a << 24) | (p[0] * 0x010101u);
        } else {
            argb = fromBits(p, bpp, alphaBits);
        }
        p += n;
        return true;
    }
};

} // namespace

bool a_decodeTga(const uint8_t* data, size_t size, aDecodedImage& out, std::string& error) {
    out = aDecodedImage();
    if (!data || size < 18)
        return fail(out, error, "truncated TGA header");
    uint32_t idLen = data[0], cmapType = data[1], type = data[2];
    uint32_t cmapFirst = rd16(data + 3), cmapLen = rd16(data + 5), cmapBits = data[7];
    uint32_t w = rd16(data + 12), h = rd16(data + 14), bpp = data[16], desc = data[17];
    bool rle = type >= 9;
    uint32_t base = rle ? type - 8 : type;
    if (cmapType > 1 || (base != 1 && base != 2 && base != 3))
        return fail(out, error, "TGA image type not supported");
    if (!sizeAcceptable(w, h, error)) {
        out = aDecodedImage();
        return false;
    }
    TgaReader rd{};
    rd.bpp = bpp;
    rd.alphaBits = desc & 0x0F;
    if (base == 1) {
        if (cmapType != 1 || (bpp != 8 && bpp != 16))
            return fail(out, error, "TGA colour map missing or bad index size");
        if (cmapBits != 15 && cmapBits != 16 && cmapBits != 24 && cmapBits != 32)
            return fail(out, error, "TGA colour map depth not supported");
        rd.indexed = true;
    } else if (base == 2) {
        if (bpp != 15 && bpp != 16 && bpp != 24 && bpp != 32)
            return fail(out, error, "TGA bit depth not supported");
    } else {
        if (bpp != 8 && bpp != 16)
            return fail(out, error, "TGA grey depth not supported");
        rd.grey = true;
    }
    uint64_t pos = 18ull + idLen;
    std::vector<uint32_t> cmap;
    if (cmapType == 1) {
        uint64_t entry = (cmapBits + 7) / 8;
        if (cmapBits != 15 && cmapBits != 16 && cmapBits != 24 && cmapBits != 32)
            return fail(out, error, "TGA colour map depth not supported");
        if (pos + entry * cmapLen > size)
            return fail(out, error, "truncated TGA colour map");
        cmap.resize(cmapLen);
        for (uint32_t i = 0; i < cmapLen; ++i)
            cmap[i] = TgaReader::fromBits(data + pos + i * entry, cmapBits, cmapBits == 32 ? 8 : 1);
        pos += entry * cmapLen;
    }
    if (pos > size)
        return fail(out, error, "truncated TGA data");
    rd.cmap = cmap.data();
    rd.cmapCount = static_cast<uint32_t>(cmap.size());
    rd.cmapFirst = cmapFirst;
    rd.p = data + pos;
    rd.end = data + size;

    uint64_t total = static_cast<uint64_t>(w) * h;
    if (!rle && total * rd.bytes() > size - pos)
        return fail(out, error, "truncated TGA pixel data");
    // A run packet covers at most 128 pixels with 1 + pixel-size bytes.
    if (rle && (total + 127) / 128 * (1 + rd.bytes()) > size - pos)
        return fail(out, error, "truncated TGA run-length data");
    std::vector<uint32_t> px(total);
    uint64_t i = 0;
    while (i < total) {
        if (!rle) {
            rd.pixel(px[i++]);
            continue;
        }
        if (rd.p >= rd.end)
            return fail(out, error, "truncated TGA run-length data");
        uint8_t hdr = *rd.p++;
        uint64_t count = (hdr & 0x7F) + 1u;
        if (count > total - i)
            count = total - i;
        if (hdr & 0x80) {
            uint32_t v;
            if (!rd.pixel(v))
                return fail(out, error, "truncated TGA run-length data");
            for (uint64_t k = 0; k < count; ++k)
                px[i++] = v;
        } else {
            for (uint64_t k = 0; k < count; ++k)
                if (!rd.pixel(px[i++]))
                    return fail(out, error, "truncated TGA run-length data");
        }
    }
    bool alpha = (base == 2 && bpp == 32) || (base == 2 && bpp == 16 && rd.alphaBits == 1) ||
                 (base == 3 && bpp == 16) || (base == 1 && cmapBits == 32);
    bool topDown = desc & 0x20, rightToLeft = desc & 0x10;
    out.width = w;
    out.height = h;
    out.fileFormat = alpha ? A_FMT_A8R8G8B8 : A_FMT_X8R8G8B8;
    a_sizePixels(out.pixels, total);
    for (uint32_t y = 0; y < h; ++y) {
        const uint32_t* src = &px[static_cast<size_t>(topDown ? y : h - 1 - y) * w];
        uint32_t* dst = &out.pixels[static_cast<size_t>(y) * w];
        for (uint32_t x = 0; x < w; ++x)
            dst[x] = src[rightToLeft ? w - 1 - x : x];
    }
    return true;
}

// ---------------------------------------------------------------- formats

uint32_t a_pixelToArgb(int format, uint32_t v) {
    switch (format) {
    case A_FMT_A8R8G8B8:
        return v;
    case A_FMT_X8R8G8B8:
        return v | 0xFF000000u;
    case A_FMT_R5G6B5:
        return 0xFF000000u | (((v >> 11) & 0x1F) << 19) | (((v >> 5) & 0x3F) << 10) | ((v & 0x1F) << 3);
    case A_FMT_A1R5G5B5:
        return ((v & 0x8000) ? 0xFF000000u : 0u) | (((v >> 10) & 0x1F) << 19) | (((v >> 5) & 0x1F) << 11) |
               ((v & 0x1F) << 3);
    case A_FMT_A4R4G4B4:
        return (((v >> 12) & 0xF) << 28) | (((v >> 8) & 0xF) << 20) | (((v >> 4) & 0xF) << 12) |
               ((v & 0xF) << 4);
    default:
        return 0;
    }
}

uint32_t a_pixelFromArgb(int format, uint32_t c) {
    uint32_t a = c >> 24, r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    switch (format) {
    case A_FMT_A8R8G8B8:
        return c;
    case A_FMT_X8R8G8B8:
        return c | 0xFF000000u;
    case A_FMT_R5G6B5:
        return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
    case A_FMT_A1R5G5B5:
        return (a >= 128 ? 0x8000u : 0u) | ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
    case A_FMT_A4R4G4B4:
        return ((a >> 4) << 12) | ((r >> 4) << 8) | ((g >> 4) << 4) | (b >> 4);
    default:
        return 0;
    }
}

void a_convertRowFromArgb(int format, const uint32_t* src, uint32_t count, void* dst) {
    int bytes = a_formatBytes(format);
    if (bytes == 4) {
        auto* d = static_cast<uint32_t*>(dst);
        if (format == A_FMT_A8R8G8B8)
            std::memcpy(d, src, count * 4u);
        else
            for (uint32_t i = 0; i < count; ++i)
                d[i] = src[i] | 0xFF000000u;
    } else if (bytes == 2) {
        auto* d = static_cast<uint16_t*>(dst);
        for (uint32_t i = 0; i < count; ++i)
            d[i] = static_cast<uint16_t>(a_pixelFromArgb(format, src[i]));
    }
}

void a_convertRowToArgb(int format, const void* src, uint32_t count, uint32_t* dst) {
    int bytes = a_formatBytes(format);
    if (bytes == 4) {
        const auto* s = static_cast<const uint32_t*>(src);
        for (uint32_t i = 0; i < count; ++i)
            dst[i] = a_pixelToArgb(format, s[i]);
    } else if (bytes == 2) {
        const auto* s = static_cast<const uint16_t*>(src);
        for (uint32_t i = 0; i < count; ++i)
            dst[i] = a_pixelToArgb(format, s[i]);
    } else {
        for (uint32_t i = 0; i < count; ++i)
            dst[i] = 0;
    }
}
