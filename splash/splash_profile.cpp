#include "splash_profile.h"

#include "splash_file.h"
#include "splash_log.h"

#include <cstdio>
#include <sstream>

namespace pellucid {

namespace {

bool equalNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

std::string trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r'))
        --e;
    return s.substr(b, e - b);
}

void appendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string utf16leToUtf8(const std::string& bytes, size_t start) {
    std::string out;
    for (size_t i = start; i + 1 < bytes.size(); i += 2) {
        unsigned u = static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
            unsigned l =
                static_cast<unsigned char>(bytes[i + 2]) | (static_cast<unsigned char>(bytes[i + 3]) << 8);
            if (l >= 0xDC00 && l < 0xE000) {
                appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (l - 0xDC00));
                i += 2;
                continue;
            }
        }
        appendUtf8(out, (u >= 0xD800 && u < 0xE000) ? 0xFFFD : u);
    }
    return out;
}

// Cuts a UTF-8 text after `units` UTF-16 units, never inside a character.
std::string cutWide(const std::string& s, size_t units) {
    size_t count = 0;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        size_t w = len == 4 ? 2 : 1;
        if (count + w > units)
            return s.substr(0, i);
        count += w;
        i += len;
    }
    return s;
}

} // namespace

size_t ProfileFile::wideLength(const std::string& utf8) {
    size_t n = 0;
    for (unsigned char c : utf8) {
        if ((c & 0xC0) != 0x80)
            n += c >= 0xF0 ? 2 : 1;
    }
    return n;
}

bool ProfileFile::load(const std::string& path) {
    m_sections.clear();
    std::string bytes;
    const FileRead read = ReadPlainFile(path, kMaxFileSize, bytes);
    if (read == FileRead::TooLarge)
        splashLog("ProfileFile::load - '%s' is larger than %u bytes, not read", path.c_str(),
                  static_cast<unsigned>(kMaxFileSize));
    if (read != FileRead::Ok)
        return false;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE)
        parse(utf16leToUtf8(bytes, 2));
    else if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        parse(bytes.substr(3));
    else
        parse(bytes);
    return true;
}

void ProfileFile::parse(const std::string& text) {
    m_sections.clear();
    std::istringstream lines(text);
    std::string raw;
    Section* current = nullptr;
    while (std::getline(lines, raw)) {
        if (raw.size() > kMaxLine)
            raw.resize(kMaxLine);
        std::string line = trim(raw);
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            size_t close = line.rfind(']');
            std::string name = trim(close == std::string::npos ? line.substr(1) : line.substr(1, close - 1));
            m_sections.push_back({name, {}});
            current = &m_sections.back();
            continue;
        }
        if (!current)
            continue; // keys before the first section belong to none
        size_t eq = line.find('=');
        std::string key = trim(eq == std::string::npos ? line : line.substr(0, eq));
        std::string val = eq == std::string::npos ? std::string() : trim(line.substr(eq + 1));
        if (val.size() >= 2 && (val.front() == '"' || val.front() == '\'') && val.back() == val.front())
            val = val.substr(1, val.size() - 2);
        current->keys.emplace_back(key, val);
    }
}

std::vector<std::string> ProfileFile::sectionNames(size_t capacity, bool& truncated) const {
    std::vector<std::string> names;
    size_t needed = 1; // the closing terminator
    for (const Section& s : m_sections) {
        needed += wideLength(s.name) + 1;
        names.push_back(s.name);
    }
    truncated = needed > capacity;
    if (truncated)
        names.clear();
    return names;
}

std::string ProfileFile::value(const std::string& section, const std::string& key, size_t capacity,
                               bool& found) const {
    found = false;
    for (const Section& s : m_sections) {
        if (!equalNoCase(s.name, section))
            continue;
        for (const auto& kv : s.keys) {
            if (equalNoCase(kv.first, key)) {
                found = true;
                return cutWide(kv.second, capacity ? capacity - 1 : 0);
            }
        }
        return {};
    }
    return {};
}

} // namespace pellucid
