// Arbitrary bytes as the letter-with-holes puzzle's data: a scrap map (the
// first two bytes give its size, up to 64 x 64, the rest its pixels) and a
// scrap's start place. Must never crash or hang; every scrap found lies in
// the map and starts on a pixel of it, and a start place read stays within
// the coordinate limit.

#include "game/bonus/bonus_values.h"
#include "game/bonus/decode_letter.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const int32_t w = 1 + data[0] % 64, h = 1 + data[1] % 64;
    std::vector<uint32_t> pixels(size_t(w) * size_t(h), 0);
    const size_t bytes = std::min(size - 2, pixels.size() * 4);
    std::memcpy(pixels.data(), data + 2, bytes);
    std::vector<DecodeLetter::Scrap> scraps;
    const int32_t letterHeight = DecodeLetter::FindScraps(pixels, w, h, scraps);
    if (letterHeight < -1 || letterHeight >= h)
        std::abort();
    for (const DecodeLetter::Scrap& s : scraps) {
        if (s.rect.x < 0 || s.rect.y < 0 || s.rect.width < 1 || s.rect.height < 1 ||
            s.rect.x + s.rect.width > w || s.rect.y + s.rect.height > h)
            std::abort();
        if ((pixels[size_t(s.rect.y) * size_t(w) + size_t(s.rect.x)] >> 24) < DecodeLetter::kScrapAlpha)
            std::abort();
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    float x = 1.0f, y = 2.0f;
    if (DecodeLetter::ParseStart(text, x, y) &&
        (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > float(bonusvalues::kCoordinateLimit) ||
         std::fabs(y) > float(bonusvalues::kCoordinateLimit)))
        std::abort();
    return 0;
}
