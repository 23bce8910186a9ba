#pragma once
// A whole file's bytes as a string; empty when it cannot be read.

#include <fstream>
#include <iterator>
#include <string>

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
