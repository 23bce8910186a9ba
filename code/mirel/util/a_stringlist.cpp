#include "mirel/util/a_stringlist.h"

#include "mirel/base/a_log.h"
#include "mirel/file/a_fileserver.h"

#include <cstdlib>
#include <cstring>

static_assert(aStringList::kMaxFileSize == A_FILE_MAX_TEXT);

aStringList::aStringList() = default;

aStringList::aStringList(const std::string& path) {
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
    m_text.clear();
    m_ends.clear();
    if (!data || size == 0) {
        moveTo(0);
        return;
    }
    if (size > kMaxText) {
        a_log("aStringList. Text cut at %zu bytes", kMaxText);
        size = kMaxText;
    }
    const char* const end = data + size;
    auto isBreak = [](char c) { return c == '\r' || c == '\n'; };
    // The lines are counted first, so that the text and the ends are made
    // once at their size.
    size_t lines = 0;
    for (const char* p = data; p < end;) {
        const char* run = p;
        while (p < end && !isBreak(*p)) {
            ++p;
        }
        if (p < end || p > run) {
            ++lines;
        }
        while (p < end && isBreak(*p)) {
            ++p;
        }
    }
    m_ends.reserve(lines);
    m_text.resize(size);
    char* out = m_text.data();
    size_t kept = 0;
    for (const char* p = data; p < end;) {
        const char* run = p;
        while (p < end && !isBreak(*p)) {
            ++p;
        }
        const size_t length = size_t(p - run);
        if (length > kMaxLine) {
            a_logString("aStringList. Long string"); // once per line, not once per extra character
        }
        const size_t keep = length > kMaxKeptLine ? kMaxKeptLine : length;
        if (length > kMaxKeptLine) {
            a_log("aStringList. Line %u cut at %u characters", unsigned(m_ends.size() + 1),
                  unsigned(kMaxKeptLine));
        }
        std::memcpy(out + kept, run, keep);
        kept += keep;
        if (p < end || p > run) {
            m_ends.push_back(static_cast<uint32_t>(kept));
        }
        while (p < end && isBreak(*p)) {
            ++p;
        }
    }
    m_text.resize(kept);
    m_text.shrink_to_fit();
    moveTo(0);
}

void aStringList::moveTo(size_t index) {
    m_cursor = index;
    if (index < m_ends.size()) {
        const size_t start = index == 0 ? 0 : m_ends[index - 1];
        m_current.assign(m_text, start, m_ends[index] - start);
    } else {
        m_current.clear();
    }
}

bool aStringList::seek(size_t index) {
    if (index >= m_ends.size()) {
        return false;
    }
    moveTo(index);
    return true;
}
