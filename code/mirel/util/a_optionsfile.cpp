#include "mirel/util/a_optionsfile.h"

#include "mirel/base/a_log.h"
#include "mirel/base/a_string.h"
#include "mirel/file/a_fileserver.h"
#include "mirel/util/a_stringlist.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>

namespace {

// Deeper include chains are taken for a runaway.
constexpr size_t kMaxIncludeDepth = 32;

// One spelling per file, so that a file reached by two spellings is still
// recognised: the resolved real path when the file is a plain one, the
// lexically normal path otherwise (names compare without case).
std::string fileIdentity(const std::string& mangled) {
    char buf[PATH_MAX];
    if (!mangled.empty() && ::realpath(mangled.c_str(), buf)) {
        return buf;
    }
    std::string p = mangled;
    for (char& c : p) {
        if (c == '\\') {
            c = '/';
        }
    }
    return std::filesystem::path(p).lexically_normal().string();
}

// #include "name": at least one character other than a double quote after the
// word, then the name between the first double quote and the next (or the end).
std::string includeName(const std::string& rest) {
    size_t pos = 8; // after "#include"
    if (pos >= rest.size() || rest[pos] == '"') {
        return std::string();
    }
    size_t open = rest.find('"', pos);
    if (open == std::string::npos || open + 1 >= rest.size()) {
        return std::string();
    }
    size_t close = rest.find('"', open + 1);
    return rest.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
}

} // namespace

aOptionsFile::aOptionsFile(const std::string& path) {
    load(path);
}

void aOptionsFile::load(const std::string& path) {
    m_sections.clear();
    m_sectionsByName.clear();
    m_including.clear();
    parse(path, true);
    makeIndexes();
    m_current = m_sections.empty() ? kNone : 0;
    m_key = 0;
}

bool aOptionsFile::keep(size_t bytes, const std::string& path) {
    if (m_budget.keep(bytes)) {
        return true;
    }
    if (m_budget.firstComplaint()) {
        a_log("aOptionsFile. Too much data, the rest not kept: %s", path.c_str());
    }
    return false;
}

void aOptionsFile::parse(const std::string& path, bool top) {
    if (top) {
        m_sectionSeen = false;
        m_budget.reset();
    }
    const std::string real = fileIdentity(file_manglePath(path));
    for (const std::string& open : m_including) {
        if (a_stricmp(open, real) == 0) {
            a_log("aOptionsFile. Include cycle, not followed: %s", path.c_str());
            return;
        }
    }
    if (m_including.size() >= kMaxIncludeDepth) {
        a_log("aOptionsFile. Includes nested too deep, not followed: %s", path.c_str());
        return;
    }
    if (!m_budget.takeFile()) {
        if (m_budget.firstComplaint()) {
            a_log("aOptionsFile. Too many includes, not followed: %s", path.c_str());
        }
        return;
    }
    m_including.push_back(real);

    // Blanks (spaces and tabs) are trimmed around keys and values.
    static const char* const kBlanks = " \t";
    aStringList lines;
    m_budget.spend(lines.loadFile(path));
    for (lines.begin(); !lines.isEnd(); lines.next()) {
        const std::string& line = lines.current();
        size_t start = line.find_first_not_of(kBlanks);
        if (start == std::string::npos || line[start] == ';') {
            continue;
        }
        const std::string rest = line.substr(start);
        if (rest[0] == '[') {
            size_t close = rest.find(']', 1);
            Section s;
            s.name = rest.substr(1, close == std::string::npos ? std::string::npos : close - 1);
            // What a section or a key costs kept: its record, its place in
            // the index and its text.
            if (!keep(sizeof(Section) + sizeof(uint32_t) + s.name.size(), path)) {
                break;
            }
            m_sections.push_back(std::move(s));
            m_sectionSeen = true;
            continue;
        }
        if (rest.compare(0, 8, "#include") == 0) {
            parse(includeName(rest), false);
            continue;
        }
        if (!m_sectionSeen || m_sections.empty()) {
            a_log("aOptionsFile. Incorrect file: %s", path.c_str());
            continue;
        }
        size_t keyEnd = rest.find_first_of(" \t=");
        std::string key = rest.substr(0, keyEnd);
        std::string value;
        if (keyEnd != std::string::npos) {
            size_t valueStart = rest.find_first_not_of(" \t=", keyEnd);
            if (valueStart != std::string::npos) {
                size_t valueEnd = rest.find(';', valueStart);
                value = rest.substr(valueStart, valueEnd == std::string::npos ? std::string::npos
                                                                              : valueEnd - valueStart);
                value.erase(value.find_last_not_of(kBlanks) + 1);
            }
        }
        if (!keep(sizeof(Key) + sizeof(uint32_t) + key.size() + value.size(), path)) {
            break;
        }
        m_sections.back().keys.emplace_back(std::move(key), std::move(value));
    }
    m_including.pop_back();
}

void aOptionsFile::makeIndexes() {
    auto sorted = [](size_t count, auto less) {
        std::vector<uint32_t> order(count);
        for (size_t i = 0; i < count; ++i) {
            order[i] = uint32_t(i);
        }
        std::stable_sort(order.begin(), order.end(), less);
        return order;
    };
    for (Section& s : m_sections) {
        s.keys.shrink_to_fit();
        s.byName =
            sorted(s.keys.size(), [&s](uint32_t a, uint32_t b) { return s.keys[a].first < s.keys[b].first; });
    }
    m_sections.shrink_to_fit();
    m_sectionsByName = sorted(m_sections.size(), [this](uint32_t a, uint32_t b) {
        return m_sections[a].name < m_sections[b].name;
    });
}

const aOptionsFile::Key* aOptionsFile::Section::find(const std::string& key) const {
    auto it = std::lower_bound(byName.begin(), byName.end(), key,
                               [this](uint32_t i, const std::string& k) { return keys[i].first < k; });
    return it != byName.end() && keys[*it].first == key ? &keys[*it] : nullptr;
}

const aOptionsFile::Section* aOptionsFile::findSection(const std::string& name) const {
    auto it = std::lower_bound(m_sectionsByName.begin(), m_sectionsByName.end(), name,
                               [this](uint32_t i, const std::string& n) { return m_sections[i].name < n; });
    return it != m_sectionsByName.end() && m_sections[*it].name == name ? &m_sections[*it] : nullptr;
}

bool aOptionsFile::setSection(const std::string& name) {
    const Section* s = findSection(name);
    if (!s) {
        return false;
    }
    m_current = size_t(s - m_sections.data());
    m_key = 0;
    return true;
}

bool aOptionsFile::selectSection(size_t index) {
    if (index >= m_sections.size()) {
        return false;
    }
    m_current = index;
    m_key = 0;
    return true;
}

std::string aOptionsFile::getSectionName() const {
    return hasCurrent() ? current().name : std::string();
}

std::string aOptionsFile::getString(const std::string& key) const {
    if (!hasCurrent()) {
        a_log("aOptionsFile. Error get key \"%s\" from unspecified current section!", key.c_str());
        return std::string();
    }
    if (const Key* k = current().find(key)) {
        return k->second;
    }
    a_log("aOptionsFile. Cannot find key \"%s\" in current section!", key.c_str());
    return std::string();
}

int aOptionsFile::getInt(const std::string& key) const {
    return std::atoi(getString(key).c_str());
}

std::vector<std::string> aOptionsFile::getSectionNames() const {
    std::vector<std::string> names;
    names.reserve(m_sections.size());
    for (const Section& s : m_sections) {
        names.push_back(s.name);
    }
    return names;
}

const std::string* aOptionsFile::findValue(const std::string& section, const std::string& key) const {
    if (const Section* s = findSection(section)) {
        if (const Key* k = s->find(key)) {
            return &k->second;
        }
    }
    return nullptr;
}

std::string aOptionsFile::getValue(const std::string& section, const std::string& key) const {
    if (const std::string* value = findValue(section, key)) {
        return *value;
    }
    if (findSection(section)) {
        a_logString(("aOptionsFile. Cannot find key: [" + section + "]." + key).c_str());
    } else {
        a_logString(("aOptionsFile. Cannot find section: [" + section + "]").c_str());
    }
    return std::string();
}

void aOptionsFile::getStringList(const std::string& section, const std::string& key,
                                 std::vector<std::string>& list) const {
    const std::string value = getValue(section, key);
    size_t pos = 0;
    while ((pos = value.find_first_not_of(", ", pos)) != std::string::npos) {
        size_t end = value.find_first_of(", ", pos);
        list.push_back(value.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
        pos = end;
    }
}

void aOptionsFile::getIntList(const std::string& section, const std::string& key,
                              std::vector<int>& list) const {
    std::vector<std::string> tokens;
    getStringList(section, key, tokens);
    for (const std::string& t : tokens) {
        list.push_back(std::atoi(t.c_str()));
    }
}

bool aOptionsFile::hasKey(const std::string& name) const {
    return hasCurrent() && current().find(name) != nullptr;
}

bool aOptionsFile::firstKey() {
    if (!hasCurrent()) {
        return false;
    }
    m_key = 0;
    return true;
}

bool aOptionsFile::nextKey() {
    if (isKeyEnd()) {
        return false;
    }
    ++m_key;
    return true;
}

bool aOptionsFile::isKeyEnd() const {
    return !hasCurrent() || m_key >= current().keys.size();
}

std::string aOptionsFile::getKeyName() const {
    return isKeyEnd() ? std::string() : current().keys[m_key].first;
}

std::string aOptionsFile::getKeyValue() const {
    return isKeyEnd() ? std::string() : current().keys[m_key].second;
}
