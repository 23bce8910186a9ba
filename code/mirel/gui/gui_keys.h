#pragma once
// Key names of hotkey texts and the characters keys type.

#include <cstdint>
#include <string_view>

namespace GUI {

// The key code of a hotkey key name ("a", "f1", "num+", "pageup", ...), in any
// letter case; 0 for an unknown name.
uint32_t KeyFromName(std::string_view name);

// Reads a hotkey text: modifier words ("shift", "ctrl", "alt" or any start of
// them) and one key name, separated by "|", blanks or tabs. An empty word adds
// nothing and other words are ignored. The key name is the last word; when
// it is unknown or missing (the text ends in a separator) the key is 0,
// meaning no hotkey. Modifiers are MOD_SHIFT, MOD_CTRL and MOD_ALT bits.
void ParseHotkey(std::string_view text, uint32_t& key, uint32_t& modifiers);

// The printable character (32..126) that the key types with the modifiers on
// a US English layout, 0 when none. Caps lock flips the case of letters.
char KeyToChar(uint32_t key, uint32_t modifiers);

// Shift, Ctrl, Alt and the system keys of either side, and the lock keys:
// keys that change what others do rather than act themselves.
bool IsModifierOrLockKey(uint32_t key);

} // namespace GUI
