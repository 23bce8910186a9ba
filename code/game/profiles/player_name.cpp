#include "game/profiles/player_name.h"

#include "mirel/base/a_format.h"
#include "mirel/base/a_utf.h"
#include "mirel/gfx/a_font.h"
#include "mirel/gui/gui_statictext.h"

#include <algorithm>

namespace {

constexpr char16_t kUnbreakableBlank = u'\u00a0';
constexpr char16_t kUnassigned = u'\ufffd';

// The static text's lines at its current size: one, no wider than the widget.
bool fitsOneLine(GUI::StaticText& text) {
    return text.GetLayout().size() <= 1 && text.GetTextWidth() <= float(text.GetWidth());
}

} // namespace

std::string NameForLog(const std::string& name) {
    std::string out;
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        const std::u16string shown =
            byte < 0x80 ? std::u16string(1, char16_t(byte)) : ansiToWide(std::string(1, c));
        if (byte < 0x20 || byte == 0x7F || shown[0] == kUnassigned)
            out += a_format("\\x%02x", {uint32_t(byte)});
        else if (c == '\\')
            out += "\\\\";
        else
            out += wideToUtf8(shown);
    }
    return out;
}

std::u16string NameKeptWhole(const std::string& name, const aFont* font) {
    std::u16string text = ansiToWide(name);
    if (font && font->hasGlyph(kUnbreakableBlank)) {
        for (char16_t& c : text) {
            if (c == u' ')
                c = kUnbreakableBlank;
        }
    }
    return text;
}

void ShowOnOneLine(GUI::Widget* line, const std::u16string& text, float fontSize) {
    if (!line)
        return;
    line->SetFontSize(fontSize);
    line->SetText(text);
    auto* shown = dynamic_cast<GUI::StaticText*>(line);
    const float full = line->GetFontSize();
    if (!shown || !line->GetFont() || full <= 0.0f || fitsOneLine(*shown))
        return;
    // The width shrinks with the size; a few steps settle the rounding of
    // the line's layout.
    aFont* font = line->GetFont();
    float width = 0.0f, height = 0.0f;
    font->setSize(full);
    font->getTextExtentW(text, width, height);
    float size = full * float(line->GetWidth()) / std::max(width, 1.0f);
    for (int step = 0; step < 8; ++step) {
        line->SetFontSize(size);
        if (fitsOneLine(*shown))
            return;
        size *= 0.97f;
    }
}
