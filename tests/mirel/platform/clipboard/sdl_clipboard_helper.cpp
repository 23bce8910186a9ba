// Opens a real window under a virtual X server and writes and reads the
// desktop clipboard: exit code 0 when all is well, else the failed check.

#include "mirel/platform/window/a_clipboard.h"
#include "mirel/platform/window/a_platform_window.h"
#include "mirel/platform/window/sdl/a_sdl_clipboard.h"

#include <cstdio>

static int fail(int code, const char* what) {
    std::fprintf(stderr, "clipboard helper: %s\n", what);
    return code;
}

int main() {
    aWindowDesc desc;
    desc.title = "Clipboard test";
    desc.vsync = false;
    std::unique_ptr<aPlatformWindow> window = a_createPlatformWindow(desc);
    if (!window || window->isHeadless())
        return fail(2, "no SDL window");
    aClipboard& clipboard = a_clipboard();
    if (&clipboard != &a_sdlClipboard())
        return fail(3, "not the SDL clipboard");
    const std::u16string text = u"Caf\u00e9 \u0416 \U0001F600";
    if (!clipboard.setUnicodeText(text))
        return fail(4, "write");
    if (a_readClipboardText(clipboard) != text)
        return fail(5, "read back");
    if (window->getClipboardText() != "Caf\xc3\xa9 \xd0\x96 \xf0\x9f\x98\x80")
        return fail(6, "UTF-8 form");
    window.reset();
    if (&a_clipboard() == &a_sdlClipboard())
        return fail(7, "clipboard after the window closed");
    return 0;
}

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus\nleak:libX11\nleak:libxcb\nleak:libSDL2\nleak:libubsan\n";
}
