#include "splash_log.h"

#include <cstdarg>
#include <cstdio>

namespace pellucid {

namespace {
SplashLogSink s_sink = nullptr;
void* s_sinkUser = nullptr;
} // namespace

void splashLog(const char* fmt, ...) {
    char line[1024];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(line, sizeof line, fmt, args);
    va_end(args);
    if (s_sink)
        s_sink(line, s_sinkUser);
    else
        std::fprintf(stderr, "Pellucid: %s\n", line);
}

void setSplashLogSink(SplashLogSink sink, void* user) {
    s_sink = sink;
    s_sinkUser = user;
}

} // namespace pellucid
