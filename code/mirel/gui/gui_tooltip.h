#pragma once
// A plain widget under a type name of its own, for scripts that place tips.

#include "mirel/gui/gui_widget.h"

#include <string>

namespace GUI {

class Tooltip : public Widget {
public:
    explicit Tooltip(const std::string& name) : Widget(name) {}
    ~Tooltip() override = default;

    std::string GetType() const override { return "Tooltip"; }
    bool IsKindOf(const std::string& type) const override { return type == "Tooltip"; }
};

} // namespace GUI
