#include "mirel/platform/system/a_system.h"

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const char kRaiseMessage[] = "raise";

// Fills an abstract-namespace address (leading NUL): nothing is left on disk
// and the name disappears with the process that bound it.
socklen_t abstractAddress(const std::string& name, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof(addr));
    addr.sun_family = AF_UNIX;
    size_t n = name.size();
    if (n > sizeof(addr.sun_path) - 1) {
        n = sizeof(addr.sun_path) - 1; // the tail (most specific part) is kept
    }
    std::memcpy(addr.sun_path + 1, name.data() + (name.size() - n), n);
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + n);
}

// Makes the folder and its missing parents, private to the user.
void makeFolders(const std::string& path) {
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/') {
            ::mkdir(path.substr(0, i).c_str(), 0700);
        }
    }
}

} // namespace

std::string a_systemSafeName(const std::string& name) {
    std::string out = name.empty() ? std::string("_") : name;
    for (char& c : out) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                  c == '_' || c == '-';
        if (!ok) {
            c = '_';
        }
    }
    if (out == "." || out == "..") {
        out = "_";
    }
    return out;
}

aSingleInstance::aSingleInstance(const std::string& lockDir) : m_dir(lockDir) {
    // Only the user's own folders: a shared one like /tmp would let another
    // user hold the lock, or plant a link where it goes.
    if (m_dir.empty()) {
        const char* run = std::getenv("XDG_RUNTIME_DIR");
        const char* data = std::getenv("XDG_DATA_HOME");
        const char* home = std::getenv("HOME");
        if (run && run[0] == '/') {
            m_dir = run;
        } else {
            if (data && data[0] == '/') {
                m_dir = data;
            } else if (home && home[0] == '/') {
                m_dir = std::string(home) + "/.local/share";
            }
            makeFolders(m_dir);
        }
    }
    if (!m_dir.empty() && m_dir.back() != '/') {
        m_dir += '/';
    }
}

aSingleInstance::~aSingleInstance() {
    release();
}

bool aSingleInstance::acquire(const std::string& name) {
    release();
    m_lockPath.clear();
    m_socketName.clear();
    if (m_dir.empty()) {
        return true; // no folder for a lock: run anyway rather than refuse to start
    }
    std::string safe = a_systemSafeName(name);
    m_lockPath = m_dir + safe + "." + std::to_string(getuid()) + ".lock";
    m_socketName = "mirel-raise:" + m_lockPath;

    // Never through a link, and only a plain file.
    int fd = ::open(m_lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    struct stat st;
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        fd = -1;
    }
    if (fd < 0) {
        return true; // no lock can be made here: run anyway rather than refuse to start
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false; // another live copy holds it
    }
    m_lockFd = fd;
    // Leave the owner's pid in the file for people looking at it.
    if (::ftruncate(fd, 0) == 0) {
        std::string pid = std::to_string(getpid()) + "\n";
        ssize_t w = ::write(fd, pid.data(), pid.size());
        (void)w;
    }

    int s = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (s >= 0) {
        sockaddr_un addr;
        socklen_t len = abstractAddress(m_socketName, addr);
        if (::bind(s, reinterpret_cast<sockaddr*>(&addr), len) == 0) {
            m_socketFd = s;
        } else {
            ::close(s);
        }
    }
    return true;
}

bool aSingleInstance::requestRaise() {
    if (m_socketName.empty()) {
        return false;
    }
    int s = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (s < 0) {
        return false;
    }
    sockaddr_un addr;
    socklen_t len = abstractAddress(m_socketName, addr);
    ssize_t sent = ::sendto(s, kRaiseMessage, sizeof(kRaiseMessage) - 1, MSG_DONTWAIT,
                            reinterpret_cast<sockaddr*>(&addr), len);
    ::close(s);
    return sent == static_cast<ssize_t>(sizeof(kRaiseMessage) - 1);
}

bool aSingleInstance::takeRaiseRequest() {
    if (m_socketFd < 0) {
        return false;
    }
    bool raised = false;
    char buffer[64];
    for (;;) {
        ssize_t n = ::recv(m_socketFd, buffer, sizeof(buffer), MSG_DONTWAIT);
        if (n < 0) {
            break;
        }
        if (n == static_cast<ssize_t>(sizeof(kRaiseMessage) - 1) &&
            std::memcmp(buffer, kRaiseMessage, static_cast<size_t>(n)) == 0) {
            raised = true;
        }
    }
    return raised;
}

void aSingleInstance::release() {
    if (m_socketFd >= 0) {
        ::close(m_socketFd);
        m_socketFd = -1;
    }
    if (m_lockFd >= 0) {
        ::flock(m_lockFd, LOCK_UN);
        ::close(m_lockFd);
        m_lockFd = -1;
    }
}
