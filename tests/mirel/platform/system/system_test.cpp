#include "mirel/platform/system/a_system.h"
#include "support/read_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

std::string scratch(const std::string& sub) {
    const char* base = std::getenv("MIREL_TEST_TMP");
    std::filesystem::path p = std::filesystem::path(base ? base : "/tmp/mirel-test") / sub;
    std::filesystem::remove_all(p);
    std::filesystem::create_directories(p);
    return p.string();
}

int exitCodeOf(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Starts the helper; its stdout comes back through *out (first line).
pid_t spawnHelper(const std::vector<std::string>& args, std::string* firstLine) {
    int fds[2];
    if (pipe(fds) != 0) {
        return -1;
    }
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        close(fds[1]);
        std::vector<char*> argv;
        std::string exe = MIREL_INSTANCE_HELPER;
        argv.push_back(exe.data());
        std::vector<std::string> copy = args;
        for (std::string& a : copy) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        execv(exe.c_str(), argv.data());
        _exit(99);
    }
    close(fds[1]);
    if (firstLine) {
        firstLine->clear();
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n') {
            *firstLine += c;
        }
    }
    close(fds[0]);
    return pid;
}

int waitFor(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

} // namespace

TEST(SingleInstance, SecondStartAsksTheFirstToRaiseAndEnds) {
    std::string dir = scratch("instance");
    std::string line;
    pid_t holder = spawnHelper({"hold", dir, "Some Game", "10"}, &line);
    ASSERT_GT(holder, 0);
    ASSERT_EQ(line, "owner");

    // A second process: refused, sends the raise request.
    pid_t second = spawnHelper({"start", dir, "Some Game"}, nullptr);
    EXPECT_EQ(exitCodeOf(waitFor(second)), 1);
    // The first copy saw the request and ended on it.
    EXPECT_EQ(exitCodeOf(waitFor(holder)), 0);

    // Gone: the next start is the one copy again.
    aSingleInstance again(dir);
    EXPECT_TRUE(again.acquire("Some Game"));
    EXPECT_TRUE(again.isOwner());
    // Another name is another program.
    aSingleInstance other(dir);
    EXPECT_TRUE(other.acquire("Other Game"));
}

TEST(SingleInstance, LockOfAKilledCopyIsFreedByTheSystem) {
    std::string dir = scratch("killed");
    std::string line;
    pid_t holder = spawnHelper({"hold", dir, "game", "30"}, &line);
    ASSERT_EQ(line, "owner");
    aSingleInstance second(dir);
    EXPECT_FALSE(second.acquire("game"));
    kill(holder, SIGKILL);
    waitFor(holder);
    EXPECT_TRUE(second.acquire("game"));
    // And now this process is the one a further start is refused by.
    pid_t third = spawnHelper({"start", dir, "game"}, nullptr);
    EXPECT_EQ(exitCodeOf(waitFor(third)), 1);
    EXPECT_TRUE(second.takeRaiseRequest());
    EXPECT_FALSE(second.takeRaiseRequest());
}

TEST(SingleInstance, TheLockLivesInTheUsersOwnFolders) {
    const std::string root = scratch("lockdirs");
    struct Env {
        const char* name;
        std::string saved;
        bool was;
    } env[] = {{"XDG_RUNTIME_DIR", "", false},
               {"XDG_DATA_HOME", "", false},
               {"HOME", "", false},
               {"TMPDIR", "", false}};
    for (Env& e : env) {
        const char* v = std::getenv(e.name);
        e.was = v != nullptr;
        e.saved = v ? v : "";
    }
    auto set = [](const char* name, const std::string& value) {
        if (value.empty()) {
            unsetenv(name);
        } else {
            setenv(name, value.c_str(), 1);
        }
    };
    struct Case {
        std::string runtime, dataHome, home;
        std::string folder; // where the lock goes; "" for none at all
    } cases[] = {
        {root + "/run", root + "/data", root + "/home", root + "/run/"},
        {"", root + "/data", root + "/home", root + "/data/"},
        {"relative/run", "", root + "/home", root + "/home/.local/share/"}, // made when missing
        {"", "", "", ""},
    };
    std::filesystem::create_directories(root + "/run");
    std::filesystem::create_directories(root + "/home");
    for (const Case& c : cases) {
        set("XDG_RUNTIME_DIR", c.runtime);
        set("XDG_DATA_HOME", c.dataHome);
        set("HOME", c.home);
        set("TMPDIR", root + "/tmp"); // never used: a folder others may write
        aSingleInstance lock;
        EXPECT_TRUE(lock.acquire("Game")) << c.folder;
        if (c.folder.empty()) {
            EXPECT_FALSE(lock.isOwner()); // runs, without a lock
            EXPECT_EQ(lock.getLockPath(), "");
        } else {
            EXPECT_TRUE(lock.isOwner()) << c.folder;
            EXPECT_EQ(lock.getLockPath().rfind(c.folder, 0), 0u) << lock.getLockPath();
        }
    }
    EXPECT_FALSE(std::filesystem::exists(root + "/tmp"));
    for (const Env& e : env) {
        if (e.was) {
            setenv(e.name, e.saved.c_str(), 1);
        } else {
            unsetenv(e.name);
        }
    }
}

TEST(SingleInstance, ALinkInPlaceOfTheLockIsNotFollowed) {
    const std::string dir = scratch("locklink");
    const std::string victim = dir + "/victim";
    std::ofstream(victim) << "keep me";
    aSingleInstance probe(dir);
    probe.acquire("game");
    const std::string path = probe.getLockPath();
    probe.release();
    std::filesystem::remove(path);
    std::filesystem::create_symlink(victim, path);
    aSingleInstance lock(dir);
    EXPECT_TRUE(lock.acquire("game")); // runs, but takes no lock through the link
    EXPECT_FALSE(lock.isOwner());
    EXPECT_EQ(ReadWholeFile(victim), "keep me");
}

TEST(SingleInstance, NamesBecomeSafeFileNames) {
    const std::pair<const char*, const char*> cases[] = {{"Tarrow Game", "Tarrow_Game"},
                                                         {"../x/y", ".._x_y"},
                                                         {"", "_"},
                                                         {"..", "_"},
                                                         {"ok-1.2_b", "ok-1.2_b"}};
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(a_systemSafeName(in), out) << in;
    }
}

namespace {
void crashCallback(int sig, void*, const char* note, void* user) {
    // The report is already on disk when the callback runs.
    const char* marker = static_cast<const char*>(user);
    const std::string temp = std::string(marker) + ".part";
    FILE* f = std::fopen(temp.c_str(), "w");
    if (f) {
        std::fprintf(f, "callback %d %s", sig, note);
        std::fclose(f);
        std::rename(temp.c_str(), marker);
    }
}

// The callback runs in the helper process, which may still be at work when the
// crashed process has ended: waits up to ten seconds for the marker.
std::string awaitFile(const std::string& path) {
    for (int i = 0; i < 1000 && !std::filesystem::exists(path); ++i) {
        usleep(10000);
    }
    return ReadWholeFile(path);
}
} // namespace

TEST(CrashHandler, FatalSignalWritesReportThenCallsBackAndEnds) {
    const int signals[] = {SIGSEGV, SIGFPE, SIGABRT, SIGBUS};
    for (int sig : signals) {
        std::string dir = scratch("crash" + std::to_string(sig));
        std::string dump = dir + "/crash.dmp";
        std::string marker = dir + "/marker";
        std::ofstream(dump) << "the previous report";
        pid_t pid = fork();
        if (pid == 0) {
            a_setCrashNote("early");
            a_installCrashHandler(dump, crashCallback, marker.data());
            a_setCrashNote("the note at the crash");
            raise(sig);
            _exit(0);
        }
        int status = waitFor(pid);
        ASSERT_TRUE(WIFSIGNALED(status)) << sig;
        EXPECT_EQ(WTERMSIG(status), sig);
        std::string report = ReadWholeFile(dump);
        EXPECT_NE(report.find("Signal: " + std::to_string(sig) + " (" + a_signalName(sig) + ")"),
                  std::string::npos)
            << report;
        EXPECT_NE(report.find("Address: 0x"), std::string::npos);
        EXPECT_NE(report.find("Backtrace:\n"), std::string::npos);
        EXPECT_NE(report.find("End of report"), std::string::npos);
        EXPECT_EQ(awaitFile(marker), "callback " + std::to_string(sig) + " the note at the crash");
        EXPECT_EQ(ReadWholeFile(dump + ".old"), "the previous report"); // kept, not overwritten
    }
}

TEST(CrashHandler, RealInvalidAccessIsReportedWithItsAddress) {
    std::string dir = scratch("crashaccess");
    std::string dump = dir + "/crash.dmp";
    pid_t pid = fork();
    if (pid == 0) {
        a_installCrashHandler(dump, nullptr, nullptr);
        // The address comes through a volatile so that the compiler cannot see the bad write.
        volatile uintptr_t address = 0x10;
        volatile int* bad = reinterpret_cast<volatile int*>(address);
        *bad = 1;
        _exit(0);
    }
    int status = waitFor(pid);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);
    EXPECT_NE(ReadWholeFile(dump).find("Address: 0x10\n"), std::string::npos) << ReadWholeFile(dump);
}

namespace {
FILE* g_busy = nullptr; // a stream another thread holds locked when the fault comes

void lockingCallback(int sig, void*, const char* note, void* user) {
    flockfile(g_busy); // would wait for ever inside the signal handler
    funlockfile(g_busy);
    crashCallback(sig, nullptr, note, user);
}

// Waits up to `seconds` for the process; kills it when it is still there.
bool endsWithin(pid_t pid, int seconds, int* status) {
    for (int i = 0; i < seconds * 100; ++i) {
        if (waitpid(pid, status, WNOHANG) == pid) {
            return true;
        }
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, status, 0);
    return false;
}
} // namespace

TEST(CrashHandler, AFaultWhileAnotherThreadHoldsALockStillEnds) {
    std::string dir = scratch("crashlocked");
    std::string dump = dir + "/crash.dmp";
    std::string marker = dir + "/marker";
    pid_t pid = fork();
    if (pid == 0) {
        g_busy = std::fopen((dir + "/busy").c_str(), "w");
        a_installCrashHandler(dump, lockingCallback, marker.data());
        std::atomic<bool> locked{false};
        std::thread holder([&] {
            flockfile(g_busy);
            locked = true;
            for (;;) {
                pause();
            }
        });
        while (!locked) {
            usleep(1000);
        }
        raise(SIGSEGV);
        _exit(0);
    }
    int status = 0;
    ASSERT_TRUE(endsWithin(pid, 20, &status)) << "the crash handler hung";
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);
    EXPECT_NE(ReadWholeFile(dump).find("Signal: 11 (SIGSEGV)"), std::string::npos);
    EXPECT_EQ(awaitFile(marker), "callback 11 "); // the helper took the lock freely
}

TEST(SystemFacts, OsNameFromReleaseFileAndUname) {
    struct Case {
        const char* osRelease;
        const char* expected;
    } cases[] = {
        {"NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n",
         "Debian GNU/Linux 12 (bookworm), Linux 6.1.0 x86_64"},
        {"NAME=Fedora\nVERSION='39 (Workstation)'\n", "Fedora 39 (Workstation), Linux 6.1.0 x86_64"},
        {"", "Linux 6.1.0 x86_64"},
        {"garbage without equals\n", "Linux 6.1.0 x86_64"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(a_osNameFrom(c.osRelease, "Linux", "6.1.0", "x86_64"), c.expected);
    }
}

TEST(SystemFacts, MemoryAndDriveKinds) {
    aSystemFacts f;
    a_memoryFactsFrom("MemTotal:  1000 kB\nMemFree: 100 kB\nMemAvailable: 250 kB\nSwapTotal: 400 kB\n"
                      "SwapFree: 100 kB\nCommitLimit: 1400 kB\nCommitted_AS: 600 kB\n",
                      f);
    EXPECT_EQ(f.physTotalKB, 1000u);
    EXPECT_EQ(f.physFreeKB, 250u);
    EXPECT_EQ(f.memoryLoad, 75);
    EXPECT_EQ(f.swapUsedKB, 300u);
    EXPECT_EQ(f.virtFreeKB, 800u);
    EXPECT_EQ(f.virtTotalKB, 1400u);
    // Without MemAvailable free memory stands in; nothing at all gives zeros, not a division by zero.
    aSystemFacts old;
    a_memoryFactsFrom("MemTotal: 200 kB\nMemFree: 50 kB\n", old);
    EXPECT_EQ(old.memoryLoad, 75);
    aSystemFacts none;
    a_memoryFactsFrom("", none);
    EXPECT_EQ(none.memoryLoad, 0);

    const std::pair<const char*, const char*> kinds[] = {{"ext4", "fixed"},     {"nfs4", "remote"},
                                                         {"iso9660", "cdrom"},  {"tmpfs", "ramdisk"},
                                                         {"vfat", "removable"}, {"proc", "unknown"}};
    for (const auto& [fs, kind] : kinds) {
        EXPECT_STREQ(a_driveKindOf(fs), kind) << fs;
    }
}

TEST(SystemFacts, ReportLinesInOrder) {
    aSystemFacts f;
    f.osName = "Some OS";
    f.computerName = "box";
    f.userName = "me";
    f.memoryLoad = 42;
    f.physFreeKB = 1;
    f.physTotalKB = 2;
    f.drives.push_back({"/", "fixed", "ext4", "/dev/sda1", 10, 20});
    f.drives.push_back({"/net", "remote", "nfs", "srv:/x", 0, 0});
    std::vector<std::string> lines = a_systemReportLines(f, "/opt/game/");
    std::vector<std::string> expected = {
        "----------------- System configuration --------------------------",
        "    Operating System: Some OS",
        "       Computer Name: box",
        "           User Name: me",
        "",
        "         Memory Load: 42%",
        "Free Physical Memory: 1 of 2 KB",
        " Free Virtual Memory: 0 of 0 KB",
        "       Pagefile Used: 0 of 0 KB",
        "",
        "    Application Path: /opt/game/",
        "             Drive /: fixed <ext4>, /dev/sda1, 10 of 20 MB free",
        "             Drive /net: remote",
        std::string(65, '-'),
    };
    EXPECT_EQ(lines, expected);
    // The live facts read without failing and name this machine.
    aSystemFacts live = a_readSystemFacts();
    EXPECT_FALSE(live.osName.empty());
    EXPECT_GT(live.physTotalKB, 0u);
}
