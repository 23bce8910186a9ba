// One configured splash entry and the reading of "Splash.ini".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pellucid {

// A colour as 0x00BBGGRR: red in the low byte.
using ColorRef = uint32_t;

constexpr const char* kBuiltInEntryName = "Velquist";
constexpr size_t kMaxSplashEntries = 10;

struct SplashEntry {
    int32_t fadeTime = 1000;
    ColorRef fadeInColor = 0x000000;
    ColorRef fadeOutColor = 0x000000;
    bool builtIn = false;
    std::string name;
    bool useFlash = false;
    std::string flashVideoPath;
    int32_t videoWidth = 800;
    int32_t videoHeight = 600;
    ColorRef videoBackground = 0xFEFEFE;
    int32_t videoTime = 7500;
    std::string staticPath;
    int32_t staticTime = 2000;

    // An entry named `name` with the defaults (built in and using Flash when
    // the name is the built-in one, compared with case).
    static SplashEntry named(const std::string& name);
};

// Six hexadecimal digits, read as the pairs red, green, blue.
ColorRef ParseColor(const std::string& text);

// A decimal integer from the leading digits (after blanks and a sign); 0
// without digits; clamped to the 32-bit range.
int32_t ParseNumber(const std::string& text);

// The folder part of a module's file name, with its closing '/'; empty for an
// empty name.
std::string LibraryFolderFromPath(const std::string& moduleFileName);

// Reads one section's keys into the entry.
void ReadSplashEntry(const std::string& libraryFolder, SplashEntry& entry, const std::string& iniPath);

// The entry table from "Splash.ini" in the library folder; always holds the
// built-in entry.
std::vector<SplashEntry> LoadSplashEntries(const std::string& libraryFolder);

} // namespace pellucid
