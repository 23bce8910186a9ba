#pragma once
// Widgets without a GUI server: a host that keeps the focus the way the
// server does and draws on a small headless graphics server, helpers to fill
// properties and to hand widgets mouse presses, and an event counter.

#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/gui/gui_widgethost.h"
#include "support/gui_fakes.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace w3test {

using Host = guitest::FakeWidgetHost;

class WidgetTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("MIREL_HEADLESS", "1", 1);
        m_graph = std::make_unique<aGraphServer>(160, 120, false, true, "widgets", 0, false);
        aImage::setGraphServer(m_graph.get());
        m_host.graph = m_graph.get();
        GUI::SetWidgetHost(&m_host);
        // A frame sets the device's blending up the way the game draws.
        ASSERT_TRUE(m_graph->beginScene());
        clearTo(0xFF000000u);
    }
    void TearDown() override {
        if (m_graph->isInScene())
            m_graph->endScene();
        GUI::SetWidgetHost(nullptr);
        aImage::setGraphServer(nullptr);
        m_graph.reset();
    }

    static void fill(GUI::Widget& widget, std::initializer_list<std::pair<const char*, const char*>> values) {
        widget.BeginFillProperties();
        for (const auto& v : values)
            widget.Set(v.first, v.second);
        widget.EndFillProperties();
    }
    // A press and release of a mouse button at a widget-relative point.
    static void click(GUI::Widget& widget, int x, int y, uint32_t modifiers = 0, uint32_t button = 0) {
        GUI::MouseEventArgs e;
        e.widget = &widget;
        e.x = x;
        e.y = y;
        e.button = button;
        e.modifiers = modifiers;
        widget.OnMouseDown(e);
        GUI::MouseEventArgs up = e;
        up.handled = false;
        widget.OnMouseUp(up);
    }
    uint32_t px(int x, int y) const { return m_graph->getDevice()->backPixel(uint32_t(x), uint32_t(y)); }
    void clearTo(uint32_t argb) { m_graph->getDevice()->clear(A_CLEAR_TARGET, argb); }
    // Pixels of one colour inside a rectangle of the back buffer.
    int count(uint32_t argb, int x0 = 0, int y0 = 0, int w = 160, int h = 120) const {
        int n = 0;
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x)
                n += px(x, y) == argb;
        return n;
    }

    Host m_host;
    std::unique_ptr<aGraphServer> m_graph;
};

using guitest::EventCounter;

} // namespace w3test
