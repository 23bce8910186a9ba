// Hotkey texts and the characters keys type.

#include "mirel/gui/gui_event.h"
#include "mirel/gui/gui_keys.h"
#include "mirel/platform/window/a_platform_input.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

TEST(Keys, HotkeyTexts) {
    using namespace GUI;
    struct Case {
        const char* text;
        uint32_t key;
        uint32_t modifiers;
    } cases[] = {
        {"s", A_KEY_S, 0},
        {"ctrl s", A_KEY_S, MOD_CTRL},
        {"ctrl|shift|s", A_KEY_S, MOD_CTRL | MOD_SHIFT},
        {"CTRL\tAlt  F12", A_KEY_F12, MOD_CTRL | MOD_ALT},
        {"c|sh|a|pageDown", A_KEY_NEXT, MOD_CTRL | MOD_SHIFT | MOD_ALT}, // starts of the words
        {"ctrl | s", A_KEY_S, MOD_CTRL}, // the empty word between blank and "|" adds nothing
        {"||esc", A_KEY_ESCAPE, 0},
        {"control s", A_KEY_S, 0},   // longer than "ctrl": an ignored word
        {"ctrl bogus", 0, MOD_CTRL}, // unknown key: no hotkey
        {"ctrl s ", 0,
         MOD_CTRL | MOD_SHIFT}, // a blank after the key name leaves it missing ("s" starts "shift")
        {"", 0, 0},
        {"num+", A_KEY_ADD, 0},
        {"shift \\", A_KEY_BACKSLASH, MOD_SHIFT},
        {"numenter", A_KEY_NUMPADENTER, 0},
        {"space", A_KEY_SPACE, 0},
        {"rctrl", A_KEY_RCONTROL, 0},
    };
    for (const Case& c : cases) {
        uint32_t key = 99, mods = 99;
        ParseHotkey(c.text, key, mods);
        EXPECT_EQ(key, c.key) << '"' << c.text << '"';
        EXPECT_EQ(mods, c.modifiers) << '"' << c.text << '"';
    }
}

TEST(Keys, EveryKeyNameIsKnownAndDistinct) {
    const char* names[] = {"0",         "9",        "a",          "z",       "f1",     "f10",    "num0",
                           "num9",      "num/",     "num.",       "num*",    "num-",   "'",      "`",
                           "/",         ".",        "-",          "=",       "[",      "]",      ";",
                           "backspace", "capslock", "scrolllock", "numlock", "insert", "delete", "left",
                           "right",     "up",       "down",       "end",     "home",   "enter",  "pageup",
                           "pause",     "lalt",     "ralt",       "lshift",  "rshift", "tab"};
    for (const char* n : names)
        EXPECT_NE(GUI::KeyFromName(n), 0u) << n;
    EXPECT_EQ(GUI::KeyFromName("Home"), GUI::KeyFromName("HOME"));
    EXPECT_EQ(GUI::KeyFromName(","), 0u);
    EXPECT_EQ(GUI::KeyFromName("f13"), 0u);
}

TEST(Keys, CharactersOfKeys) {
    using namespace GUI;
    struct Case {
        uint32_t key;
        uint32_t modifiers;
        char expected;
    } cases[] = {
        {A_KEY_SPACE, 0, ' '},
        {A_KEY_SPACE, MOD_SHIFT, 0},
        {A_KEY_1, 0, '1'},
        {A_KEY_1, MOD_SHIFT, '!'},
        {A_KEY_A, 0, 'a'},
        {A_KEY_A, MOD_SHIFT, 'A'},
        {A_KEY_A, MOD_CAPSLOCK, 'A'},
        {A_KEY_A, MOD_CAPSLOCK | MOD_SHIFT, 'a'},
        {A_KEY_1, MOD_CAPSLOCK | MOD_SHIFT, '!'}, // caps lock flips letters only
        {A_KEY_GRAVE, MOD_SHIFT, '~'},
        {A_KEY_APOSTROPHE, MOD_SHIFT, '"'},
        {A_KEY_2, MOD_SHIFT, '@'},
        {A_KEY_6, MOD_SHIFT, '^'},
        {A_KEY_MINUS, MOD_SHIFT, '_'},
        {A_KEY_BACKSLASH, 0, '\\'},
        {A_KEY_COMMA, MOD_SHIFT, '<'},
        {A_KEY_SLASH, MOD_SHIFT, '?'},
        {A_KEY_Z, MOD_CTRL | MOD_ALT, 'z'}, // ctrl and alt do not matter
        {A_KEY_RETURN, 0, 0},
        {A_KEY_NUMPAD1, 0, 0},
        {300, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeyToChar(c.key, c.modifiers), c.expected) << c.key << " " << c.modifiers;

    // Every printable character is typed by exactly one key and shift state.
    std::string typed;
    for (uint32_t key = 0; key < 256; ++key)
        for (uint32_t shift = 0; shift < 2; ++shift)
            if (char c = KeyToChar(key, shift))
                typed += c;
    std::sort(typed.begin(), typed.end());
    std::string all;
    for (char c = 32; c < 127; ++c)
        all += c;
    EXPECT_EQ(typed, all);
}
