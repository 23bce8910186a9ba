#pragma once
// Solid-colour styles for the style-drawn widgets' tests: each style fills
// the whole rectangle with its image's colour.

#include "support/gui_harness.h"

#include "mirel/gui/gui_stylebutton.h"
#include "mirel/gui/gui_window.h"

#include <string>

namespace guitest {

inline void RegisterStyledTypes() {
    auto& f = GUI::WidgetFactory::Instance();
    f.Register("stylebutton", &GUI::WidgetFactory::Create<GUI::StyleButton>);
    f.Register("window", &GUI::WidgetFactory::Create<GUI::Window>);
}

// A style named `name` over a 3 x 3 picture of one colour.
inline std::string SolidStyle(GuiHarness& h, const std::string& name, uint32_t argb) {
    h.AddImage(name + "_img", content::Picture(3, 3, argb));
    return "style " + name + "\n{\n Image " + name +
           "_img\n AutoSlice all\n EdgeGlobal stretch\n FillType stretch\n}\n";
}

} // namespace guitest
