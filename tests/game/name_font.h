#pragma once
// A font for the tests of players' names, named "fixed": every printable
// ASCII character 10 x 10 ("W" 20 wide), the blank and the unbreakable blank
// 5 wide, and of the rest only « » – € (which the profiles file's code page
// stores) and é (which it cannot). Returns its "fontlist" section.

#include "support/gui_harness.h"

#include <cstdio>
#include <string>

namespace gametest {

inline std::string NameFontSection(guitest::GuiHarness& h) {
    h.WriteFile("names.png", content::writePng(content::Picture(32, 16, 0xFFFFFFFF)));
    std::string list = "[General]\nFormat16 = 4444\nFormat32 = 8888\nTexture = names.png\nCharSpacing = 0\n"
                       "[Charlist]\n20 = 0 0 5 10 0 0\nA0 = 0 0 5 10 0 0\n";
    for (unsigned c : {0xABu, 0xBBu, 0x2013u, 0x20ACu, 0xE9u}) {
        char line[64];
        std::snprintf(line, sizeof line, "%X = 0 0 10 10 0 0\n", c);
        list += line;
    }
    for (unsigned c = 0x21; c < 0x7F; ++c) {
        char line[64];
        std::snprintf(line, sizeof line, "%X = 0 0 %d 10 0 0\n", c, c == 'W' ? 20 : 10);
        list += line;
    }
    return "fontlist\n{\n fixed " + h.WriteFile("names.fnt", list) + "\n}\n";
}

} // namespace gametest
