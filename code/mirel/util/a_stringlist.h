#pragma once
// A text file as a list of lines with a cursor. Line breaks (CR, LF, or any
// run of them) end a line; the empty lines a run would make are not kept,
// except one empty first line when the text begins with a break.
//
// Files are read whole through the file server, at most A_FILE_MAX_TEXT bytes.
// The lines are kept one after the other in one block of text with the place
// where each ends, so a file of many short lines costs little more than its
// size.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class aStringList {
public:
    aStringList();
    // Reads the file whole through the file server; an unreadable file gives no lines.
    explicit aStringList(const std::string& path);

    // Replaces the lines by the file's; returns the number of bytes read (0
    // when the file is missing, empty or larger than kMaxFileSize).
    size_t loadFile(const std::string& path);
    void parseBuffer(const char* data, size_t size);

    void begin() { moveTo(0); }
    void next() {
        if (m_cursor < m_ends.size()) {
            moveTo(m_cursor + 1);
        }
    }
    bool isEnd() const { return m_cursor >= m_ends.size(); }
    // The line under the cursor; only valid when not at the end, and until
    // the cursor moves.
    const std::string& current() const { return m_current; }
    bool seek(size_t index);
    uint32_t getCount() const { return static_cast<uint32_t>(m_ends.size()); }

    // Lines longer than this are logged once each; they are kept whole up to
    // kMaxKeptLine characters and cut there (with one more log line).
    static constexpr size_t kMaxLine = 1024;
    static constexpr size_t kMaxKeptLine = size_t(1) << 20;
    // The file server's limit for text files (A_FILE_MAX_TEXT).
    static constexpr size_t kMaxFileSize = size_t(16) << 20;
    // The most text one list keeps; a buffer beyond it is cut there (with a
    // log line).
    static constexpr size_t kMaxText = UINT32_MAX;

private:
    void moveTo(size_t index);

    std::string m_text;           // every line, one after the other
    std::vector<uint32_t> m_ends; // where each line ends in m_text
    size_t m_cursor = 0;          // the index of the line under the cursor
    std::string m_current;        // a copy of that line
};
