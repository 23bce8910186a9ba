#include "mirel/locale/a_localeserver.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    // file references are followed: keep away from device files that never end
    if (text.find("/dev") != std::string_view::npos || text.find("/proc") != std::string_view::npos) {
        return 0;
    }
    aLocaleServer server;
    server.parseBuffer("fuzz.txt", text.data(), text.size(), "g.");
    return 0;
}
