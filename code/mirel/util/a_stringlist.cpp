#include "mirel/util/a_stringlist.h"

#include "mirel/base/a_log.h"
#include "mirel/file/a_fileserver.h"

#include <cstdlib>

aStringList::aStringList() : m_cursor(m_lines.end()) {}

aStringList::aStringList(const std::string& path) : m_cursor(m_lines.end()) {
    loadFile(path);
}

void aStringList::loadFile(const std::string& path) {
    uint32_t size = 0;
    uint8_t* data = file_readFullAndMalloc(path, &size);
    parseBuffer(reinterpret_cast<const char*>(data), data ? size : 0);
    std::free(data);
}

void aStringList::parseBuffer(const char* data, size_t size) {
    m_lines.clear();
    std::string line;
    bool logged = false;
    size_t i = 0;
    while (i < size) {
        char c = data[i];
        if (c == '\r' || c == '\n') {
            m_lines.push_back(std::move(line));
            line.clear();
            logged = false;
            while (i < size && (data[i] == '\r' || data[i] == '\n')) {
                ++i;
            }
            continue;
        }
        if (line.size() >= kMaxLine && !logged) {
            a_logString("aStringList. Long string"); // once per line, not once per extra character
            logged = true;
        }
        line += c;
        ++i;
    }
    if (!line.empty()) {
        m_lines.push_back(std::move(line));
    }
    m_cursor = m_lines.begin();
}

bool aStringList::seek(size_t index) {
    if (index >= m_lines.size()) {
        return false;
    }
    m_cursor = m_lines.begin();
    std::advance(m_cursor, static_cast<std::ptrdiff_t>(index));
    return true;
}
