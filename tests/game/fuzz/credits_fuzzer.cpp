// The credits file over arbitrary bytes, read as the credits file and as its
// locale texts at once (the two dialects share their key lines), then the
// roll run for some seconds: it must neither crash nor stall a frame.

#include "game/credits/CreditsRoll.h"

#include "mirel/file/a_fileserver.h"
#include "mirel/locale/a_localeserver.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/mirel-credits-fuzz-" + std::to_string(getpid()) + ".ini";
    static aFileServer* server = [] {
        aFileServerSources s;
        s.useSystem = false;
        s.exePath = "/tmp/mirel-fuzz/prog";
        return new aFileServer(s);
    }();
    (void)server;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    aLocaleServer locale;
    locale.parseBuffer(path, reinterpret_cast<const char*>(data), size);
    CreditsRoll roll(&locale);
    roll.Load(nullptr, "credits", path);
    for (int i = 0; i < 300; ++i)
        roll.Update(i % 7 == 0 ? 0.2f : 0.05f);
    roll.Start();
    roll.Update(0.05f);
    return 0;
}
