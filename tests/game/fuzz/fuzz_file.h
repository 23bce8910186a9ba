#pragma once
// The file a save-file fuzzer hands to the loader. The first input byte picks
// the form: odd, the rest is the file as stored; even, the rest is the plain
// content, to which the version, the checksum and the scrambling are added,
// so that the record parser and the entities' readers are reached.

#include "game/save/save_load.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fuzzfile {

// A name of this fuzzer process's own in $TMPDIR (or /tmp); what lies there
// is removed when the process ends.
struct Scratch {
    explicit Scratch(const char* name) {
        const char* tmp = std::getenv("TMPDIR");
        path = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + name + "-" + std::to_string(::getpid());
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string path;
};

inline void Write(const std::string& path, const uint8_t* data, size_t size) {
    std::vector<uint8_t> file;
    if (size > 0 && (data[0] & 1) == 0) {
        const uint32_t version = kSaveFormatVersion;
        for (int i = 0; i < 4; ++i)
            file.push_back(uint8_t(version >> (8 * i)));
        file.insert(file.end(), data + 1, data + size);
        const uint32_t sum = ComputeSaveChecksum(file.data(), file.size());
        for (int i = 0; i < 4; ++i)
            file.push_back(uint8_t(sum >> (8 * i)));
        ScrambleSaveBytes(file.data(), file.size());
    } else if (size > 0) {
        file.assign(data + 1, data + size);
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return;
    if (!file.empty())
        std::fwrite(file.data(), 1, file.size(), f);
    std::fclose(f);
}

inline std::vector<uint8_t> Read(const std::string& path) {
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    uint8_t chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(f);
    return bytes;
}

} // namespace fuzzfile
