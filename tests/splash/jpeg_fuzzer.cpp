// Arbitrary bytes as a splash picture.
#include "splash_jpeg.h"
#include "splash_log.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = [] {
        pellucid::setSplashLogSink([](const char*, void*) {}, nullptr);
        return true;
    }();
    (void)quiet;
    pellucid::RgbPicture picture;
    if (pellucid::DecodeJpeg(data, size, picture, "fuzz") &&
        picture.rgb.size() != size_t(picture.width) * size_t(picture.height) * 3)
        __builtin_trap();
    return 0;
}
