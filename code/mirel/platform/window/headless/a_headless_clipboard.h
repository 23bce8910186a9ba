#pragma once
// The in-process clipboard: what was last written stays until the next
// write. Tests may also offer 8-bit text alone, as another program would.

#include "mirel/platform/window/a_clipboard.h"

class aHeadlessClipboard : public aClipboard {
public:
    bool setUnicodeText(std::u16string_view text) override;
    bool getUnicodeText(std::u16string& text) const override;
    bool getAnsiText(std::string& text) const override;

    // Offers 8-bit text only (no Unicode form).
    void setAnsiText(std::string_view text);
    // Empties the clipboard.
    void clear();

    // The clipboard used when no SDL window is open.
    static aHeadlessClipboard& processClipboard();

private:
    enum class Content { None, Unicode, Ansi };
    Content m_content = Content::None;
    std::u16string m_unicode;
    std::string m_ansi;
};
