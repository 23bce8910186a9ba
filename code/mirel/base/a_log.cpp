#include "mirel/base/a_log.h"

#include "mirel/base/a_timer.h"

#include <cstdarg>
#include <cstring>

namespace {

FILE* g_logFile = nullptr;
aLogObserver g_observer = nullptr;
void* g_observerUser = nullptr;
char g_message[2000];
thread_local char t_location[300];
thread_local aLogHold* t_hold = nullptr;

void writeLine(const char* message) {
    if (g_observer) {
        g_observer(message, g_observerUser);
    }
    if (!g_logFile) {
        return;
    }
    aTimer& clock = a_logClock();
    // One reading of the clock, so that seconds and milliseconds always agree.
    unsigned ms = clock.getTimeMs();
    unsigned s = ms / 1000;
    unsigned hours = s / 3600;
    unsigned minutes = (s - hours * 3600) / 60;
    unsigned seconds = (s - hours * 3600) % 60;
    unsigned millis = ms - s * 1000;
    std::fprintf(g_logFile, "%.2u:%.2u:%.2u.%.3u\t%s\n", hours, minutes, seconds, millis, message);
    std::fflush(g_logFile);
}

} // namespace

void a_log(const char* format, ...) {
    // A held line is formatted here, on its own thread, into a buffer of its own.
    if (!t_hold && !g_logFile && !g_observer) {
        return;
    }
    if (!format) {
        if (t_hold) {
            t_hold->hold("a_log. NULL log string");
        } else {
            writeLine("a_log. NULL log string");
        }
        return;
    }
    char held[sizeof(g_message)];
    char* message = t_hold ? held : g_message;
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(message, sizeof(g_message), format, args); // cut at 1999 characters
    va_end(args);
    if (n < 0) {
        message[0] = '\0';
    }
    if (t_hold) {
        t_hold->hold(message);
    } else {
        writeLine(message);
    }
}

aLogHold::aLogHold() : m_outer(t_hold) {
    t_hold = this;
}

aLogHold::~aLogHold() {
    t_hold = m_outer;
}

std::vector<std::string> aLogHold::take() {
    std::vector<std::string> lines;
    lines.swap(m_lines);
    return lines;
}

void a_logLines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        a_log("%s", line.c_str());
    }
}

void a_logString(const char* text) {
    if (!text) {
        a_log(nullptr);
        return;
    }
    a_log("%s", text);
}

void a_setLogFile(FILE* file) {
    g_logFile = file;
}
FILE* a_getLogFile() {
    return g_logFile;
}

void a_setLogObserver(aLogObserver observer, void* user) {
    g_observer = observer;
    g_observerUser = user;
}

const char* a_assertLocation(const char* path, unsigned line) {
    const char* name = path ? path : "";
    if (const char* slash = std::strrchr(name, '\\')) {
        name = slash + 1;
    }
    if (const char* slash = std::strrchr(name, '/')) {
        name = slash + 1;
    }
    std::snprintf(t_location, sizeof(t_location), "(%s, line %u)", name, line);
    return t_location;
}
