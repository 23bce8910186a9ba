// Feeds arbitrary bytes to one picture decoder (chosen when the target is built).

#include "mirel/gfx/a_imagedecode.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    aDecodedImage out;
    std::string error;
    bool ok = FUZZ_DECODER(data, size, out, error);
    if (ok && out.pixels.size() != size_t(out.width) * out.height)
        __builtin_trap();
    if (!ok && (!out.pixels.empty() || error.empty()))
        __builtin_trap();
    return 0;
}
