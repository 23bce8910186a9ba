// An edit box from a GUI script, focused by a click and typed into through
// the server's key dispatch.

#include "mirel/gui/gui_editbox.h"
#include "mirel/gui/gui_widgetfactory.h"
#include "mirel/platform/window/a_clipboard.h"
#include "mirel/platform/window/headless/a_headless_clipboard.h"
#include "support/gui_harness.h"

#include <string>
#include <vector>

namespace {

constexpr uint8_t SHIFT = 0x2A, CTRL = 0x1D, KEY_A = 0x1E, KEY_B = 0x30, KEY_C = 0x2E, KEY_V = 0x2F,
                  HOME = 0xC7, LEFT = 0xCB;

class EditboxScriptTest : public guitest::GuiFixture {
protected:
    void SetUp() override {
        // Already there once the factory lists the type itself.
        GUI::WidgetFactory::Instance().Register("editbox", &GUI::WidgetFactory::Create<GUI::Editbox>);
        a_setClipboard(&clipboard);
    }
    void TearDown() override { a_setClipboard(nullptr); }
    // Presses the keys together for one frame and lets them go in the next.
    void chord(std::initializer_list<uint8_t> keys) {
        for (uint8_t k : keys)
            h.SetKey(k, true);
        h.Frame();
        for (uint8_t k : keys)
            h.SetKey(k, false);
        h.Frame();
    }
    aHeadlessClipboard clipboard;
};

TEST_F(EditboxScriptTest, ClickTypeRepeatSelectCopyPaste) {
    h.LoadScript("editbox name\n{\n AreaRect 10 10 200 20\n MaxLength 8\n AllowCopyPaste 1\n"
                 " Text start\n}\n");
    auto* box = h.FindAs<GUI::Editbox>("name");
    ASSERT_TRUE(box);
    h.SetCursor(15, 15);
    h.Frame();
    h.SetButton(0, true);
    h.Frame();
    h.SetButton(0, false);
    h.Frame();
    ASSERT_TRUE(box->IsFocused());
    EXPECT_EQ(box->GetSelectionEnd() - box->GetSelectionStart(), 5); // everything selected

    chord({SHIFT, KEY_A}); // replaces the selection
    chord({KEY_A});
    // Held: one at once, the next after the repeat delay, then at the rate,
    // until the box is full.
    h.SetKey(KEY_B, true);
    for (int i = 0; i < 50; ++i)
        h.Frame();
    h.SetKey(KEY_B, false);
    h.Frame();
    EXPECT_EQ(box->GetText(), u"Aabbbbbb");

    chord({LEFT});
    h.SetKey(SHIFT, true);
    chord({HOME});
    h.SetKey(SHIFT, false);
    EXPECT_EQ(box->GetSelectionStart(), 0);
    EXPECT_EQ(box->GetSelectionEnd(), 7);
    h.SetKey(CTRL, true);
    chord({KEY_C});
    EXPECT_EQ(a_readClipboardText(clipboard), u"Aabbbbb");
    clipboard.setUnicodeText(u"xy");
    chord({KEY_V});
    h.SetKey(CTRL, false);
    h.Frame();
    EXPECT_EQ(box->GetText(), u"xyb");
    EXPECT_EQ(box->GetCaretPosition(), 2);
}

// Fast typing: several keys go down (and some up again) between two frames.
// The box gets the letters in the order they were pressed, each with the
// shift of its own moment, and a key pressed and let go types once.
TEST_F(EditboxScriptTest, LettersTypedWithinOneFrameKeepTheirOrder) {
    constexpr uint8_t L = 0x26, I = 0x17, E = 0x12, H = 0x23, O = 0x18, N = 0x31;
    struct Step {
        uint8_t key;
        bool down;
    };
    struct Case {
        const char* what;
        std::vector<Step> steps; // all before one frame
        std::u16string expected;
    };
    const Case cases[] = {
        {"shifted first letter",
         {{SHIFT, true}, {KEY_A, true}, {SHIFT, false}, {L, true}, {I, true}, {KEY_C, true}, {E, true}},
         u"Alice"},
        {"codes falling", {{N, true}, {KEY_B, true}, {KEY_A, true}}, u"nba"},
        {"a key twice", {{H, true}, {E, true}, {L, true}, {L, false}, {L, true}, {O, true}}, u"hello"},
        {"pressed and let go", {{KEY_A, true}, {KEY_A, false}}, u"a"},
        {"let go in any order", {{KEY_B, true}, {E, true}, {KEY_B, false}, {E, false}}, u"be"},
    };
    h.LoadScript("editbox name\n{\n AreaRect 10 10 200 20\n MaxLength 20\n}\n");
    auto* box = h.FindAs<GUI::Editbox>("name");
    ASSERT_TRUE(box);
    for (const Case& c : cases) {
        h.server->SetFocus(box);
        box->SetText(u"");
        for (const Step& step : c.steps)
            h.SetKey(step.key, step.down);
        h.Frame();
        h.Frame(); // keys still held do not type again
        h.window->releaseAllKeys();
        h.Frame();
        h.Frame();
        EXPECT_EQ(box->GetText(), c.expected) << c.what;
    }
}

} // namespace
