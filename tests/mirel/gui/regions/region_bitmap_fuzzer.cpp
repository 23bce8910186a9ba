// Feeds arbitrary bytes to the 1-bit BMP reader and probes the resulting mask.
#include "mirel/gui/gui_region.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    GUI::Region region;
    if (region.LoadFromMemory(data, size, "fuzz")) {
        const int32_t w = region.GetWidth();
        const int32_t h = region.GetHeight();
        if (size_t(w) * size_t(h) != region.GetMask().size()) {
            __builtin_trap();
        }
        region.HitTest(w - 1, h - 1);
        region.HitTest(w, h);
        region.HitTest(-1, 0);
    }
    return 0;
}
