#include "mirel/base/a_utf.h"

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Windows-1251, bytes 0x80 to 0xFF; 0 marks the one unassigned byte (0x98).
constexpr char16_t kCp1251[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F, // F8
};

char32_t validCodePoint(char32_t c) {
    return (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) ? char32_t(0xFFFD) : c;
}

} // namespace

void appendCodePoint(std::u16string& out, char32_t c) {
    c = validCodePoint(c);
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (c >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
}

void appendUtf8(std::string& out, char32_t c) {
    c = validCodePoint(c);
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::u16string decodeUtf8(const char* bytes, size_t length) {
    std::u16string out;
    if (!bytes) {
        return out;
    }
    out.reserve(length);
    const unsigned char* s = reinterpret_cast<const unsigned char*>(bytes);
    size_t i = 0;
    while (i < length) {
        unsigned char b = s[i];
        if (b < 0x80) {
            out += static_cast<char16_t>(b);
            ++i;
            continue;
        }
        // Length of the sequence and the range its second byte must lie in,
        // which rules out overlong forms, surrogates and values above U+10FFFF.
        size_t need = 0;
        unsigned char lo = 0x80, hi = 0xBF;
        char32_t c = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            need = 1;
            c = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            need = 2;
            c = b & 0x0F;
            if (b == 0xE0) {
                lo = 0xA0;
            } else if (b == 0xED) {
                hi = 0x9F;
            }
        } else if (b >= 0xF0 && b <= 0xF4) {
            need = 3;
            c = b & 0x07;
            if (b == 0xF0) {
                lo = 0x90;
            } else if (b == 0xF4) {
                hi = 0x8F;
            }
        } else {
            out += kReplacement;
            ++i;
            continue;
        }
        ++i;
        bool ok = true;
        for (size_t k = 0; k < need; ++k) {
            if (i >= length) {
                ok = false;
                break;
            }
            unsigned char t = s[i];
            unsigned char tlo = k == 0 ? lo : 0x80;
            unsigned char thi = k == 0 ? hi : 0xBF;
            if (t < tlo || t > thi) {
                ok = false; // this byte is not consumed: it may start the next sequence
                break;
            }
            c = (c << 6) | (t & 0x3F);
            ++i;
        }
        if (ok) {
            appendCodePoint(out, c);
        } else {
            out += kReplacement;
        }
    }
    return out;
}

std::u16string utf8ToWide(std::string_view text) {
    return decodeUtf8(text.data(), text.size());
}

std::string wideToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
        }
        appendUtf8(out, c);
    }
    return out;
}

std::u16string ansiToWide(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char ch : text) {
        unsigned char b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            out += static_cast<char16_t>(b);
        } else {
            char16_t w = kCp1251[b - 0x80];
            out += w ? w : kReplacement;
        }
    }
    return out;
}

std::string wideToAnsi(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t w = text[i];
        if (w < 0x80) {
            out += static_cast<char>(w);
            continue;
        }
        if (w >= 0xD800 && w <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            ++i; // one character outside the code page
        }
        char mapped = '?';
        for (int k = 0; k < 128; ++k) {
            if (kCp1251[k] == w) {
                mapped = static_cast<char>(0x80 + k);
                break;
            }
        }
        out += mapped;
    }
    return out;
}
