#include "content/content_ini.h"

#include <fstream>
#include <sstream>

namespace content {

const IniKey* IniSection::find(const std::string& key) const {
    for (const IniKey& k : keys)
        if (k.name == key)
            return &k;
    return nullptr;
}

std::string IniSection::get(const std::string& key, const std::string& fallback) const {
    const IniKey* k = find(key);
    return k ? k->value : fallback;
}

const IniSection* IniFile::find(const std::string& section) const {
    for (const IniSection& s : sections)
        if (s.name == section)
            return &s;
    return nullptr;
}

std::string IniFile::where(int line) const {
    return path + ":" + std::to_string(line) + ": ";
}

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return "";
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

std::vector<std::string> splitList(const std::string& value) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : value) {
        if (c == ' ' || c == ',' || c == '\t') {
            if (!cur.empty())
                out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty())
        out.push_back(cur);
    return out;
}

IniFile parseIni(const std::string& path, const std::string& text) {
    IniFile f;
    f.path = path;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t p = line.find_first_not_of(' ');
        if (p == std::string::npos || line[p] == ';')
            continue;
        if (line[p] == '[') {
            size_t end = line.find(']', p + 1);
            IniSection s;
            s.name = line.substr(p + 1, end == std::string::npos ? std::string::npos : end - p - 1);
            s.line = number;
            f.sections.push_back(std::move(s));
            continue;
        }
        if (f.sections.empty())
            continue; // the engine drops key lines before the first section
        size_t k = line.find_first_of(" =", p);
        IniKey key;
        key.name = line.substr(p, k == std::string::npos ? std::string::npos : k - p);
        key.line = number;
        if (k != std::string::npos) {
            size_t v = line.find_first_not_of(" =", k);
            if (v != std::string::npos) {
                size_t semi = line.find(';', v);
                key.raw = line.substr(v, semi == std::string::npos ? std::string::npos : semi - v);
            }
        }
        key.value = trim(key.raw);
        f.sections.back().keys.push_back(std::move(key));
    }
    return f;
}

bool readIni(const std::string& path, IniFile& out, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::ostringstream ss;
    ss << in.rdbuf();
    out = parseIni(path, ss.str());
    return true;
}

} // namespace content
