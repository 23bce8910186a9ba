// A player's name in the log, kept whole in a sentence and on one line.

#include "name_font.h"

#include "game/profiles/player_name.h"
#include "mirel/gui/gui_statictext.h"

#include <gtest/gtest.h>

namespace {

TEST(PlayerName, TheLogShowsControlCharactersEscaped) {
    const struct {
        std::string name, logged;
    } cases[] = {
        {"Bo", "Bo"},
        {"Bo\nFake log line", "Bo\\x0aFake log line"},
        {"\x1b[31mred\r", "\\x1b[31mred\\x0d"},
        {std::string("a\0b", 3), "a\\x00b"},
        {"tab\there\x7f", "tab\\x09here\\x7f"},
        {"back\\slash", "back\\\\slash"},
        {"\xab\xc6\xbb \x96 \x88", "\u00ab\u0416\u00bb \u2013 \u20ac"}, // code-page letters in UTF-8
        {"\x98", "\\x98"},                                              // the byte the code page leaves out
    };
    for (const auto& c : cases)
        EXPECT_EQ(NameForLog(c.name), c.logged) << c.logged;
}

class PlayerNameLayout : public ::testing::Test {
protected:
    void SetUp() override {
        h.LoadScript(gametest::NameFontSection(h) +
                     "statictext line\n{\n AreaRect 0 0 100 20\n Font fixed\n}\n"
                     "statictext small\n{\n AreaRect 0 30 100 40\n Font fixed\n FontSize 0.5\n}\n");
    }
    GUI::StaticText* Text(const std::string& name) { return dynamic_cast<GUI::StaticText*>(h.Find(name)); }
    guitest::GuiHarness h;
};

TEST_F(PlayerNameLayout, ALongNameShrinksToOneLineAndAShortOneGetsTheLayoutsSize) {
    GUI::StaticText* line = Text("line");
    ASSERT_NE(line, nullptr);
    // Ten W of 20 pixels in a line of 100: half the size.
    ShowOnOneLine(line, u"WWWWWWWWWW", 1.0f);
    EXPECT_EQ(line->GetLayout().size(), 1u);
    EXPECT_LE(line->GetTextWidth(), 100.0f);
    EXPECT_GT(line->GetTextWidth(), 80.0f) << "no smaller than it must be";
    EXPECT_EQ(line->GetText(), u"WWWWWWWWWW");
    // A name with blanks is not wrapped either.
    ShowOnOneLine(line, u"ww ww ww ww ww", 1.0f);
    EXPECT_EQ(line->GetLayout().size(), 1u);
    ShowOnOneLine(line, u"Bo", 1.0f);
    EXPECT_FLOAT_EQ(line->GetFontSize(), 1.0f);

    // The layout's own size is the largest one.
    GUI::StaticText* small = Text("small");
    ShowOnOneLine(small, u"WWWWWWWWWW", 0.5f);
    EXPECT_FLOAT_EQ(small->GetFontSize(), 0.5f);
    EXPECT_EQ(small->GetLayout().size(), 1u);
    ShowOnOneLine(small, u"WWWWWWWWWWWW", 0.5f);
    EXPECT_LT(small->GetFontSize(), 0.5f);
    EXPECT_LE(small->GetTextWidth(), 100.0f);
}

TEST_F(PlayerNameLayout, ANameInASentenceMovesToTheNextLineWhole) {
    // "hi to ann" fits the line of 100, "hi to ann bob." does not.
    GUI::StaticText* line = Text("line");
    line->SetFontSize(1.0f);
    const std::u16string name = NameKeptWhole("ann bob", line->GetFont());
    line->SetText(u"hi to " + name + u".");
    ASSERT_EQ(line->GetLayout().size(), 2u);
    ASSERT_EQ(line->GetLayout()[1].words.size(), 1u);
    EXPECT_EQ(line->GetLayout()[1].words[0].text, u"ann\u00a0bob.");
    EXPECT_EQ(NameKeptWhole("ann bob", nullptr), u"ann bob"); // no font that draws the unbreakable blank
    EXPECT_EQ(NameKeptWhole("\xab\xc6", nullptr), u"\u00ab\u0416"); // the code page's letters
}

} // namespace
