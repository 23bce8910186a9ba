#include "mirel/base/a_format.h"

#include "mirel/base/a_log.h"
#include "mirel/base/a_utf.h"

#include <climits>
#include <cstdarg>
#include <cstdio>

namespace {

constexpr unsigned kMaxField = 1024;

struct Spec {
    bool left = false, plus = false, space = false, alt = false, zero = false;
    unsigned width = 0;
    bool hasPrecision = false;
    unsigned precision = 0;
    bool star = false, tooBig = false;
    char conv = 0; // 0: the format ended inside the conversion
};

template <typename CharT> bool isDigit(CharT c) {
    return c >= '0' && c <= '9';
}

// Reads the conversion after the '%' at `pos`; returns the index just past it.
template <typename CharT> size_t scanSpec(std::basic_string_view<CharT> f, size_t pos, Spec& spec) {
    size_t i = pos + 1;
    const size_t n = f.size();
    for (; i < n; ++i) {
        CharT c = f[i];
        if (c == '-') {
            spec.left = true;
        } else if (c == '+') {
            spec.plus = true;
        } else if (c == ' ') {
            spec.space = true;
        } else if (c == '#') {
            spec.alt = true;
        } else if (c == '0') {
            spec.zero = true;
        } else {
            break;
        }
    }
    auto number = [&](unsigned& value) {
        while (i < n && isDigit(f[i])) {
            if (value <= kMaxField) {
                value = value * 10 + static_cast<unsigned>(f[i] - '0');
            }
            ++i;
        }
        if (value > kMaxField) {
            spec.tooBig = true;
        }
    };
    if (i < n && f[i] == '*') {
        spec.star = true;
        ++i;
    } else {
        number(spec.width);
    }
    if (i < n && f[i] == '.') {
        ++i;
        spec.hasPrecision = true;
        if (i < n && f[i] == '*') {
            spec.star = true;
            ++i;
        } else {
            number(spec.precision);
        }
    }
    for (int k = 0; k < 2 && i < n && (f[i] == 'h' || f[i] == 'l'); ++k) {
        ++i;
    }
    if (i < n) {
        CharT c = f[i];
        spec.conv = (c > 0 && c < 0x80) ? static_cast<char>(c) : '?';
        ++i;
    }
    return i;
}

// printf over a format built here from checked pieces only.
std::string printfPiece(const Spec& s, const char* conv, ...) {
    std::string format = "%";
    if (s.left)
        format += '-';
    if (s.plus)
        format += '+';
    if (s.space)
        format += ' ';
    if (s.alt)
        format += '#';
    if (s.zero)
        format += '0';
    if (s.width)
        format += std::to_string(s.width);
    if (s.hasPrecision)
        format += "." + std::to_string(s.precision);
    format += conv;
    va_list args, copy;
    va_start(args, conv);
    va_copy(copy, args);
    int len = std::vsnprintf(nullptr, 0, format.c_str(), args);
    va_end(args);
    std::string out;
    if (len > 0) {
        out.resize(static_cast<size_t>(len) + 1);
        std::vsnprintf(out.data(), out.size(), format.c_str(), copy);
        out.resize(static_cast<size_t>(len));
    }
    va_end(copy);
    return out;
}

template <typename Out> void appendAscii(Out& out, const std::string& s) {
    for (char c : s) {
        out += static_cast<typename Out::value_type>(static_cast<unsigned char>(c));
    }
}

void appendChar(std::u16string& out, char32_t c) {
    appendCodePoint(out, c);
}
void appendChar(std::string& out, char32_t c) {
    appendUtf8(out, c);
}

// A string argument as text of the output's kind.
std::u16string asOutput(const aFormatArg& a, std::u16string*) {
    return a.kind() == aFormatArg::Kind::Text ? utf8ToWide(a.asText()) : std::u16string(a.asWideText());
}
std::string asOutput(const aFormatArg& a, std::string*) {
    return a.kind() == aFormatArg::Kind::Text ? std::string(a.asText()) : wideToUtf8(a.asWideText());
}

// Cuts to at most `n` units without splitting a character.
void cutTo(std::u16string& s, size_t n) {
    if (s.size() <= n)
        return;
    if (n > 0 && s[n - 1] >= 0xD800 && s[n - 1] <= 0xDBFF)
        --n;
    s.resize(n);
}
void cutTo(std::string& s, size_t n) {
    if (s.size() <= n)
        return;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80)
        --n;
    s.resize(n);
}

template <typename Out> void pad(Out& out, const Out& field, const Spec& s) {
    size_t fill = s.width > field.size() ? s.width - field.size() : 0;
    if (!s.left)
        out.append(fill, static_cast<typename Out::value_type>(' '));
    out += field;
    if (s.left)
        out.append(fill, static_cast<typename Out::value_type>(' '));
}

bool isInteger(aFormatArg::Kind k) {
    return k == aFormatArg::Kind::Int || k == aFormatArg::Kind::UInt || k == aFormatArg::Kind::Char;
}

int64_t signedValue(const aFormatArg& a) {
    switch (a.kind()) {
    case aFormatArg::Kind::Int:
        return a.asInt();
    case aFormatArg::Kind::Char:
        return static_cast<int64_t>(a.asChar());
    default:
        return a.asUInt() > static_cast<uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(a.asUInt());
    }
}

uint64_t unsignedValue(const aFormatArg& a) {
    switch (a.kind()) {
    case aFormatArg::Kind::UInt:
        return a.asUInt();
    case aFormatArg::Kind::Char:
        return a.asChar();
    default: {
        int64_t v = a.asInt();
        // a negative int reads as its 32-bit pattern, as in C
        if (v < 0 && v >= INT32_MIN)
            return static_cast<uint32_t>(static_cast<int32_t>(v));
        return static_cast<uint64_t>(v);
    }
    }
}

template <typename Out, typename CharT>
Out formatImpl(std::basic_string_view<CharT> f, std::initializer_list<aFormatArg> args) {
    Out out;
    out.reserve(f.size());
    const aFormatArg* next = args.begin();
    const char* problem = nullptr;
    auto fail = [&](const char* what) {
        if (!problem)
            problem = what;
    };

    size_t i = 0;
    while (i < f.size()) {
        if (f[i] != '%') {
            out += static_cast<typename Out::value_type>(f[i]);
            ++i;
            continue;
        }
        if (i + 1 < f.size() && f[i + 1] == '%') {
            out += static_cast<typename Out::value_type>('%');
            i += 2;
            continue;
        }
        Spec s;
        size_t end = scanSpec(f, i, s);
        auto literal = [&](const char* what) {
            fail(what);
            for (size_t k = i; k < end; ++k)
                out += static_cast<typename Out::value_type>(f[k]);
        };
        const char* known = "diuxXfsc";
        bool isKnown = false;
        for (const char* k = known; *k; ++k)
            isKnown = isKnown || (s.conv == *k);

        if (s.conv == 0) {
            literal("incomplete conversion");
        } else if (!isKnown) {
            literal("unknown conversion");
        } else if (s.star) {
            literal("'*' width or precision");
        } else if (s.tooBig) {
            literal("width or precision too large");
        } else if (next == args.end()) {
            literal("missing argument");
        } else {
            const aFormatArg& a = *next++;
            const aFormatArg::Kind k = a.kind();
            switch (s.conv) {
            case 'd':
            case 'i':
                if (!isInteger(k)) {
                    literal("argument of the wrong kind");
                } else {
                    Spec d = s;
                    d.alt = false; // '#' means nothing for decimals
                    if (k == aFormatArg::Kind::UInt && a.asUInt() > static_cast<uint64_t>(INT64_MAX)) {
                        appendAscii(out, printfPiece(d, "llu", static_cast<unsigned long long>(a.asUInt())));
                    } else {
                        appendAscii(out, printfPiece(d, "lld", static_cast<long long>(signedValue(a))));
                    }
                }
                break;
            case 'u':
            case 'x':
            case 'X':
                if (!isInteger(k)) {
                    literal("argument of the wrong kind");
                } else {
                    const char* conv = s.conv == 'u' ? "llu" : (s.conv == 'x' ? "llx" : "llX");
                    Spec u = s;
                    u.plus = u.space = false;
                    u.alt = u.alt && s.conv != 'u';
                    appendAscii(out, printfPiece(u, conv, static_cast<unsigned long long>(unsignedValue(a))));
                }
                break;
            case 'f':
                if (k == aFormatArg::Kind::Float) {
                    appendAscii(out, printfPiece(s, "f", a.asFloat()));
                } else if (k == aFormatArg::Kind::Int) {
                    appendAscii(out, printfPiece(s, "f", static_cast<double>(a.asInt())));
                } else if (k == aFormatArg::Kind::UInt) {
                    appendAscii(out, printfPiece(s, "f", static_cast<double>(a.asUInt())));
                } else {
                    literal("argument of the wrong kind");
                }
                break;
            case 's':
                if (k == aFormatArg::Kind::Text || k == aFormatArg::Kind::WideText) {
                    Out text = asOutput(a, static_cast<Out*>(nullptr));
                    if (s.hasPrecision)
                        cutTo(text, s.precision);
                    pad(out, text, s);
                } else {
                    literal("argument of the wrong kind");
                }
                break;
            case 'c':
                if (isInteger(k)) {
                    Out text;
                    char32_t c =
                        k == aFormatArg::Kind::Char ? a.asChar()
                        : k == aFormatArg::Kind::Int
                            ? (a.asInt() < 0 || a.asInt() > 0x10FFFF ? 0xFFFD
                                                                     : static_cast<char32_t>(a.asInt()))
                            : (a.asUInt() > 0x10FFFF ? 0xFFFD : static_cast<char32_t>(a.asUInt()));
                    appendChar(text, c);
                    pad(out, text, s);
                } else {
                    literal("argument of the wrong kind");
                }
                break;
            }
        }
        i = end;
    }
    if (problem) {
        std::string narrow;
        if constexpr (std::is_same_v<CharT, char>) {
            narrow.assign(f.data(), f.size());
        } else {
            narrow = wideToUtf8(f);
        }
        a_log("a_format - %s in '%s'", problem, narrow.c_str());
    }
    return out;
}

} // namespace

std::u16string a_format(std::u16string_view format, std::initializer_list<aFormatArg> args) {
    return formatImpl<std::u16string>(format, args);
}

std::string a_format(std::string_view format, std::initializer_list<aFormatArg> args) {
    return formatImpl<std::string>(format, args);
}
