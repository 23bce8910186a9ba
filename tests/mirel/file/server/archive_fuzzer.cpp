// Archive look-ups over arbitrary bytes. The input either is the archive
// itself or describes entries of a well-formed archive whose bytes it then
// damages; its first bytes name the entry to read.

#include "mirel/file/a_fileserver.h"

#include "fixtures/zip_writer.h"
#include "support/fuzz_scratch.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const FuzzScratch scratch("mirel-archive-fuzz");
    const std::string& dir = scratch.folder();
    if (size < 2) {
        return 0;
    }
    const bool build = data[0] & 1;
    size_t nameLen = data[1] % 16;
    std::string entry;
    for (size_t i = 2; i < 2 + nameLen && i < size; ++i) {
        char c = static_cast<char>(data[i]);
        entry += (c == 0 || c == '/') ? 'a' : c;
    }
    size_t skip = std::min(size, nameLen + 2);
    std::string rest(reinterpret_cast<const char*>(data + skip), size - skip);
    std::string archive = rest;
    if (build) {
        // Entries of the archive: the entry asked for, and one in other case.
        std::string upper = entry;
        for (char& c : upper) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        archive = zipfix::build(
            {{entry, rest, (data[0] & 2) != 0}, {upper + "x", rest.substr(rest.size() / 2), true}});
        // Damage up to four bytes at places the input picks.
        for (size_t k = 0; k < 4 && k < rest.size() && !archive.empty(); ++k) {
            size_t at = (static_cast<unsigned char>(rest[k]) * 131u + k * 977u) % archive.size();
            if (data[0] & (4 << k)) {
                archive[at] = static_cast<char>(archive[at] ^ rest[rest.size() - 1 - k]);
            }
        }
    }
    FILE* f = std::fopen((dir + "pack.zip").c_str(), "wb");
    if (!f) {
        return 0;
    }
    std::fwrite(archive.data(), 1, archive.size(), f);
    std::fclose(f);
    for (const std::string& path :
         {dir + "pack/" + entry, dir + "PACK/" + entry + "x", dir + "pack/" + entry + "/x"}) {
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
