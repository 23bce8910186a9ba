// JPEG pictures decoded with libjpeg into 8-bit RGB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pellucid {

struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb; // width * height * 3, top row first
};

// False (with one log line naming `what`) for data that is not a complete
// JPEG picture; never ends the process.
bool DecodeJpeg(const uint8_t* data, size_t size, RgbPicture& out, const std::string& what);

} // namespace pellucid
