#pragma once
// Shared by the list box, option button and menu tests: the widget types
// registered with the factory, a fixed-metric font, clicks through the
// server's input, and an event counter.

#include "support/gui_fakes.h"
#include "support/gui_harness.h"
#include "support/log_capture.h"

#include "mirel/gui/gui_listbox.h"
#include "mirel/gui/gui_menu.h"
#include "mirel/gui/gui_menuitem.h"
#include "mirel/gui/gui_optionbutton.h"
#include "mirel/gui/gui_scrollbar.h"
#include "mirel/gui/gui_shape.h"

#include <cstdio>
#include <string>
#include <vector>

namespace w3test {

using guitest::GuiHarness;

constexpr uint8_t kLShift = 42;
constexpr uint8_t kLCtrl = 29;

inline void RegisterTypes() {
    auto& f = GUI::WidgetFactory::Instance();
    f.Register("listbox", &GUI::WidgetFactory::Create<GUI::Listbox>);
    f.Register("mainmenu", &GUI::WidgetFactory::Create<GUI::MainMenu>);
    f.Register("menuitem", &GUI::WidgetFactory::Create<GUI::MenuItem>);
    f.Register("optionbutton", &GUI::WidgetFactory::Create<GUI::OptionButton>);
    f.Register("popupmenu", &GUI::WidgetFactory::Create<GUI::PopupMenu>);
    f.Register("scrollbar", &GUI::WidgetFactory::Create<GUI::Scrollbar>);
    f.Register("shape", &GUI::WidgetFactory::Create<GUI::Shape>);
}

// Letters a-z, each a solid white glyph 10 x 10. Returns the "fontlist"
// section naming the font "fixed".
inline std::string FontSection(GuiHarness& h) {
    h.WriteFile("atlas.png", content::writePng(content::Picture(16, 16, 0xFFFFFFFF)));
    std::string list = "[General]\nFormat16 = 4444\nFormat32 = 8888\nTexture = atlas.png\nCharSpacing = 0\n"
                       "[Charlist]\n";
    for (char c = 'a'; c <= 'z'; ++c) {
        char line[64];
        std::snprintf(line, sizeof line, "%X = 0 0 10 10 0 0\n", unsigned(c));
        list += line;
    }
    return "fontlist\n{\n fixed " + h.WriteFile("fixed.fnt", list) + "\n}\n";
}

// A left click at a screen point with the given keys held, one frame down
// and one frame up.
inline void Click(GuiHarness& h, int x, int y, std::initializer_list<uint8_t> keys = {}) {
    for (uint8_t k : keys)
        h.SetKey(k, true);
    h.SetCursor(x, y);
    h.Frame();
    h.SetButton(0, true);
    h.Frame();
    h.SetButton(0, false);
    h.Frame();
    for (uint8_t k : keys)
        h.SetKey(k, false);
    h.Frame();
}

using Counter = guitest::EventCounter;

} // namespace w3test
