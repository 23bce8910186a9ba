#include "mirel/base/a_string.h"

int a_stricmp(std::string_view a, std::string_view b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(a_toLowerAscii(a[i]));
        unsigned char cb = static_cast<unsigned char>(a_toLowerAscii(b[i]));
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

std::string a_toLowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = a_toLowerAscii(c);
    }
    return out;
}
