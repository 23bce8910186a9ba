#include "mirel/platform/system/a_system.h"

#include <csignal>
#include <cstring>
#include <execinfo.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

const int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

// Everything the handler reads is fixed before it is installed.
char g_reportPath[4096];
aCrashCallback g_callback = nullptr;
void* g_user = nullptr;
volatile sig_atomic_t g_inHandler = 0;
bool g_installed = false;
struct sigaction g_previous[sizeof(kSignals) / sizeof(kSignals[0])];
char* g_altStack = nullptr;

void writeText(int fd, const char* text) {
    size_t n = std::strlen(text);
    while (n > 0) {
        ssize_t w = ::write(fd, text, n);
        if (w <= 0) {
            return;
        }
        text += w;
        n -= static_cast<size_t>(w);
    }
}

void writeNumber(int fd, unsigned long long value, unsigned base) {
    char digits[32];
    int i = 0;
    do {
        unsigned d = static_cast<unsigned>(value % base);
        digits[i++] = static_cast<char>(d < 10 ? '0' + d : 'a' + d - 10);
        value /= base;
    } while (value && i < 30);
    char out[34];
    int o = 0;
    if (base == 16) {
        out[o++] = '0';
        out[o++] = 'x';
    }
    while (i > 0) {
        out[o++] = digits[--i];
    }
    out[o] = '\0';
    writeText(fd, out);
}

void endWithSignal(int sig) {
    struct sigaction dfl;
    std::memset(&dfl, 0, sizeof(dfl));
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    ::sigaction(sig, &dfl, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(sig);
    ::_exit(128 + sig);
}

void onFatalSignal(int sig, siginfo_t* info, void*) {
    if (g_inHandler) {
        endWithSignal(sig); // a fault while reporting one: stop here
    }
    g_inHandler = 1;
    void* address = info ? info->si_addr : nullptr;
    if (g_reportPath[0]) {
        int fd = ::open(g_reportPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd >= 0) {
            a_writeCrashReport(fd, sig, address);
            ::close(fd);
        }
    }
    if (g_callback) {
        g_callback(sig, address, g_user);
    }
    endWithSignal(sig);
}

} // namespace

const char* a_signalName(int sig) {
    switch (sig) {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGBUS:
        return "SIGBUS";
    case SIGFPE:
        return "SIGFPE";
    case SIGILL:
        return "SIGILL";
    case SIGABRT:
        return "SIGABRT";
    default:
        return "signal";
    }
}

void a_writeCrashReport(int fd, int sig, void* address) {
    writeText(fd, "Crash report\n");
    writeText(fd, "Signal: ");
    writeNumber(fd, static_cast<unsigned long long>(sig), 10);
    writeText(fd, " (");
    writeText(fd, a_signalName(sig));
    writeText(fd, ")\nAddress: ");
    writeNumber(fd, reinterpret_cast<unsigned long long>(address), 16);
    writeText(fd, "\nProcess: ");
    writeNumber(fd, static_cast<unsigned long long>(::getpid()), 10);
    writeText(fd, "\nBacktrace:\n");
    void* frames[64];
    int n = ::backtrace(frames, 64);
    ::backtrace_symbols_fd(frames, n, fd);
    writeText(fd, "End of report\n");
}

void a_installCrashHandler(const std::string& reportPath, aCrashCallback callback, void* user) {
    size_t n = reportPath.size() < sizeof(g_reportPath) - 1 ? reportPath.size() : sizeof(g_reportPath) - 1;
    std::memcpy(g_reportPath, reportPath.data(), n);
    g_reportPath[n] = '\0';
    g_callback = callback;
    g_user = user;
    g_inHandler = 0;

    // backtrace() loads its unwinder on first use; do that now, not in the handler.
    void* warm[2];
    ::backtrace(warm, 2);

    if (!g_altStack) {
        const size_t size = 256 * 1024;
        g_altStack = new char[size];
        stack_t ss;
        std::memset(&ss, 0, sizeof(ss));
        ss.ss_sp = g_altStack;
        ss.ss_size = size;
        ::sigaltstack(&ss, nullptr);
    }
    struct sigaction sa;
    std::memset(&sa, 0, sizeof(sa));
    sa.sa_sigaction = onFatalSignal;
    sa.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&sa.sa_mask);
    for (size_t i = 0; i < sizeof(kSignals) / sizeof(kSignals[0]); ++i) {
        ::sigaction(kSignals[i], &sa, g_installed ? nullptr : &g_previous[i]);
    }
    g_installed = true;
}

void a_removeCrashHandler() {
    if (!g_installed) {
        return;
    }
    for (size_t i = 0; i < sizeof(kSignals) / sizeof(kSignals[0]); ++i) {
        ::sigaction(kSignals[i], &g_previous[i], nullptr);
    }
    g_installed = false;
    g_callback = nullptr;
    g_user = nullptr;
    g_reportPath[0] = '\0';
}
