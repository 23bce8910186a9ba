// Static text: line breaks, wrapping, alignment and justification as layout
// tables, then drawing with vertical placement, colours and scroll offsets
// from scrollbars that live elsewhere in the tree.

#include "mirel/gui/statictext/widget_test_support.h"

#include <memory>

using namespace guitest;

namespace {

// "word@x word@x|word@x": one entry per line.
std::string Describe(const std::vector<GUI::StaticText::Line>& lines) {
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i)
            out += "|";
        for (size_t j = 0; j < lines[i].words.size(); ++j) {
            const auto& w = lines[i].words[j];
            out +=
                (j ? " " : "") + std::string(w.text.begin(), w.text.end()) + "@" + std::to_string(int(w.x));
        }
    }
    return out;
}

class StaticTextTest : public GuiFixture {
protected:
    void SetUp() override {
        RegisterWidgetTypes();
        m_fonts = FixedFontSection(h);
    }
    void Load(const std::string& widgets) { h.LoadScript(m_fonts + widgets); }
    GUI::StaticText* Text(const std::string& name = "st") { return h.FindAs<GUI::StaticText>(name); }
    int LitInRow(int y, int from = 0, int to = 200) {
        int n = 0;
        for (int x = from; x < to; ++x)
            n += h.Pixel(uint32_t(x), uint32_t(y)) != 0xFF000000u;
        return n;
    }
    std::string m_fonts;
};

// Glyphs: letters 10 wide, blank 5, "W" 20, "j" 2 + 10 (+ 3 when not first).
TEST_F(StaticTextTest, LayoutTable) {
    struct Case {
        std::string props; // besides the font
        int width;
        std::u16string text;
        std::string layout;
    };
    const Case cases[] = {
        {"", 100, u"ab cd", "ab@0 cd@25"},
        {"", 50, u"ab cd ef", "ab@0 cd@25|ef@0"},   // falls back to the last blank
        {"", 50, u"ab cd   ef", "ab@0 cd@25|ef@0"}, // blanks at a wrapped line's start go
        {"", 100, u"ab\r\ncd", "ab@0|cd@0"},        // CR LF counts once
        {"", 100, u"ab\ncd", "ab@0|cd@0"},
        {"", 100, u"ab\r\n\r\ncd\rx", "ab@0||cd@0|x@0"},
        {"", 100, u"  ab", "ab@10"},                      // indentation after a break stays
        {"", 35, u"abcdefghij", "abc@0|def@0|ghi@0|j@0"}, // a word wider than the widget
        {"", 0, u"abc", "a@0|b@0|c@0"},
        {"", 15, u"W", "W@0"},
        {"", 100, u"a jj", "a@0 jj@17"}, // a word starts at its first glyph, after its left offset
        {"", 100, u"jj a", "jj@0 a@33"}, // the line's first glyph takes none, the right ones all
        {"", 26, u"jj a", "jj@0|a@0"},   // "jj" ends at 25: a line is as wide as its glyphs reach
        {"WordWrap 0", 20, u"ab cd ef", "ab@0 cd@25 ef@50"},
        {"HorzFormatting center", 45, u"ab\nabc", "ab@12|abc@7"},
        {"HorzFormatting RIGHT", 45, u"ab", "ab@25"},
        {"HorzFormatting width\n WordWrap 0", 44, u"a b c dddd", "a@0 b@17 c@34|dddd@0"},
        {"HorzFormatting width", 50, u"ab cd\nef gh", "ab@0 cd@25|ef@0 gh@25"}, // paragraph ends unstretched
        {"HorzFormatting bogus", 45, u"ab", "ab@0"},
        {"", 100, u"", ""},
    };
    for (const Case& c : cases) {
        h.Root()->RemoveAllChildren();
        Load("statictext st\n{\n Font fixed\n AreaRect 0 0 " + std::to_string(c.width) + " 100\n " + c.props +
             "\n}\n");
        GUI::StaticText* st = Text();
        st->SetText(c.text);
        EXPECT_EQ(Describe(st->GetLayout()), c.layout) << c.props << " / " << c.width;
    }
}

TEST_F(StaticTextTest, HeightSpacingAndInheritedSize) {
    Load("widget box\n{\n AreaRect 0 0 400 200\n FontSize 2\n statictext st\n {\n  Font fixed\n  FontSize "
         "0\n  AreaRect 0 0 300 100\n"
         "  LineSpacing 3\n }\n}\n");
    GUI::StaticText* st = Text();
    st->SetText(u"ab\ncd\nef");
    EXPECT_FLOAT_EQ(st->GetTextWidth(), 40.0f); // the parent's size 2
    EXPECT_FLOAT_EQ(st->GetTextHeight(), 3 * 20.0f + 2 * 3.0f);
    st->SetLineSpacing(0);
    EXPECT_FLOAT_EQ(st->GetTextHeight(), 60.0f);
    st->SetText(u"");
    EXPECT_FLOAT_EQ(st->GetTextHeight(), 0.0f);

    // Drawn with the inherited size too: two lines 20 apart.
    st->SetText(u"a\nb");
    h.Frame();
    EXPECT_EQ(LitInRow(5), 20);
    EXPECT_EQ(LitInRow(25), 20);
    EXPECT_EQ(LitInRow(45), 0);
}

TEST_F(StaticTextTest, VerticalPlacementAndColours) {
    Load("statictext st\n{\n Font fixed\n AreaRect 10 10 100 40\n VertFormatting center\n"
         " TextNormalColor FFFF0000\n TextDisabledColor FF0000FF\n Text ab\n}\n"
         "statictext low\n{\n Font fixed\n AreaRect 10 60 100 40\n VertFormatting Bottom\n Text ab\n}\n");
    h.Frame();
    EXPECT_EQ(h.Pixel(12, 24), 0xFF000000u);
    EXPECT_EQ(h.Pixel(12, 25), 0xFFFF0000u); // 10 + (40 - 10) / 2
    EXPECT_EQ(h.Pixel(12, 34), 0xFFFF0000u);
    EXPECT_EQ(h.Pixel(12, 35), 0xFF000000u);
    EXPECT_EQ(h.Pixel(12, 89), 0xFF000000u);
    EXPECT_EQ(h.Pixel(12, 90), 0xFFFFFFFFu);

    Text()->SetEnabled(false);
    h.Frame();
    EXPECT_EQ(h.Pixel(12, 25), 0xFF0000FFu);
}

// Drawn word by word, a line shows its glyphs where the font draws the whole
// line in one go, so the blanks between words keep their own width.
TEST_F(StaticTextTest, WordsLieWhereTheFontDrawsTheWholeLine) {
    Load("statictext st\n{\n Font fixed\n AreaRect 0 0 200 20\n Text jj a jj\n}\n");
    h.Frame();
    // "jj a jj" as one text: j 0-9, j 15-24, a 33-42, j 50-59, j 65-74.
    std::string row;
    for (int x = 0; x < 75; ++x)
        row += h.Pixel(uint32_t(x), 5) != 0xFF000000u ? '#' : '.';
    EXPECT_EQ(row, std::string(10, '#') + std::string(5, '.') + std::string(10, '#') + std::string(8, '.') +
                       std::string(10, '#') + std::string(7, '.') + std::string(10, '#') +
                       std::string(5, '.') + std::string(10, '#'));
}

TEST_F(StaticTextTest, LongLineWithoutScrollbarIsNotClipped) {
    Load("statictext st\n{\n Font fixed\n AreaRect 0 0 50 20\n WordWrap 0\n Text abcdefghij\n}\n");
    h.Frame();
    EXPECT_EQ(LitInRow(5), 100);
}

TEST_F(StaticTextTest, ScrollbarsElsewhereScrollAndClip) {
    Load("statictext st\n{\n Font fixed\n AreaRect 0 0 50 20\n WordWrap 0\n}\n"
         "widget side\n{\n AreaRect 200 0 100 300\n"
         " scrollbar st_auto_vscroll\n {\n  AreaRect 0 0 20 200\n  Vertical 1\n"
         "  widget st_auto_vscroll_auto_thumb\n  {\n   AreaRect 0 0 20 20\n  }\n }\n"
         " scrollbar st_auto_hscroll\n {\n  AreaRect 30 0 200 20\n"
         "  widget st_auto_hscroll_auto_thumb\n  {\n   AreaRect 0 0 20 20\n  }\n }\n}\n");
    GUI::StaticText* st = Text();
    st->SetText(u"a\nbb\nccc\ndddd\neeeeeeeeee");
    h.Frame();
    auto* vs = h.FindAs<GUI::Scrollbar>("st_auto_vscroll");
    auto* hs = h.FindAs<GUI::Scrollbar>("st_auto_hscroll");
    EXPECT_FLOAT_EQ(vs->GetPageSize(), 20.0f);
    EXPECT_FLOAT_EQ(vs->GetDocumentSize(), 50.0f);
    EXPECT_FLOAT_EQ(hs->GetDocumentSize(), 100.0f);
    EXPECT_FLOAT_EQ(st->GetTextHeight(), 20.0f); // higher than the widget, scrolled

    EXPECT_EQ(LitInRow(5), 10);
    EXPECT_EQ(LitInRow(15), 20);
    EXPECT_EQ(LitInRow(25, 0, 100), 0); // below the widget: clipped

    struct Case {
        float v, hpos;
        int row5, row15; // lit pixels in the two visible lines
    };
    const Case cases[] = {
        {20, 0, 30, 40},  // third line at the top
        {14, 0, 20, 30},  // rounds to the nearest line
        {30, 0, 40, 50},  // last line clipped to the widget's width
        {30, 30, 10, 50}, // "dddd" moved left by 30, "eeeeeeeeee" still fills the widget
    };
    for (const Case& c : cases) {
        vs->SetScrollPosition(c.v);
        hs->SetScrollPosition(c.hpos);
        h.Frame();
        EXPECT_FLOAT_EQ(st->GetVertOffset(), c.v);
        EXPECT_EQ(LitInRow(5), c.row5) << c.v << " " << c.hpos;
        EXPECT_EQ(LitInRow(15), c.row15) << c.v << " " << c.hpos;
    }

    // Resizing passes the new page sizes on.
    st->SetSize(40, 30);
    EXPECT_FLOAT_EQ(vs->GetPageSize(), 30.0f);
    EXPECT_FLOAT_EQ(hs->GetPageSize(), 40.0f);
}

TEST_F(StaticTextTest, EitherSideMayDieFirst) {
    const std::string script = "statictext st\n{\n Font fixed\n AreaRect 0 0 50 20\n}\n"
                               "scrollbar st_auto_vscroll\n{\n AreaRect 100 0 20 100\n Vertical 1\n"
                               " widget st_auto_vscroll_auto_thumb\n {\n  AreaRect 0 0 20 20\n }\n}\n";
    Load(script);
    Text()->SetText(u"a\nb\nc\nd");
    h.Frame();
    delete Text();
    auto* vs = h.FindAs<GUI::Scrollbar>("st_auto_vscroll");
    vs->SetScrollPosition(10); // nobody left to call
    h.Frame();

    h.Root()->RemoveAllChildren();
    Load(script);
    GUI::StaticText* st = Text();
    st->SetText(u"a\nb\nc\nd");
    h.Frame();
    delete h.Find("st_auto_vscroll");
    EXPECT_EQ(st->GetVertScrollbar(), nullptr);
    st->SetSize(60, 30);
    st->SetText(u"a\nb");
    h.Frame();
    EXPECT_FLOAT_EQ(st->GetTextHeight(), 20.0f);
}

TEST_F(StaticTextTest, NoFontDrawsNothing) {
    Load("statictext st\n{\n AreaRect 0 0 50 20\n Text abc\n}\n");
    h.Frame();
    EXPECT_TRUE(Text()->GetLayout().empty());
    EXPECT_EQ(LitInRow(5), 0);
}

} // namespace
