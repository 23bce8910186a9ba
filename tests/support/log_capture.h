#pragma once
// Collects every log line while in scope.

#include "mirel/base/a_log.h"

#include <algorithm>
#include <string>
#include <vector>

struct LogCapture {
    std::vector<std::string> lines;
    LogCapture() { a_setLogObserver(&LogCapture::take, this); }
    ~LogCapture() { a_setLogObserver(nullptr, nullptr); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    bool has(const std::string& line) const {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    size_t count(const std::string& line) const { return std::count(lines.begin(), lines.end(), line); }
    // True when some line holds `part`.
    bool contains(const std::string& part) const {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& l) { return l.find(part) != std::string::npos; });
    }
    void clear() { lines.clear(); }

private:
    static void take(const char* line, void* self) {
        static_cast<LogCapture*>(self)->lines.emplace_back(line);
    }
};
