// The pictures and movies compiled into the library.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pellucid {

constexpr int kResourcePicture = 101; // JPEG of the built-in entry
constexpr int kResourceMovie = 102;   // the splash movie
constexpr int kResourceVideo = 103;   // the video of the built-in entry

struct ResourceData {
    const uint8_t* data = nullptr;
    size_t size = 0;
};

// An empty record for an unknown id.
ResourceData FindResource(int id);

} // namespace pellucid
