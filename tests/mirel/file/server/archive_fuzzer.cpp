// Archive look-ups over arbitrary bytes: the input is written as an archive
// and its first bytes name the entry to read.

#include "mirel/file/a_fileserver.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string dir = [] {
        std::string d = "/tmp/mirel-archive-fuzz-" + std::to_string(getpid());
        ::mkdir(d.c_str(), 0700);
        return d + "/";
    }();
    size_t nameLen = size ? data[0] % 16 : 0;
    std::string entry;
    for (size_t i = 1; i <= nameLen && i < size; ++i) {
        char c = static_cast<char>(data[i]);
        entry += (c == 0 || c == '/') ? 'a' : c;
    }
    size_t skip = std::min(size, nameLen + 1);
    FILE* f = std::fopen((dir + "pack.zip").c_str(), "wb");
    if (!f) {
        return 0;
    }
    std::fwrite(data + skip, 1, size - skip, f);
    std::fclose(f);
    for (const std::string& path : {dir + "pack/" + entry, dir + "PACK/" + entry + "/x"}) {
        uint32_t n = 0;
        uint8_t* bytes = file_readFullAndMalloc(path, &n);
        if (bytes && n == 0) {
            std::abort();
        }
        std::free(bytes);
        file_exists(path);
    }
    return 0;
}
