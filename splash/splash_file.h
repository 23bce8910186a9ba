// Whole-file reads of the library's own files (its settings and pictures).
#pragma once

#include <cstddef>
#include <string>

namespace pellucid {

enum class FileRead {
    Ok,
    NotAFile, // missing, or a folder, pipe or device (a pipe would block, a device never end)
    TooLarge, // more than the caller's limit
    Failed,   // a read error
};

// Reads a plain file of at most maxBytes bytes into `out`.
FileRead ReadPlainFile(const std::string& path, size_t maxBytes, std::string& out);

} // namespace pellucid
