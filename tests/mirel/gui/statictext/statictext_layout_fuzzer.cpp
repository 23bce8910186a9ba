// Lays out arbitrary text at arbitrary widths and formattings: the layout
// must end, never make more lines than characters, and keep every
// non-blank character exactly once.

#include "mirel/gfx/a_font.h"
#include "mirel/gui/gui_statictext.h"
#include "support/fuzz_scratch.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

aFont* FuzzFont() {
    static const FuzzScratch scratch("mirel-statictext-fuzz");
    static aFont* font = [] {
        const std::string path = scratch.path("statictext_fuzz.fnt");
        std::ofstream out(path);
        out << "[General]\nFormat16 = 4444\nFormat32 = 8888\nTexture = none.png\nCharSpacing = "
               "0\n[Charlist]\n"
            << "20 = 0 0 4 10 0 0\n9 = 0 0 0 10 0 0\n41 = 0 0 10 10 1 2\n42 = 0 0 30 10 -3 0\n"
            << "61 = 0 0 7 10 0 0\n";
        out.close();
        return new aFont(path);
    }();
    return font;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3)
        return 0;
    static const char* const horz[] = {"left", "center", "right", "width"};
    GUI::StaticText text("fuzz");
    text.SetFont(FuzzFont());
    text.SetFontSize(float(data[2] % 4) * 0.5f);
    text.BeginFillProperties();
    text.Set("AreaRect", "0 0 " + std::to_string(int(data[0]) - 16) + " 50");
    text.Set("WordWrap", (data[1] & 1) ? "1" : "0");
    text.Set("HorzFormatting", horz[(data[1] >> 1) & 3]);
    text.EndFillProperties();

    std::u16string s;
    for (size_t i = 3; i + 1 < size; i += 2) {
        // Map into a small alphabet so that blanks, breaks and glyphs meet often.
        static const char16_t alphabet[] = u" \t\r\nABa\u00e9";
        const uint16_t v = uint16_t(data[i] | data[i + 1] << 8);
        s.push_back(v < 0xF000 ? alphabet[v % 9] : char16_t(v));
    }
    text.SetText(s);

    size_t kept = 0, expected = 0;
    for (char16_t c : s)
        expected += (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n') ? 1 : 0;
    const auto& lines = text.GetLayout();
    if (lines.size() > s.size() + 1)
        __builtin_trap();
    for (const auto& line : lines)
        for (const auto& word : line.words)
            kept += word.text.size();
    if (kept != expected)
        __builtin_trap();
    text.GetTextHeight();
    return 0;
}
