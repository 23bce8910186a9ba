// splashres <out.c> [picture.jpg]
// Writes the splash library's resources as C arrays:
//   101 the built-in picture: the JPEG file given (the company's splash,
//       rendered from its logo by the content tool), or without one a JPEG
//       drawn here;
//   102 the splash movie, a compressed movie file holding one empty frame;
//   103 the built-in video, a video file holding only its header.
#include "jpeg_writer.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <zlib.h>

namespace {

std::vector<uint8_t> makePicture() {
    // A dusk gradient with a light band and a dark disc: the built-in logo.
    const int w = 640, h = 480;
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            double fy = static_cast<double>(y) / h;
            int r = static_cast<int>(40 + 150 * fy);
            int g = static_cast<int>(30 + 60 * fy);
            int b = static_cast<int>(90 - 40 * fy);
            if (y > h * 0.62 && y < h * 0.66) {
                r = 230, g = 200, b = 150;
            }
            double dx = x - w * 0.5, dy = y - h * 0.42;
            if (std::sqrt(dx * dx + dy * dy) < h * 0.18) {
                r = 20, g = 16, b = 30;
            }
            uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
            p[0] = static_cast<uint8_t>(r);
            p[1] = static_cast<uint8_t>(g);
            p[2] = static_cast<uint8_t>(b);
        }
    }
    std::vector<uint8_t> jpeg;
    if (!splashres::WriteJpeg(rgb.data(), w, h, 90, jpeg))
        jpeg.clear();
    return jpeg;
}

void put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i)
        v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}

std::vector<uint8_t> makeMovie() {
    // Body: stage rectangle (no bits), 12 frames a second, one frame, then
    // ShowFrame and End tags.
    const std::vector<uint8_t> body = {0x00, 0x00, 0x0C, 0x01, 0x00, 0x40, 0x00, 0x00, 0x00};
    uLongf packedSize = compressBound(static_cast<uLong>(body.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress(packed.data(), &packedSize, body.data(), static_cast<uLong>(body.size())) != Z_OK)
        return {};
    packed.resize(packedSize);
    std::vector<uint8_t> movie = {'C', 'W', 'S', 8};
    put32(movie, static_cast<uint32_t>(8 + body.size()));
    movie.insert(movie.end(), packed.begin(), packed.end());
    return movie;
}

std::vector<uint8_t> makeVideo() {
    // Signature, version 1, audio and video flags, header size 9, then the
    // first previous-tag size.
    return {'F', 'L', 'V', 1, 5, 0, 0, 0, 9, 0, 0, 0, 0};
}

bool readFile(const char* path, std::vector<uint8_t>& out) {
    FILE* f = std::fopen(path, "rb");
    if (!f)
        return false;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        out.insert(out.end(), buffer, buffer + n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    // A JPEG begins with its start-of-image marker.
    return ok && out.size() > 3 && out[0] == 0xFF && out[1] == 0xD8;
}

bool writeArray(FILE* f, int id, const std::vector<uint8_t>& data) {
    std::fprintf(f, "const unsigned char pellucid_resource_%d[] = {", id);
    for (size_t i = 0; i < data.size(); ++i)
        std::fprintf(f, "%s%u,", i % 20 == 0 ? "\n  " : "", data[i]);
    std::fprintf(f, "\n};\nconst size_t pellucid_resource_%d_size = %zu;\n\n", id, data.size());
    return !std::ferror(f);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: splashres <out.c> [picture.jpg]\n");
        return 2;
    }
    std::vector<uint8_t> picture;
    if (argc == 3) {
        if (!readFile(argv[2], picture)) {
            std::fprintf(stderr, "splashres: '%s' is no JPEG file that can be read\n", argv[2]);
            return 1;
        }
    } else {
        picture = makePicture();
    }
    std::vector<uint8_t> movie = makeMovie(), video = makeVideo();
    if (picture.empty() || movie.empty()) {
        std::fprintf(stderr, "splashres: cannot encode the resources\n");
        return 1;
    }
    std::string tmp = std::string(argv[1]) + ".part";
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "splashres: cannot write '%s'\n", tmp.c_str());
        return 1;
    }
    std::fprintf(f, "/* Written by splashres; do not edit. */\n#include <stddef.h>\n\n");
    bool ok = writeArray(f, 101, picture) && writeArray(f, 102, movie) && writeArray(f, 103, video);
    ok = std::fclose(f) == 0 && ok;
    if (!ok || std::rename(tmp.c_str(), argv[1]) != 0) {
        std::remove(tmp.c_str());
        std::fprintf(stderr, "splashres: cannot write '%s'\n", argv[1]);
        return 1;
    }
    return 0;
}
