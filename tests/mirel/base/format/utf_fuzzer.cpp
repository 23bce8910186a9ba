#include "mirel/base/a_utf.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    std::u16string wide = decodeUtf8(bytes, size);
    // well-formed UTF-16 out of the decoder survives a round trip
    if (utf8ToWide(wideToUtf8(wide)) != wide) {
        std::abort();
    }
    std::u16string raw(size / 2, u'\0');
    for (size_t i = 0; i < raw.size(); ++i) {
        raw[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    }
    wideToUtf8(raw);
    wideToAnsi(raw);
    ansiToWide(std::string(bytes, size));
    return 0;
}
