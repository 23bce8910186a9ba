#include "mirel/platform/system/a_system.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <execinfo.h>
#include <fcntl.h>
#include <new>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr size_t kNoteSize = 8192;

// What the helper process reads after a crash: the note in two slots, so that
// a note being replaced while the program faults is never read half written.
struct SharedNote {
    std::atomic<int> slot;
    char text[2][kNoteSize];
};

struct CrashMessage {
    int signal;
    void* address;
};

// Everything the handler touches is made before it is installed.
char g_reportPath[4096];
char g_previousPath[4096 + 8];
volatile sig_atomic_t g_inHandler = 0;
bool g_installed = false;
struct sigaction g_previous[sizeof(kSignals) / sizeof(kSignals[0])];
char* g_altStack = nullptr;
SharedNote* g_note = nullptr;
int g_helperPipe = -1; // write end; the helper reads the crash from it
pid_t g_helper = -1;

SharedNote* sharedNote() {
    if (!g_note) {
        void* p =
            ::mmap(nullptr, sizeof(SharedNote), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) {
            return nullptr;
        }
        g_note = new (p) SharedNote();
        g_note->slot = 0;
        g_note->text[0][0] = g_note->text[1][0] = '\0';
    }
    return g_note;
}

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

// The report file, made afresh: a report already there becomes the previous
// one, and nothing is followed through a link.
int openReport() {
    ::rename(g_reportPath, g_previousPath);
    int fd = ::open(g_reportPath, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) { // could not be moved aside: replace it rather than lose this one
        fd = ::open(g_reportPath, O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
    }
    return fd;
}

// Async-signal-safe only: the report, one message to the helper, the end.
void onFatalSignal(int sig, siginfo_t* info, void*) {
    if (g_inHandler) {
        endWithSignal(sig); // a fault while reporting one: stop here
    }
    g_inHandler = 1;
    void* address = info ? info->si_addr : nullptr;
    if (g_reportPath[0]) {
        int fd = openReport();
        if (fd >= 0) {
            a_writeCrashReport(fd, sig, address);
            ::close(fd);
        }
    }
    if (g_helperPipe >= 0) {
        CrashMessage message{sig, address};
        ssize_t w = ::write(g_helperPipe, &message, sizeof(message));
        (void)w;
    }
    endWithSignal(sig);
}

// The helper: a copy of the program as it was at installation, with none of
// its files, waiting for one crash. Its heap and locks are its own, so
// whatever the crashed program held, the callback can log, allocate and show
// a window.
[[noreturn]] void runHelper(int readFd, aCrashCallback callback, void* user) {
    for (int sig : kSignals) {
        ::signal(sig, SIG_DFL);
    }
    if (readFd != 3) {
        ::dup2(readFd, 3);
    }
    if (::close_range(4, ~0u, 0) != 0) {
        for (int fd = 4; fd < 4096; ++fd) {
            ::close(fd);
        }
    }
    CrashMessage message;
    size_t got = 0;
    while (got < sizeof(message)) {
        ssize_t n = ::read(3, reinterpret_cast<char*>(&message) + got, sizeof(message) - got);
        if (n <= 0) {
            if (n < 0 && errno == EINTR) {
                continue;
            }
            ::_exit(0); // the program ended without a crash
        }
        got += static_cast<size_t>(n);
    }
    if (callback) {
        const char* note = g_note ? g_note->text[g_note->slot.load() & 1] : "";
        callback(message.signal, message.address, note, user);
    }
    ::_exit(0);
}

void stopHelper() {
    if (g_helperPipe >= 0) {
        ::close(g_helperPipe);
        g_helperPipe = -1;
    }
    if (g_helper > 0) {
        while (::waitpid(g_helper, nullptr, 0) < 0 && errno == EINTR) {
        }
        g_helper = -1;
    }
}

void startHelper(aCrashCallback callback, void* user) {
    sharedNote();
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return;
    }
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[1]);
        runHelper(fds[0], callback, user);
    }
    ::close(fds[0]);
    if (pid < 0) {
        ::close(fds[1]);
        return;
    }
    g_helper = pid;
    g_helperPipe = fds[1];
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
    std::memcpy(g_previousPath, g_reportPath, n);
    std::memcpy(g_previousPath + n, ".old", 5);
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
    stopHelper();
    startHelper(callback, user);

    struct sigaction sa;
    std::memset(&sa, 0, sizeof(sa));
    sa.sa_sigaction = onFatalSignal;
    sa.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&sa.sa_mask);
    sigaddset(&sa.sa_mask, SIGPIPE); // a helper that is gone must not end the program with another signal
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
    g_reportPath[0] = '\0';
    stopHelper();
}

void a_setCrashNote(const std::string& note) {
    SharedNote* shared = sharedNote();
    if (!shared) {
        return;
    }
    const int next = (shared->slot.load() + 1) & 1;
    size_t n = note.size() < kNoteSize - 1 ? note.size() : kNoteSize - 1;
    std::memcpy(shared->text[next], note.data(), n);
    shared->text[next][n] = '\0';
    shared->slot.store(next);
}
