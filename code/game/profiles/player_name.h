#pragma once
// How a player's name is shown. Names are bytes of the game's 8-bit code page
// (the profiles file stores them so); on the screen a long name keeps to one
// line (the title's line, the question before a player is deleted) or stays
// whole inside a sentence (the map's greeting), and in the log it cannot
// break a line or pass for another text.

#include <string>

class aFont;

namespace GUI {
class Widget;
} // namespace GUI

// The name as a log line quotes it: its characters in UTF-8, control
// characters (and the one byte the code page leaves unassigned) as "\xNN",
// a backslash doubled.
std::string NameForLog(const std::string& name);

// The name's text with its blanks made unbreakable (when the font draws the
// unbreakable blank), so that a wrapped sentence moves it to the next line
// whole instead of breaking it.
std::u16string NameKeptWhole(const std::string& name, const aFont* font);

// Sets the static text's text at the given font size, or, when the text
// does not fit one line of the widget at that size, at the largest size at
// which it does.
void ShowOnOneLine(GUI::Widget* line, const std::u16string& text, float fontSize);
