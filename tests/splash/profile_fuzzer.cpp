// Arbitrary bytes as the splash library's settings file: parsed, and read as
// "Splash.ini" into the entry table.
#include "splash_entry.h"
#include "splash_log.h"
#include "splash_profile.h"
#include "support/fuzz_scratch.h"

#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const FuzzScratch scratch("pellucid-profile-fuzz");
    static const std::string folder = [] {
        pellucid::setSplashLogSink([](const char*, void*) {}, nullptr);
        return scratch.folder();
    }();
    const std::string text(reinterpret_cast<const char*>(data), size);
    pellucid::ProfileFile profile;
    profile.parse(text);
    bool truncated = false, found = false;
    for (const std::string& name : profile.sectionNames(256, truncated))
        profile.value(name, "StaticPath", 1024, found);
    if (FILE* f = std::fopen((folder + "Splash.ini").c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    if (pellucid::LoadSplashEntries(folder).size() > 10)
        __builtin_trap();
    return 0;
}
