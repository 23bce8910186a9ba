#include "support/gui_harness.h"

#include "mirel/gfx/a_sprite.h"
#include "mirel/gui/gui_draw.h"

#include <gtest/gtest.h>

using guitest::GuiFixture;

namespace {

// Every pixel of the picture has its own colour.
uint32_t At(uint32_t x, uint32_t y) {
    return 0xFF000000u | (x * 20u + 10u) << 16 | (y * 20u + 10u) << 8 | 0x40u;
}

content::Picture Gradient(uint32_t w, uint32_t h) {
    content::Picture p(w, h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            p.at(x, y) = At(x, y);
    return p;
}

constexpr uint32_t kBlack = 0xFF000000u;

} // namespace

TEST_F(GuiFixture, TilingTenByTenIntoTwentyFiveByFifteen) {
    aImage* image = h.AddImage("tile", Gradient(10, 10));
    ASSERT_NE(image, nullptr);
    h.DrawFrame([&] { GUI::DrawImageTiled(image, aRect(0, 0, 10, 10), aRect(5, 7, 25, 15), 0xFFFFFFFF); });
    // Three columns of 10, 10 and 5 pixels in two rows of 10 and 5.
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 25; ++x)
            ASSERT_EQ(h.Pixel(5 + x, 7 + y), At(x % 10, y % 10)) << x << "," << y;
    for (int y = 6; y < 23; ++y) {
        EXPECT_EQ(h.Pixel(4, y), kBlack);
        EXPECT_EQ(h.Pixel(30, y), kBlack);
    }
    for (int x = 4; x < 31; ++x) {
        EXPECT_EQ(h.Pixel(x, 6), kBlack);
        EXPECT_EQ(h.Pixel(x, 22), kBlack);
    }
}

TEST_F(GuiFixture, TilingUsesTheTopLeftOfTheSourceRectangle) {
    aImage* image = h.AddImage("tile", Gradient(10, 10));
    h.DrawFrame([&] { GUI::DrawImageTiled(image, aRect(2, 3, 4, 4), aRect(0, 0, 6, 5), 0xFFFFFFFF); });
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            ASSERT_EQ(h.Pixel(x, y), At(2 + x % 4, 3 + y % 4)) << x << "," << y;
    EXPECT_EQ(h.Pixel(6, 0), kBlack);
    EXPECT_EQ(h.Pixel(0, 5), kBlack);
}

TEST_F(GuiFixture, StretchedImagesAndSpriteFrames) {
    aImage* image = h.AddImage("pic", Gradient(10, 10));
    aSprite sprite;
    aRect frame(5, 5, 5, 5);
    sprite.addFrame(1, image, &frame);
    h.DrawFrame([&] {
        GUI::DrawImageStretched(image, aRect(0, 0, 10, 10), aRect(0, 0, 20, 20), 0xFFFFFFFF);
        GUI::DrawSpriteStretched(&sprite, aRect(40, 0, 15, 10), 0xFFFFFFFF);
    });
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(h.Pixel(x, y), At(x / 2, y / 2)) << x << "," << y;
    EXPECT_EQ(h.Pixel(20, 0), kBlack);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 15; ++x)
            ASSERT_EQ(h.Pixel(40 + x, y), At(5 + x / 3, 5 + y / 2)) << x << "," << y;
    EXPECT_EQ(h.Pixel(55, 0), kBlack);
}

TEST_F(GuiFixture, NothingDrawsWithoutAnImageOrWithZeroAlpha) {
    aImage* image = h.AddImage("pic", content::Picture(4, 4, 0xFFFFFFFF));
    aSprite sprite;
    sprite.addFrame(1, image, nullptr);
    h.DrawFrame([&] {
        GUI::DrawImageStretched(image, aRect(0, 0, 4, 4), aRect(0, 0, 8, 8), 0x00FFFFFF);
        GUI::DrawImageTiled(image, aRect(0, 0, 4, 4), aRect(0, 0, 8, 8), 0x00FFFFFF);
        GUI::DrawSpriteStretched(&sprite, aRect(0, 0, 8, 8), 0x00FFFFFF);
        GUI::DrawImageStretched(nullptr, aRect(0, 0, 4, 4), aRect(0, 0, 8, 8), 0xFFFFFFFF);
        GUI::DrawImageTiled(nullptr, aRect(0, 0, 4, 4), aRect(0, 0, 8, 8), 0xFFFFFFFF);
        GUI::DrawSpriteStretched(nullptr, aRect(0, 0, 8, 8), 0xFFFFFFFF);
        // A source without area would never advance the tiling.
        GUI::DrawImageTiled(image, aRect(0, 0, 0, 4), aRect(0, 0, 8, 8), 0xFFFFFFFF);
    });
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x)
            ASSERT_EQ(h.Pixel(x, y), kBlack) << x << "," << y;
}

TEST_F(GuiFixture, StateImageSlotsShareThePicture) {
    aImage* a = h.AddImage("aa", content::Picture(6, 4, 0xFFFFFFFF));
    aImage* b = h.AddImage("bb", content::Picture(3, 2, 0xFFFFFFFF));
    aImage slot;
    aRect rect;
    const uint32_t before = a->getRefCount();
    GUI::SetStateImage(a, nullptr, slot, rect);
    EXPECT_EQ(slot.getData(), a->getData());
    EXPECT_EQ(a->getRefCount(), before + 1);
    EXPECT_EQ(rect, aRect(0, 0, 6, 4));
    const aRect part(1, 1, 2, 2);
    GUI::SetStateImage(a, &part, slot, rect); // the same image keeps its one reference
    EXPECT_EQ(a->getRefCount(), before + 1);
    EXPECT_EQ(rect, part);
    GUI::SetStateImage(b, nullptr, slot, rect);
    EXPECT_EQ(a->getRefCount(), before);
    EXPECT_EQ(slot.getData(), b->getData());
    EXPECT_EQ(rect, aRect(0, 0, 3, 2));
    GUI::SetStateImage(nullptr, nullptr, slot, rect);
    EXPECT_FALSE(slot.hasTexture());
    EXPECT_EQ(rect, aRect());
}
