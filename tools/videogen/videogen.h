#pragma once
// Writes generated Ogg Theora videos: the project's test videos and its
// placeholder title-screen waves are made with these, never committed.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace videogen {

// One frame to encode, ARGB pixels (alpha is ignored), rows top to bottom.
struct Picture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> argb;

    Picture() = default;
    Picture(uint32_t w, uint32_t h, uint32_t fill = 0xFF000000u)
        : width(w), height(h), argb(size_t(w) * h, fill) {}
    uint32_t& at(uint32_t x, uint32_t y) { return argb[size_t(y) * width + x]; }
    uint32_t at(uint32_t x, uint32_t y) const { return argb[size_t(y) * width + x]; }
    void fillRect(uint32_t x, uint32_t y, uint32_t w, uint32_t h, uint32_t colour);
};

struct Options {
    uint32_t width = 64; // the picture; the encoded frame is rounded up to 16
    uint32_t height = 64;
    uint32_t fpsNumerator = 25;
    uint32_t fpsDenominator = 1;
    int frames = 10;
    int quality = 63;       // 0..63
    int keyframeEvery = 64; // frames between forced key frames
};

// Draws frame `index` (from 0) into a picture of the options' size.
using DrawFrame = std::function<void(int index, Picture& picture)>;

// One Ogg packet; `flushAfter` ends its page (the stream's first header
// stands alone on the first page, and the headers end before any frame).
struct Packet {
    std::vector<uint8_t> data;
    int64_t granulepos = -1;
    bool bos = false;
    bool eos = false;
    bool flushAfter = false;
};

// The three header packets, then one packet per frame; false on an encoder error.
bool encodePackets(const Options& options, const DrawFrame& draw, std::vector<Packet>& out);
// Packets framed as one Ogg stream of the given serial number.
std::vector<uint8_t> frameOgg(const std::vector<Packet>& packets, int serial);
// A whole video file in memory; empty on failure.
std::vector<uint8_t> encode(const Options& options, const DrawFrame& draw);
// Writes the video; false (and a message on stderr) on failure.
bool writeFile(const std::string& path, const Options& options, const DrawFrame& draw);

// The Y, U and V bytes whose conversion back by the engine gives the colour
// as closely as the colour space allows.
void rgbToYuv(uint32_t argb, uint8_t& y, uint8_t& u, uint8_t& v);

// Patterns of the command line: colour bars that move one step per frame, and
// waves of blue and white that roll across the picture (the title screen's).
void drawBars(int index, Picture& picture);
void drawWaves(int index, Picture& picture);

} // namespace videogen
