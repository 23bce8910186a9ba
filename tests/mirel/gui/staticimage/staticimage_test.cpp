// Static image: size taken from its source rectangle, tint without the
// colour's alpha, the disabled image, and swapping the picture at run time.

#include "mirel/gui/statictext/widget_test_support.h"

using namespace guitest;

namespace {

class StaticImageTest : public GuiFixture {
protected:
    void SetUp() override {
        RegisterWidgetTypes();
        content::Picture pic(64, 32, 0xFFFFFFFF); // white, the right half grey
        for (uint32_t y = 0; y < 32; ++y)
            for (uint32_t x = 32; x < 64; ++x)
                pic.at(x, y) = 0xFF808080;
        h.AddImage("pic", pic);
        h.AddImage("off", content::Picture(8, 8, 0xFF0000FF));
    }
};

TEST_F(StaticImageTest, SizeFromSourceRectangle) {
    h.LoadScript("staticimage si\n{\n AreaRect 5 5 0 0\n NormalImage pic\n NormalRect 0 0 64 32\n}\n"
                 "staticimage whole\n{\n AreaRect 0 0 0 0\n NormalImage pic\n}\n");
    const aRect& r = h.Find("si")->GetAreaRect();
    EXPECT_EQ(r.width, 64);
    EXPECT_EQ(r.height, 32);
    EXPECT_EQ(h.Find("whole")->GetAreaRect(), aRect(0, 0, 64, 32));
}

TEST_F(StaticImageTest, TintUsesWidgetAlphaNotColourAlpha) {
    h.LoadScript("staticimage si\n{\n AreaRect 10 10 32 32\n NormalImage pic\n NormalRect 0 0 32 32\n"
                 " Color 80FF0000\n}\n");
    h.Frame();
    EXPECT_EQ(h.Pixel(20, 20), 0xFFFF0000u);
    EXPECT_EQ(h.Pixel(5, 5), 0xFF000000u);

    // Half the widget alpha halves the red over black.
    auto* si = h.FindAs<GUI::StaticImage>("si");
    si->BeginFillProperties();
    si->Set("Alpha", "0.5");
    si->EndFillProperties();
    h.Frame();
    const uint32_t red = (h.Pixel(20, 20) >> 16) & 0xFF;
    EXPECT_NEAR(int(red), 128, 2);
}

TEST_F(StaticImageTest, DisabledState) {
    h.LoadScript("staticimage plain\n{\n AreaRect 0 0 16 16\n NormalImage pic\n NormalRect 0 0 16 16\n"
                 " Color FF00FF00\n Enabled 0\n}\n"
                 "staticimage two\n{\n AreaRect 20 0 16 16\n NormalImage pic\n DisabledImage off\n"
                 " Color FF00FF00\n Enabled 0\n}\n");
    h.Frame();
    EXPECT_EQ(h.Pixel(8, 8), 0xFF00FF00u);  // no disabled image: the tinted normal one
    EXPECT_EQ(h.Pixel(28, 8), 0xFF0000FFu); // the disabled image, untinted
}

TEST_F(StaticImageTest, SetImageAndMissingImage) {
    LogCapture log;
    h.LoadScript("staticimage si\n{\n AreaRect 0 0 16 16\n NormalImage nothing\n}\n");
    EXPECT_TRUE(log.contains("nothing"));
    auto* si = h.FindAs<GUI::StaticImage>("si");
    EXPECT_FALSE(si->HasImage());
    h.Frame(); // draws nothing, no crash
    EXPECT_EQ(h.Pixel(8, 8), 0xFF000000u);

    const aRect grey(32, 0, 32, 32);
    si->SetImage(h.images->getImage("pic"), &grey);
    h.Frame();
    EXPECT_EQ(h.Pixel(8, 8), 0xFF808080u);
    si->SetImage(h.images->getImage("off"));
    EXPECT_EQ(si->GetImageRect(), aRect(0, 0, 8, 8));
}

} // namespace
