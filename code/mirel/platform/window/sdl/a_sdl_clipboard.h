#pragma once
// The desktop's clipboard over SDL2. It needs SDL's video part, which an
// open SDL window keeps running; without it nothing is read or written.
//
// SDL hands text over as UTF-8. Bytes that are not well-formed UTF-8 came
// from a program that offered 8-bit text only and are reported as such.

#include "mirel/platform/window/a_clipboard.h"

aClipboard& a_sdlClipboard();

// Sorts clipboard bytes into the two text forms: well-formed UTF-8 gives
// Unicode text (true), anything else the bytes as 8-bit text (false).
bool a_splitClipboardBytes(std::string_view bytes, std::u16string& unicode, std::string& ansi);
