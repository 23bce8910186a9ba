#pragma once
// A scratch folder of a fuzzer process's own: "<name>-<pid>/" in $TMPDIR
// (else /tmp), made at once and removed, with all that lies in it, when the
// process ends normally. Hold it in a static so that it lives as long as the
// fuzzing does:
//
//   static const FuzzScratch scratch("mirel-archive-fuzz");
//   write(scratch.path("a.zip"), ...);

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

class FuzzScratch {
public:
    explicit FuzzScratch(const std::string& name)
        : m_folder(base() + name + "-" + std::to_string(::getpid()) + "/") {
        std::error_code ignored;
        std::filesystem::create_directories(m_folder, ignored);
    }
    ~FuzzScratch() {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    FuzzScratch(const FuzzScratch&) = delete;
    FuzzScratch& operator=(const FuzzScratch&) = delete;

    // The folder, with its '/'; a path below it.
    const std::string& folder() const { return m_folder; }
    std::string path(const std::string& relative) const { return m_folder + relative; }

private:
    static std::string base() {
        const char* tmp = std::getenv("TMPDIR");
        std::string dir = tmp && *tmp ? tmp : "/tmp";
        return dir.back() == '/' ? dir : dir + "/";
    }
    std::string m_folder;
};
