#pragma once
// Writes generated fuzz seeds, one folder per fuzzer, for the seed-writer
// programs a fuzz build runs (mirel_fuzz_seeds in cmake/Mirel.cmake). Seeds
// larger than 64 KB go to the regressions folder instead: test.sh runs each
// of them once before fuzzing; as seeds they would make libFuzzer try inputs
// that large all the time. A program's first seed for a fuzzer empties that
// fuzzer's folders, so that seeds it no longer makes do not linger.
//
//   int main(int argc, char** argv) {
//       SeedWriter seeds(argc, argv);
//       seeds.save("my_fuzzer", "basic.bin", bytes);
//       return seeds.finish();
//   }

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

class SeedWriter {
public:
    static constexpr size_t kLargestSeed = 64 * 1024;

    // argv: <seeds folder> <regressions folder>.
    SeedWriter(int argc, char** argv) {
        if (argc != 3) {
            std::fprintf(stderr, "usage: %s <seeds folder> <regressions folder>\n",
                         argc > 0 ? argv[0] : "seeds");
            m_failed = true;
            return;
        }
        m_seeds = argv[1];
        m_regressions = argv[2];
    }

    void save(const std::string& fuzzer, const std::string& name, const void* data, size_t size) {
        if (m_seeds.empty())
            return;
        std::error_code ec;
        if (m_started.insert(fuzzer).second) {
            std::filesystem::remove_all(std::filesystem::path(m_seeds) / fuzzer, ec);
            std::filesystem::remove_all(std::filesystem::path(m_regressions) / fuzzer, ec);
        }
        const std::filesystem::path dir =
            std::filesystem::path(size > kLargestSeed ? m_regressions : m_seeds) / fuzzer;
        std::filesystem::create_directories(dir, ec);
        std::ofstream f(dir / name, std::ios::binary);
        f.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!f || size == 0) {
            std::fprintf(stderr, "seeds: cannot write %s/%s\n", fuzzer.c_str(), name.c_str());
            m_failed = true;
        }
    }
    void save(const std::string& fuzzer, const std::string& name, const std::vector<uint8_t>& bytes) {
        save(fuzzer, name, bytes.data(), bytes.size());
    }
    void save(const std::string& fuzzer, const std::string& name, const std::string& text) {
        save(fuzzer, name, text.data(), text.size());
    }
    void fail() { m_failed = true; }

    // The program's exit status.
    int finish() const { return m_failed ? 1 : 0; }

private:
    std::string m_seeds, m_regressions;
    std::set<std::string> m_started;
    bool m_failed = false;
};
