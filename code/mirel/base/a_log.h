#pragma once
// The engine log: one line per call, each stamped with the time since start as
// "hh:mm:ss.mmm" and a tab. The stream is opened, emptied and closed by the
// application object; with no stream every call is dropped.

#include <cstdio>
#include <string>
#include <vector>

void a_log(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
void a_logString(const char* text);

// The log stream (null: no log). The caller owns the stream.
void a_setLogFile(FILE* file);
FILE* a_getLogFile();

// An observer that sees every formatted line (without its stamp), for tests and
// headless runs. Null removes it.
using aLogObserver = void (*)(const char* line, void* user);
void a_setLogObserver(aLogObserver observer, void* user);

// Holds back the lines logged on the thread that made it, while it lives,
// instead of writing them: work done on a helper thread keeps its lines, and
// the thread it works for writes them (a_logLines) where they belong in the
// log. Holds nest: the innermost one keeps the lines.
class aLogHold {
public:
    aLogHold();
    ~aLogHold();
    aLogHold(const aLogHold&) = delete;
    aLogHold& operator=(const aLogHold&) = delete;

    // The lines held so far, in order; the hold goes on empty.
    std::vector<std::string> take();
    // What a_log does with a line while this is the thread's hold.
    void hold(const char* line) { m_lines.emplace_back(line); }

private:
    std::vector<std::string> m_lines;
    aLogHold* m_outer;
};

// Writes held lines as a_log writes its own.
void a_logLines(const std::vector<std::string>& lines);

// "(file, line N)" with the part of the path after its last backslash or slash.
const char* a_assertLocation(const char* path, unsigned line);

// Logs "function: expression (file, line N)" when the expression is false; never stops.
#define A_ASSERT(expr)                                                                                       \
    do {                                                                                                     \
        if (!(expr)) {                                                                                       \
            a_log("%s: %s %s", __func__, #expr, a_assertLocation(__FILE__, __LINE__));                       \
        }                                                                                                    \
    } while (0)
