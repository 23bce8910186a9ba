#include "mirel/platform/system/a_system.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <pwd.h>
#include <set>
#include <sstream>
#include <sys/statvfs.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace {

std::string readText(const char* path) {
    std::ifstream in(path);
    if (!in) {
        return std::string();
    }
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string unquote(std::string v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        v = v.substr(1, v.size() - 2);
    }
    return v;
}

std::string format(const char* fmt, unsigned long long a, unsigned long long b) {
    char buffer[128];
    std::snprintf(buffer, sizeof(buffer), fmt, a, b);
    return buffer;
}

// /proc/self/mounts escapes blanks and backslashes as octal (\040).
std::string unescapeMount(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() + 0 && s[i + 1] >= '0' && s[i + 1] <= '3') {
            out += static_cast<char>((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0'));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

} // namespace

std::string a_osNameFrom(const std::string& osRelease, const std::string& sysname, const std::string& release,
                         const std::string& machine) {
    std::string pretty, name, version;
    std::istringstream in(osRelease);
    std::string line;
    while (std::getline(in, line)) {
        size_t eq = line.find('=');
        if (eq == std::string::npos) {
            continue;
        }
        std::string key = line.substr(0, eq);
        std::string value = unquote(line.substr(eq + 1));
        if (key == "PRETTY_NAME") {
            pretty = value;
        } else if (key == "NAME") {
            name = value;
        } else if (key == "VERSION") {
            version = value;
        }
    }
    if (pretty.empty()) {
        pretty = name.empty() ? std::string() : (version.empty() ? name : name + " " + version);
    }
    std::string kernel = sysname.empty() ? std::string("Unknown system") : sysname;
    if (!release.empty()) {
        kernel += " " + release;
    }
    if (!machine.empty()) {
        kernel += " " + machine;
    }
    return pretty.empty() ? kernel : pretty + ", " + kernel;
}

const char* a_driveKindOf(const std::string& fs) {
    static const std::set<std::string> remote = {"nfs",        "nfs4",  "cifs",       "smb3", "smbfs",
                                                 "fuse.sshfs", "sshfs", "9p",         "afs",  "ceph",
                                                 "glusterfs",  "davfs", "fuse.davfs2"};
    static const std::set<std::string> cdrom = {"iso9660", "udf"};
    static const std::set<std::string> ram = {"tmpfs", "ramfs"};
    static const std::set<std::string> removable = {"vfat", "exfat", "msdos"};
    static const std::set<std::string> fixed = {"ext2",  "ext3",    "ext4",    "xfs",      "btrfs",
                                                "zfs",   "f2fs",    "jfs",     "reiserfs", "ntfs",
                                                "ntfs3", "fuseblk", "overlay", "bcachefs"};
    if (remote.count(fs))
        return "remote";
    if (cdrom.count(fs))
        return "cdrom";
    if (ram.count(fs))
        return "ramdisk";
    if (removable.count(fs))
        return "removable";
    if (fixed.count(fs))
        return "fixed";
    return "unknown";
}

void a_memoryFactsFrom(const std::string& meminfo, aSystemFacts& f) {
    uint64_t total = 0, avail = 0, freeMem = 0, swapTotal = 0, swapFree = 0, commitLimit = 0, committed = 0;
    bool haveAvail = false;
    std::istringstream in(meminfo);
    std::string key;
    uint64_t value = 0;
    std::string line;
    while (std::getline(in, line)) {
        char name[64];
        unsigned long long v = 0;
        if (std::sscanf(line.c_str(), "%63[^:]: %llu", name, &v) != 2) {
            continue;
        }
        key = name;
        value = v;
        if (key == "MemTotal")
            total = value;
        else if (key == "MemAvailable") {
            avail = value;
            haveAvail = true;
        } else if (key == "MemFree")
            freeMem = value;
        else if (key == "SwapTotal")
            swapTotal = value;
        else if (key == "SwapFree")
            swapFree = value;
        else if (key == "CommitLimit")
            commitLimit = value;
        else if (key == "Committed_AS")
            committed = value;
    }
    if (!haveAvail) {
        avail = freeMem;
    }
    if (avail > total) {
        avail = total;
    }
    f.physTotalKB = total;
    f.physFreeKB = avail;
    f.memoryLoad = total ? static_cast<int>((total - avail) * 100 / total) : 0;
    f.swapTotalKB = swapTotal;
    f.swapUsedKB = swapTotal >= swapFree ? swapTotal - swapFree : 0;
    f.virtTotalKB = commitLimit;
    f.virtFreeKB = commitLimit > committed ? commitLimit - committed : 0;
}

aSystemFacts a_readSystemFacts() {
    aSystemFacts f;
    utsname u;
    std::memset(&u, 0, sizeof(u));
    if (::uname(&u) == 0) {
        std::string osr = readText("/etc/os-release");
        if (osr.empty()) {
            osr = readText("/usr/lib/os-release");
        }
        f.osName = a_osNameFrom(osr, u.sysname, u.release, u.machine);
    } else {
        f.osName = a_osNameFrom(readText("/etc/os-release"), "", "", "");
    }

    char host[256] = {0};
    if (::gethostname(host, sizeof(host) - 1) == 0) {
        f.computerName = host;
    }
    if (passwd* pw = ::getpwuid(::getuid())) {
        if (pw->pw_name) {
            f.userName = pw->pw_name;
        }
    }
    if (f.userName.empty()) {
        const char* user = std::getenv("USER");
        f.userName = user ? user : "";
    }

    a_memoryFactsFrom(readText("/proc/meminfo"), f);

    std::istringstream mounts(readText("/proc/self/mounts"));
    std::string line;
    std::set<std::string> seen;
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        std::string device, point, fs;
        if (!(fields >> device >> point >> fs)) {
            continue;
        }
        device = unescapeMount(device);
        point = unescapeMount(point);
        std::string kind = a_driveKindOf(fs);
        // Disks, network shares and the root; pseudo file systems are left out.
        bool disk = !device.empty() && device[0] == '/';
        if (!(disk || kind == "remote" || point == "/") || kind == "unknown" || seen.count(point)) {
            continue;
        }
        if (kind == "ramdisk" && point != "/") {
            continue; // /run, /dev/shm and their kind
        }
        seen.insert(point);
        aDriveFacts d;
        d.mountPoint = point;
        d.kind = kind;
        d.fileSystem = fs;
        d.label = device;
        struct statvfs st;
        if (::statvfs(point.c_str(), &st) == 0) {
            d.freeMB = static_cast<uint64_t>(st.f_bavail) * st.f_frsize / 1048576;
            d.totalMB = static_cast<uint64_t>(st.f_blocks) * st.f_frsize / 1048576;
        }
        f.drives.push_back(d);
    }
    return f;
}

std::vector<std::string> a_systemReportLines(const aSystemFacts& f, const std::string& programPath) {
    std::vector<std::string> lines;
    lines.push_back("----------------- System configuration --------------------------");
    lines.push_back("    Operating System: " + f.osName);
    lines.push_back("       Computer Name: " + f.computerName);
    lines.push_back("           User Name: " + f.userName);
    lines.push_back("");
    lines.push_back("         Memory Load: " + std::to_string(f.memoryLoad) + "%");
    lines.push_back(format("Free Physical Memory: %llu of %llu KB", f.physFreeKB, f.physTotalKB));
    lines.push_back(format(" Free Virtual Memory: %llu of %llu KB", f.virtFreeKB, f.virtTotalKB));
    lines.push_back(format("       Pagefile Used: %llu of %llu KB", f.swapUsedKB, f.swapTotalKB));
    lines.push_back("");
    lines.push_back("    Application Path: " + programPath);
    for (const aDriveFacts& d : f.drives) {
        std::string text = d.kind;
        if (d.kind == "fixed" || d.kind == "removable") {
            text +=
                " <" + d.fileSystem + ">, " + d.label + format(", %llu of %llu MB free", d.freeMB, d.totalMB);
        }
        lines.push_back("             Drive " + d.mountPoint + ": " + text);
    }
    lines.push_back(std::string(65, '-'));
    return lines;
}
