#include "mirel/util/a_stringlist.h"

#include "mirel/base/a_log.h"
#include "mirel/file/a_fileserver.h"

#include <cstdlib>

static_assert(aStringList::kMaxFileSize == A_FILE_MAX_TEXT);

aStringList::aStringList() : m_cursor(m_lines.end()) {}

aStringList::aStringList(const std::string& path) : m_cursor(m_lines.end()) {
    loadFile(path);
}

size_t aStringList::loadFile(const std::string& path) {
    uint32_t size = 0;
    uint8_t* data = file_readFullAndMalloc(path, &size, kMaxFileSize);
    const size_t got = data ? size : 0;
    parseBuffer(reinterpret_cast<const char*>(data), got);
    std::free(data);
    return got;
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
        if (line.size() >= kMaxKeptLine) {
            a_log("aStringList. Line %u cut at %u characters", unsigned(m_lines.size() + 1),
                  unsigned(kMaxKeptLine));
            while (i < size && data[i] != '\r' && data[i] != '\n') {
                ++i;
            }
            continue;
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
