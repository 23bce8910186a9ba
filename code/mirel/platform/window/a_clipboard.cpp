#include "mirel/platform/window/a_clipboard.h"

#include "mirel/base/a_utf.h"
#include "mirel/platform/window/a_platform_window.h"
#include "mirel/platform/window/headless/a_headless_clipboard.h"
#include "mirel/platform/window/sdl/a_sdl_clipboard.h"

namespace {

aClipboard* g_clipboard = nullptr;

} // namespace

std::u16string a_readClipboardText(const aClipboard& clipboard) {
    std::u16string text;
    if (!clipboard.getUnicodeText(text)) {
        std::string ansi;
        if (!clipboard.getAnsiText(ansi))
            return std::u16string();
        text = ansiToWide(std::string_view(ansi).substr(0, ansi.find('\0')));
    }
    const size_t end = text.find(u'\0');
    if (end != std::u16string::npos)
        text.resize(end);
    return text;
}

aClipboard& a_clipboard() {
    if (g_clipboard)
        return *g_clipboard;
    const aPlatformWindow* window = a_currentPlatformWindow();
    if (window && !window->isHeadless())
        return a_sdlClipboard();
    return aHeadlessClipboard::processClipboard();
}

void a_setClipboard(aClipboard* clipboard) {
    g_clipboard = clipboard;
}
