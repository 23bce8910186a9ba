#pragma once
// Text in SVG pictures goes through fontconfig and pango, which keep their
// caches until the process ends; a leak checker (the sanitizer builds) is
// told to leave those alone. Include in one source file of each program that
// renders pictures.

extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libpango-1.0.so\nleak:libpangoft2-1.0.so\nleak:libpangocairo-1.0.so\n"
           "leak:libharfbuzz.so\nleak:libglib-2.0.so\nleak:libgobject-2.0.so\n";
}

extern "C" const char* __lsan_default_options();
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
