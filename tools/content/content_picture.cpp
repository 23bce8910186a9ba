#include "content/content_picture.h"

#include <algorithm>
#include <cctype>

namespace content {

namespace {

std::string extension(const std::string& path) {
    size_t dot = path.find_last_of('.');
    size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    std::string e = path.substr(dot + 1);
    for (char& c : e)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return e;
}

} // namespace

Bounds alphaBounds(const Picture& p, uint32_t minAlpha) {
    uint32_t x0 = p.width, y0 = p.height, x1 = 0, y1 = 0;
    bool any = false;
    for (uint32_t y = 0; y < p.height; ++y)
        for (uint32_t x = 0; x < p.width; ++x)
            if ((p.at(x, y) >> 24) >= minAlpha) {
                any = true;
                x0 = std::min(x0, x);
                y0 = std::min(y0, y);
                x1 = std::max(x1, x);
                y1 = std::max(y1, y);
            }
    if (!any)
        return {};
    return {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

Picture crop(const Picture& p, const Bounds& b) {
    Picture out(b.width, b.height);
    for (uint32_t y = 0; y < b.height && b.y + y < p.height; ++y)
        for (uint32_t x = 0; x < b.width && b.x + x < p.width; ++x)
            out.at(x, y) = p.at(b.x + x, b.y + y);
    return out;
}

void drawOver(Picture& dst, const Picture& src, int ox, int oy) {
    for (uint32_t y = 0; y < src.height; ++y) {
        int64_t dy = int64_t(oy) + y;
        if (dy < 0 || dy >= int64_t(dst.height))
            continue;
        for (uint32_t x = 0; x < src.width; ++x) {
            int64_t dx = int64_t(ox) + x;
            if (dx < 0 || dx >= int64_t(dst.width))
                continue;
            uint32_t s = src.at(x, y), a = s >> 24;
            if (!a)
                continue;
            uint32_t& d = dst.at(uint32_t(dx), uint32_t(dy));
            uint32_t da = d >> 24;
            uint32_t oa = a + da * (255 - a) / 255;
            uint32_t out = oa << 24;
            for (int shift = 0; shift <= 16; shift += 8) {
                uint32_t sc = (s >> shift) & 255, dc = (d >> shift) & 255;
                uint32_t c = oa ? (sc * a + dc * da * (255 - a) / 255) / oa : 0;
                out |= std::min<uint32_t>(c, 255) << shift;
            }
            d = out;
        }
    }
}

uint32_t maxAlpha(const Picture& p) {
    uint32_t m = 0;
    for (uint32_t v : p.argb)
        m = std::max(m, v >> 24);
    return m;
}

bool isPictureFile(const std::string& path) {
    std::string e = extension(path);
    return e == "jpg" || e == "jpeg" || e == "png" || e == "jng" || e == "bmp" || e == "tga";
}

bool keepsAlpha(const std::string& path) {
    std::string e = extension(path);
    return e == "png" || e == "jng" || e == "tga";
}

Bytes encodePicture(const std::string& path, const Picture& p, const WriteOptions& o, std::string& error) {
    std::string e = extension(path);
    Bytes b;
    if (e == "jpg" || e == "jpeg") {
        // JPEG keeps no alpha: transparent parts show as black.
        Picture opaque = p;
        for (uint32_t& v : opaque.argb) {
            uint32_t a = v >> 24, out = 0xFF000000u;
            for (int shift = 0; shift <= 16; shift += 8)
                out |= (((v >> shift) & 255) * a / 255) << shift;
            v = out;
        }
        b = writeJpeg(opaque, o.quality);
    } else if (e == "png") {
        b = writePng(p, true);
    } else if (e == "jng") {
        b = writeJng(p, o.jngAlpha, o.quality);
    } else if (e == "tga") {
        b = writeTga(p, 32, true);
    } else if (e == "bmp") {
        std::vector<uint8_t> mask(p.argb.size());
        for (size_t i = 0; i < mask.size(); ++i)
            mask[i] = (p.argb[i] >> 24) >= o.threshold ? 1 : 0;
        b = writeBmp1(p.width, p.height, mask);
    } else {
        error = path + ": unknown picture type (use .jpg, .png, .jng, .bmp or .tga)";
        return {};
    }
    if (b.empty())
        error = path + ": cannot encode the picture";
    return b;
}

} // namespace content
