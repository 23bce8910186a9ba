#pragma once
// Text conversions between UTF-8, UTF-16 (the engine's display text) and the
// Windows-1251 code page used by older data files.
//
// Decoding never stops early: every byte that does not start a well-formed
// UTF-8 sequence (bad lead byte, bad continuation, cut-off sequence, overlong
// form, encoded surrogate, value above U+10FFFF) becomes one U+FFFD and
// decoding goes on with the next byte that may start a sequence. Characters
// above U+FFFF become surrogate pairs.

#include <cstddef>
#include <string>
#include <string_view>

// UTF-8 bytes to UTF-16.
std::u16string decodeUtf8(const char* bytes, size_t length);
std::u16string utf8ToWide(std::string_view text);

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string wideToUtf8(std::u16string_view text);

// Appends one code point; surrogates and values above U+10FFFF become U+FFFD.
void appendCodePoint(std::u16string& out, char32_t c);
void appendUtf8(std::string& out, char32_t c);

// Windows-1251 bytes to UTF-16: bytes below 0x80 are kept, the others are
// looked up in the code page (0x98, which the code page leaves unassigned,
// becomes U+FFFD).
std::u16string ansiToWide(std::string_view text);

// UTF-16 to Windows-1251: characters below 0x80 are kept, characters of the
// code page become their byte, any other character (a surrogate pair counts
// as one) becomes '?'.
std::string wideToAnsi(std::u16string_view text);
