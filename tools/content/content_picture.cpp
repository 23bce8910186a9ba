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

void bleedColours(Picture& p) {
    const uint32_t w = p.width, h = p.height;
    std::vector<uint8_t> known(p.argb.size());
    uint64_t sum[3] = {0, 0, 0}, count = 0;
    for (size_t i = 0; i < p.argb.size(); ++i)
        if (p.argb[i] >> 24) {
            known[i] = 1;
            for (int c = 0; c < 3; ++c)
                sum[c] += (p.argb[i] >> (8 * c)) & 255;
            ++count;
        }
    if (!count)
        return;
    // Each pass gives the transparent pixels next to coloured ones their
    // neighbours' mean colour, so the colour runs on past the outline.
    for (int pass = 0; pass < 16; ++pass) {
        std::vector<std::pair<size_t, uint32_t>> found;
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) {
                size_t i = size_t(y) * w + x;
                if (known[i])
                    continue;
                uint32_t acc[3] = {0, 0, 0}, n = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        int64_t nx = int64_t(x) + dx, ny = int64_t(y) + dy;
                        if ((!dx && !dy) || nx < 0 || ny < 0 || nx >= int64_t(w) || ny >= int64_t(h))
                            continue;
                        size_t j = size_t(ny) * w + size_t(nx);
                        if (!known[j])
                            continue;
                        for (int c = 0; c < 3; ++c)
                            acc[c] += (p.argb[j] >> (8 * c)) & 255;
                        ++n;
                    }
                if (n)
                    found.emplace_back(i, ((acc[2] / n) << 16) | ((acc[1] / n) << 8) | (acc[0] / n));
            }
        if (found.empty())
            break;
        for (const auto& [i, rgb] : found) {
            p.argb[i] = rgb; // alpha stays 0
            known[i] = 1;
        }
    }
    uint32_t mean = uint32_t(((sum[2] / count) << 16) | ((sum[1] / count) << 8) | (sum[0] / count));
    for (size_t i = 0; i < p.argb.size(); ++i)
        if (!known[i])
            p.argb[i] = mean;
}

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
    } else if (e == "png" || e == "jng" || e == "tga") {
        // Scaled drawing blends neighbouring texels and JPEG blurs colour
        // across edges: colour under the transparent parts keeps both from
        // darkening the outline.
        Picture bled = p;
        bleedColours(bled);
        b = e == "png"   ? writePng(bled, true)
            : e == "jng" ? writeJng(bled, o.jngAlpha, o.quality)
                         : writeTga(bled, 32, true);
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
