// Button text: the line block's placement for each alignment, margins, line
// spacing and push offset, and the colour of each state.

#include "mirel/gui/statictext/widget_test_support.h"

#include <utility>

using namespace guitest;

namespace {

class ButtonTextTest : public GuiFixture {
protected:
    void SetUp() override {
        RegisterWidgetTypes();
        m_fonts = FixedFontSection(h);
    }
    GUI::ImageButton* Button(const std::string& props) {
        h.Root()->RemoveAllChildren();
        h.LoadScript(m_fonts + "imagebutton btn\n{\n Font fixed\n AreaRect 0 0 100 50\n " + props + "\n}\n");
        return h.FindAs<GUI::ImageButton>("btn");
    }
    // The top-left lit pixel and the number of lit rows in its column.
    std::pair<int, int> FirstLit(int* rows = nullptr) {
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 110; ++x)
                if (h.Pixel(x, y) != 0xFF000000u) {
                    if (rows) {
                        *rows = 0;
                        for (int yy = y; yy < 60; ++yy)
                            *rows += h.Pixel(x, yy) != 0xFF000000u;
                    }
                    return {x, y};
                }
        return {-1, -1};
    }
    std::string m_fonts;
};

TEST_F(ButtonTextTest, BlockPlacement) {
    struct Case {
        std::string props;
        int x, y, rows; // first lit pixel and lit rows below it
    };
    const Case cases[] = {
        {"", 45, 10, 30}, // three lines, 30 high, centred as a block
        {"TextHorzAlign left\n TextVertAlign top\n TextExtent 5 3", 5, 3, 30},
        {"TextHorzAlign Right\n TextVertAlign bottom\n TextExtent 5 3", 85, 17, 30},
        {"TextHorzAlign middle\n TextVertAlign top", 0, 0, 30}, // unknown words: left, top
        {"LineSpacing 2", 45, 8, 30},
    };
    for (const Case& c : cases) {
        GUI::ImageButton* b = Button(c.props);
        b->SetText(u"a\nb\nc");
        h.Frame();
        int rows = 0;
        EXPECT_EQ(FirstLit(&rows), std::make_pair(c.x, c.y)) << c.props;
        EXPECT_EQ(rows, c.rows) << c.props;
    }
    // Lines are centred one by one.
    GUI::ImageButton* b = Button("Text abc");
    b->SetText(u"abc\na");
    h.Frame();
    EXPECT_EQ(FirstLit(), std::make_pair(35, 15));
    EXPECT_NE(h.Pixel(45, 25), 0xFF000000u);
    EXPECT_EQ(h.Pixel(44, 25), 0xFF000000u);
}

TEST_F(ButtonTextTest, StateColoursAndPushOffset) {
    GUI::ImageButton* b =
        Button("Text a\n TextColor FF000011 FF000022 FF000033 FF000044\n TextHoverColor FF00FF00\n"
               " TextPushOffset 2 1");
    EXPECT_EQ(b->GetTextColor(), 0xFF000011u);
    h.SetCursor(300, 300);
    h.Frame();
    EXPECT_EQ(FirstLit(), std::make_pair(45, 20));
    EXPECT_EQ(h.Pixel(45, 20), 0xFF000011u);

    h.SetCursor(50, 25);
    h.Frame();
    EXPECT_EQ(b->GetTextColor(), 0xFF00FF00u); // the single colour wins over TextColor
    h.SetButton(0, true);
    h.Frame();
    EXPECT_EQ(b->GetTextColor(), 0xFF000033u);
    EXPECT_EQ(FirstLit(), std::make_pair(47, 21));
    h.SetButton(0, false);
    h.Frame();
    b->SetEnabled(false);
    EXPECT_EQ(b->GetTextColor(), 0xFF000044u);

    // Halfway through a hover fade the colour lies halfway.
    b = Button("Text a\n TextNormalColor FF000000\n TextHoverColor FFFFFFFF\n FadeInTime 1");
    h.SetCursor(100, 100);
    h.Frame();
    h.SetCursor(50, 25);
    h.Frame(0.5f);
    EXPECT_EQ(b->GetTextColor(), 0xFF808080u);
}

TEST_F(ButtonTextTest, TextFadesWithTheWidget) {
    Button("Text a\n Alpha 0.5");
    h.SetCursor(300, 300);
    h.Frame();
    EXPECT_NEAR(int(h.Pixel(47, 22) & 0xFF), 128, 2);
}

TEST_F(ButtonTextTest, NoFontOrNoTextDrawsNothing) {
    h.LoadScript("imagebutton btn\n{\n AreaRect 0 0 100 50\n Text abc\n}\n");
    h.Frame();
    EXPECT_EQ(FirstLit().first, -1);
}

} // namespace
