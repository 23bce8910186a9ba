// The options-file parser over arbitrary bytes, read from a scratch file the
// way every options file is read. Lines "#--file--" split the input into the
// files it may include as "fz:1", "fz:2", ... ("fz:0" is the input's first
// part itself; support/fuzz_files.h).

#include "mirel/util/a_optionsfile.h"

#include "support/fuzz_files.h"

#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzFiles files("options");
    files.write(data, size);
    const std::string path = files.path(0);
    aOptionsFile o(path);
    std::string first = o.getSectionName();
    o.setSection(first);
    for (o.firstKey(); !o.isKeyEnd(); o.nextKey()) {
        std::vector<std::string> tokens;
        std::vector<int> numbers;
        o.getStringList(first, o.getKeyName(), tokens);
        o.getIntList(first, o.getKeyName(), numbers);
        o.getInt(o.getKeyName());
        o.hasKey(o.getKeyValue());
    }
    return 0;
}
