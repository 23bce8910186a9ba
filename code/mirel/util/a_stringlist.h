#pragma once
// A text file as a list of lines with a cursor. Line breaks (CR, LF, or any
// run of them) end a line; the empty lines a run would make are not kept,
// except one empty first line when the text begins with a break.
//
// Files are read whole through the file server, at most A_FILE_MAX_TEXT bytes.

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>

class aStringList {
public:
    aStringList();
    // Reads the file whole through the file server; an unreadable file gives no lines.
    explicit aStringList(const std::string& path);

    // Replaces the lines by the file's; returns the number of bytes read (0
    // when the file is missing, empty or larger than kMaxFileSize).
    size_t loadFile(const std::string& path);
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

    // Lines longer than this are logged once each; they are kept whole up to
    // kMaxKeptLine characters and cut there (with one more log line).
    static constexpr size_t kMaxLine = 1024;
    static constexpr size_t kMaxKeptLine = size_t(1) << 20;
    // The file server's limit for text files (A_FILE_MAX_TEXT).
    static constexpr size_t kMaxFileSize = size_t(16) << 20;

private:
    std::list<std::string> m_lines;
    std::list<std::string>::iterator m_cursor;
};
