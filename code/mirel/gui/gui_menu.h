#pragma once
// Menu type names for GUI scripts: a main menu and a popup menu, both kinds
// of menu base. They group widgets and behave exactly like plain widgets.

#include "mirel/gui/gui_widget.h"

#include <string>

namespace GUI {

class MenuBase : public Widget {
public:
    explicit MenuBase(const std::string& name) : Widget(name) {}
    ~MenuBase() override = default;
    std::string GetType() const override { return "MenuBase"; }
    bool IsKindOf(const std::string& type) const override { return type == "MenuBase"; }
};

class MainMenu : public MenuBase {
public:
    explicit MainMenu(const std::string& name) : MenuBase(name) {}
    ~MainMenu() override = default;
    std::string GetType() const override { return "MainMenu"; }
    bool IsKindOf(const std::string& type) const override {
        return type == "MainMenu" || MenuBase::IsKindOf(type);
    }
};

class PopupMenu : public MenuBase {
public:
    explicit PopupMenu(const std::string& name) : MenuBase(name) {}
    ~PopupMenu() override = default;
    std::string GetType() const override { return "PopupMenu"; }
    bool IsKindOf(const std::string& type) const override {
        return type == "PopupMenu" || MenuBase::IsKindOf(type);
    }
};

} // namespace GUI
