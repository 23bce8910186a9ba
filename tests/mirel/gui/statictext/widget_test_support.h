#pragma once
// Shared by the widget tests: the widget types registered with the factory,
// a fixed-metric font and a script that loads it.

#include "support/gui_harness.h"
#include "support/log_capture.h"

#include "mirel/gui/gui_imagebutton.h"
#include "mirel/gui/gui_scrollbar.h"
#include "mirel/gui/gui_slider.h"
#include "mirel/gui/gui_staticimage.h"
#include "mirel/gui/gui_statictext.h"

#include <cstdio>
#include <string>

namespace guitest {

inline void RegisterWidgetTypes() {
    auto& f = GUI::WidgetFactory::Instance();
    f.Register("imagebutton", &GUI::WidgetFactory::Create<GUI::ImageButton>);
    f.Register("scrollbar", &GUI::WidgetFactory::Create<GUI::Scrollbar>);
    f.Register("slider", &GUI::WidgetFactory::Create<GUI::Slider>);
    f.Register("staticimage", &GUI::WidgetFactory::Create<GUI::StaticImage>);
    f.Register("statictext", &GUI::WidgetFactory::Create<GUI::StaticText>);
}

// Letters a-z 10 x 10 with offsets 0, "W" 20 x 10, blank 5 wide, "j" with a
// left offset of 2 and a right offset of 3. All glyphs are solid white.
// Returns the "fontlist" section naming the font "fixed".
inline std::string FixedFontSection(GuiHarness& h) {
    h.WriteFile("atlas.png", content::writePng(content::Picture(32, 16, 0xFFFFFFFF)));
    std::string list = "[General]\nFormat16 = 4444\nFormat32 = 8888\nTexture = atlas.png\nCharSpacing = 0\n"
                       "[Charlist]\n20 = 0 0 5 10 0 0\n57 = 0 0 20 10 0 0\n";
    for (char c = 'a'; c <= 'z'; ++c) {
        char line[64];
        std::snprintf(line, sizeof line, "%X = 0 0 10 10 %s\n", unsigned(c), c == 'j' ? "2 3" : "0 0");
        list += line;
    }
    const std::string path = h.WriteFile("fixed.fnt", list);
    return "fontlist\n{\n fixed " + path + "\n}\n";
}

} // namespace guitest
