// The item list's line: its text wrapped at blanks to its width, its height
// following the lines, and the stroke that runs along them once crossed.

#include "game/scenes/cross_button.h"
#include "support/gui_harness.h"

#include "content/content_writers.h"

#include <gtest/gtest.h>

namespace {

class CrossButtonTest : public guitest::GuiFixture {
protected:
    void SetUp() override {
        content::FontBuildOptions options;
        options.pixelHeight = 14;
        options.textureName = "main.png";
        content::FontBuildResult font;
        ASSERT_TRUE(content::buildFont(options, font));
        h.WriteFile("main.png", content::writePng(font.atlas));
        h.WriteFile("main.fnt", font.fontFile);
        // Three strokes of 100 x 4, red, green and blue.
        content::Picture strokes(100, 12, 0);
        const uint32_t colours[3] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
        for (uint32_t y = 0; y < 12; ++y)
            for (uint32_t x = 0; x < 100; ++x)
                strokes.at(x, y) = colours[y / 4];
        h.AddImage("crossout", strokes);
    }
    CrossButton* Line(const std::string& text, int width = 100, int nextSpacing = 10, int lineSpacing = 2) {
        h.LoadScript("fontlist\n{\n main " + h.dir + "main.fnt\n}\ncrossbutton line\n{\n AreaRect 10 20 " +
                     std::to_string(width) +
                     " 5\n Font main\n TextHorzAlign left\n TextVertAlign top\n"
                     " NextSpacing " +
                     std::to_string(nextSpacing) + "\n LineSpacing " + std::to_string(lineSpacing) + "\n}\n");
        auto* line = h.FindAs<CrossButton>("line");
        if (line)
            line->SetText(utf8ToWide(text));
        return line;
    }
    static std::u16string utf8ToWide(const std::string& s) { return std::u16string(s.begin(), s.end()); }
};

} // namespace

TEST_F(CrossButtonTest, TextWrapsAtBlanksAndTheHeightFollowsTheLines) {
    CrossButton* line = Line("Brass key");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->GetType(), "CrossButton");
    EXPECT_TRUE(line->IsKindOf("ButtonBase"));
    EXPECT_EQ(line->GetText(), u"Brass key");
    EXPECT_EQ(line->GetLineCount(), 1);
    const float lineHeight = line->GetLineHeight();
    EXPECT_GT(lineHeight, 14.0f);
    EXPECT_EQ(line->GetHeight(), int16_t(lineHeight - 2.0f + 10.0f));

    line->SetText(u"The lifebelt of the Marigold");
    EXPECT_GE(line->GetLineCount(), 2);
    EXPECT_NE(line->GetText().find(u'\n'), std::u16string::npos) << "blanks become line breaks in the text";
    EXPECT_EQ(line->GetHeight(), int16_t(lineHeight * float(line->GetLineCount()) - 2.0f + 10.0f));
    EXPECT_EQ(line->GetWidth(), 100) << "the width is kept";

    // A word longer than the line breaks at its blank; a single long word stays.
    line->SetText(u"Unbreakablewordhere x");
    EXPECT_EQ(line->GetText(), u"Unbreakablewordhere\nx");
    line->SetText(u"Unbreakablewordhereandmore");
    EXPECT_EQ(line->GetLineCount(), 1);
}

TEST_F(CrossButtonTest, TwoLinesAreStruckOneASecond) {
    CrossButton* line = Line("Wet lantern glass", 100, 10, 2);
    ASSERT_NE(line, nullptr);
    ASSERT_EQ(line->GetLineCount(), 2) << line->GetText().size();
    EXPECT_EQ(line->GetHeight(), int16_t(2.0f * line->GetLineHeight() - 2.0f + 10.0f));

    line->SetCrossed(true, true);
    EXPECT_TRUE(line->IsCrossed());
    const int variant = line->GetVariant();
    EXPECT_TRUE(variant >= 0 && variant < 3);
    EXPECT_FLOAT_EQ(line->GetProgress(), 0.0f);
    const uint32_t colours[3] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
    const int32_t firstY = 20 + 10 / 2 + 1;
    const int32_t secondY = firstY + int32_t(line->GetLineHeight());
    // Half a second: half of the first line.
    h.Frame(0.5f);
    EXPECT_FLOAT_EQ(line->GetProgress(), 0.5f);
    EXPECT_EQ(h.Pixel(10 + 20, firstY), colours[variant]);
    EXPECT_NE(h.Pixel(10 + 70, firstY), colours[variant]);
    // A second and a half: all of the first, half of the second.
    h.Frame(1.0f);
    EXPECT_EQ(h.Pixel(10 + 90, firstY), colours[variant]);
    EXPECT_EQ(h.Pixel(10 + 20, secondY), colours[variant]);
    EXPECT_NE(h.Pixel(10 + 70, secondY), colours[variant]);
    h.Frame(5.0f);
    EXPECT_FLOAT_EQ(line->GetProgress(), 2.0f) << "it stops at the last line";

    // Crossing again changes nothing; uncrossing and crossing at once keeps the stroke.
    line->SetCrossed(true, true);
    EXPECT_FLOAT_EQ(line->GetProgress(), 2.0f);
    line->SetCrossed(false, false);
    line->SetCrossed(true, false);
    EXPECT_FLOAT_EQ(line->GetProgress(), 2.0f);
    EXPECT_EQ(line->GetVariant(), variant);
}
