// Line splitting over arbitrary bytes.

#include "mirel/util/a_stringlist.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    aStringList list;
    list.parseBuffer(reinterpret_cast<const char*>(data), size);
    size_t total = 0;
    uint32_t n = 0;
    for (list.begin(); !list.isEnd(); list.next()) {
        total += list.current().size();
        ++n;
    }
    if (n != list.getCount() || total > size || (size && list.seek(n))) {
        std::abort();
    }
    return 0;
}
