// The credits file over arbitrary bytes, read as the credits file and as its
// locale texts at once (the two dialects share their key lines), then the
// roll run for some seconds: it must neither crash nor stall a frame.

#include "game/credits/credits_roll.h"

#include "mirel/file/a_fileserver.h"
#include "mirel/locale/a_localeserver.h"

#include "support/fuzz_files.h"

#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const FuzzFolder folder("credits");
    const std::string path = folder.path("credits.ini");
    folder.write("credits.ini", std::string_view(reinterpret_cast<const char*>(data), size));

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
