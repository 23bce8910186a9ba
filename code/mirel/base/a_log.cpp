#include "mirel/base/a_log.h"

#include "mirel/base/a_timer.h"

#include <cstdarg>
#include <cstring>

namespace {

FILE* g_logFile = nullptr;
aLogObserver g_observer = nullptr;
void* g_observerUser = nullptr;
char g_message[2000];
char g_location[300];

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
    if (!g_logFile && !g_observer) {
        return;
    }
    if (!format) {
        writeLine("a_log. NULL log string");
        return;
    }
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(g_message, sizeof(g_message), format, args); // cut at 1999 characters
    va_end(args);
    if (n < 0) {
        g_message[0] = '\0';
    }
    writeLine(g_message);
}

void a_logString(const char* text) {
    if (!text) {
        a_log(nullptr);
        return;
    }
    a_log("%s", text);
}

void a_setLogFile(FILE* file) { g_logFile = file; }
FILE* a_getLogFile() { return g_logFile; }

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
    std::snprintf(g_location, sizeof(g_location), "(%s, line %u)", name, line);
    return g_location;
}
