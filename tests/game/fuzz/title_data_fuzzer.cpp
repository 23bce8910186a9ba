// The splash settings and the title's signature file over arbitrary bytes:
// the splash sequence is read and run to its end (or for a bounded time),
// and the signature's strokes are read.

#include "game/screens/splash_manager.h"
#include "game/screens/title_screen.h"

#include "mirel/file/a_fileserver.h"

#include "support/fuzz_files.h"

#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const FuzzFolder folder("title");
    const std::string path = folder.path("title.ini");
    folder.write("title.ini", std::string_view(reinterpret_cast<const char*>(data), size));

    SplashManager splash(path);
    splash.Start(true);
    for (int i = 0; i < 200 && splash.Update(0.25f); ++i)
        splash.Draw();
    splash.Start(false);

    const std::vector<aRect> strokes = TitleScreen::ReadSignature(path);
    (void)strokes;
    return 0;
}
