#include "mirel/gui/gui_keys.h"

#include "mirel/base/a_string.h"
#include "mirel/gui/gui_event.h"
#include "mirel/platform/window/a_platform_input.h"

#include <iterator>

namespace GUI {

namespace {

struct KeyName {
    const char* name;
    uint8_t code;
};

const KeyName kKeyNames[] = {
    {"0", A_KEY_0},
    {"1", A_KEY_1},
    {"2", A_KEY_2},
    {"3", A_KEY_3},
    {"4", A_KEY_4},
    {"5", A_KEY_5},
    {"6", A_KEY_6},
    {"7", A_KEY_7},
    {"8", A_KEY_8},
    {"9", A_KEY_9},
    {"a", A_KEY_A},
    {"b", A_KEY_B},
    {"c", A_KEY_C},
    {"d", A_KEY_D},
    {"e", A_KEY_E},
    {"f", A_KEY_F},
    {"g", A_KEY_G},
    {"h", A_KEY_H},
    {"i", A_KEY_I},
    {"j", A_KEY_J},
    {"k", A_KEY_K},
    {"l", A_KEY_L},
    {"m", A_KEY_M},
    {"n", A_KEY_N},
    {"o", A_KEY_O},
    {"p", A_KEY_P},
    {"q", A_KEY_Q},
    {"r", A_KEY_R},
    {"s", A_KEY_S},
    {"t", A_KEY_T},
    {"u", A_KEY_U},
    {"v", A_KEY_V},
    {"w", A_KEY_W},
    {"x", A_KEY_X},
    {"y", A_KEY_Y},
    {"z", A_KEY_Z},
    {"f1", A_KEY_F1},
    {"f2", A_KEY_F2},
    {"f3", A_KEY_F3},
    {"f4", A_KEY_F4},
    {"f5", A_KEY_F5},
    {"f6", A_KEY_F6},
    {"f7", A_KEY_F7},
    {"f8", A_KEY_F8},
    {"f9", A_KEY_F9},
    {"f10", A_KEY_F10},
    {"f11", A_KEY_F11},
    {"f12", A_KEY_F12},
    {"num0", A_KEY_NUMPAD0},
    {"num1", A_KEY_NUMPAD1},
    {"num2", A_KEY_NUMPAD2},
    {"num3", A_KEY_NUMPAD3},
    {"num4", A_KEY_NUMPAD4},
    {"num5", A_KEY_NUMPAD5},
    {"num6", A_KEY_NUMPAD6},
    {"num7", A_KEY_NUMPAD7},
    {"num8", A_KEY_NUMPAD8},
    {"num9", A_KEY_NUMPAD9},
    {"numenter", A_KEY_NUMPADENTER},
    {"num+", A_KEY_ADD},
    {"num/", A_KEY_DIVIDE},
    {"num.", A_KEY_DECIMAL},
    {"num*", A_KEY_MULTIPLY},
    {"num-", A_KEY_SUBTRACT},
    {"'", A_KEY_APOSTROPHE},
    {"`", A_KEY_GRAVE},
    {"/", A_KEY_SLASH},
    {"\\", A_KEY_BACKSLASH},
    {".", A_KEY_PERIOD},
    {"-", A_KEY_MINUS},
    {"=", A_KEY_EQUALS},
    {"[", A_KEY_LBRACKET},
    {"]", A_KEY_RBRACKET},
    {";", A_KEY_SEMICOLON},
    {"backspace", A_KEY_BACK},
    {"capslock", A_KEY_CAPITAL},
    {"scrolllock", A_KEY_SCROLL},
    {"numlock", A_KEY_NUMLOCK},
    {"insert", A_KEY_INSERT},
    {"delete", A_KEY_DELETE},
    {"left", A_KEY_LEFT},
    {"right", A_KEY_RIGHT},
    {"up", A_KEY_UP},
    {"down", A_KEY_DOWN},
    {"end", A_KEY_END},
    {"esc", A_KEY_ESCAPE},
    {"home", A_KEY_HOME},
    {"enter", A_KEY_RETURN},
    {"pageup", A_KEY_PRIOR},
    {"pagedown", A_KEY_NEXT},
    {"pause", A_KEY_PAUSE},
    {"lctrl", A_KEY_LCONTROL},
    {"rctrl", A_KEY_RCONTROL},
    {"lalt", A_KEY_LMENU},
    {"ralt", A_KEY_RMENU},
    {"lshift", A_KEY_LSHIFT},
    {"rshift", A_KEY_RSHIFT},
    {"tab", A_KEY_TAB},
    {"space", A_KEY_SPACE},
};
static_assert(std::size(kKeyNames) == 99);

// The key and shift state that type each character from 32 (blank) to 126.
struct CharKey {
    uint8_t code;
    bool shift;
};

const CharKey kCharKeys[] = {
    {A_KEY_SPACE, false},      // ' '
    {A_KEY_1, true},           // !
    {A_KEY_APOSTROPHE, true},  // "
    {A_KEY_3, true},           // #
    {A_KEY_4, true},           // $
    {A_KEY_5, true},           // %
    {A_KEY_7, true},           // &
    {A_KEY_APOSTROPHE, false}, // '
    {A_KEY_9, true},           // (
    {A_KEY_0, true},           // )
    {A_KEY_8, true},           // *
    {A_KEY_EQUALS, true},      // +
    {A_KEY_COMMA, false},      // ,
    {A_KEY_MINUS, false},      // -
    {A_KEY_PERIOD, false},     // .
    {A_KEY_SLASH, false},      // /
    {A_KEY_0, false},          {A_KEY_1, false},        {A_KEY_2, false}, {A_KEY_3, false}, {A_KEY_4, false},
    {A_KEY_5, false},          {A_KEY_6, false},        {A_KEY_7, false}, {A_KEY_8, false}, {A_KEY_9, false},
    {A_KEY_SEMICOLON, true},  // :
    {A_KEY_SEMICOLON, false}, // ;
    {A_KEY_COMMA, true},      // <
    {A_KEY_EQUALS, false},    // =
    {A_KEY_PERIOD, true},     // >
    {A_KEY_SLASH, true},      // ?
    {A_KEY_2, true},          // @
    {A_KEY_A, true},           {A_KEY_B, true},         {A_KEY_C, true},  {A_KEY_D, true},  {A_KEY_E, true},
    {A_KEY_F, true},           {A_KEY_G, true},         {A_KEY_H, true},  {A_KEY_I, true},  {A_KEY_J, true},
    {A_KEY_K, true},           {A_KEY_L, true},         {A_KEY_M, true},  {A_KEY_N, true},  {A_KEY_O, true},
    {A_KEY_P, true},           {A_KEY_Q, true},         {A_KEY_R, true},  {A_KEY_S, true},  {A_KEY_T, true},
    {A_KEY_U, true},           {A_KEY_V, true},         {A_KEY_W, true},  {A_KEY_X, true},  {A_KEY_Y, true},
    {A_KEY_Z, true},           {A_KEY_LBRACKET, false}, // [
    {A_KEY_BACKSLASH, false},                           // backslash
    {A_KEY_RBRACKET, false},                            // ]
    {A_KEY_6, true},                                    // ^
    {A_KEY_MINUS, true},                                // _
    {A_KEY_GRAVE, false},                               // `
    {A_KEY_A, false},          {A_KEY_B, false},        {A_KEY_C, false}, {A_KEY_D, false}, {A_KEY_E, false},
    {A_KEY_F, false},          {A_KEY_G, false},        {A_KEY_H, false}, {A_KEY_I, false}, {A_KEY_J, false},
    {A_KEY_K, false},          {A_KEY_L, false},        {A_KEY_M, false}, {A_KEY_N, false}, {A_KEY_O, false},
    {A_KEY_P, false},          {A_KEY_Q, false},        {A_KEY_R, false}, {A_KEY_S, false}, {A_KEY_T, false},
    {A_KEY_U, false},          {A_KEY_V, false},        {A_KEY_W, false}, {A_KEY_X, false}, {A_KEY_Y, false},
    {A_KEY_Z, false},          {A_KEY_LBRACKET, true}, // {
    {A_KEY_BACKSLASH, true},                           // |
    {A_KEY_RBRACKET, true},                            // }
    {A_KEY_GRAVE, true},                               // ~
};
static_assert(std::size(kCharKeys) == 95);

bool isSeparator(char c) {
    return c == '|' || c == ' ' || c == '\t';
}

// True when the word is a non-empty start of the modifier name.
bool startsModifier(std::string_view word, std::string_view name) {
    return !word.empty() && word.size() <= name.size() && a_stricmp(word, name.substr(0, word.size())) == 0;
}

} // namespace

uint32_t KeyFromName(std::string_view name) {
    for (const KeyName& k : kKeyNames) {
        if (a_stricmp(name, k.name) == 0) {
            return k.code;
        }
    }
    return 0;
}

void ParseHotkey(std::string_view text, uint32_t& key, uint32_t& modifiers) {
    key = 0;
    modifiers = 0;
    size_t pos = 0;
    for (;;) {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) {
            ++pos;
        }
        size_t end = pos;
        while (end < text.size() && !isSeparator(text[end])) {
            ++end;
        }
        const std::string_view word = text.substr(pos, end - pos);
        if (end == text.size()) {
            key = KeyFromName(word); // the rest of the text names the key
            return;
        }
        if (startsModifier(word, "shift")) {
            modifiers |= MOD_SHIFT;
        } else if (startsModifier(word, "alt")) {
            modifiers |= MOD_ALT;
        } else if (startsModifier(word, "ctrl")) {
            modifiers |= MOD_CTRL;
        }
        pos = end + 1;
    }
}

char KeyToChar(uint32_t key, uint32_t modifiers) {
    const bool shift = (modifiers & MOD_SHIFT) != 0;
    for (size_t i = 0; i < std::size(kCharKeys); ++i) {
        if (kCharKeys[i].code == key && kCharKeys[i].shift == shift) {
            char c = static_cast<char>(32 + i);
            if (modifiers & MOD_CAPSLOCK) {
                if (c >= 'a' && c <= 'z') {
                    c = a_toUpperAscii(c);
                } else if (c >= 'A' && c <= 'Z') {
                    c = a_toLowerAscii(c);
                }
            }
            return c;
        }
    }
    return 0;
}

bool IsModifierOrLockKey(uint32_t key) {
    switch (key) {
    case A_KEY_LSHIFT:
    case A_KEY_RSHIFT:
    case A_KEY_LCONTROL:
    case A_KEY_RCONTROL:
    case A_KEY_LMENU:
    case A_KEY_RMENU:
    case A_KEY_LWIN:
    case A_KEY_RWIN:
    case A_KEY_APPS:
    case A_KEY_CAPITAL:
    case A_KEY_NUMLOCK:
    case A_KEY_SCROLL:
        return true;
    default:
        return false;
    }
}

} // namespace GUI
