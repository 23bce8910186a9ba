// The line and shape drawer on a headless device: which pixels each shape
// covers, batching of long point lists and the current position.

#include "mirel/base/a_log.h"
#include "mirel/gfx/a_linedrawer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

std::unique_ptr<aDevice> makeDevice(uint32_t w = 40, uint32_t h = 40) {
    aPresentParams pp;
    pp.backBufferWidth = w;
    pp.backBufferHeight = h;
    std::unique_ptr<aDevice> dev;
    EXPECT_EQ(aDevice::create(pp, nullptr, &dev), A_OK);
    return dev;
}

int painted(const aDevice& dev) {
    int n = 0;
    for (uint32_t i = 0; i < dev.width() * dev.height(); ++i) {
        n += dev.backBuffer()[i] != 0xFF000000u;
    }
    return n;
}

TEST(LineDrawer, RectanglesCoverTheirPixels) {
    struct Case {
        int x, y, w, h;
        bool filled;
        int pixels;
    } cases[] = {
        {5, 5, 1, 1, true, 1},                             // a filled 1 x 1 rectangle is one pixel
        {3, 4, 6, 2, true, 12},    {2, 2, 3, 3, false, 8}, // the outline: every border pixel once
        {10, 10, 7, 4, false, 18}, {5, 5, 1, 1, false, 0}, // four zero-length segments draw nothing
    };
    for (const Case& c : cases) {
        auto dev = makeDevice();
        aGDI gdi(dev.get());
        gdi.setColor(0xFF00FF00u);
        gdi.drawRect16(aRect(int16_t(c.x), int16_t(c.y), int16_t(c.w), int16_t(c.h)), c.filled);
        EXPECT_EQ(painted(*dev), c.pixels)
            << c.x << "," << c.y << " " << c.w << "x" << c.h << " " << c.filled;
        if (c.pixels) {
            EXPECT_EQ(dev->backPixel(c.x, c.y), 0xFF00FF00u);
            EXPECT_EQ(dev->backPixel(c.x + c.w - 1, c.y + c.h - 1), 0xFF00FF00u);
            EXPECT_EQ(dev->backPixel(c.x + c.w, c.y + c.h - 1), 0xFF000000u);
        }
    }
}

TEST(LineDrawer, LinesPointsAndTheCurrentPosition) {
    auto dev = makeDevice();
    aGDI gdi(dev.get());
    gdi.drawLine(1, 1, 9, 1);
    EXPECT_EQ(painted(*dev), 8); // the end pixel is left to the next segment
    EXPECT_EQ(gdi.getX(), 9.0f);
    EXPECT_EQ(gdi.getY(), 1.0f);
    gdi.drawPoint(20, 21);
    EXPECT_EQ(dev->backPixel(20, 21), 0xFFFFFFFFu);
    EXPECT_EQ(gdi.getX(), 20.0f);

    // 1000 points go in batches of 400, 400 and 200.
    std::vector<float> pts;
    for (int i = 0; i < 1000; ++i) {
        pts.push_back(float(i % 40));
        pts.push_back(float(10 + i / 40));
    }
    const uint32_t calls = dev->drawCallCount();
    gdi.drawPoints(pts.data(), 1000);
    EXPECT_EQ(dev->drawCallCount() - calls, 3u);
    EXPECT_EQ(gdi.getX(), 39.0f);
    EXPECT_EQ(gdi.getY(), 34.0f);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(dev->backPixel(i % 40, 10 + i / 40), 0xFFFFFFFFu) << i;
    }
}

TEST(LineDrawer, EllipsesAndRings) {
    auto dev = makeDevice();
    aGDI gdi(dev.get());
    gdi.drawEllipse(20, 20, 10, 6, true);
    // Inside the rim filled, outside not; the shape is close to pi * rx * ry.
    EXPECT_EQ(dev->backPixel(20, 20), 0xFFFFFFFFu);
    EXPECT_EQ(dev->backPixel(29, 20), 0xFFFFFFFFu);
    EXPECT_EQ(dev->backPixel(20, 25), 0xFFFFFFFFu);
    EXPECT_EQ(dev->backPixel(31, 20), 0xFF000000u);
    EXPECT_EQ(dev->backPixel(20, 27), 0xFF000000u);
    EXPECT_NEAR(painted(*dev), 3.14159 * 60, 12);

    auto ring = makeDevice();
    aGDI r(ring.get());
    r.drawEllipseRing(20, 20, 8, 8, 20, 20, 14, 14);
    EXPECT_EQ(ring->backPixel(20, 20), 0xFF000000u); // the hole
    EXPECT_EQ(ring->backPixel(31, 20), 0xFFFFFFFFu);
    EXPECT_EQ(ring->backPixel(20, 9), 0xFFFFFFFFu);
    EXPECT_NEAR(painted(*ring), 3.14159 * (14 * 14 - 8 * 8), 20);

    auto outline = makeDevice();
    aGDI o(outline.get());
    const uint32_t calls = outline->drawCallCount();
    o.drawEllipse(20, 20, 12, 12, false);
    EXPECT_EQ(outline->drawCallCount() - calls, 1u);
    EXPECT_EQ(outline->backPixel(20, 20), 0xFF000000u);
    EXPECT_EQ(outline->backPixel(32, 20), 0xFFFFFFFFu);
    EXPECT_NEAR(painted(*outline), 2 * 3.14159 * 12 * 1.1, 15); // a closed one-pixel rim
}

TEST(LineDrawer, ColourBlendsAndSegmentsStayInRange) {
    auto dev = makeDevice(8, 8);
    dev->setRenderState(A_RS_ALPHABLENDENABLE, 1);
    dev->setRenderState(A_RS_SRCBLEND, A_BLEND_SRCALPHA);
    dev->setRenderState(A_RS_DESTBLEND, A_BLEND_INVSRCALPHA);
    aGDI gdi(dev.get());
    EXPECT_EQ(gdi.getColor(), 0xFFFFFFFFu);
    gdi.setColor(0x80FF0000u);
    gdi.drawRect(0, 0, 8, 8, true);
    EXPECT_EQ(dev->backPixel(3, 3), 0xFF800000u);

    std::vector<std::string> lines;
    a_setLogObserver(
        [](const char* line, void* user) { static_cast<std::vector<std::string>*>(user)->push_back(line); },
        &lines);
    EXPECT_EQ(gdi.getSegmentCount(), 50);
    gdi.setSegmentCount(250);
    EXPECT_EQ(gdi.getSegmentCount(), aGDI::kMaxSegments);
    gdi.drawEllipseRing(4, 4, 1, 1, 4, 4, 3, 3); // 2 x 199 + 2 vertices fit the array
    gdi.setSegmentCount(1);
    EXPECT_EQ(gdi.getSegmentCount(), aGDI::kMinSegments);
    gdi.drawEllipse(4, 4, 3, 3, true);
    a_setLogObserver(nullptr, nullptr);
    EXPECT_EQ(lines.size(), 2u);

    // Without a device nothing is drawn and nothing breaks.
    aGDI none(nullptr);
    none.drawRect(0, 0, 4, 4, true);
    none.drawPoints(nullptr, 5);
}

} // namespace
