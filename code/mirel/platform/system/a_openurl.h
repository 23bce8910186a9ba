#pragma once
// Opening a web page in the desktop's browser: the desktop's opener
// ("xdg-open") is started with the address as its one argument, directly,
// never through a shell. Only http:// and https:// addresses are opened.
// Nothing here logs: callers decide what to write.

#include <string>

// True for an address that starts with "http://" or "https://" (letter case
// ignored), has something after it, and holds no control characters.
bool a_isWebAddress(const std::string& url);
// Starts the opener for a web address and returns at once; false when the
// address is refused or the opener cannot be started.
bool a_openWebPage(const std::string& url);
// The program the desktop uses to open addresses.
const char* a_webOpenerProgram();
