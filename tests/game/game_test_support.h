#pragma once
// Shared by the game's tests: a scratch folder per test, a file server whose
// "data" assign points into it, raw file access, and a builder of save files
// byte by byte.

#include "game/save/save_load.h"
#include "mirel/file/a_fileserver.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace gametest {

using Bytes = std::vector<uint8_t>;

// A fresh folder for the running test (under MIREL_TEST_TMP), with a trailing slash.
inline std::string Scratch() {
    const char* root = std::getenv("MIREL_TEST_TMP");
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "no-test";
    for (char& c : name) {
        if (c == '/')
            c = '_';
    }
    const std::filesystem::path p = std::filesystem::path(root ? root : "/tmp/mirel-game-tests") / name;
    std::filesystem::remove_all(p);
    std::filesystem::create_directories(p);
    return p.string() + "/";
}

inline Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline void WriteText(const std::string& path, const std::string& text) {
    WriteBytes(path, Bytes(text.begin(), text.end()));
}

// A file server of the scratch folder, nothing from the system; "data:" is
// its "data/" folder.
struct FileServerFixture {
    explicit FileServerFixture(const std::string& root) : root(root) {
        aFileServerSources s;
        s.useSystem = false;
        s.exePath = root + "bin/game";
        s.home = root + "home";
        s.tmpDir = root + "tmp";
        server = std::make_unique<aFileServer>(s);
        std::filesystem::create_directories(root + "data");
        server->setAssign("data", root + "data/");
    }
    std::string root;
    std::unique_ptr<aFileServer> server;
};

// The plain bytes of a save file; Finish adds the checksum and scrambles.
struct SaveFileBuilder {
    Bytes bytes;

    SaveFileBuilder& U8(uint8_t v) {
        bytes.push_back(v);
        return *this;
    }
    SaveFileBuilder& U32(uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(uint8_t(v >> (8 * i)));
        return *this;
    }
    SaveFileBuilder& F32(float v) {
        uint32_t bits;
        static_assert(sizeof bits == sizeof v);
        std::memcpy(&bits, &v, sizeof bits);
        return U32(bits);
    }
    SaveFileBuilder& Str(const std::string& s) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        bytes.push_back(0);
        return *this;
    }
    SaveFileBuilder& Raw(const Bytes& b) {
        bytes.insert(bytes.end(), b.begin(), b.end());
        return *this;
    }
    // A record: name, size, data.
    SaveFileBuilder& Record(const std::string& name, const Bytes& data) {
        return Str(name).U32(uint32_t(data.size())).Raw(data);
    }
    // Header: version and count.
    SaveFileBuilder& Header(uint32_t version, uint32_t count) { return U32(version).U32(count); }

    // Plain bytes with the checksum appended.
    Bytes Plain() const {
        Bytes out = bytes;
        const uint32_t sum = ComputeSaveChecksum(out.data(), out.size());
        for (int i = 0; i < 4; ++i)
            out.push_back(uint8_t(sum >> (8 * i)));
        return out;
    }
    // The file as written.
    Bytes Finish() const {
        Bytes out = Plain();
        ScrambleSaveBytes(out.data(), out.size());
        return out;
    }
};

// A file's bytes unscrambled.
inline Bytes Unscramble(Bytes bytes) {
    ScrambleSaveBytes(bytes.data(), bytes.size());
    return bytes;
}

} // namespace gametest
