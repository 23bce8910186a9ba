#pragma once
// ASCII case-insensitive comparison for the engine's name-keyed tables.

#include <string>
#include <string_view>

// <0, 0, >0 like _stricmp: letters A-Z compare as a-z, other bytes as unsigned.
int a_stricmp(std::string_view a, std::string_view b);

inline char a_toLowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
inline char a_toUpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
std::string a_toLowerAscii(std::string_view s);

struct StringLessNoCase {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return a_stricmp(a, b) < 0; }
};
