#include "mirel/platform/system/a_openurl.h"

#include <cerrno>
#include <spawn.h>
#include <string_view>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

// prefix is lower case.
bool startsWithNoCase(const std::string& text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        const char c = text[i];
        if ((c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c) != prefix[i])
            return false;
    }
    return true;
}

} // namespace

bool a_isWebAddress(const std::string& url) {
    size_t prefix = 0;
    if (startsWithNoCase(url, "http://"))
        prefix = 7;
    else if (startsWithNoCase(url, "https://"))
        prefix = 8;
    else
        return false;
    if (url.size() == prefix)
        return false;
    for (unsigned char c : url) {
        if (c < 0x20 || c == 0x7F)
            return false;
    }
    return true;
}

const char* a_webOpenerProgram() {
    return "xdg-open";
}

bool a_openWebPage(const std::string& url) {
    if (!a_isWebAddress(url))
        return false;
    std::string program = a_webOpenerProgram();
    std::string argument = url;
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0)
        return false;
    // The opener ends once it has handed the address on; its exit is
    // collected on the side so that the game never waits for it.
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}
