#include "videogen.h"

#include <ogg/ogg.h>
#include <theora/theoraenc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace videogen {

void Picture::fillRect(uint32_t x, uint32_t y, uint32_t w, uint32_t h, uint32_t colour) {
    for (uint32_t yy = y; yy < std::min(height, y + h); ++yy)
        for (uint32_t xx = x; xx < std::min(width, x + w); ++xx)
            at(xx, yy) = colour;
}

namespace {

// Colour factors of the engine's decoder (its table steps over 65536).
constexpr double K_BU = 113508.0 / 65536.0;
constexpr double K_GU = 22020.0 / 65536.0;
constexpr double K_GV = 45744.0 / 65536.0;
constexpr double K_RV = 113443.0 / 65536.0;

uint8_t toByte(double v) {
    return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

Packet copyPacket(const ogg_packet& op, bool flushAfter) {
    Packet p;
    p.data.assign(op.packet, op.packet + op.bytes);
    p.granulepos = op.granulepos;
    p.bos = op.b_o_s != 0;
    p.eos = op.e_o_s != 0;
    p.flushAfter = flushAfter;
    return p;
}

void appendPage(const ogg_page& page, std::vector<uint8_t>& out) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

} // namespace

void rgbToYuv(uint32_t argb, uint8_t& y, uint8_t& u, uint8_t& v) {
    const double r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
    // R - G = K_GU u + (K_RV + K_GV) v and B - G = (K_BU + K_GU) u + K_GV v.
    const double a11 = K_GU, a12 = K_RV + K_GV, a21 = K_BU + K_GU, a22 = K_GV;
    const double det = a11 * a22 - a12 * a21;
    const double rg = r - g, bg = b - g;
    const double cu = (rg * a22 - a12 * bg) / det;
    const double cv = (a11 * bg - a21 * rg) / det;
    const double luma = ((r - K_RV * cv) + (g + K_GU * cu + K_GV * cv) + (b - K_BU * cu)) / 3.0;
    y = toByte(luma);
    u = toByte(cu + 128.0);
    v = toByte(cv + 128.0);
}

bool encodePackets(const Options& o, const DrawFrame& draw, std::vector<Packet>& out) {
    out.clear();
    if (o.width == 0 || o.height == 0 || o.fpsNumerator == 0 || o.fpsDenominator == 0 || o.frames < 0)
        return false;
    th_info info;
    th_info_init(&info);
    info.frame_width = (o.width + 15) & ~15u;
    info.frame_height = (o.height + 15) & ~15u;
    info.pic_width = o.width;
    info.pic_height = o.height;
    info.pic_x = 0;
    info.pic_y = 0;
    info.fps_numerator = o.fpsNumerator;
    info.fps_denominator = o.fpsDenominator;
    info.aspect_numerator = 1;
    info.aspect_denominator = 1;
    info.colorspace = TH_CS_UNSPECIFIED;
    info.pixel_fmt = TH_PF_420;
    info.target_bitrate = 0;
    info.quality = std::clamp(o.quality, 0, 63);
    info.keyframe_granule_shift = 6;
    th_enc_ctx* enc = th_encode_alloc(&info);
    const uint32_t fw = info.frame_width, fh = info.frame_height;
    th_info_clear(&info);
    if (!enc)
        return false;
    ogg_uint32_t every = static_cast<ogg_uint32_t>(std::max(1, o.keyframeEvery));
    th_encode_ctl(enc, TH_ENCCTL_SET_KEYFRAME_FREQUENCY_FORCE, &every, sizeof every);

    bool ok = true;
    th_comment comment;
    th_comment_init(&comment);
    ogg_packet op;
    int headers = 0;
    int got;
    while ((got = th_encode_flushheader(enc, &comment, &op)) > 0) {
        ++headers;
        out.push_back(copyPacket(op, headers == 1 || headers == 3));
    }
    th_comment_clear(&comment);
    if (got < 0 || headers != 3)
        ok = false;

    // Planes of the whole encoded frame; the picture sits at its top left and
    // the margin repeats the picture's edge.
    std::vector<uint8_t> py(size_t(fw) * fh), pu(size_t(fw / 2) * (fh / 2)), pv(pu.size());
    Picture pic(o.width, o.height);
    for (int f = 0; ok && f < o.frames; ++f) {
        std::fill(pic.argb.begin(), pic.argb.end(), 0xFF000000u);
        if (draw)
            draw(f, pic);
        for (uint32_t y = 0; y < fh; ++y)
            for (uint32_t x = 0; x < fw; ++x) {
                uint8_t yy, uu, vv;
                rgbToYuv(pic.at(std::min(x, o.width - 1), std::min(y, o.height - 1)), yy, uu, vv);
                py[size_t(y) * fw + x] = yy;
            }
        for (uint32_t y = 0; y < fh / 2; ++y)
            for (uint32_t x = 0; x < fw / 2; ++x) {
                // Chroma of the 2 x 2 block, averaged.
                int su = 0, sv = 0;
                for (uint32_t k = 0; k < 4; ++k) {
                    uint8_t yy, uu, vv;
                    uint32_t sx = std::min(2 * x + (k & 1), o.width - 1),
                             sy = std::min(2 * y + (k >> 1), o.height - 1);
                    rgbToYuv(pic.at(sx, sy), yy, uu, vv);
                    su += uu;
                    sv += vv;
                }
                pu[size_t(y) * (fw / 2) + x] = static_cast<uint8_t>((su + 2) / 4);
                pv[size_t(y) * (fw / 2) + x] = static_cast<uint8_t>((sv + 2) / 4);
            }
        th_ycbcr_buffer buf;
        buf[0] = {int(fw), int(fh), int(fw), py.data()};
        buf[1] = {int(fw / 2), int(fh / 2), int(fw / 2), pu.data()};
        buf[2] = {int(fw / 2), int(fh / 2), int(fw / 2), pv.data()};
        if (th_encode_ycbcr_in(enc, buf) != 0) {
            ok = false;
            break;
        }
        const int last = f + 1 == o.frames ? 1 : 0;
        while ((got = th_encode_packetout(enc, last, &op)) > 0)
            out.push_back(copyPacket(op, false));
        if (got < 0)
            ok = false;
    }
    th_encode_free(enc);
    if (!ok)
        out.clear();
    return ok;
}

std::vector<uint8_t> frameOgg(const std::vector<Packet>& packets, int serial) {
    std::vector<uint8_t> out;
    ogg_stream_state os;
    if (ogg_stream_init(&os, serial) != 0)
        return out;
    ogg_page page;
    int64_t number = 0;
    for (const Packet& p : packets) {
        ogg_packet op;
        std::memset(&op, 0, sizeof op);
        op.packet = const_cast<unsigned char*>(p.data.data());
        op.bytes = static_cast<long>(p.data.size());
        op.b_o_s = p.bos ? 1 : 0;
        op.e_o_s = p.eos ? 1 : 0;
        op.granulepos = p.granulepos;
        op.packetno = number++;
        ogg_stream_packetin(&os, &op);
        if (p.flushAfter) {
            while (ogg_stream_flush(&os, &page) > 0)
                appendPage(page, out);
        } else {
            while (ogg_stream_pageout(&os, &page) > 0)
                appendPage(page, out);
        }
    }
    while (ogg_stream_flush(&os, &page) > 0)
        appendPage(page, out);
    ogg_stream_clear(&os);
    return out;
}

std::vector<uint8_t> encode(const Options& options, const DrawFrame& draw) {
    std::vector<Packet> packets;
    if (!encodePackets(options, draw, packets))
        return {};
    return frameOgg(packets, 0x4d1e);
}

bool writeFile(const std::string& path, const Options& options, const DrawFrame& draw) {
    std::vector<uint8_t> bytes = encode(options, draw);
    if (bytes.empty()) {
        std::fprintf(stderr, "videogen: encoding failed for '%s'\n", path.c_str());
        return false;
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "videogen: cannot write '%s'\n", path.c_str());
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok)
        std::fprintf(stderr, "videogen: cannot write '%s'\n", path.c_str());
    return ok;
}

void drawBars(int index, Picture& pic) {
    static const uint32_t colours[] = {0xFFC0C0C0, 0xFFC0C000, 0xFF00C0C0, 0xFF00C000,
                                       0xFFC000C0, 0xFFC00000, 0xFF0000C0, 0xFF202020};
    const uint32_t bar = std::max<uint32_t>(1, pic.width / 8);
    for (uint32_t y = 0; y < pic.height; ++y)
        for (uint32_t x = 0; x < pic.width; ++x)
            pic.at(x, y) = colours[((x + uint32_t(index) * 2) / bar) % 8];
}

void drawWaves(int index, Picture& pic) {
    const double pi = 3.14159265358979323846;
    const double t = index / 25.0;
    for (uint32_t y = 0; y < pic.height; ++y) {
        const double depth = pic.height > 1 ? double(y) / (pic.height - 1) : 0.0;
        for (uint32_t x = 0; x < pic.width; ++x) {
            const double s = std::sin(x * 2 * pi / 160.0 + t * 2.0 + depth * 9.0) +
                             0.5 * std::sin(x * 2 * pi / 61.0 - t * 3.0 + depth * 5.0);
            const double crest = std::clamp((s - 1.0) * 0.8, 0.0, 1.0); // foam on the crests
            const double r = 20 + 40 * (1 - depth) + 200 * crest;
            const double g = 70 + 60 * (1 - depth) + 170 * crest;
            const double b = 120 + 80 * (1 - depth) + 120 * crest;
            pic.at(x, y) = 0xFF000000u | uint32_t(std::min(255.0, r)) << 16 |
                           uint32_t(std::min(255.0, g)) << 8 | uint32_t(std::min(255.0, b));
        }
    }
}

} // namespace videogen
