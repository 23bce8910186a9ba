#pragma once
// A scratch folder per test and small file helpers for the content tests.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace contenttest {

inline std::string scratch() {
    const char* root = std::getenv("MIREL_TEST_TMP");
    std::filesystem::path dir = root ? root : std::filesystem::temp_directory_path() / "mirel-content-tests";
    if (const auto* t = ::testing::UnitTest::GetInstance()->current_test_info())
        dir /= std::string(t->test_suite_name()) + "." + t->name();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string() + "/";
}

inline void put(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

} // namespace contenttest
