#pragma once
// The engine log: one line per call, each stamped with the time since start as
// "hh:mm:ss.mmm" and a tab. The stream is opened, emptied and closed by the
// application object; with no stream every call is dropped.

#include <cstdio>
#include <string>

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

// "(file, line N)" with the part of the path after its last backslash or slash.
const char* a_assertLocation(const char* path, unsigned line);

// Logs "function: expression (file, line N)" when the expression is false; never stops.
#define A_ASSERT(expr)                                                                         \
    do {                                                                                       \
        if (!(expr)) {                                                                         \
            a_log("%s: %s %s", __func__, #expr, a_assertLocation(__FILE__, __LINE__));         \
        }                                                                                      \
    } while (0)
