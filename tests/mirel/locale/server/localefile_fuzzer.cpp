// Arbitrary bytes as a locale string file; lines "#--file--" split the
// input into the text files its entries may name as "fz:1", "fz:2", ...
// (support/fuzz_files.h).
#include "mirel/locale/a_localeserver.h"

#include "support/fuzz_files.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    // file references are followed: keep away from device files that never end
    if (text.find("/dev") != std::string_view::npos || text.find("/proc") != std::string_view::npos) {
        return 0;
    }
    static FuzzFiles files("locale");
    const std::vector<std::string> parts = files.write(data, size);
    aLocaleServer server;
    server.parseBuffer("fz:0", parts[0].data(), parts[0].size(), "g.");
    return 0;
}
