// The options-file parser over arbitrary bytes, read from a scratch file the
// way every options file is read. Include lines may name the input itself.

#include "mirel/util/a_optionsfile.h"

#include "mirel/file/a_fileserver.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/mirel-options-fuzz-" + std::to_string(getpid()) + ".ini";
    static aFileServer* server = [] {
        aFileServerSources s;
        s.useSystem = false;
        s.exePath = "/tmp/mirel-fuzz/prog";
        auto* fs = new aFileServer(s);
        fs->setAssign("fz", "/tmp/");
        return fs;
    }();
    (void)server;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        return 0;
    }
    std::fwrite(data, 1, size, f);
    std::fclose(f);

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
