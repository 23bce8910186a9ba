// The curve editor driven by scripted mouse input on a headless screen: menu
// contents per context, drawing a new curve, handle maths while dragging,
// dragging the whole path, inserting points, cursors and the menu's text.

#include "mirel/base/a_clock.h"
#include "mirel/gfx/a_curveeditor.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/input/a_inputserver.h"
#include "mirel/platform/window/headless/a_headless_window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

class Host : public aInputHost {
public:
    void setInputServer(aInputServer*) override {}
    bool isActive() const override { return true; }
    aPlatformWindow* getPlatformWindow() const override { return window; }
    void getBackBufferSize(int32_t& w, int32_t& h) const override {
        w = 1024;
        h = 768;
    }
    void refreshCursor() override {}
    void setCursorSprite(aSprite*) override {}
    void setSystemCursorId(int32_t) override {}
    aPlatformWindow* window = nullptr;
};

using Items = std::vector<uint32_t>;
const Items kEmptyMenu = {6, 7, 0, 15, 0, 16};
const Items kCurveMenu = {12, 0, 11, 0, 8, 9, 10, 0, 13, 0, 15, 14, 0, 16};
const Items kPointMenu = {4, 0, 5};
const Items kBezierPointMenu = {1, 2, 3, 0, 4, 0, 5};

class CurveEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("MIREL_HEADLESS", "1", 1);
        a_setClock(&clock);
        graph = std::make_unique<aGraphServer>(1024, 768, false, true, "Curves");
        window = static_cast<aHeadlessWindow*>(graph->getWindow());
        host.window = window;
        input = std::make_unique<aInputServer>(&host);
    }
    void TearDown() override {
        editor.reset();
        input.reset();
        graph.reset();
        a_setClock(nullptr);
    }

    void edit(const aCurvePath& path) {
        editor = std::make_unique<aCurveEditor>(path, input.get(), graph.get());
    }
    aCurvePath newPath(uint32_t type, const std::vector<aCurvePoint>& points) {
        aCurvePath p(graph->getDevice());
        p.setType(type);
        for (const aCurvePoint& c : points) {
            p.addPoint(c.x, c.y);
        }
        return p;
    }

    // One frame with the mouse at (x, y) and the buttons as given.
    uint32_t frame(int32_t x, int32_t y, bool left = false, bool right = false) {
        window->setCursorClient(x, y);
        window->setButton(0, left);
        window->setButton(1, right);
        clock.advance(0.016);
        input->update();
        const uint32_t r = editor->update();
        editor->render();
        return r;
    }
    // The mouse comes to rest first: a press right where the last release
    // was, one frame later, would read as a double click.
    void click(int32_t x, int32_t y) {
        frame(x, y);
        frame(x, y, true);
        frame(x, y, false);
    }
    void rightClick(int32_t x, int32_t y) {
        frame(x, y);
        frame(x, y, false, true);
        frame(x, y, false, false);
    }
    // Presses, moves the mouse through the points and lets go at the last.
    void drag(int32_t x, int32_t y, const std::vector<aCurvePoint>& path) {
        frame(x, y);
        frame(x, y, true);
        for (const aCurvePoint& p : path) {
            frame(p.x, p.y, true);
        }
        frame(path.back().x, path.back().y, false);
    }
    // Clicks the menu line of the command; returns update's result.
    uint32_t choose(uint32_t id) {
        const Items& items = editor->getMenuItems();
        for (size_t i = 0; i < items.size(); ++i) {
            if (items[i] == id) {
                float mx, my, mw, mh;
                editor->getMenuBox(mx, my, mw, mh);
                const int32_t x = int32_t(mx) + 30, y = int32_t(editor->getMenuLineY()[i]) + 8;
                frame(x, y);
                frame(x, y, true);
                return frame(x, y, false);
            }
        }
        ADD_FAILURE() << "no menu line " << id;
        return 0;
    }
    aCurvePoint point(uint32_t i) const {
        int32_t x = 0, y = 0;
        editor->getPoint(i, x, y);
        return {x, y};
    }

    aManualClock clock;
    Host host;
    std::unique_ptr<aGraphServer> graph;
    aHeadlessWindow* window = nullptr;
    std::unique_ptr<aInputServer> input;
    std::unique_ptr<aCurveEditor> editor;
};

// Anchors (100, 300), (300, 300), (500, 300): handles 200, 234 | 366, 433.
const std::vector<aCurvePoint> kBezierAnchors = {{100, 300}, {300, 300}, {500, 300}};

} // namespace

TEST_F(CurveEditorTest, MenuContentsFollowTheContext) {
    edit(newPath(aCurve::TYPE_SPLINE, {}));
    EXPECT_TRUE(graph->hasFont("CurvesFont"));
    rightClick(600, 600);
    ASSERT_TRUE(editor->isMenuOpen());
    EXPECT_EQ(editor->getMenuItems(), kEmptyMenu);
    // Lines from the box's top plus the margin; separators are thinner.
    float mx, my, mw, mh;
    editor->getMenuBox(mx, my, mw, mh);
    EXPECT_EQ(mx, 600.0f);
    EXPECT_EQ(my, 600.0f);
    EXPECT_EQ(editor->getMenuLineY(), (std::vector<float>{603, 619, 635, 643, 659, 667}));
    EXPECT_EQ(mh, 686.0f - 600.0f);
    frame(5, 5, true); // a press outside closes it
    EXPECT_FALSE(editor->isMenuOpen());

    // A menu opened near the screen's corner is kept on the screen.
    rightClick(1020, 760);
    editor->getMenuBox(mx, my, mw, mh);
    EXPECT_EQ(mx + mw, 1024.0f);
    EXPECT_EQ(my + mh, 768.0f);
    frame(5, 5, true);

    editor = nullptr;
    EXPECT_FALSE(graph->hasFont("CurvesFont"));
    edit(newPath(aCurve::TYPE_SPLINE, {{100, 100}, {300, 100}}));
    rightClick(600, 600);
    EXPECT_EQ(editor->getMenuItems(), kCurveMenu);
    // Checked: drawn as one polyline (11) and picking all points (8).
    EXPECT_EQ(editor->getMenuChecks(), (std::vector<uint8_t>{0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    choose(12);
    EXPECT_TRUE(editor->isClosed());
    rightClick(600, 600);
    choose(9); // pick modes keep the menu open, showing the new mode
    EXPECT_EQ(editor->getPickMode(), 9u);
    ASSERT_TRUE(editor->isMenuOpen());
    EXPECT_EQ(editor->getMenuChecks(), (std::vector<uint8_t>{1, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
    choose(8);
    frame(5, 5, true);
    frame(5, 5);

    rightClick(102, 98); // over a point of the spline
    EXPECT_EQ(editor->getSelected(), 0);
    EXPECT_EQ(editor->getMenuItems(), kPointMenu);
    choose(4);
    EXPECT_TRUE(editor->isPinned(0));
    rightClick(102, 98);
    EXPECT_EQ(editor->getMenuChecks(), (std::vector<uint8_t>{1, 0, 0}));
    choose(5);
    EXPECT_EQ(editor->getPointCount(), 1u);

    edit(newPath(aCurve::TYPE_BEZIER, kBezierAnchors));
    rightClick(300, 300);
    EXPECT_EQ(editor->getMenuItems(), kBezierPointMenu);
    EXPECT_EQ(editor->getMenuChecks(), (std::vector<uint8_t>{1, 0, 0, 0, 0, 0, 0}));
    choose(3);
    EXPECT_EQ(editor->getKind(3), A_CURVE_FREE);
    rightClick(234, 300); // a handle: the kind commands act on its anchor
    EXPECT_EQ(editor->getSelectedAnchor(), 3);
    EXPECT_EQ(editor->getMenuChecks(), (std::vector<uint8_t>{0, 0, 1, 0, 0, 0, 0}));
    choose(2);
    EXPECT_EQ(editor->getKind(3), A_CURVE_ALIGNED);
}

TEST_F(CurveEditorTest, MenuEndsEditingWithItsResults) {
    struct Case {
        bool points;
        uint32_t id, result;
    } cases[] = {{true, 14, 3}, {true, 15, 2}, {true, 16, 1}, {false, 15, 2}, {false, 16, 1}};
    for (const Case& c : cases) {
        edit(newPath(aCurve::TYPE_SPLINE,
                     c.points ? std::vector<aCurvePoint>{{10, 10}, {50, 10}} : std::vector<aCurvePoint>{}));
        rightClick(600, 400);
        EXPECT_EQ(choose(c.id), c.result) << c.id;
        EXPECT_EQ(frame(600, 400), 0u);
    }
    // A release over a separator runs nothing and keeps the menu.
    edit(newPath(aCurve::TYPE_SPLINE, {{10, 10}, {50, 10}}));
    rightClick(600, 400);
    click(630, int32_t(editor->getMenuLineY()[1]) + 4);
    EXPECT_TRUE(editor->isMenuOpen());
    choose(13);
    EXPECT_EQ(editor->getPointCount(), 0u);
}

TEST_F(CurveEditorTest, NewCurvesAreDrawnPointByPoint) {
    for (uint32_t command : {6u, 7u}) {
        edit(newPath(aCurve::TYPE_SPLINE, {}));
        rightClick(600, 600);
        choose(command);
        ASSERT_TRUE(editor->isAdding());
        rightClick(700, 700); // no menu while adding
        EXPECT_FALSE(editor->isMenuOpen());
        click(100, 100); // first point, and one that follows the mouse
        frame(150, 120);
        EXPECT_EQ(point(editor->getPointCount() - 1), (aCurvePoint{150, 120}));
        click(200, 100);
        click(300, 200);
        click(400, 300); // the double click ends adding; its clicks add nothing
        frame(400, 300, true);
        EXPECT_TRUE(input->isDoubleClick(0));
        EXPECT_FALSE(editor->isAdding());
        frame(400, 300);
        if (command == 6) {
            EXPECT_EQ(editor->getType(), aCurve::TYPE_SPLINE);
            EXPECT_EQ(editor->getPoints(), (std::vector<aCurvePoint>{{100, 100}, {200, 100}, {300, 200}}));
        } else {
            EXPECT_EQ(editor->getType(), aCurve::TYPE_BEZIER);
            ASSERT_EQ(editor->getPointCount(), 7u);
            EXPECT_EQ(point(0), (aCurvePoint{100, 100}));
            EXPECT_EQ(point(3), (aCurvePoint{200, 100}));
            EXPECT_EQ(point(6), (aCurvePoint{300, 200}));
            EXPECT_EQ(point(1), (aCurvePoint{150, 100})); // first handles halfway
        }
        EXPECT_GT(editor->getLength(), 200.0);
    }
}

TEST_F(CurveEditorTest, DraggedHandlesMoveTheirPartnerByTheAnchorKind) {
    struct Case {
        uint32_t menuCommand; // the anchor's kind, through the menu
        aCurvePoint to;       // where handle 2 is dragged
        aCurvePoint opposite; // handle 4 after the drag
    } cases[] = {
        {1, {250, 250}, {350, 350}}, // mirrored through the anchor
        {2, {200, 200}, {346, 346}}, // opposite direction, its own length 66, floored
        {2, {300, 200}, {300, 366}},
        {3, {250, 250}, {366, 300}}, // free: stays
    };
    for (const Case& c : cases) {
        edit(newPath(aCurve::TYPE_BEZIER, kBezierAnchors));
        ASSERT_EQ(point(2), (aCurvePoint{234, 300}));
        ASSERT_EQ(point(4), (aCurvePoint{366, 300}));
        rightClick(300, 300);
        choose(c.menuCommand);
        frame(236, 302);
        EXPECT_EQ(editor->getSelected(), 2);
        EXPECT_EQ(editor->getSelectedAnchor(), 3);
        EXPECT_EQ(window->getCursorShape(), A_CURSOR_CROSS);
        frame(236, 302, true); // the pointer jumps onto the handle
        int32_t cx, cy;
        window->getCursorClient(cx, cy);
        EXPECT_EQ(cx, 234);
        EXPECT_EQ(cy, 300);
        EXPECT_TRUE(editor->isDragging());
        frame((234 + c.to.x) / 2, (300 + c.to.y) / 2, true);
        frame(c.to.x, c.to.y, true);
        frame(c.to.x, c.to.y);
        EXPECT_FALSE(editor->isDragging());
        EXPECT_EQ(point(2), c.to) << c.menuCommand;
        EXPECT_EQ(point(4), c.opposite) << c.menuCommand;
        EXPECT_EQ(point(3), (aCurvePoint{300, 300}));
    }

    // An anchor takes both its handles along; the end handles have no partner.
    edit(newPath(aCurve::TYPE_BEZIER, kBezierAnchors));
    drag(300, 300, {{310, 320}});
    EXPECT_EQ(point(3), (aCurvePoint{310, 320}));
    EXPECT_EQ(point(2), (aCurvePoint{244, 320}));
    EXPECT_EQ(point(4), (aCurvePoint{376, 320}));
    EXPECT_EQ(editor->getLastAnchor(), 3);
    frame(200, 300);
    EXPECT_EQ(editor->getSelected(), 1);
    EXPECT_EQ(editor->getSelectedAnchor(), -1);
    drag(200, 300, {{200, 250}});
    EXPECT_EQ(point(1), (aCurvePoint{200, 250}));
    EXPECT_EQ(point(0), (aCurvePoint{100, 300}));
}

TEST_F(CurveEditorTest, PickModesLimitWhatIsSelected) {
    edit(newPath(aCurve::TYPE_BEZIER, {{100, 300}, {300, 300}, {500, 300}, {700, 300}}));
    rightClick(900, 700);
    choose(10);
    click(5, 5); // closes the menu
    frame(234, 300);
    EXPECT_EQ(editor->getSelected(), -1); // no anchor chosen yet
    click(500, 300);                      // anchor 6 becomes the last one
    EXPECT_EQ(editor->getLastAnchor(), 6);
    frame(234, 300);
    EXPECT_EQ(editor->getSelected(), 2); // within 4 of it
    frame(200, 300);
    EXPECT_EQ(editor->getSelected(), -1); // index 1: too far
    click(900, 700);                      // a press on nothing forgets the anchor
    EXPECT_EQ(editor->getLastAnchor(), -1);

    rightClick(900, 700);
    choose(9);
    click(5, 5);
    frame(300, 300);
    EXPECT_EQ(editor->getSelected(), -1);
    EXPECT_TRUE(editor->isOverPath());
    EXPECT_EQ(window->getCursorShape(), A_CURSOR_HAND);
    frame(300, 400);
    EXPECT_EQ(window->getCursorShape(), A_CURSOR_ARROW);
}

TEST_F(CurveEditorTest, GrabbingThePathMovesAllButPinnedPoints) {
    edit(newPath(aCurve::TYPE_SPLINE, {{100, 100}, {200, 200}, {300, 100}}));
    rightClick(100, 100);
    choose(4);
    ASSERT_TRUE(editor->isPinned(0));
    // A point of the path away from the control points.
    const aPathPoint* grip = nullptr;
    for (const aPathPoint& f : editor->getFlattened()) {
        if (std::fabs(f.x - 250.0f) < 4.0f) {
            grip = &f;
        }
    }
    ASSERT_NE(grip, nullptr);
    const int32_t gx = int32_t(grip->x), gy = int32_t(grip->y);
    drag(gx, gy, {{gx + 10, gy + 5}, {gx + 20, gy + 10}});
    EXPECT_EQ(editor->getPoints(), (std::vector<aCurvePoint>{{100, 100}, {220, 210}, {320, 110}}));
}

TEST_F(CurveEditorTest, DoubleClickOnThePathInsertsAPoint) {
    struct Case {
        uint32_t type;
        aCurvePoint on; // a point of the exact path, inside segment 1
        uint32_t index; // where the new point lands
        uint32_t count;
    } cases[] = {
        {aCurve::TYPE_SPLINE, {350, 300}, 2, 4},
        {aCurve::TYPE_BEZIER, {400, 300}, 6, 10},
    };
    for (const Case& c : cases) {
        // A straight spline through three points, or the straight Bezier
        // curve: both run along y = 300.
        edit(newPath(c.type, c.type == aCurve::TYPE_SPLINE
                                 ? std::vector<aCurvePoint>{{100, 300}, {300, 300}, {500, 300}}
                                 : kBezierAnchors));
        // Land on a flattened point near the mouse.
        aCurvePoint m = c.on;
        float best = 1e9f;
        for (const aPathPoint& f : editor->getFlattened()) {
            const float d = std::fabs(f.x - float(c.on.x));
            if (d < best && std::fabs(f.x - 300.0f) > 10.0f && std::fabs(f.x - 500.0f) > 10.0f) {
                best = d;
                m = {int32_t(f.x), 300};
            }
        }
        if (best > 7.0f) {
            m = {500 - 6, 300}; // near the last anchor: on the path, too far to pick it
        }
        click(m.x, m.y);
        frame(m.x, m.y, true);
        frame(m.x, m.y);
        EXPECT_EQ(editor->getPointCount(), c.count) << c.type;
        EXPECT_EQ(point(c.index), m) << c.type;
        if (c.type == aCurve::TYPE_BEZIER) {
            for (uint32_t i = 0; i < editor->getPointCount(); ++i) {
                EXPECT_EQ(editor->isHandle(i), i % 3 != 0) << i;
            }
        }
    }
}

TEST_F(CurveEditorTest, MenuTextIsDrawnWithTheBuiltInFace) {
    edit(newPath(aCurve::TYPE_SPLINE, {}));
    rightClick(100, 100);
    graph->getDevice()->clear(A_CLEAR_TARGET, 0xFF000000u);
    editor->render();
    // Count the bright text pixels inside the first line's label area.
    const float y = editor->getMenuLineY()[0];
    int bright = 0;
    for (int py = int(y); py < int(y) + 16; ++py) {
        for (int px = 120; px < 264; ++px) {
            const uint32_t c = graph->getDevice()->backPixel(uint32_t(px), uint32_t(py));
            bright += (c & 0xFF) > 0x90;
        }
    }
    EXPECT_GT(bright, 30);

    // Measuring and a Windows-1251 label of the font's character set.
    aFontDesc desc;
    desc.faceName = "Arial";
    desc.charSet = 204;
    aDeviceFont font(desc, graph->getDevice());
    aDeviceRect r{10, 10, 10, 10};
    EXPECT_EQ(font.drawText(std::string("ab\n\xC0\xC1\xC2"), &r, A_DT_CALCRECT, 0xFFFFFFFFu),
              2 * aDeviceFont::lineHeight());
    EXPECT_EQ(r.right, 10 + 3 * aDeviceFont::glyphAdvance());
    EXPECT_EQ(r.bottom, 10 + 2 * aDeviceFont::lineHeight());
}
