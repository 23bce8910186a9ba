// Script property values from untrusted data: each line "name value" is set
// on a widget and applied, and the text is read as a hotkey.

#include "mirel/gui/gui_keys.h"
#include "mirel/gui/gui_widget.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    uint32_t key = 0, modifiers = 0;
    GUI::ParseHotkey(text, key, modifiers);
    GUI::KeyToChar(key, modifiers);

    static const char* names[] = {"AreaRect",
                                  "Visible",
                                  "Enabled",
                                  "Static",
                                  "AutoRepeatRate",
                                  "FadeInTime",
                                  "FadeOutTime",
                                  "FontSize",
                                  "Text",
                                  "Alpha",
                                  "AlwaysOnTop",
                                  "MultiClickTime",
                                  "HorizontalAlign",
                                  "VerticalAlign",
                                  "Modal",
                                  "ClipByParent",
                                  "Tag",
                                  "Hotkey"};
    GUI::Widget parent("parent");
    GUI::Widget w("w");
    parent.AddChild(&w);
    w.BeginFillProperties();
    size_t start = 0, index = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        w.Set(names[index++ % (sizeof(names) / sizeof(names[0]))], text.substr(start, end - start));
        start = end + 1;
    }
    w.EndFillProperties();
    w.Update(0.016f);
    w.GetAbsoluteX();
    w.IsPointInside(w.GetWidth() / 2, w.GetHeight() / 2);
    parent.FindWidgetAt(0, 0, true, true);
    parent.HandleHotkey(key, modifiers);
    return 0;
}
