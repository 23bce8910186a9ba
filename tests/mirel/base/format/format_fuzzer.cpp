#include "mirel/base/a_format.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string narrow(reinterpret_cast<const char*>(data), size);
    std::u16string wide(size / 2, u'\0');
    for (size_t i = 0; i < wide.size(); ++i) {
        wide[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    }
    std::u16string name = u"name";
    a_format(narrow, {1, -2, 3u, 4.5, "text", name, u'c'});
    a_format(narrow, {});
    a_format(wide, {"text", 7, 1e300, U'\U0001F600'});
    a_format(wide, {});
    return 0;
}
