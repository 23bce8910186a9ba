#pragma once
// Small stand-ins for widget tests: a widget host that keeps the focus the
// way the GUI server does, and a subscriber that counts an event's launches.

#include "mirel/gui/gui_event.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/gui/gui_widgethost.h"

#include <string>
#include <utility>
#include <vector>

class aGraphServer;

namespace guitest {

class FakeWidgetHost : public GUI::WidgetHost {
public:
    // Refuses widgets that do not accept focus; the old focus widget is told
    // first, then the new one.
    void SetFocus(GUI::Widget* widget) override {
        if (widget && !widget->AcceptsFocus())
            return;
        GUI::WidgetEventArgs e;
        if (focus) {
            e.widget = focus;
            focus->OnFocusLost(e);
        }
        focus = widget;
        if (focus) {
            e.widget = focus;
            focus->OnFocusGain(e);
        }
    }
    void SetMouseCursor(const std::string&) override {}
    void ForgetWidget(GUI::Widget* widget) override {
        if (focus == widget)
            focus = nullptr;
    }
    aFont* GetFont(const std::string&) override { return nullptr; }
    GUI::Region* GetRegion(const std::string&) override { return nullptr; }
    aSound* NewSound(const std::string&) override { return nullptr; }
    void DeleteSound(aSound*) override {}
    aGraphServer* GetGraphServer() override { return graph; }

    GUI::Widget* focus = nullptr;
    aGraphServer* graph = nullptr;
};

// Counts launches, keeps the widget of the last one, notes its name in a
// shared list when given one, and answers `handled`.
struct EventCounter : GUI::SubscriberInterface {
    explicit EventCounter(std::string name_ = "", std::vector<std::string>* order_ = nullptr,
                          bool handled_ = false)
        : name(std::move(name_)), order(order_), handled(handled_) {}
    bool Invoke(const GUI::EventArgs& e) override {
        ++count;
        if (const auto* w = dynamic_cast<const GUI::WidgetEventArgs*>(&e))
            widget = w->widget;
        if (order)
            order->push_back(name);
        return handled;
    }
    int count = 0;
    GUI::Widget* widget = nullptr;
    std::string name;
    std::vector<std::string>* order;
    bool handled;
};

} // namespace guitest
