// The library's own log: one line per event on stderr, "Pellucid: " first.
#pragma once

namespace pellucid {

// printf-style; the format is always a literal of the library, data goes in
// through the arguments.
void splashLog(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Lets tests see the lines; nullptr restores stderr.
using SplashLogSink = void (*)(const char* line, void* user);
void setSplashLogSink(SplashLogSink sink, void* user);

} // namespace pellucid
