// The splash settings and the title's signature file over arbitrary bytes:
// the splash sequence is read and run to its end (or for a bounded time),
// and the signature's strokes are read.

#include "game/splash_manager.h"
#include "game/title_screen.h"

#include "mirel/file/a_fileserver.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/mirel-title-fuzz-" + std::to_string(getpid()) + ".ini";
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

    SplashManager splash(path);
    splash.Start(true);
    for (int i = 0; i < 200 && splash.Update(0.25f); ++i)
        splash.Draw();
    splash.Start(false);

    const std::vector<aRect> strokes = TitleScreen::ReadSignature(path);
    (void)strokes;
    return 0;
}
