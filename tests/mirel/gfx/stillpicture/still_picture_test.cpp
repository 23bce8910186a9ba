// The still picture: a copy of an area of the back buffer drawn again only
// under the key and the graphics state it was taken in, and only of an
// area that lies on the back buffer.

#include "mirel/gfx/a_stillpicture.h"
#include "mirel/gfx/images/image_test_env.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

class StillPictureTest : public imgtest::GraphFixture {
protected:
    // A pattern over the whole back buffer.
    void paint() {
        uint32_t* back = device()->backBuffer();
        for (uint32_t i = 0; i < 64 * 64; ++i)
            back[i] = 0xFF000000u | (i * 0x9E3779B1u >> 8);
    }
};

TEST_F(StillPictureTest, DrawsItsAreaAgainOnlyUnderItsKeyAndState) {
    paint();
    std::vector<uint32_t> painted(device()->backBuffer(), device()->backBuffer() + 64 * 64);
    aStillPicture still;
    still.take(aRect(8, 4, 32, 40), {1, 2});
    ASSERT_TRUE(still.holds());
    clearTo(0xFF102030u);
    EXPECT_FALSE(still.draw({1, 3}));
    EXPECT_FALSE(still.draw({1}));
    EXPECT_EQ(px(20, 20), 0xFF102030u);
    ASSERT_TRUE(still.draw({1, 2}));
    for (uint32_t y = 0; y < 64; ++y)
        for (uint32_t x = 0; x < 64; ++x) {
            const bool in = x >= 8 && x < 40 && y >= 4 && y < 44;
            ASSERT_EQ(px(x, y), in ? painted[y * 64 + x] : 0xFF102030u) << x << "," << y;
        }

    // A state the copy was not taken in draws nothing; back in it, it draws.
    const std::function<void(aGraphServer&)> changes[] = {
        [](aGraphServer& gs) { gs.setGlobalColor(1.0f, 1.0f, 1.0f, 0.5f); },
        [](aGraphServer& gs) { gs.setGlobalColor(0.8f, 1.0f, 1.0f, 1.0f); },
        [](aGraphServer& gs) { gs.setBlendMode(1); },
        [](aGraphServer& gs) { gs.setLinearFilter(false); },
        [](aGraphServer& gs) { gs.setViewport(0, 0, 32, 64); },
    };
    for (const auto& change : changes) {
        change(*m_server);
        clearTo(0xFF102030u);
        EXPECT_FALSE(still.draw({1, 2}));
        EXPECT_EQ(px(20, 20), 0xFF102030u);
        m_server->setGlobalColor(1.0f, 1.0f, 1.0f, 1.0f);
        m_server->setBlendMode(0);
        m_server->setLinearFilter(true);
        m_server->setViewport(0, 0, 64, 64);
        EXPECT_TRUE(still.draw({1, 2}));
    }
    still.forget();
    EXPECT_FALSE(still.holds());
    EXPECT_FALSE(still.draw({1, 2}));
}

TEST_F(StillPictureTest, TakesNothingOffTheBackBufferOrUnderATint) {
    paint();
    aStillPicture still;
    for (const aRect& area :
         {aRect(40, 0, 30, 10), aRect(0, 60, 10, 8), aRect(-1, 0, 4, 4), aRect(0, 0, 0, 4)}) {
        still.take(area, {7});
        EXPECT_FALSE(still.holds()) << area.x << "," << area.y << " " << area.width << "x" << area.height;
    }
    m_server->setGlobalColor(1.0f, 1.0f, 1.0f, 0.5f);
    still.take(aRect(0, 0, 8, 8), {7});
    EXPECT_FALSE(still.holds());
}

TEST_F(StillPictureTest, ReadsWhatAPictureCovers) {
    struct Case {
        const char* what;
        uint32_t w, h;
        std::function<void(content::Picture&)> texels;
        bool opaque;
        double reach;
    } cases[] = {
        {"opaque", 10, 6, [](content::Picture& p) { std::fill(p.argb.begin(), p.argb.end(), 0xFF808080u); },
         true, std::hypot(4.5, 2.5)},
        {"one texel off the centre", 10, 10, [](content::Picture& p) { p.at(7, 5) = 0x01000000u; }, false,
         std::hypot(2.5, 0.5)},
        {"clear", 4, 4, [](content::Picture&) {}, false, 0.0},
    };
    for (const Case& c : cases) {
        content::Picture picture(c.w, c.h);
        c.texels(picture);
        aImage image(write(std::string(c.what) + ".png", content::writePng(picture)), A_FMT_A8R8G8B8,
                     A_FMT_A8R8G8B8);
        bool opaque = false;
        double reach = -1.0;
        ASSERT_TRUE(a_readPictureCover(image, &opaque, &reach)) << c.what;
        EXPECT_EQ(opaque, c.opaque) << c.what;
        EXPECT_NEAR(reach, c.reach, 1e-9) << c.what;
    }
    aImage wide(write("wide.png", content::writePng(content::Picture(4, 4, 0xFF000000u))), A_FMT_A4R4G4B4,
                A_FMT_A4R4G4B4);
    bool opaque = false;
    double reach = 0.0;
    EXPECT_FALSE(a_readPictureCover(wide, &opaque, &reach)) << "a 16-bit picture is not read";
}

} // namespace
