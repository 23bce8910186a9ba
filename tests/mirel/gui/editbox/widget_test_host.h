#pragma once
// Widgets without a GUI server: a host that keeps the focus the way the
// server does and draws on a small headless graphics server, and a font whose
// glyphs are all 8 x 15 pixels apart from the 2-pixel-wide '|'.

#include "content/content_writers.h"
#include "mirel/gfx/a_font.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gui/gui_keys.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/gui/gui_widgethost.h"
#include "support/gui_fakes.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace widgettest {

using TestHost = guitest::FakeWidgetHost;

class WidgetTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("MIREL_HEADLESS", "1", 1);
        m_graph = std::make_unique<aGraphServer>(128, 64, false, true, "widgets", 0, false);
        aImage::setGraphServer(m_graph.get());
        m_host.graph = m_graph.get();
        GUI::SetWidgetHost(&m_host);
    }
    void TearDown() override {
        GUI::SetWidgetHost(nullptr);
        m_font.reset();
        aImage::setGraphServer(nullptr);
        m_graph.reset();
    }

    aFont* font() {
        if (m_font)
            return m_font.get();
        const char* root = std::getenv("MIREL_TEST_TMP");
        std::filesystem::path dir = std::filesystem::path(root ? root : "/tmp/mirel-widget-tests") /
                                    testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::create_directories(dir);
        EXPECT_TRUE(content::saveFile((dir / "atlas.png").string(),
                                      content::writePng(content::Picture(8, 16, 0xFFFFFFFF))));
        std::string text =
            "[General]\nFormat16 = 4444\nFormat32 = 8888\nTexture = atlas.png\nCharSpacing = 0\n[Charlist]\n";
        char line[64];
        for (int c = 0x20; c <= 0x7E; ++c) {
            std::snprintf(line, sizeof line, "%x = 0 0 %d 15 0 0\n", c, c == '|' ? 2 : 8);
            text += line;
        }
        text += "416 = 0 0 8 15 0 0\n";
        const std::string path = (dir / "fixed.fnt").string();
        EXPECT_TRUE(content::saveFile(path, text));
        m_font = std::make_unique<aFont>(path);
        return m_font.get();
    }

    // A key as the server hands it to the focus widget.
    static void key(GUI::Widget& widget, uint32_t code, uint32_t modifiers = 0) {
        GUI::KeybEventArgs e;
        e.widget = &widget;
        e.key = code;
        e.modifiers = modifiers;
        e.character = GUI::KeyToChar(code, modifiers);
        widget.OnKeyDown(e);
    }
    static void fill(GUI::Widget& widget, std::initializer_list<std::pair<const char*, const char*>> values) {
        widget.BeginFillProperties();
        for (const auto& v : values)
            widget.Set(v.first, v.second);
        widget.EndFillProperties();
    }
    uint32_t px(uint32_t x, uint32_t y) { return m_graph->getDevice()->backPixel(x, y); }
    void clearTo(uint32_t argb) { m_graph->getDevice()->clear(A_CLEAR_TARGET, argb); }

    TestHost m_host;
    std::unique_ptr<aGraphServer> m_graph;
    std::unique_ptr<aFont> m_font;
};

// Counts the launches of one event.
using guitest::EventCounter;

} // namespace widgettest
