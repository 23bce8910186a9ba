#pragma once
// A widget that writes every handler call into a shared journal as
// "name:Event" (mouse events add the button, key events "key/char"), and
// subscribers built from lambdas.

#include "mirel/gui/gui_widget.h"
#include "mirel/gui/gui_widgetfactory.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace guitest {

inline std::vector<std::string>& Journal() {
    static std::vector<std::string> journal;
    return journal;
}

class RecWidget : public GUI::Widget {
public:
    explicit RecWidget(const std::string& name) : Widget(name) {}
    std::string GetType() const override { return "RecWidget"; }
    bool AcceptsFocus() const override { return focusable; }
    void Initialize() override {
        Note("Initialize");
        Widget::Initialize();
    }

    void OnMouseEnter(GUI::MouseEventArgs& e) override { Note("MouseEnter"), Widget::OnMouseEnter(e); }
    void OnMouseLeave(GUI::MouseEventArgs& e) override { Note("MouseLeave"), Widget::OnMouseLeave(e); }
    void OnMouseMove(GUI::MouseEventArgs& e) override { Note("MouseMove"), Widget::OnMouseMove(e); }
    void OnMouseDown(GUI::MouseEventArgs& e) override {
        Note("MouseDown" + std::to_string(e.button));
        Widget::OnMouseDown(e);
    }
    void OnMouseUp(GUI::MouseEventArgs& e) override {
        Note("MouseUp" + std::to_string(e.button));
        Widget::OnMouseUp(e);
    }
    void OnMouseWheel(GUI::MouseEventArgs& e) override {
        Note("MouseWheel" + std::to_string(int(e.wheel)));
        Widget::OnMouseWheel(e);
    }
    void OnClick(GUI::MouseEventArgs& e) override { Note("Click"), Widget::OnClick(e); }
    void OnFocusGain(GUI::WidgetEventArgs& e) override { Note("FocusGain"), Widget::OnFocusGain(e); }
    void OnFocusLost(GUI::WidgetEventArgs& e) override { Note("FocusLost"), Widget::OnFocusLost(e); }
    void OnKeyDown(GUI::KeybEventArgs& e) override {
        Note("KeyDown" + std::to_string(e.key) + "/" + std::to_string(int(e.character)));
        Widget::OnKeyDown(e);
    }
    void OnKeyUp(GUI::KeybEventArgs& e) override {
        Note("KeyUp" + std::to_string(e.key));
        Widget::OnKeyUp(e);
    }

    static void Register() {
        GUI::WidgetFactory::Instance().Register("recwidget", &GUI::WidgetFactory::Create<RecWidget>);
    }

    bool focusable = false;

private:
    void Note(const std::string& what) { Journal().push_back(m_name + ":" + what); }
};

class FnSubscriber : public GUI::SubscriberInterface {
public:
    explicit FnSubscriber(std::function<bool(const GUI::EventArgs&)> fn) : m_fn(std::move(fn)) {}
    bool Invoke(const GUI::EventArgs& args) override { return m_fn(args); }

private:
    std::function<bool(const GUI::EventArgs&)> m_fn;
};

inline void OnEvent(GUI::Widget* widget, const std::string& event,
                    std::function<bool(const GUI::EventArgs&)> fn) {
    widget->SubscribeEvent(event, std::make_unique<FnSubscriber>(std::move(fn)));
}

} // namespace guitest
