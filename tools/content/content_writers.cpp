#include "content/content_writers.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

namespace content {

namespace {

void put16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void put32(Bytes& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
void putBE32(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v >> 24));
    b.push_back(uint8_t(v >> 16));
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
}

// Encodes rows of 1 (grey) or 4 (BGRA) bytes per pixel.
Bytes encodeJpeg(const uint8_t* pixels, uint32_t w, uint32_t h, bool grey, int quality) {
    if (!w || !h)
        return {};
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* mem = nullptr;
    unsigned long memSize = 0;
    jpeg_mem_dest(&cinfo, &mem, &memSize);
    cinfo.image_width = w;
    cinfo.image_height = h;
    cinfo.input_components = grey ? 1 : 4;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGRA;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    uint32_t stride = w * (grey ? 1 : 4);
    while (cinfo.next_scanline < h) {
        JSAMPROW row = const_cast<JSAMPROW>(pixels + size_t(cinfo.next_scanline) * stride);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes out(mem, mem + memSize);
    jpeg_destroy_compress(&cinfo);
    std::free(mem);
    return out;
}

void chunk(Bytes& b, const char* type, const uint8_t* data, uint32_t len) {
    putBE32(b, len);
    size_t start = b.size();
    b.insert(b.end(), type, type + 4);
    if (len)
        b.insert(b.end(), data, data + len);
    uLong crc = crc32(0L, b.data() + start, len + 4);
    putBE32(b, uint32_t(crc));
}

Bytes deflateBytes(const Bytes& raw) {
    uLongf size = compressBound(uLong(raw.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, raw.data(), uLong(raw.size()), 9) != Z_OK)
        return {};
    out.resize(size);
    return out;
}

} // namespace

Bytes writeJpeg(const Picture& p, int quality) {
    if (p.argb.size() != size_t(p.width) * p.height)
        return {};
    return encodeJpeg(reinterpret_cast<const uint8_t*>(p.argb.data()), p.width, p.height, false, quality);
}

Bytes writePng(const Picture& p, bool withAlpha) {
    if (!p.width || !p.height || p.argb.size() != size_t(p.width) * p.height)
        return {};
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = p.width;
    image.height = p.height;
    image.format = withAlpha ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
    Bytes pixels;
    for (uint32_t v : p.argb) {
        pixels.push_back(uint8_t(v));
        pixels.push_back(uint8_t(v >> 8));
        pixels.push_back(uint8_t(v >> 16));
        if (withAlpha)
            pixels.push_back(uint8_t(v >> 24));
    }
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr))
        return {};
    Bytes out(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr))
        return {};
    out.resize(size);
    return out;
}

Bytes writeJng(const Picture& p, JngAlpha alpha, int quality, uint32_t idatChunk) {
    if (!p.width || !p.height || p.argb.size() != size_t(p.width) * p.height)
        return {};
    Bytes colour = writeJpeg(p, quality);
    if (colour.empty())
        return {};
    Bytes out = {0x8B, 'J', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes hdr;
    putBE32(hdr, p.width);
    putBE32(hdr, p.height);
    hdr.push_back(alpha == JngAlpha::None ? 10 : 14); // colour, or colour with alpha
    hdr.push_back(8);                                 // sample depth
    hdr.push_back(8);                                 // JPEG compression
    hdr.push_back(0);                                 // sequential
    hdr.push_back(alpha == JngAlpha::None ? 0 : 8);   // alpha sample depth
    hdr.push_back(alpha == JngAlpha::Jpeg ? 8 : 0);   // alpha compression: 0 deflate, 8 JPEG
    hdr.push_back(0);                                 // alpha filter
    hdr.push_back(0);                                 // alpha interlace
    chunk(out, "JHDR", hdr.data(), uint32_t(hdr.size()));
    chunk(out, "JDAT", colour.data(), uint32_t(colour.size()));
    if (alpha == JngAlpha::Zlib) {
        Bytes raw;
        raw.reserve(size_t(p.width + 1) * p.height);
        for (uint32_t y = 0; y < p.height; ++y) {
            raw.push_back(0); // filter: none
            for (uint32_t x = 0; x < p.width; ++x)
                raw.push_back(uint8_t(p.at(x, y) >> 24));
        }
        Bytes z = deflateBytes(raw);
        if (z.empty())
            return {};
        if (!idatChunk)
            idatChunk = uint32_t(z.size());
        for (size_t pos = 0; pos < z.size(); pos += idatChunk) {
            uint32_t n = uint32_t(std::min<size_t>(idatChunk, z.size() - pos));
            chunk(out, "IDAT", z.data() + pos, n);
        }
    } else if (alpha == JngAlpha::Jpeg) {
        Bytes grey(size_t(p.width) * p.height);
        for (size_t i = 0; i < grey.size(); ++i)
            grey[i] = uint8_t(p.argb[i] >> 24);
        Bytes a = encodeJpeg(grey.data(), p.width, p.height, true, quality);
        if (a.empty())
            return {};
        chunk(out, "JDAA", a.data(), uint32_t(a.size()));
    }
    chunk(out, "IEND", nullptr, 0);
    return out;
}

namespace {

Bytes bmpHeader(uint32_t w, uint32_t h, int bits, uint32_t paletteCount, uint32_t stride) {
    Bytes b;
    uint32_t offBits = 14 + 40 + paletteCount * 4;
    uint32_t imageSize = stride * h;
    b.push_back('B');
    b.push_back('M');
    put32(b, offBits + imageSize);
    put32(b, 0);
    put32(b, offBits);
    put32(b, 40);
    put32(b, w);
    put32(b, h); // bottom-up
    put16(b, 1);
    put16(b, uint32_t(bits));
    put32(b, 0); // uncompressed
    put32(b, imageSize);
    put32(b, 2835);
    put32(b, 2835);
    put32(b, paletteCount);
    put32(b, 0);
    return b;
}

} // namespace

Bytes writeBmp24(const Picture& p) {
    if (!p.width || !p.height || p.argb.size() != size_t(p.width) * p.height)
        return {};
    uint32_t stride = (p.width * 3 + 3) & ~3u;
    Bytes b = bmpHeader(p.width, p.height, 24, 0, stride);
    for (uint32_t y = p.height; y-- > 0;) {
        size_t rowStart = b.size();
        for (uint32_t x = 0; x < p.width; ++x) {
            uint32_t c = p.at(x, y);
            b.push_back(uint8_t(c));
            b.push_back(uint8_t(c >> 8));
            b.push_back(uint8_t(c >> 16));
        }
        b.resize(rowStart + stride, 0);
    }
    return b;
}

Bytes writeBmp32(const Picture& p) {
    if (!p.width || !p.height || p.argb.size() != size_t(p.width) * p.height)
        return {};
    Bytes b = bmpHeader(p.width, p.height, 32, 0, p.width * 4);
    for (uint32_t y = p.height; y-- > 0;)
        for (uint32_t x = 0; x < p.width; ++x)
            put32(b, p.at(x, y) & 0xFFFFFF);
    return b;
}

Bytes writeBmpIndexed(uint32_t w, uint32_t h, int bits, const std::vector<uint32_t>& palette,
                      const std::vector<uint8_t>& indices) {
    if (!w || !h || (bits != 1 && bits != 4 && bits != 8) || indices.size() != size_t(w) * h ||
        palette.size() > (1u << bits))
        return {};
    uint32_t stride = ((w * uint32_t(bits) + 31) / 32) * 4;
    Bytes b = bmpHeader(w, h, bits, uint32_t(palette.size()), stride);
    for (uint32_t c : palette)
        put32(b, c & 0xFFFFFF);
    for (uint32_t y = h; y-- > 0;) {
        Bytes row(stride, 0);
        for (uint32_t x = 0; x < w; ++x) {
            uint32_t idx = indices[size_t(y) * w + x] & ((1u << bits) - 1);
            uint32_t bit = x * uint32_t(bits);
            row[bit >> 3] |= uint8_t(idx << (8 - bits - (bit & 7)));
        }
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

Bytes writeBmp1(uint32_t w, uint32_t h, const std::vector<uint8_t>& mask) {
    std::vector<uint8_t> idx(mask.size());
    for (size_t i = 0; i < mask.size(); ++i)
        idx[i] = mask[i] ? 1 : 0;
    return writeBmpIndexed(w, h, 1, {0xFF000000u, 0xFFFFFFFFu}, idx);
}

Bytes writeTga(const Picture& p, int bits, bool rle) {
    if (!p.width || !p.height || p.width > 0xFFFF || p.height > 0xFFFF || (bits != 24 && bits != 32) ||
        p.argb.size() != size_t(p.width) * p.height)
        return {};
    Bytes b(18, 0);
    b[2] = rle ? 10 : 2;
    b[12] = uint8_t(p.width);
    b[13] = uint8_t(p.width >> 8);
    b[14] = uint8_t(p.height);
    b[15] = uint8_t(p.height >> 8);
    b[16] = uint8_t(bits);
    b[17] = bits == 32 ? 8 : 0; // alpha bits, bottom-up
    auto pix = [&](uint32_t c) {
        b.push_back(uint8_t(c));
        b.push_back(uint8_t(c >> 8));
        b.push_back(uint8_t(c >> 16));
        if (bits == 32)
            b.push_back(uint8_t(c >> 24));
    };
    uint32_t mask = bits == 32 ? 0xFFFFFFFFu : 0xFFFFFFu;
    for (uint32_t y = p.height; y-- > 0;) {
        const uint32_t* row = &p.argb[size_t(y) * p.width];
        if (!rle) {
            for (uint32_t x = 0; x < p.width; ++x)
                pix(row[x]);
            continue;
        }
        // Runs within a row: repeated pixels as run packets, others as raw packets.
        uint32_t x = 0;
        while (x < p.width) {
            uint32_t run = 1;
            while (x + run < p.width && run < 128 && (row[x + run] & mask) == (row[x] & mask))
                ++run;
            if (run > 1) {
                b.push_back(uint8_t(0x80 | (run - 1)));
                pix(row[x]);
                x += run;
                continue;
            }
            uint32_t raw = 1;
            while (x + raw < p.width && raw < 128 &&
                   !(x + raw + 1 < p.width && (row[x + raw] & mask) == (row[x + raw + 1] & mask)))
                ++raw;
            b.push_back(uint8_t(raw - 1));
            for (uint32_t k = 0; k < raw; ++k)
                pix(row[x + k]);
            x += raw;
        }
    }
    return b;
}

Picture makeStrip(const std::vector<Picture>& frames, uint32_t columns) {
    if (frames.empty())
        return {};
    uint32_t fw = frames[0].width, fh = frames[0].height;
    uint32_t n = uint32_t(frames.size());
    if (!columns || columns > n)
        columns = n;
    uint32_t rows = (n + columns - 1) / columns;
    Picture strip(fw * columns, fh * rows, 0);
    for (uint32_t i = 0; i < n; ++i) {
        const Picture& f = frames[i];
        uint32_t ox = (i % columns) * fw, oy = (i / columns) * fh;
        for (uint32_t y = 0; y < fh && y < f.height; ++y)
            for (uint32_t x = 0; x < fw && x < f.width; ++x)
                strip.at(ox + x, oy + y) = f.at(x, y);
    }
    return strip;
}

bool saveFile(const std::string& path, const Bytes& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool saveFile(const std::string& path, const std::string& text) {
    return saveFile(path, Bytes(text.begin(), text.end()));
}

} // namespace content
