#pragma once
// Process services of the platform: one running copy per program, crash
// reports written from fatal signals, and the facts of the system report.
// Nothing here logs: callers decide what to write.

#include <cstdint>
#include <string>
#include <vector>

// ---- single running copy ----
//
// The first copy holds an exclusive lock on a lock file for its whole life (the
// kernel frees it when the process ends, crash included) and listens on a
// small local socket. A later start finds the lock taken, asks the first copy
// through the socket to bring its window to the front, and ends.
class aSingleInstance {
public:
    // lockDir: the folder of the lock file; empty means $XDG_RUNTIME_DIR, or
    // the XDG data home when that is not set (made when missing); never a
    // shared folder such as /tmp. The lock file is never opened through a link.
    explicit aSingleInstance(const std::string& lockDir = std::string());
    ~aSingleInstance();
    aSingleInstance(const aSingleInstance&) = delete;
    aSingleInstance& operator=(const aSingleInstance&) = delete;

    // True when this process is now the one copy of the named program (also
    // when the lock file cannot be made at all: a copy that cannot lock still
    // runs). False when another live copy holds the lock.
    bool acquire(const std::string& name);
    // Second copy: asks the running one to raise its window. True when sent.
    bool requestRaise();
    // First copy: true once per raise request that arrived since the last call.
    bool takeRaiseRequest();
    // Drops the lock and the socket.
    void release();

    bool isOwner() const { return m_lockFd >= 0; }
    const std::string& getLockPath() const { return m_lockPath; }

private:
    std::string m_dir;
    std::string m_lockPath;
    std::string m_socketName;
    int m_lockFd = -1;
    int m_socketFd = -1;
};

// A name usable as a file name: every character outside [A-Za-z0-9._-] becomes '_'.
std::string a_systemSafeName(const std::string& name);

// ---- scheduling ----
//
// Sets the process's priority, then the calling thread's (nice values: lower
// runs sooner). The second is not tried when the first is refused.
enum class aPriorityResult { Set, ProcessRefused, ThreadRefused };
aPriorityResult a_setPriority(int processPriority, int threadPriority);

// ---- crash reports ----
//
// After installation the fatal signals (SIGSEGV, SIGBUS, SIGFPE, SIGILL,
// SIGABRT) write a text report to the report file (signal, fault address,
// backtrace; a report already there is kept as the report path + ".old"),
// then end the process with the signal's default action. The handler does
// only async-signal-safe work with buffers made at installation, on its own
// stack so that a stack overflow is reported too, and never waits for a
// lock the fault may have left held.
//
// Everything else happens on a clean path: installation forks a helper
// process, a copy of the program as it is then, holding none of its files.
// After a crash it calls the callback once with the signal, the address and
// the crash note as it was at the crash, and ends. A fault inside the
// callback ends the helper at once.
using aCrashCallback = void (*)(int signal, void* address, const char* note, void* user);
void a_installCrashHandler(const std::string& reportPath, aCrashCallback callback, void* user);
// Restores the previous handlers and ends the helper.
void a_removeCrashHandler();
// The text the callback gets after a crash (at most 8191 bytes); "" until set.
void a_setCrashNote(const std::string& note);
// Writes the report text to an open file descriptor. Async-signal-safe.
void a_writeCrashReport(int fd, int signal, void* address);
// "SIGSEGV" and so on; "signal" for others.
const char* a_signalName(int signal);

// ---- system facts for the log ----
struct aDriveFacts {
    std::string mountPoint;
    std::string kind;       // "fixed", "removable", "remote", "cdrom", "ramdisk", "unknown"
    std::string fileSystem; // "ext4", ...
    std::string label;      // the device ("/dev/sda1"), or the remote source
    uint64_t freeMB = 0;
    uint64_t totalMB = 0;
};

struct aSystemFacts {
    std::string osName; // "Debian GNU/Linux 12 (bookworm), Linux 6.1.0 x86_64"
    std::string computerName;
    std::string userName;
    int memoryLoad = 0; // percent of physical memory in use
    uint64_t physFreeKB = 0, physTotalKB = 0;
    uint64_t virtFreeKB = 0, virtTotalKB = 0; // commit limit and what is left of it
    uint64_t swapUsedKB = 0, swapTotalKB = 0;
    std::vector<aDriveFacts> drives;
};

aSystemFacts a_readSystemFacts();
// The OS name from the text of an os-release file and uname's fields.
std::string a_osNameFrom(const std::string& osRelease, const std::string& sysname, const std::string& release,
                         const std::string& machine);
// The drive kind of a file-system type ("fixed" for disk file systems).
const char* a_driveKindOf(const std::string& fileSystem);
// Memory facts from the text of /proc/meminfo (fields left 0 when missing).
void a_memoryFactsFrom(const std::string& meminfo, aSystemFacts& facts);
// The report lines, in order, from the facts (the program path is passed in).
std::vector<std::string> a_systemReportLines(const aSystemFacts& facts, const std::string& programPath);
