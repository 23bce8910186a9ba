#pragma once
// A fake GUI server for widget tests: it records what widgets ask of it and
// owns a small headless graphics server whose viewport is the clip rectangle.

#include "mirel/gfx/a_graphserver.h"
#include "mirel/gui/gui_region.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/gui/gui_widgethost.h"
#include "mirel/sound/a_sound.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace widgettest {

class FakeHost : public GUI::WidgetHost {
public:
    void SetFocus(GUI::Widget* widget) override {
        if (!widget || widget->AcceptsFocus())
            focus = widget;
        focusRequests.push_back(widget);
    }
    void SetMouseCursor(const std::string& name) override { cursors.push_back(name); }
    void ForgetWidget(GUI::Widget* widget) override {
        forgotten.push_back(widget);
        if (focus == widget)
            focus = nullptr;
    }
    aFont* GetFont(const std::string& name) override {
        auto it = fonts.find(name);
        return it != fonts.end() ? it->second : nullptr;
    }
    GUI::Region* GetRegion(const std::string& name) override {
        auto it = regions.find(name);
        return it != regions.end() ? it->second.get() : nullptr;
    }
    aSound* NewSound(const std::string& name) override {
        aSound* s = new aSound(name, 1.0f);
        liveSounds.push_back(s);
        return s;
    }
    void DeleteSound(aSound* sound) override {
        auto it = std::find(liveSounds.begin(), liveSounds.end(), sound);
        ASSERT_NE(it, liveSounds.end()) << "a sound handed back twice or never given";
        liveSounds.erase(it);
        delete sound;
    }
    aGraphServer* GetGraphServer() override { return graph; }

    GUI::Widget* focus = nullptr;
    std::vector<GUI::Widget*> focusRequests;
    std::vector<std::string> cursors;
    std::vector<GUI::Widget*> forgotten;
    std::map<std::string, aFont*> fonts;
    std::map<std::string, std::unique_ptr<GUI::Region>> regions;
    std::vector<aSound*> liveSounds;
    aGraphServer* graph = nullptr;
};

// A widget that writes what it draws into a shared journal and notes the
// clip rectangle it was drawn with.
struct Journal {
    std::vector<std::string> lines;
};

class Recorder : public GUI::Widget {
public:
    Recorder(const std::string& name, Journal* journal = nullptr) : Widget(name), m_journal(journal) {}
    std::string GetType() const override { return "Recorder"; }
    void Draw() override {
        aGraphServer* graph = GUI::GetWidgetHost() ? GUI::GetWidgetHost()->GetGraphServer() : nullptr;
        if (fill && graph)
            graph->getDevice()->clear(A_CLEAR_TARGET, fill); // the device clips it to the viewport
        if (!m_journal)
            return;
        std::string line = GetName();
        if (aGraphServer* g = GUI::GetWidgetHost() ? GUI::GetWidgetHost()->GetGraphServer() : nullptr) {
            aRect v = g->getViewport();
            line += " " + std::to_string(v.x) + "," + std::to_string(v.y) + "," + std::to_string(v.width) +
                    "," + std::to_string(v.height);
        }
        m_journal->lines.push_back(line);
    }
    void SetLimits(int16_t minW, int16_t maxW, int16_t minH, int16_t maxH) {
        m_minWidth = minW;
        m_maxWidth = maxW;
        m_minHeight = minH;
        m_maxHeight = maxH;
    }

    uint32_t fill = 0; // a colour the widget clears its clip rectangle to

private:
    Journal* m_journal;
};

// Counts the events a widget raises, in order.
class EventLog {
public:
    void Watch(GUI::Widget& w, std::initializer_list<const char*> names) {
        for (const char* name : names) {
            auto binder = std::make_unique<Binder>(this, std::string(name));
            m_connections.emplace_back(w.SubscribeEvent(name, binder.get()));
            m_binders.push_back(std::move(binder));
        }
    }
    std::vector<std::string> events;
    std::string Joined() const {
        std::string s;
        for (const auto& e : events)
            s += (s.empty() ? "" : " ") + e;
        return s;
    }

private:
    struct Binder : GUI::SubscriberInterface {
        Binder(EventLog* log, std::string name) : log(log), name(std::move(name)) {}
        bool Invoke(const GUI::EventArgs&) override {
            log->events.push_back(name);
            return true;
        }
        EventLog* log;
        std::string name;
    };
    std::vector<std::unique_ptr<Binder>> m_binders;
    std::vector<GUI::ScopedConnection> m_connections;
};

// Sets the properties like a script section does.
inline void Fill(GUI::Widget& w, std::initializer_list<std::pair<const char*, const char*>> values) {
    w.BeginFillProperties();
    for (const auto& [name, value] : values)
        w.Set(name, value);
    w.EndFillProperties();
}

class WidgetFixture : public testing::Test {
protected:
    void SetUp() override {
        setenv("MIREL_HEADLESS", "1", 1);
        GUI::SetWidgetHost(&host);
    }
    void TearDown() override {
        GUI::SetWidgetHost(nullptr);
        if (graph)
            graph.reset();
    }
    void StartGraph(uint16_t w = 64, uint16_t h = 64) {
        graph = std::make_unique<aGraphServer>(w, h, false, true, "widgets", 0, false);
        host.graph = graph.get();
    }

    FakeHost host;
    std::unique_ptr<aGraphServer> graph;
};

inline GUI::MouseEventArgs Mouse(GUI::Widget* w, uint32_t button, int32_t x = 0, int32_t y = 0) {
    GUI::MouseEventArgs e;
    e.widget = w;
    e.button = button;
    e.x = x;
    e.y = y;
    return e;
}

} // namespace widgettest
