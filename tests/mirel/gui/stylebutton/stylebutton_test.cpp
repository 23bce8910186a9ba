// Style button: which style each state draws, and the hover style fading
// over the normal one when fade times are set.

#include "mirel/gui/stylebutton/styles_support.h"

using namespace guitest;

namespace {

class StyleButtonTest : public GuiFixture {
protected:
    void SetUp() override {
        RegisterStyledTypes();
        styles = SolidStyle(h, "normal", 0xFFFF0000) + SolidStyle(h, "hover", 0xFF00FF00) +
                 SolidStyle(h, "pushed", 0xFF0000FF) + SolidStyle(h, "off", 0xFF808080);
    }
    void Load(const std::string& extra) {
        h.LoadScript(styles +
                     "stylebutton button\n{\n AreaRect 10 10 20 20\n NormalStyle normal\n HoverStyle hover\n"
                     " PushedStyle pushed\n DisabledStyle off\n" +
                     extra + "}\n");
        h.SetCursor(200, 200);
        h.Frame();
    }
    std::string styles;
};

TEST_F(StyleButtonTest, EachStateDrawsItsStyle) {
    Load("");
    EXPECT_EQ(h.Pixel(20, 20), 0xFFFF0000u);
    EXPECT_EQ(h.Pixel(9, 9), 0xFF000000u);
    h.SetCursor(20, 20);
    h.Frame();
    EXPECT_EQ(h.Pixel(20, 20), 0xFF00FF00u); // fully hovered at once without fade times
    h.SetButton(0, true);
    h.Frame();
    EXPECT_EQ(h.Pixel(20, 20), 0xFF0000FFu);
    h.SetButton(0, false);
    h.Frame();
    h.Find("button")->SetEnabled(false);
    h.Frame();
    EXPECT_EQ(h.Pixel(20, 20), 0xFF808080u);
}

TEST_F(StyleButtonTest, HoverStyleFadesOverTheNormalOne) {
    Load(" FadeInTime 0.5\n FadeOutTime 0.5\n");
    h.SetCursor(20, 20);
    h.Frame(0.0f); // the hover starts
    h.Frame(0.25f);
    const uint32_t half = h.Pixel(20, 20);
    EXPECT_NEAR(int((half >> 8) & 0xFF), 128, 3);
    EXPECT_NEAR(int((half >> 16) & 0xFF), 127, 3);
    h.Frame(0.25f);
    EXPECT_EQ(h.Pixel(20, 20), 0xFF00FF00u);
}

TEST_F(StyleButtonTest, WithoutStylesOnlyTheTextIsDrawn) {
    h.LoadScript("stylebutton bare\n{\n AreaRect 0 0 20 20\n}\n");
    h.Frame();
    EXPECT_EQ(h.Pixel(10, 10), 0xFF000000u);
    EXPECT_TRUE(h.Find("bare")->IsKindOf("ButtonBase"));
}

} // namespace
