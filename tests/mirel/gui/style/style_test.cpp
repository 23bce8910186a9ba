#include "support/gui_harness.h"
#include "support/log_capture.h"

#include "mirel/gui/gui_style.h"

#include <gtest/gtest.h>

namespace {

// A 30 x 30 picture of nine 10 x 10 parts, each its own colour; the edges
// and the interior are split in two halves along their length, so a
// stretched part shows two halves and a tiled one alternates every 5 pixels.
uint32_t Cell(int c, int r, int half) {
    return 0xFF000000u | uint32_t(c * 80 + 40) << 16 | uint32_t(r * 80 + 40) << 8 | (half ? 0xC0u : 0x40u);
}

content::Picture NineParts() {
    content::Picture p(30, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) {
            int c = x / 10, r = y / 10, half = 0;
            if (c == 1)
                half = (x % 10) >= 5; // top, interior, bottom
            else if (r == 1)
                half = (y % 10) >= 5; // left, right
            p.at(x, y) = Cell(c, r, half);
        }
    return p;
}

constexpr uint32_t kBlack = 0xFF000000u;
constexpr int kOffsets[4] = {2, 7, 22, 27}; // along a 40-pixel edge

class StyleTest : public guitest::GuiFixture {
protected:
    void SetUp() override { h.AddImage("frame", NineParts()); }

    GUI::Style* Make(const std::string& lines) {
        h.LoadScript("style s\n{\n Image frame\n" + lines + "}\n");
        return h.server->GetStyle("s");
    }
    // Draws into (10, 10, 60, 60): corners 10 x 10, edges and interior 40 long.
    void Draw(GUI::Style* style, uint32_t argb = 0xFFFFFFFF) {
        h.DrawFrame([&] { style->Draw(aRect(10, 10, 60, 60), argb); });
    }
    // The colours expected along a part drawn with the type (1 none, 2 stretch, 3 tile).
    static uint32_t Expect(int type, int c, int r, int offset) {
        if (type == GUI::Style::FILL_NONE)
            return kBlack;
        int half = type == GUI::Style::FILL_STRETCH ? offset / 20 : (offset % 10) >= 5;
        return Cell(c, r, half);
    }
    void CheckFrame(int top, int bottom, int left, int right, int interior, const std::string& what) {
        for (int o : kOffsets) {
            EXPECT_EQ(h.Pixel(20 + o, 15), Expect(top, 1, 0, o)) << what << " top " << o;
            EXPECT_EQ(h.Pixel(20 + o, 65), Expect(bottom, 1, 2, o)) << what << " bottom " << o;
            EXPECT_EQ(h.Pixel(15, 20 + o), Expect(left, 0, 1, o)) << what << " left " << o;
            EXPECT_EQ(h.Pixel(65, 20 + o), Expect(right, 2, 1, o)) << what << " right " << o;
            EXPECT_EQ(h.Pixel(20 + o, 25), Expect(interior, 1, 1, o)) << what << " interior " << o;
        }
        EXPECT_EQ(h.Pixel(15, 15), Cell(0, 0, 0)) << what;
        EXPECT_EQ(h.Pixel(65, 15), Cell(2, 0, 0)) << what;
        EXPECT_EQ(h.Pixel(15, 65), Cell(0, 2, 0)) << what;
        EXPECT_EQ(h.Pixel(65, 65), Cell(2, 2, 0)) << what;
        EXPECT_EQ(h.Pixel(9, 9), kBlack) << what;
        EXPECT_EQ(h.Pixel(70, 70), kBlack) << what;
    }
};

} // namespace

TEST_F(StyleTest, EveryEdgeAndFillType) {
    const char* words[] = {"none", "stretch", "tile"};
    for (int edge = 1; edge <= 3; ++edge)
        for (int fill = 1; fill <= 3; ++fill) {
            guitest::GuiHarness fresh; // a style name can be registered once per server
            fresh.AddImage("frame", NineParts());
            fresh.LoadScript(std::string("style s\n{\n Image frame\n AutoSlice all\n EdgeGlobal ") +
                             words[edge - 1] + "\n FillType " + words[fill - 1] + "\n}\n");
            GUI::Style* style = fresh.server->GetStyle("s");
            ASSERT_NE(style, nullptr);
            fresh.DrawFrame([&] { style->Draw(aRect(10, 10, 60, 60), 0xFFFFFFFF); });
            std::swap(h.graph, fresh.graph); // read the fresh frame through this fixture's helpers
            CheckFrame(edge, edge, edge, edge, fill, std::string(words[edge - 1]) + "/" + words[fill - 1]);
            std::swap(h.graph, fresh.graph);
        }
}

TEST_F(StyleTest, EdgesOneByOneWithTheirOwnRectangles) {
    LogCapture log;
    GUI::Style* style =
        Make(" TopLeft 0 0 10 10\n TopRight 20 0 10 10\n BottomLeft 0 20 10 10\n"
             " BottomRight 20 20 10 10\n Left 0 10 10 10\n Top 10 0 10 10\n Right 20 10 10 10\n"
             " Bottom 10 20 10 10\n Interior 10 10 10 10\n"
             " EdgeLeft stretch\n EdgeTop tile\n EdgeRight none\n EdgeBottom Tile\n FillType tile\n");
    ASSERT_NE(style, nullptr);
    EXPECT_TRUE(log.has("Style::MakeFromScript - invalid EdgeBottom = 'Tile'")); // the words are exact
    EXPECT_EQ(style->GetEdgeType(GUI::Style::EDGE_BOTTOM), GUI::Style::FILL_NONE);
    // Parts of edges left out are not read, so the interior takes their room.
    EXPECT_EQ(style->GetPart(GUI::Style::PART_RIGHT), aRect());
    EXPECT_EQ(style->GetPart(GUI::Style::PART_BOTTOM), aRect());
    Draw(style);
    for (int o : kOffsets) {
        EXPECT_EQ(h.Pixel(20 + o, 15), Expect(3, 1, 0, o)) << "top " << o;
        EXPECT_EQ(h.Pixel(15, 20 + o), Expect(2, 0, 1, o)) << "left " << o;
        EXPECT_EQ(h.Pixel(20 + o, 25), Expect(3, 1, 1, o)) << "interior " << o;
    }
    EXPECT_EQ(h.Pixel(67, 25), Cell(1, 1, 1)); // the interior's tiles reach the right side
    EXPECT_EQ(h.Pixel(22, 67), Cell(1, 1, 0)); // and the bottom
    EXPECT_EQ(h.Pixel(65, 65), Cell(2, 2, 0)); // under the corner
}

TEST_F(StyleTest, GlobalEdgeTypeOverridesSingleEdges) {
    GUI::Style* style = Make(" AutoSlice all\n EdgeTop stretch\n EdgeGlobal tile\n FillType none\n");
    Draw(style);
    CheckFrame(3, 3, 3, 3, 1, "global");
}

TEST_F(StyleTest, MissingFillTypeIsLoggedAndLeavesTheInteriorOut) {
    LogCapture log;
    GUI::Style* style = Make(" AutoSlice all\n EdgeGlobal stretch\n");
    EXPECT_TRUE(log.has("Style::MakeFromScript - invalid FillType = ''"));
    EXPECT_EQ(style->GetFillType(), GUI::Style::FILL_NONE);
    Draw(style);
    CheckFrame(2, 2, 2, 2, 1, "no fill type");
}

TEST_F(StyleTest, AutoSliceDropsTheRemainder) {
    h.AddImage("wide", content::Picture(100, 50, 0xFFFFFFFF));
    h.LoadScript("style s\n{\n Image wide\n AutoSlice all\n FillType none\n}\n"
                 "style part\n{\n Image wide\n AutoSlice 10 5 30 31\n FillType none\n}\n");
    GUI::Style* s = h.server->GetStyle("s");
    EXPECT_EQ(s->GetPart(GUI::Style::PART_TOPLEFT), aRect(0, 0, 33, 16));
    EXPECT_EQ(s->GetPart(GUI::Style::PART_TOPRIGHT), aRect(66, 0, 33, 16));
    EXPECT_EQ(s->GetPart(GUI::Style::PART_INTERIOR), aRect(33, 16, 33, 16));
    EXPECT_EQ(s->GetPart(GUI::Style::PART_BOTTOMRIGHT), aRect(66, 32, 33, 16));
    GUI::Style* part = h.server->GetStyle("part");
    EXPECT_EQ(part->GetPart(GUI::Style::PART_BOTTOM), aRect(20, 25, 10, 10));
}

TEST_F(StyleTest, NarrowRectanglesDrawOnlyTheCornersAndZeroAlphaNothing) {
    GUI::Style* style = Make(" AutoSlice all\n EdgeGlobal stretch\n FillType stretch\n");
    h.DrawFrame([&] { style->Draw(aRect(10, 10, 15, 60), 0xFFFFFFFF); });
    EXPECT_EQ(h.Pixel(12, 15), Cell(0, 0, 0));
    EXPECT_EQ(h.Pixel(22, 15), Cell(2, 0, 0)); // the top-right corner overlaps the top-left
    EXPECT_EQ(h.Pixel(22, 65), Cell(2, 2, 0));
    EXPECT_EQ(h.Pixel(12, 30), Cell(0, 1, 0)); // the vertical edges still fit

    Draw(style, 0x00FFFFFF);
    for (int y = 0; y < 80; y += 3)
        for (int x = 0; x < 80; x += 3)
            ASSERT_EQ(h.Pixel(x, y), kBlack) << x << "," << y;
}

TEST_F(StyleTest, StyleWithoutImageDrawsNothing) {
    LogCapture log;
    h.LoadScript("style s\n{\n Image missing\n AutoSlice all\n FillType tile\n EdgeGlobal tile\n}\n");
    EXPECT_TRUE(log.has("GUI::Server::GetImage - image \"missing\" not found!"));
    GUI::Style* style = h.server->GetStyle("s");
    Draw(style);
    EXPECT_EQ(h.Pixel(15, 15), kBlack);
}
