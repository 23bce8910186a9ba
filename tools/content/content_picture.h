#pragma once
// Operations on rendered pictures: alpha bounds and cropping, 1-bit masks,
// compositing, and writing a picture in the format its file name asks for.

#include "content/content_writers.h"

#include <string>

namespace content {

struct Bounds {
    uint32_t x = 0, y = 0, width = 0, height = 0;
    bool empty() const { return !width || !height; }
};

// The smallest rectangle holding every pixel whose alpha is at least minAlpha.
Bounds alphaBounds(const Picture& picture, uint32_t minAlpha = 1);
Picture crop(const Picture& picture, const Bounds& bounds);

// Draws src over dst with its top-left at (x, y), blending by src alpha.
void drawOver(Picture& dst, const Picture& src, int x, int y);

// Gives fully transparent pixels the colour of the nearest visible ones
// (their alpha stays 0), so that filtering and JPEG coding keep edges clean.
void bleedColours(Picture& picture);

// The largest alpha in the picture.
uint32_t maxAlpha(const Picture& picture);

struct WriteOptions {
    int quality = 90;         // JPEG and the colour of JNG
    uint32_t threshold = 128; // BMP masks: alpha at least this is white
    JngAlpha jngAlpha = JngAlpha::Zlib;
};

// Encodes by the file's extension: .jpg/.jpeg (no alpha), .png, .jng, .bmp
// (a 1-bit mask of the alpha), .tga; pictures with alpha get their colours
// bled under the transparent parts first. Empty bytes and a message for an
// unknown extension.
Bytes encodePicture(const std::string& path, const Picture& picture, const WriteOptions& options,
                    std::string& error);
// True for the extensions encodePicture knows.
bool isPictureFile(const std::string& path);
// True for the extensions that keep alpha.
bool keepsAlpha(const std::string& path);

} // namespace content
