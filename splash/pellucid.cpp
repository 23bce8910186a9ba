// The library's one export.
#include "splash_entry.h"
#include "splash_sequence.h"

#include <cstdlib>
#include <dlfcn.h>
#include <string>

namespace {

std::string libraryFolder();

} // namespace

extern "C" __attribute__((visibility("default"))) int ShowSplash(unsigned long host) {
    pellucid::SplashOptions options;
    try {
        options.libraryFolder = libraryFolder();
    } catch (...) {
        return pellucid::kSplashFailed;
    }
    return pellucid::RunSplashSequence(host, options);
}

namespace {

// The folder of the file this code was loaded from.
std::string libraryFolder() {
    Dl_info info;
    if (!dladdr(reinterpret_cast<void*>(&ShowSplash), &info) || !info.dli_fname || !*info.dli_fname)
        return {};
    std::string name = info.dli_fname;
    if (char* real = ::realpath(info.dli_fname, nullptr)) {
        name = real;
        std::free(real);
    }
    return pellucid::LibraryFolderFromPath(name);
}

} // namespace
