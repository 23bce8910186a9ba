// Image button: state images cut as glyphs or given one by one, and the image
// drawn for each state, with the hover fade, from scripted mouse input.

#include "mirel/gui/statictext/widget_test_support.h"

using namespace guitest;

namespace {

constexpr uint32_t RED = 0xFFFF0000, BLUE = 0xFF0000FF, GREEN = 0xFF00FF00, GREY = 0xFF808080;

class ImageButtonTest : public GuiFixture {
protected:
    void SetUp() override {
        RegisterWidgetTypes();
        // Four 8 x 8 bands from the top: red, blue, green, grey.
        content::Picture bands(8, 32);
        const uint32_t colours[4] = {RED, BLUE, GREEN, GREY};
        for (uint32_t y = 0; y < 32; ++y)
            for (uint32_t x = 0; x < 8; ++x)
                bands.at(x, y) = colours[y / 8];
        h.AddImage("bands", bands);
        h.AddImage("white", content::Picture(4, 4, 0xFFFFFFFF));
    }
    GUI::ImageButton* Button(const std::string& props) {
        h.Root()->RemoveAllChildren();
        h.LoadScript("imagebutton btn\n{\n AreaRect 10 10 8 8\n " + props + "\n}\n");
        return h.FindAs<GUI::ImageButton>("btn");
    }
};

TEST_F(ImageButtonTest, GlyphCutting) {
    using S = GUI::ImageButton;
    const aRect none;
    struct Case {
        std::string props;
        aRect normal, pushed, hover, disabled; // width 0: no image
    };
    const Case cases[] = {
        {"Image bands", {0, 0, 8, 8}, {0, 8, 8, 8}, {0, 16, 8, 8}, {0, 24, 8, 8}},
        {"Image bands\n GlyphCount 2", {0, 0, 8, 16}, {0, 16, 8, 16}, none, none},
        {"Image bands\n ImageRect 0 8 8 16\n GlyphCount 2", {0, 8, 8, 8}, {0, 16, 8, 8}, none, none},
        {"Image bands\n Layout Horizontal\n GlyphCount 2", {0, 0, 4, 32}, {4, 0, 4, 32}, none, none},
        {"Image bands\n GlyphCount 8", {0, 0, 8, 4}, {0, 4, 8, 4}, {0, 8, 8, 4}, {0, 12, 8, 4}},
        {"Image bands\n GlyphCount 0", none, none, none, none},
        {"Image bands\n GlyphCount -3", none, none, none, none},
        {"Image bands\n HoverImage white\n PushedImage bands\n PushedRect 0 24 8 8",
         {0, 0, 8, 8},
         {0, 24, 8, 8},
         {0, 0, 4, 4},
         {0, 24, 8, 8}},
    };
    for (const Case& c : cases) {
        GUI::ImageButton* b = Button(c.props);
        const aRect* want[4] = {&c.normal, &c.pushed, &c.hover, &c.disabled};
        for (int s = 0; s < 4; ++s) {
            const auto state = S::State(s);
            EXPECT_EQ(b->HasStateImage(state), want[s]->width != 0) << c.props << " state " << s;
            if (want[s]->width != 0) {
                EXPECT_EQ(b->GetStateRect(state), *want[s]) << c.props << " state " << s;
            }
        }
    }
}

TEST_F(ImageButtonTest, BadLayoutAndMissingImage) {
    LogCapture log;
    GUI::ImageButton* b = Button("Image bands\n Layout diagonal\n GlyphCount 4");
    EXPECT_TRUE(log.has("ImageButton::EndFillProperties - invalid layout type 'diagonal'"));
    EXPECT_EQ(b->GetStateRect(GUI::ImageButton::STATE_PUSHED), aRect(0, 8, 8, 8)); // vertical
    b = Button("Image nowhere");
    EXPECT_FALSE(b->HasStateImage(GUI::ImageButton::STATE_NORMAL));
    h.Frame();
    EXPECT_EQ(h.Pixel(12, 12), 0xFF000000u);
}

TEST_F(ImageButtonTest, StateImagesFollowTheMouse) {
    GUI::ImageButton* b = Button("Image bands\n FadeInTime 0.1");
    struct Down : GUI::SubscriberInterface {
        int n = 0;
        bool Invoke(const GUI::EventArgs&) override { return ++n, true; }
    } downs;
    b->SubscribeEvent(GUI::Widget::EventMouseDown, &downs);

    h.SetCursor(100, 100);
    h.Frame();
    EXPECT_EQ(h.Pixel(12, 12), RED);

    h.SetCursor(12, 12);
    h.Frame(0.05f); // half faded in: green at half alpha over red
    const uint32_t half = h.Pixel(12, 12);
    EXPECT_NEAR(int((half >> 16) & 0xFF), 128, 2);
    EXPECT_NEAR(int((half >> 8) & 0xFF), 128, 2);
    h.Frame(0.05f);
    EXPECT_EQ(h.Pixel(12, 12), GREEN);

    h.SetButton(1, true); // the right button does not push
    h.Frame();
    EXPECT_EQ(downs.n, 1);
    EXPECT_FALSE(b->IsPushed());
    EXPECT_EQ(h.Pixel(12, 12), GREEN);
    h.SetButton(1, false);
    h.Frame();

    h.SetButton(0, true);
    h.Frame();
    EXPECT_TRUE(b->IsPushed());
    EXPECT_EQ(h.Pixel(12, 12), BLUE);
    h.SetButton(0, false);
    h.Frame();
    EXPECT_FALSE(b->IsPushed());

    h.SetCursor(100, 100); // no fade-out time: back at once
    h.Frame();
    EXPECT_EQ(h.Pixel(12, 12), RED);

    b->SetEnabled(false);
    h.Frame();
    EXPECT_EQ(h.Pixel(12, 12), GREY);
}

TEST_F(ImageButtonTest, NoHoverImageNoHoverChange) {
    Button("NormalImage bands\n NormalRect 0 0 8 8");
    h.SetCursor(12, 12);
    h.Frame();
    EXPECT_EQ(h.Pixel(12, 12), RED);
}

} // namespace
