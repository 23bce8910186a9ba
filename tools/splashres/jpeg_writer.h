// Encodes 8-bit RGB pixels as a baseline JPEG in memory.
#pragma once

#include <cstdint>
#include <vector>

namespace splashres {

// `rgb` holds width * height * 3 bytes, top row first. False when libjpeg
// reports an error.
bool WriteJpeg(const uint8_t* rgb, int width, int height, int quality, std::vector<uint8_t>& out);

} // namespace splashres
