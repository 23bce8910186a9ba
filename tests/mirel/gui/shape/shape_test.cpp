// Shapes drawn on the headless device: the fill and border rectangles, the
// ellipse band, colours with zero alpha, pens wider than the shape and a
// parent of size zero.

#include "mirel/gui/gui_shape.h"
#include "mirel/gui/gui_widgetfactory.h"
#include "mirel/gui/shape/shape_host.h"
#include "support/gui_harness.h"

using namespace w3test;

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kGreen = 0xFF00FF00u;

class ShapeTest : public WidgetTest {};

} // namespace

TEST_F(ShapeTest, RectangleFillsInsideThePenAndBordersTheArea) {
    struct Case {
        const char* what;
        const char* style;
        const char* pen;
        const char* penColor;
        const char* fillColor;
        int w, h;
        int red, green; // pixels expected of each colour
    } cases[] = {
        {"pen 4", "rect", "4", "ff00ff00", "ffff0000", 100, 50, 92 * 42, 100 * 50 - 92 * 42},
        {"capital E is no ellipse", "Ellipse", "4", "ff00ff00", "ffff0000", 100, 50, 92 * 42,
         100 * 50 - 92 * 42},
        {"fill alpha 0: border only", "rect", "4", "ff00ff00", "00ff0000", 100, 50, 0, 100 * 50 - 92 * 42},
        {"pen alpha 0: invisible border", "rect", "4", "0000ff00", "ffff0000", 100, 50, 92 * 42, 0},
        {"pen wider than the shape", "rect", "30", "ff00ff00", "ffff0000", 20, 10, 0, 200},
        {"pen as wide as half the shape", "rect", "5", "ff00ff00", "ffff0000", 10, 10, 0, 100},
        {"no pen", "rect", "0", "ff00ff00", "ffff0000", 20, 10, 200, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clearTo(kBlack);
        GUI::Shape shape("s");
        const std::string rect = "10 5 " + std::to_string(c.w) + " " + std::to_string(c.h);
        fill(shape, {{"AreaRect", rect.c_str()},
                     {"ShapeStyle", c.style},
                     {"PenWidth", c.pen},
                     {"PenColor", c.penColor},
                     {"FillColor", c.fillColor}});
        EXPECT_EQ(shape.GetKind(), GUI::Shape::KIND_RECTANGLE);
        shape.Render();
        EXPECT_EQ(count(kRed), c.red);
        EXPECT_EQ(count(kGreen), c.green);
        EXPECT_EQ(count(kBlack), 160 * 120 - c.red - c.green); // nothing outside the area
    }
    // The first case's corners and edges, pixel by pixel.
    clearTo(kBlack);
    GUI::Shape shape("s");
    fill(shape, {{"AreaRect", "10 5 100 50"},
                 {"PenWidth", "4"},
                 {"PenColor", "ff00ff00"},
                 {"FillColor", "ffff0000"}});
    shape.Render();
    EXPECT_EQ(px(10, 5), kGreen);
    EXPECT_EQ(px(13, 8), kGreen);
    EXPECT_EQ(px(14, 9), kRed);
    EXPECT_EQ(px(105, 50), kRed);
    EXPECT_EQ(px(106, 50), kGreen);
    EXPECT_EQ(px(109, 54), kGreen);
    EXPECT_EQ(px(110, 54), kBlack);
    EXPECT_EQ(px(109, 55), kBlack);
}

TEST_F(ShapeTest, EllipseFillsTheInnerEllipseAndDrawsTheBand) {
    GUI::Shape shape("e");
    fill(shape, {{"AreaRect", "20 10 80 60"},
                 {"ShapeStyle", "ellipse"},
                 {"PenWidth", "4"},
                 {"PenColor", "ff00ff00"},
                 {"FillColor", "ffff0000"}});
    ASSERT_EQ(shape.GetKind(), GUI::Shape::KIND_ELLIPSE);
    shape.Render();
    EXPECT_EQ(px(60, 40), kRed);   // centre
    EXPECT_EQ(px(30, 40), kRed);   // well inside the inner radius of 36
    EXPECT_EQ(px(21, 40), kGreen); // in the band at the left
    EXPECT_EQ(px(98, 40), kGreen); // and at the right
    EXPECT_EQ(px(60, 11), kGreen); // top
    EXPECT_EQ(px(20, 10), kBlack); // the corners stay clear
    EXPECT_EQ(px(99, 69), kBlack);

    // A pen wider than the radii leaves no inside and draws the whole ellipse as band.
    clearTo(kBlack);
    fill(shape, {{"PenWidth", "100"}});
    shape.Render();
    EXPECT_EQ(count(kRed), 0);
    EXPECT_EQ(px(60, 40), kGreen);
    EXPECT_EQ(px(20, 10), kBlack);
}

TEST_F(ShapeTest, WidgetAlphaIsNotAppliedAndBadValuesFallBack) {
    GUI::Widget parent("p");
    fill(parent, {{"AreaRect", "0 0 160 120"}, {"Alpha", "0"}});
    auto* shape = new GUI::Shape("s");
    parent.AddChild(shape);
    shape->SetOwnedByParent(true);
    fill(*shape, {{"AreaRect", "0 0 10 10"}, {"PenColor", "ff00ff00"}, {"FillColor", "ffff0000"}});
    parent.Render();
    EXPECT_EQ(count(kGreen), 36); // default pen of 1 pixel
    EXPECT_EQ(count(kRed), 64);

    LogCapture log;
    fill(*shape, {{"PenWidth", "-3"}});
    EXPECT_EQ(shape->GetPenWidth(), 1.0f);
    EXPECT_TRUE(log.has("Shape::EndFillProperties - invalid pen width '-3' in shape 's'"));
    fill(*shape, {{"PenColor", "green"}});
    EXPECT_EQ(shape->GetPenColor(), 0u);
}

TEST_F(ShapeTest, ParentOfSizeZeroClipsEverythingAway) {
    GUI::Widget parent("p");
    fill(parent, {{"AreaRect", "30 30 0 0"}});
    auto* shape = new GUI::Shape("s");
    shape->SetOwnedByParent(true);
    parent.AddChild(shape);
    fill(*shape, {{"AreaRect", "0 0 20 20"}});
    parent.Render();
    EXPECT_EQ(count(kBlack), 160 * 120);

    // And a shape of size zero itself draws nothing.
    GUI::Shape empty("z");
    fill(empty, {{"AreaRect", "5 5 0 0"}});
    empty.Render();
    EXPECT_EQ(count(kBlack), 160 * 120);
}

TEST(ShapeScript, ShapeFromAScriptDrawsEachFrame) {
    GUI::WidgetFactory::Instance().Register("shape", &GUI::WidgetFactory::Create<GUI::Shape>);
    guitest::GuiHarness h(64, 64);
    h.LoadScript(
        "shape box\n{\n AreaRect 10 10 20 10\n PenWidth 2\n PenColor ff00ff00\n FillColor ffff0000\n}\n");
    ASSERT_NE(h.FindAs<GUI::Shape>("box"), nullptr);
    h.Frame();
    EXPECT_EQ(h.Pixel(10, 10), kGreen);
    EXPECT_EQ(h.Pixel(11, 18), kGreen);
    EXPECT_EQ(h.Pixel(12, 12), kRed);
    EXPECT_EQ(h.Pixel(27, 17), kRed);
    EXPECT_EQ(h.Pixel(28, 17), kGreen);
    EXPECT_EQ(h.Pixel(30, 10), kBlack);
}
