#pragma once
// The engine's formatter for formats that come from data (locale strings,
// option files). The arguments are typed, so the format can never make it
// read memory it was not given.
//
//   a_format(u"%d of %d found", {found, total})
//   a_format("%-8s|%05.1f", {name, 3.25})
//
// Conversions: %d %i %u %x %X %f %s %c and %%, with the flags - + space # 0,
// a width and a precision (written as numbers; at most 1024 each). Length
// modifiers (h, l, ll) are accepted and ignored: the argument carries its type.
// %d %i %u %x %X take integers and characters, %f takes numbers, %s takes
// strings, %c takes characters and integers (a code point).
//
// A conversion that does not fit (an unknown or incomplete conversion, a '*'
// width or precision, a missing argument, an argument of the wrong kind, a
// width or precision above the limit) is written out literally as it stands
// in the format; an argument of the wrong kind is still used up, so the rest
// of the format keeps its arguments. Arguments left over are ignored. Each
// call logs its first mismatch once: "a_format - <what> in '<format>'".
//
// The narrow variant writes UTF-8 (wide string arguments are encoded); the
// wide variant reads narrow string arguments as UTF-8.

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

template <typename T>
concept aFormatCharType = std::is_same_v<T, char> || std::is_same_v<T, wchar_t> ||
    std::is_same_v<T, char8_t> || std::is_same_v<T, char16_t> || std::is_same_v<T, char32_t>;
template <typename T>
concept aFormatIntegerType = std::is_integral_v<T> && !aFormatCharType<T>;
template <typename T>
concept aFormatEnumType = std::is_enum_v<T>;

class aFormatArg {
public:
    enum class Kind { Int, UInt, Float, Char, Text, WideText };

    template <aFormatIntegerType T> aFormatArg(T value) {
        if constexpr (std::is_signed_v<T>) {
            m_kind = Kind::Int;
            m_int = value;
        } else {
            m_kind = Kind::UInt;
            m_uint = value;
        }
    }
    template <aFormatEnumType T>
    aFormatArg(T value) : aFormatArg(static_cast<std::underlying_type_t<T>>(value)) {}
    template <std::floating_point T>
    aFormatArg(T value) : m_kind(Kind::Float), m_float(static_cast<double>(value)) {}
    aFormatArg(char value) : m_kind(Kind::Char), m_char(static_cast<unsigned char>(value)) {}
    aFormatArg(char16_t value) : m_kind(Kind::Char), m_char(value) {}
    aFormatArg(char32_t value) : m_kind(Kind::Char), m_char(value) {}
    aFormatArg(const char* text) : m_kind(Kind::Text), m_text(text ? text : "") {}
    aFormatArg(std::string_view text) : m_kind(Kind::Text), m_text(text) {}
    aFormatArg(const std::string& text) : m_kind(Kind::Text), m_text(text) {}
    aFormatArg(const char16_t* text) : m_kind(Kind::WideText), m_wide(text ? text : u"") {}
    aFormatArg(std::u16string_view text) : m_kind(Kind::WideText), m_wide(text) {}
    aFormatArg(const std::u16string& text) : m_kind(Kind::WideText), m_wide(text) {}

    Kind kind() const { return m_kind; }
    int64_t asInt() const { return m_int; }
    uint64_t asUInt() const { return m_uint; }
    double asFloat() const { return m_float; }
    char32_t asChar() const { return m_char; }
    std::string_view asText() const { return m_text; }
    std::u16string_view asWideText() const { return m_wide; }

private:
    Kind m_kind;
    union {
        int64_t m_int;
        uint64_t m_uint;
        double m_float;
        char32_t m_char;
    };
    std::string_view m_text;
    std::u16string_view m_wide;
};

std::u16string a_format(std::u16string_view format, std::initializer_list<aFormatArg> args);
std::string a_format(std::string_view format, std::initializer_list<aFormatArg> args);
