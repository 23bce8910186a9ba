#pragma once
// The system clipboard, for text. Text is offered as UTF-16 ("Unicode
// text") or, by programs that know nothing else, only as 8-bit text in the
// Windows-1251 code page. Writing always stores UTF-16 text.
//
// Backends: the desktop's clipboard over SDL2 while an SDL window is open,
// and an in-process clipboard otherwise (headless runs and tests).

#include <string>
#include <string_view>

class aClipboard {
public:
    virtual ~aClipboard() = default;

    // Replaces the whole content with the text. False when the clipboard
    // could not be written (the content is then unchanged).
    virtual bool setUnicodeText(std::u16string_view text) = 0;
    // The content as UTF-16 text, when it is offered in that form.
    virtual bool getUnicodeText(std::u16string& text) const = 0;
    // The content as 8-bit text, when it is offered only in that form.
    virtual bool getAnsiText(std::string& text) const = 0;
};

// The clipboard text as UTF-16: the Unicode text when offered, else the
// 8-bit text converted from Windows-1251, else empty. Text ends at its
// first zero character, as the clipboard's zero-terminated formats do.
std::u16string a_readClipboardText(const aClipboard& clipboard);

// The clipboard in use: the one a test set, else the SDL one while the
// current platform window is an SDL window, else the in-process one.
aClipboard& a_clipboard();

// Replaces the clipboard in use (tests); null goes back to the default.
void a_setClipboard(aClipboard* clipboard);
