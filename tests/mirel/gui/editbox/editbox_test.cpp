// The edit box: its key table, limits, character filter, clipboard, text set
// from outside, scrolling, blinking and drawing.

#include "mirel/gui/editbox/widget_test_host.h"
#include "mirel/gui/gui_editbox.h"
#include "mirel/platform/window/a_clipboard.h"
#include "mirel/platform/window/headless/a_headless_clipboard.h"

using namespace widgettest;
using GUI::Editbox;
using GUI::MOD_CTRL;
using GUI::MOD_SHIFT;

namespace {

constexpr uint32_t KEY_A = 0x1E, KEY_Q = 0x10;

class EditboxTest : public WidgetTest {
protected:
    void SetUp() override {
        WidgetTest::SetUp();
        a_setClipboard(&clipboard);
        box.SetAreaRect(0, 0, 100, 20);
        box.SetFont(font());
    }
    void TearDown() override {
        if (m_graph->isInScene())
            m_graph->endScene();
        a_setClipboard(nullptr);
        WidgetTest::TearDown();
    }
    void startFrame() {
        if (!m_graph->isInScene())
            m_graph->beginScene();
        clearTo(0xFF000000);
    }
    void type(const std::u16string& text) {
        for (char16_t c : text)
            box.InsertChar(c);
    }
    void place(const std::u16string& text, int caret, int selA, int selB) {
        box.SetText(text);
        box.SetSelection(selA, selB);
        box.SetCaretPosition(caret);
    }

    aHeadlessClipboard clipboard;
    Editbox box{"name"};
};

TEST_F(EditboxTest, KeyTable) {
    struct Case {
        const char* what;
        int caret, selA, selB;
        uint32_t key, mods;
        std::u16string text;
        int caretAfter, startAfter, endAfter;
    };
    // Every case starts from "ab  cd" (a, b, two blanks, c, d).
    const Case cases[] = {
        {"left", 3, 3, 3, Editbox::KEY_LEFT, 0, u"ab  cd", 2, 2, 2},
        {"left at 0", 0, 0, 0, Editbox::KEY_LEFT, 0, u"ab  cd", 0, 0, 0},
        {"right at end", 6, 6, 6, Editbox::KEY_RIGHT, 0, u"ab  cd", 6, 6, 6},
        {"ctrl left from end", 6, 6, 6, Editbox::KEY_LEFT, MOD_CTRL, u"ab  cd", 4, 4, 4},
        {"ctrl left from 4", 4, 4, 4, Editbox::KEY_LEFT, MOD_CTRL, u"ab  cd", 0, 0, 0},
        {"ctrl left inside blanks", 3, 3, 3, Editbox::KEY_LEFT, MOD_CTRL, u"ab  cd", 0, 0, 0},
        {"ctrl right from 0", 0, 0, 0, Editbox::KEY_RIGHT, MOD_CTRL, u"ab  cd", 4, 4, 4},
        {"ctrl right in last word", 4, 4, 4, Editbox::KEY_RIGHT, MOD_CTRL, u"ab  cd", 6, 6, 6},
        {"home", 3, 3, 3, Editbox::KEY_HOME, 0, u"ab  cd", 0, 0, 0},
        {"end", 1, 1, 1, Editbox::KEY_END, 0, u"ab  cd", 6, 6, 6},
        {"backspace", 2, 2, 2, Editbox::KEY_BACKSPACE, 0, u"a  cd", 1, 1, 1},
        {"backspace at 0", 0, 0, 0, Editbox::KEY_BACKSPACE, 0, u"ab  cd", 0, 0, 0},
        {"ctrl backspace", 4, 4, 4, Editbox::KEY_BACKSPACE, MOD_CTRL, u"cd", 0, 0, 0},
        {"backspace selection", 4, 1, 4, Editbox::KEY_BACKSPACE, 0, u"acd", 1, 1, 1},
        {"delete", 0, 0, 0, Editbox::KEY_DELETE, 0, u"b  cd", 0, 0, 0},
        {"delete at end", 6, 6, 6, Editbox::KEY_DELETE, 0, u"ab  cd", 6, 6, 6},
        {"ctrl delete", 0, 0, 0, Editbox::KEY_DELETE, MOD_CTRL, u"cd", 0, 0, 0},
        {"delete selection", 2, 2, 5, Editbox::KEY_DELETE, 0, u"abd", 2, 2, 2},
        {"left collapses", 4, 1, 4, Editbox::KEY_LEFT, 0, u"ab  cd", 3, 3, 3},
        {"shift left", 6, 6, 6, Editbox::KEY_LEFT, MOD_SHIFT, u"ab  cd", 5, 5, 6},
        {"shift left shrinks", 5, 2, 5, Editbox::KEY_LEFT, MOD_SHIFT, u"ab  cd", 4, 2, 4},
        {"shift right", 2, 2, 2, Editbox::KEY_RIGHT, MOD_SHIFT, u"ab  cd", 3, 2, 3},
        {"shift right shrinks", 2, 2, 5, Editbox::KEY_RIGHT, MOD_SHIFT, u"ab  cd", 3, 3, 5},
        {"shift home", 3, 3, 3, Editbox::KEY_HOME, MOD_SHIFT, u"ab  cd", 0, 0, 3},
        {"shift home from end of selection", 5, 2, 5, Editbox::KEY_HOME, MOD_SHIFT, u"ab  cd", 0, 0, 2},
        {"shift home from start of selection", 2, 2, 5, Editbox::KEY_HOME, MOD_SHIFT, u"ab  cd", 0, 0, 5},
        {"shift end from start of selection", 2, 2, 4, Editbox::KEY_END, MOD_SHIFT, u"ab  cd", 6, 4, 6},
        {"shift end from end of selection", 4, 2, 4, Editbox::KEY_END, MOD_SHIFT, u"ab  cd", 6, 2, 6},
        // A word jump past the anchor turns the selection round it.
        {"shift ctrl left past anchor", 6, 5, 6, Editbox::KEY_LEFT, MOD_SHIFT | MOD_CTRL, u"ab  cd", 4, 4, 5},
        {"shift ctrl right past anchor", 1, 1, 2, Editbox::KEY_RIGHT, MOD_SHIFT | MOD_CTRL, u"ab  cd", 4, 2,
         4},
        {"typing", 2, 2, 2, KEY_A, 0, u"aba  cd", 3, 3, 3},
        {"typing replaces selection", 4, 0, 4, KEY_Q, MOD_SHIFT, u"Qcd", 1, 1, 1},
        {"ctrl with a letter types it", 0, 0, 0, KEY_A, MOD_CTRL, u"aab  cd", 1, 1, 1},
        {"key without a character", 2, 2, 2, 28, 0, u"ab  cd", 2, 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        place(u"ab  cd", c.caret, c.selA, c.selB);
        key(box, c.key, c.mods);
        EXPECT_EQ(box.GetText(), c.text);
        EXPECT_EQ(box.GetCaretPosition(), c.caretAfter);
        EXPECT_EQ(box.GetSelectionStart(), c.startAfter);
        EXPECT_EQ(box.GetSelectionEnd(), c.endAfter);
    }
}

TEST_F(EditboxTest, EditsRaiseTextChangedPositionChangedAndKeyDown) {
    EventCounter text, position, keyDown;
    box.SubscribeEvent("TextChanged", &text);
    box.SubscribeEvent("PositionChanged", &position);
    box.SubscribeEvent("KeyDown", &keyDown);
    key(box, KEY_A);
    key(box, Editbox::KEY_LEFT);
    key(box, Editbox::KEY_LEFT); // at 0 already: no move
    EXPECT_EQ(text.count, 1);
    EXPECT_EQ(position.count, 2);
    EXPECT_EQ(keyDown.count, 3);
}

TEST_F(EditboxTest, LengthLimits) {
    // Width: 12 characters of 8 pixels leave room for the caret (2) in 100
    // pixels only while text, caret and the next character fit.
    EventCounter full;
    box.SubscribeEvent("EditboxFull", &full);
    type(u"abcdefghijklmno");
    EXPECT_EQ(box.GetText(), u"abcdefghijkl");
    EXPECT_EQ(full.count, 3);
    EXPECT_FALSE(box.InsertChar(u'x'));
    EXPECT_TRUE(box.InsertChar(0x00e9)); // filtered away: not a refusal

    Editbox limited("limited");
    limited.SetAreaRect(0, 0, 10, 20);
    limited.SetFont(font());
    fill(limited, {{"MaxLength", "3"}});
    for (char16_t c : std::u16string(u"abcd"))
        limited.InsertChar(c);
    EXPECT_EQ(limited.GetText(), u"abc"); // characters, not pixels

    // Longer text from outside stays, but takes no more.
    limited.SetText(u"abcdef");
    limited.SetCaretPosition(6);
    EXPECT_FALSE(limited.InsertChar(u'g'));
    EXPECT_EQ(limited.GetText(), u"abcdef");

    // A selection in a full box gives way to the character typed over it.
    limited.SetText(u"abc");
    limited.SetSelection(1, 3);
    limited.SetCaretPosition(3);
    key(limited, KEY_Q);
    EXPECT_EQ(limited.GetText(), u"aq");

    LogCapture log;
    fill(limited, {{"MaxLength", "-2"}});
    EXPECT_EQ(limited.GetMaxLength(), 0);
    EXPECT_TRUE(log.has("Editbox::EndFillProperties - invalid MaxLength '-2' in 'limited'"));
}

TEST_F(EditboxTest, CharacterSetAndCase) {
    struct Case {
        const char* charCase;
        const char* charset; // null: the default table
        std::u16string typed, result;
    };
    const Case cases[] = {
        {"upper", nullptr, u"a\u00e9\u0416z1", u"A\u0416Z1"},
        {"LOWER", nullptr, u"QwE", u"qwe"},
        {"other", nullptr, u"aB~\u007f", u"aB~\u007f"},
        {"upper", "0123456789", u"a1b2", u"12"},
        {"lower", "AB", u"ab", u""},                                  // folded to lower case, then refused
        {"unchanged", "\xe9\xff", u"\u00e9e\u00ff", u"\u00e9\u00ff"}, // bytes above 127
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.charCase);
        Editbox filtered("filtered");
        filtered.SetAreaRect(0, 0, 500, 20);
        filtered.SetFont(font());
        if (c.charset)
            fill(filtered, {{"CharCase", c.charCase}, {"Charset", c.charset}});
        else
            fill(filtered, {{"CharCase", c.charCase}});
        for (char16_t ch : c.typed)
            filtered.InsertChar(ch);
        EXPECT_EQ(filtered.GetText(), c.result);
    }
}

TEST_F(EditboxTest, AnExactSetRefusesCharactersAbove255AndSaysSo) {
    EventCounter refused;
    Editbox exact("exact");
    exact.SetAreaRect(0, 0, 500, 20);
    exact.SetFont(font());
    exact.SubscribeEvent("CharRefused", &refused);
    exact.SetAllowedChars(u"ab \u00ab\u2013");
    for (char16_t c : std::u16string(u"a\u00e9b\u0416 \u00ab\u2013\u2014"))
        exact.InsertChar(c);
    EXPECT_EQ(exact.GetText(), u"ab \u00ab\u2013");
    EXPECT_EQ(refused.count, 3); // the e acute, the Cyrillic letter and the em dash
    exact.InsertChar(0);         // a key that types nothing refuses nothing
    EXPECT_EQ(refused.count, 3);
    // A Charset given later sets the 8-bit table and lets every character above 255 through again.
    fill(exact, {{"Charset", "c"}});
    exact.InsertChar(u'a');
    exact.InsertChar(u'c');
    exact.InsertChar(u'\u0416');
    EXPECT_EQ(exact.GetText(), u"ab \u00ab\u2013c\u0416");
    EXPECT_EQ(refused.count, 4);
}

TEST_F(EditboxTest, CopyAndPaste) {
    fill(box, {{"AllowCopyPaste", "1"}, {"Charset", "0123456789"}, {"MaxLength", "6"}});
    box.SetText(u"1234");
    m_host.SetFocus(&box);
    EXPECT_EQ(box.GetSelectionStart(), 0); // focus selects everything
    EXPECT_EQ(box.GetSelectionEnd(), 4);
    EXPECT_EQ(box.GetCaretPosition(), 4);
    key(box, Editbox::KEY_C, MOD_CTRL);
    EXPECT_EQ(a_readClipboardText(clipboard), u"1234");

    // Letters are filtered away while pasting goes on; it stops when full.
    clipboard.setUnicodeText(u"9a8b7654");
    key(box, Editbox::KEY_V, MOD_CTRL);
    EXPECT_EQ(box.GetText(), u"987654");

    // 8-bit clipboard text comes through the Cyrillic code page.
    Editbox names("names");
    names.SetAreaRect(0, 0, 500, 20);
    names.SetFont(font());
    fill(names, {{"AllowCopyPaste", "1"}});
    clipboard.setAnsiText("\xc6z");
    key(names, Editbox::KEY_V, MOD_CTRL);
    EXPECT_EQ(names.GetText(), u"\u0416z");
    names.SetSelection(0, 1);
    key(names, Editbox::KEY_C, MOD_CTRL);
    EXPECT_EQ(a_readClipboardText(clipboard), u"\u0416");
    names.SetSelection(1, 1);
    key(names, Editbox::KEY_C, MOD_CTRL); // an empty selection empties the clipboard
    EXPECT_EQ(a_readClipboardText(clipboard), u"");

    // Without copy and paste the keys type their letters.
    Editbox plain("plain");
    plain.SetAreaRect(0, 0, 500, 20);
    plain.SetFont(font());
    clipboard.setUnicodeText(u"zz");
    key(plain, Editbox::KEY_V, MOD_CTRL);
    key(plain, Editbox::KEY_C, MOD_CTRL);
    EXPECT_EQ(plain.GetText(), u"vc");
    EXPECT_EQ(a_readClipboardText(clipboard), u"zz");
    m_host.SetFocus(&plain);
    EXPECT_EQ(plain.GetSelectionEnd(), plain.GetSelectionStart()); // no select-all
}

TEST_F(EditboxTest, TextFromOutsideKeepsCaretAndSelectionInside) {
    EventCounter position;
    box.SubscribeEvent("PositionChanged", &position);
    place(u"hello world", 11, 6, 11);
    position.count = 0;
    box.SetText(u"hi");
    EXPECT_EQ(box.GetCaretPosition(), 2);
    EXPECT_EQ(box.GetSelectionStart(), 2);
    EXPECT_EQ(box.GetSelectionEnd(), 2);
    EXPECT_EQ(position.count, 1);
    key(box, Editbox::KEY_BACKSPACE);
    key(box, Editbox::KEY_DELETE, MOD_SHIFT);
    EXPECT_EQ(box.GetText(), u"h");
    box.SetText(u"");
    key(box, Editbox::KEY_BACKSPACE, MOD_CTRL);
    key(box, Editbox::KEY_LEFT, MOD_CTRL | MOD_SHIFT);
    EXPECT_EQ(box.GetText(), u"");
    EXPECT_EQ(box.GetCaretPosition(), 0);
    EXPECT_EQ(box.GetSelectionEnd(), 0);
}

TEST_F(EditboxTest, ScrollKeepsTheCaretInView) {
    fill(box, {{"MaxLength", "40"}});
    for (int i = 0; i < 20; ++i)
        key(box, KEY_A);
    // Caret after 160 pixels of text, 2 wide, in a 100-pixel box.
    EXPECT_FLOAT_EQ(box.GetScrollOffset(), 100.0f - 160.0f - 2.0f);
    key(box, Editbox::KEY_LEFT);
    EXPECT_FLOAT_EQ(box.GetScrollOffset(), -62.0f); // still in view: no change
    key(box, Editbox::KEY_HOME);
    EXPECT_FLOAT_EQ(box.GetScrollOffset(), 0.0f);

    // Focus puts the caret at the end, in view; text from outside that fits
    // is shown from its start.
    m_host.SetFocus(&box);
    EXPECT_FLOAT_EQ(box.GetScrollOffset(), -62.0f);
    box.SetText(u"ab");
    EXPECT_FLOAT_EQ(box.GetScrollOffset(), 0.0f);
}

TEST_F(EditboxTest, CaretBlinksOnlyWithFocus) {
    m_host.SetFocus(&box);
    const struct {
        float dt;
        bool visible;
    } steps[] = {{0.5f, true}, {0.3f, false}, {0.5f, false}, {0.3f, true}, {0.4f, true}};
    for (const auto& s : steps) {
        box.UpdateFade(s.dt);
        EXPECT_EQ(box.IsCaretVisible(), s.visible);
    }
    key(box, KEY_A); // a key restarts the on phase
    box.UpdateFade(0.6f);
    EXPECT_TRUE(box.IsCaretVisible());

    fill(box, {{"CursorOnTime", "0"}, {"CursorOffTime", "0"}});
    box.UpdateFade(0.25f);
    EXPECT_TRUE(box.IsCaretVisible()); // no period: a steady caret
}

TEST_F(EditboxTest, DrawsSelectionTextAndCaretInsideTheBox) {
    Editbox drawn("drawn");
    drawn.SetAreaRect(10, 10, 30, 20);
    drawn.SetFont(font());
    fill(drawn, {{"AllowCopyPaste", "1"},
                 {"NormalTextColor", "ffff0000"},
                 {"CursorColor", "ff00ff00"},
                 {"SelectionColor", "ff0000ff"},
                 {"CursorChar", "|x"},
                 {"MaxLength", "9"}});
    drawn.SetText(u"ABCDEF"); // 48 pixels: more than the box shows
    m_host.SetFocus(&drawn);  // selects everything, caret at the end
    drawn.SetSelection(0, 1);
    key(drawn, Editbox::KEY_END); // scrolls: offset 30 - 48 - 2 = -20
    drawn.SetSelection(4, 5);
    startFrame();
    drawn.Draw();
    const uint32_t y = 10 + (20 - 15) / 2 + 2;
    EXPECT_EQ(px(9, y), 0xFF000000u);  // nothing left of the box
    EXPECT_EQ(px(10, y), 0xFFFF0000u); // third letter, from x 10 - 20 + 16 = 6
    EXPECT_EQ(px(23, y), 0xFFFF0000u); // fourth letter under no selection
    // The fifth letter covers its selection rectangle (same place and size).
    EXPECT_EQ(px(38, y), 0xFF00FF00u); // caret at 10 - 20 + 48 = 38, 2 wide
    EXPECT_EQ(px(39, y), 0xFF00FF00u);
    EXPECT_EQ(px(40, y), 0xFF000000u); // nothing right of the box
    EXPECT_EQ(px(20, 8), 0xFF000000u); // nor above it
    EXPECT_EQ(m_graph->getViewport(), aRect(0, 0, 128, 64));

    // Disabled: grey text, no caret, no selection.
    drawn.SetEnabled(false);
    startFrame();
    drawn.Draw();
    EXPECT_EQ(px(23, y), 0xFF808080u);
    EXPECT_EQ(px(38, y), 0xFF000000u);
}

TEST_F(EditboxTest, SelectionIsDrawnUnderTheText) {
    Editbox drawn("drawn");
    drawn.SetAreaRect(0, 0, 100, 20);
    drawn.SetFont(font());
    fill(drawn, {{"AllowCopyPaste", "1"}, {"NormalTextColor", "00000000"}, {"SelectionColor", "ff0000ff"}});
    drawn.SetText(u"AB C");
    m_host.SetFocus(&drawn);
    drawn.SetSelection(1, 3);
    startFrame();
    drawn.Draw();
    const uint32_t y = 5;
    EXPECT_EQ(px(7, y), 0xFF000000u);
    EXPECT_EQ(px(8, y), 0xFF0000FFu);
    EXPECT_EQ(px(23, y), 0xFF0000FFu);
    EXPECT_EQ(px(24, y), 0xFF000000u);
}

} // namespace
