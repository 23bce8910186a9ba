#include "mirel/util/a_scriptloader.h"

#include "mirel/base/a_log.h"
#include "mirel/base/a_string.h"
#include "mirel/file/a_fileserver.h"
#include "mirel/util/a_stringlist.h"

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

aTokens tokenize(const std::string& line) {
    aTokens tokens;
    size_t i = 0;
    const size_t n = line.size();
    while (i < n && isBlank(line[i]))
        ++i;
    while (i < n) {
        size_t end;
        if (line[i] == '"') {
            size_t close = line.find('"', i + 1);
            if (close == std::string::npos) {
                break; // an unclosed quote ends the line's tokens
            }
            tokens.push_back(line.substr(i + 1, close - i - 1));
            end = close + 1;
        } else {
            end = i;
            while (end < n && !isBlank(line[end]))
                ++end;
            tokens.push_back(line.substr(i, end - i));
        }
        i = end;
        while (i < n && isBlank(line[i]))
            ++i;
    }
    return tokens;
}

} // namespace

aScriptLoader::aScriptLoader() = default;
aScriptLoader::~aScriptLoader() = default;

void aScriptLoader::onParseBegin(const std::string&) {}
void aScriptLoader::onParseEnd(const std::string&) {}

void aScriptLoader::load(const std::string& path) {
    onParseBegin(path);
    parseFile(path, true);
    onParseEnd(path);
}

void aScriptLoader::loadBuffer(const std::string& path, const char* data, size_t size) {
    onParseBegin(path);
    aStringList list;
    list.parseBuffer(data, data ? size : 0);
    m_files.assign(1, file_manglePath(path));
    parseLines(path, list, true);
    m_files.clear();
    onParseEnd(path);
}

void aScriptLoader::parseFile(const std::string& path, bool top) {
    aStringList list(path);
    if (top) {
        m_files.clear();
    }
    m_files.push_back(file_manglePath(path));
    parseLines(path, list, top);
    m_files.pop_back();
}

void aScriptLoader::logError(const std::string& path, int lineNo) const {
    a_log("Error in script \"%s\", line %i", path.c_str(), lineNo);
}

bool aScriptLoader::expandMacros(std::string& line) const {
    size_t pos = 0;
    while (true) {
        size_t open = line.find('$', pos);
        if (open == std::string::npos) {
            return true;
        }
        size_t close = line.find('$', open + 1);
        if (close == std::string::npos) {
            return true;
        }
        auto it = m_defines.find(line.substr(open + 1, close - open - 1));
        if (it == m_defines.end()) {
            pos = open + 1;
            continue;
        }
        if (line.size() - (close + 1 - open) + it->second.size() > kMaxLine) {
            return false;
        }
        line.replace(open, close + 1 - open, it->second);
        pos = open + it->second.size();
    }
}

void aScriptLoader::parseLines(const std::string& path, aStringList& lines, bool top) {
    if (top) {
        m_tokens.clear();
        m_line.clear();
        m_blocks.clear();
        m_defines.clear();
    }
    int lineNo = 0;
    for (lines.begin(); !lines.isEnd(); lines.next()) {
        ++lineNo;
        std::string line = lines.current();
        if (!expandMacros(line)) {
            a_log("aScriptLoader::parseFile - line too long after macros in \"%s\", line %i", path.c_str(),
                  lineNo);
            continue;
        }
        size_t p = 0;
        while (p < line.size() && isBlank(line[p]))
            ++p;
        if (p == line.size()) {
            continue;
        }
        if (line[p] == ';') {
            continue;
        }
        if (line.compare(p, 7, "#define") == 0) {
            size_t nameBegin = p + 8;
            while (nameBegin < line.size() && isBlank(line[nameBegin]))
                ++nameBegin;
            if (nameBegin >= line.size()) {
                logError(path, lineNo);
                continue;
            }
            size_t nameEnd = nameBegin;
            while (nameEnd < line.size() && !isBlank(line[nameEnd]))
                ++nameEnd;
            if (nameEnd >= line.size()) {
                logError(path, lineNo);
                continue;
            }
            std::string& value = m_defines[line.substr(nameBegin, nameEnd - nameBegin)];
            size_t first = line.find('"', nameEnd);
            size_t last = line.rfind('"');
            if (first == std::string::npos || last == first) {
                logError(path, lineNo);
                continue;
            }
            value = line.substr(first + 1, last - first - 1);
            continue;
        }
        if (line.compare(p, 8, "#include") == 0) {
            size_t first = p + 9 <= line.size() ? line.find('"', p + 9) : std::string::npos;
            size_t last = line.rfind('"');
            if (first == std::string::npos || last == first) {
                logError(path, lineNo);
                continue;
            }
            include(path, lineNo, line.substr(first + 1, last - first - 1));
            continue;
        }
        std::string trimmed = trim(line);
        if (trimmed == "{") {
            if (m_line.empty()) {
                logError(path, lineNo);
                continue;
            }
            openBlock();
        } else if (trimmed == "}") {
            if (m_blocks.empty()) {
                logError(path, lineNo);
                continue;
            }
            closeBlock();
        } else {
            ordinaryLine(trimmed);
        }
    }
    if (top) {
        m_line.clear(); // a header without its block at the end is dropped
        m_tokens.clear();
    }
}

void aScriptLoader::include(const std::string& from, int lineNo, const std::string& path) {
    std::string real = file_manglePath(path);
    for (const std::string& open : m_files) {
        if (a_stricmp(open, real) == 0) {
            a_log("aScriptLoader::parseFile - include cycle '%s' in \"%s\", line %i", path.c_str(),
                  from.c_str(), lineNo);
            return;
        }
    }
    if (static_cast<int>(m_files.size()) > kMaxIncludeDepth) {
        a_log("aScriptLoader::parseFile - includes nested too deep '%s' in \"%s\", line %i", path.c_str(),
              from.c_str(), lineNo);
        return;
    }
    parseFile(path, false);
}

void aScriptLoader::openBlock() {
    if (!m_blocks.empty() && m_blocks.back() == nullptr) {
        m_blocks.push_back(nullptr);
    } else {
        void* parent = m_blocks.empty() ? nullptr : m_blocks.back();
        m_blocks.push_back(onSectionBegin(parent, m_tokens));
    }
    m_line.clear();
}

void aScriptLoader::closeBlock() {
    void* top = m_blocks.back();
    if (top) {
        if (!m_line.empty()) {
            onSectionLine(top, m_tokens);
        }
        onSectionEnd(top);
    }
    m_blocks.pop_back();
    m_line.clear();
}

void aScriptLoader::ordinaryLine(const std::string& trimmed) {
    if (!m_line.empty() && !m_blocks.empty() && m_blocks.back()) {
        onSectionLine(m_blocks.back(), m_tokens);
    }
    m_line = trimmed;
    m_tokens = tokenize(m_line);
}
