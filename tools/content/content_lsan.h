#pragma once
// Text in SVG pictures goes through pango to fontconfig, which keeps its
// caches until the process ends; a leak checker (the sanitizer builds) is
// told to leave those alone. Include in one source file of each program that
// renders pictures.

extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

extern "C" const char* __lsan_default_options();
extern "C" const char* __lsan_default_options() {
    return "print_suppressions=0";
}
