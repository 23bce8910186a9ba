#include "mirel/platform/window/sdl/a_sdl_clipboard.h"

#include "mirel/base/a_log.h"
#include "mirel/base/a_utf.h"

#include <SDL.h>

namespace {

bool videoRunning() {
    return SDL_WasInit(SDL_INIT_VIDEO) != 0;
}

// The clipboard's bytes; false when there is no text.
bool readBytes(std::string& bytes) {
    if (!videoRunning() || SDL_HasClipboardText() != SDL_TRUE)
        return false;
    char* text = SDL_GetClipboardText();
    if (!text)
        return false;
    bytes = text;
    SDL_free(text);
    return !bytes.empty();
}

class aSdlClipboard : public aClipboard {
public:
    bool setUnicodeText(std::u16string_view text) override {
        if (!videoRunning()) {
            a_log("aClipboard::setUnicodeText - no video subsystem");
            return false;
        }
        // SDL takes a zero-terminated string: the text ends at its first zero.
        const std::u16string_view shown = text.substr(0, text.find(u'\0'));
        if (SDL_SetClipboardText(wideToUtf8(shown).c_str()) != 0) {
            a_log("aClipboard::setUnicodeText - failed (%s)", SDL_GetError());
            return false;
        }
        return true;
    }

    bool getUnicodeText(std::u16string& text) const override {
        std::string bytes, ansi;
        std::u16string unicode;
        if (!readBytes(bytes) || !a_splitClipboardBytes(bytes, unicode, ansi))
            return false;
        text = std::move(unicode);
        return true;
    }

    bool getAnsiText(std::string& text) const override {
        std::string bytes, ansi;
        std::u16string unicode;
        if (!readBytes(bytes) || a_splitClipboardBytes(bytes, unicode, ansi))
            return false;
        text = std::move(ansi);
        return true;
    }
};

} // namespace

bool a_splitClipboardBytes(std::string_view bytes, std::u16string& unicode, std::string& ansi) {
    std::u16string decoded = utf8ToWide(bytes);
    // Decoding replaces every malformed sequence, so only well-formed text
    // encodes back to the same bytes.
    if (wideToUtf8(decoded) == bytes) {
        unicode = std::move(decoded);
        return true;
    }
    ansi.assign(bytes);
    return false;
}

aClipboard& a_sdlClipboard() {
    static aSdlClipboard clipboard;
    return clipboard;
}
