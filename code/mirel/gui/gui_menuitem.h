#pragma once
// A menu entry type name for GUI scripts; it behaves exactly like a plain widget.

#include "mirel/gui/gui_widget.h"

#include <string>

namespace GUI {

class MenuItem : public Widget {
public:
    explicit MenuItem(const std::string& name) : Widget(name) {}
    ~MenuItem() override = default;
    std::string GetType() const override { return "MenuItem"; }
    bool IsKindOf(const std::string& type) const override { return type == "MenuItem"; }
};

} // namespace GUI
