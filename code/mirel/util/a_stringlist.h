#pragma once
// A text file as a list of lines with a cursor. Line breaks (CR, LF, or any
// run of them) end a line; the empty lines a run would make are not kept,
// except one empty first line when the text begins with a break.

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>

class aStringList {
public:
    aStringList();
    // Reads the file whole through the file server; an unreadable file gives no lines.
    explicit aStringList(const std::string& path);

    void loadFile(const std::string& path);
    void parseBuffer(const char* data, size_t size);

    void begin() { m_cursor = m_lines.begin(); }
    void next() {
        if (m_cursor != m_lines.end()) {
            ++m_cursor;
        }
    }
    bool isEnd() const { return m_cursor == m_lines.end(); }
    // The line under the cursor; only valid when not at the end.
    const std::string& current() const { return *m_cursor; }
    bool seek(size_t index);
    uint32_t getCount() const { return static_cast<uint32_t>(m_lines.size()); }

    // Lines longer than this are logged (they are kept whole).
    static constexpr size_t kMaxLine = 1024;

private:
    std::list<std::string> m_lines;
    std::list<std::string>::iterator m_cursor;
};
