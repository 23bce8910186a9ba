#include "mirel/file/a_fileserver.h"

#include "mirel/base/a_log.h"

#include <zzip/zzip.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

aFileServer* aFileServer::ms_instance = nullptr;

namespace {

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

std::string withSlash(std::string folder) {
    if (!folder.empty() && !isSeparator(folder.back())) {
        folder += '/';
    }
    return folder;
}

std::string envOr(const aFileServerSources& s, const std::string& given, const char* name) {
    if (!given.empty() || !s.useSystem) {
        return given;
    }
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

bool isDirectory(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isWritableDirectory(const std::string& path) {
    return isDirectory(path) && ::access(path.c_str(), W_OK) == 0;
}

std::string readExePath() {
    std::vector<char> buf(4096);
    ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0) {
        return std::string();
    }
    return std::string(buf.data(), static_cast<size_t>(n));
}

// One value of an XDG user-dirs file: XDG_DOCUMENTS_DIR="$HOME/Documents".
std::string userDirFromFile(const std::string& file, const char* key, const std::string& home) {
    if (file.empty()) {
        return std::string();
    }
    std::ifstream in(file);
    std::string line;
    const std::string prefix = std::string(key) + "=";
    while (std::getline(in, line)) {
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, prefix.size(), prefix) != 0) {
            continue;
        }
        std::string value = line.substr(start + prefix.size());
        while (!value.empty() && (value.back() == '\r' || value.back() == ' ' || value.back() == '\t')) {
            value.pop_back();
        }
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        if (value.compare(0, 5, "$HOME") == 0) {
            if (home.empty()) {
                return std::string();
            }
            value = home + value.substr(5);
        }
        if (value.empty() || value[0] != '/') {
            return std::string(); // relative entries are not allowed by the format
        }
        return value;
    }
    return std::string();
}

const char* const kArchiveExtensions[] = {".zip", ".pak", nullptr};

bool isRegularOrMissing(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        return true; // missing here: may still be an archive entry
    }
    return S_ISREG(st.st_mode);
}

// When a path is missing, zziplib opens the archive named after its nearest
// parent that has one ("d/pack.zip" for "d/pack/x", then "d.zip"): that
// archive must be a plain file too.
bool archiveCandidatesAreFiles(const std::string& path) {
    for (size_t cut = path.rfind('/'); cut != std::string::npos;
         cut = cut ? path.rfind('/', cut - 1) : std::string::npos) {
        const std::string base = path.substr(0, cut);
        for (const char* const* ext = kArchiveExtensions; *ext; ++ext) {
            struct stat st;
            if (::stat((base + *ext).c_str(), &st) == 0) {
                return S_ISREG(st.st_mode); // zziplib stops at the first one there
            }
        }
    }
    return true;
}

// The plain file or archive entry as zziplib finds it; devices, pipes and
// folders are never opened (a pipe would block, a folder cannot be read),
// neither as the file nor as the archive zziplib falls back to.
ZZIP_FILE* openExact(const std::string& path) {
    if (path.empty()) {
        return nullptr;
    }
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 ? !S_ISREG(st.st_mode) : !archiveCandidatesAreFiles(path)) {
        return nullptr;
    }
    return zzip_open_ext_io(path.c_str(), O_RDONLY, ZZIP_CASELESS,
                            const_cast<zzip_strings_t*>(kArchiveExtensions), nullptr);
}

// The entry of a folder whose name matches without regard to case; exact
// matches win, then the first in byte order.
std::string findNoCase(const std::string& folder, const std::string& name) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) {
        return std::string();
    }
    std::string best;
    while (dirent* e = ::readdir(dir)) {
        std::string entry = e->d_name;
        if (entry == "." || entry == "..") {
            continue;
        }
        if (a_stricmp(entry, name) == 0 && (best.empty() || entry < best)) {
            best = entry;
        }
    }
    ::closedir(dir);
    return best;
}

struct OpenFile {
    ZZIP_FILE* file = nullptr;
    ZZIP_DIR* dir = nullptr; // set when the entry was opened from an archive found here
    ~OpenFile() {
        if (file) {
            zzip_close(file);
        }
        if (dir) {
            zzip_dir_close(dir);
        }
    }
};

// Resolves the path one component at a time without regard to case. A
// component with no folder or file of its name may be an archive named after
// it (any case, ".zip" or ".pak"), holding the rest of the path.
bool openNoCase(const std::string& path, OpenFile& out) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (isSeparator(c)) {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);

    std::string resolved;
    size_t i = 0;
    if (!path.empty() && isSeparator(path[0])) {
        resolved = "/";
        i = 1;
    }
    for (; i < parts.size(); ++i) {
        const std::string& name = parts[i];
        if (name.empty()) {
            continue; // doubled separator
        }
        const bool last = i + 1 == parts.size();
        std::string folder = resolved;
        struct stat st;
        std::string found = (name == "." || name == ".." || ::stat((folder + name).c_str(), &st) == 0)
                                ? name
                                : findNoCase(folder, name);
        if (!found.empty() && (last || isDirectory(folder + found))) {
            resolved = folder + found + (last ? "" : "/");
            continue;
        }
        if (last) {
            return false;
        }
        for (const char* const* ext = kArchiveExtensions; *ext; ++ext) {
            std::string archive = findNoCase(folder, name + *ext);
            if (archive.empty() || !isRegularOrMissing(folder + archive)) {
                continue;
            }
            std::string rest;
            for (size_t j = i + 1; j < parts.size(); ++j) {
                if (!parts[j].empty()) {
                    rest += (rest.empty() ? "" : "/") + parts[j];
                }
            }
            zzip_error_t err = ZZIP_NO_ERROR;
            ZZIP_DIR* dir = zzip_dir_open((folder + archive).c_str(), &err);
            if (!dir) {
                continue;
            }
            ZZIP_FILE* file = zzip_file_open(dir, rest.c_str(), ZZIP_CASELESS);
            if (file) {
                out.dir = dir;
                out.file = file;
                return true;
            }
            zzip_dir_close(dir);
        }
        return false;
    }
    if (resolved.empty() || resolved == path) {
        return false;
    }
    out.file = openExact(resolved);
    return out.file != nullptr;
}

// The plain file a read of the path finds, or, when there is none, the path
// with its folders resolved the same way: writing there replaces what reads
// get instead of making a second file that differs only in case. A folder
// that cannot be found leaves the path as given.
std::string resolveForWrite(const std::string& path) {
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) == 0) {
        return path;
    }
    std::string resolved;
    size_t start = 0;
    if (isSeparator(path[0])) {
        resolved = "/";
        start = 1;
    }
    while (start <= path.size()) {
        size_t end = start;
        while (end < path.size() && !isSeparator(path[end])) {
            ++end;
        }
        const std::string name = path.substr(start, end - start);
        const bool last = end == path.size();
        if (!name.empty()) {
            std::string found = (name == "." || name == ".." || ::stat((resolved + name).c_str(), &st) == 0)
                                    ? name
                                    : findNoCase(resolved, name);
            if (last) {
                return resolved + (found.empty() ? name : found);
            }
            if (found.empty() || !isDirectory(resolved + found)) {
                return path;
            }
            resolved += found + "/";
        } else if (last) {
            return path; // ends with a separator: no file name
        }
        start = end + 1;
    }
    return path;
}

bool openForRead(const std::string& mangled, OpenFile& out) {
    out.file = openExact(mangled);
    return out.file != nullptr || openNoCase(mangled, out);
}

} // namespace

aFileServer::aFileServer() : aFileServer(aFileServerSources{}) {}

aFileServer::aFileServer(const aFileServerSources& sources) {
    if (ms_instance) {
        a_log("%s: %s %s", "aFileServer::aFileServer", "Singleton==0", a_assertLocation(__FILE__, __LINE__));
    }
    ms_instance = this;
    setBuiltInAssigns(sources);
}

aFileServer::~aFileServer() {
    if (!ms_instance) {
        a_log("%s: %s %s", "aFileServer::~aFileServer", "Singleton", a_assertLocation(__FILE__, __LINE__));
    }
    // A second server replaced this one as the instance: leave it in place.
    if (ms_instance == this) {
        ms_instance = nullptr;
    }
    m_assigns.clear();
}

void aFileServer::setBuiltInAssigns(const aFileServerSources& s) {
    std::string exe = s.exePath;
    if (exe.empty() && s.useSystem) {
        exe = readExePath();
    }
    size_t cut = exe.find_last_of("/\\");
    m_exeDir = cut == std::string::npos ? std::string("./") : exe.substr(0, cut + 1);
    // Real folders go into the table as they are: a colon inside one is no assign.
    auto setFolder = [this](const char* name, const std::string& folder) { m_assigns[name] = folder; };
    setFolder("home", m_exeDir);

    std::string tmp = envOr(s, s.tmpDir, "TMPDIR");
    if (tmp.empty()) {
        tmp = "/tmp";
    }
    tmp = withSlash(tmp);
    // A bare file-system root is no place for scratch files: use the program folder.
    if (tmp == "/") {
        setAssign("temp", "home:");
    } else {
        setFolder("temp", tmp);
    }

    const std::string home = envOr(s, s.home, "HOME");
    std::string dataHome = envOr(s, s.xdgDataHome, "XDG_DATA_HOME");
    if (dataHome.empty() || dataHome[0] != '/') {
        dataHome = home.empty() ? std::string() : home + "/.local/share";
    }
    std::string configHome = envOr(s, s.xdgConfigHome, "XDG_CONFIG_HOME");
    if (configHome.empty() || configHome[0] != '/') {
        configHome = home.empty() ? std::string() : home + "/.config";
    }
    std::string userDirs = s.userDirsFile;
    if (userDirs.empty() && !configHome.empty()) {
        userDirs = configHome + "/user-dirs.dirs";
    }
    std::string dataDirs = envOr(s, s.xdgDataDirs, "XDG_DATA_DIRS");
    if (dataDirs.empty() && s.useSystem) {
        dataDirs = "/usr/local/share:/usr/share";
    }
    std::string sharedData;
    for (size_t pos = 0; pos <= dataDirs.size();) {
        size_t end = dataDirs.find(':', pos);
        if (end == std::string::npos) {
            end = dataDirs.size();
        }
        std::string dir = dataDirs.substr(pos, end - pos);
        if (!dir.empty() && isWritableDirectory(dir)) {
            sharedData = dir;
            break;
        }
        pos = end + 1;
    }
    std::string sharedRoot = s.sharedRoot;
    if (sharedRoot.empty() && s.useSystem) {
        sharedRoot = "/home/Shared";
    }

    auto userDir = [&](const char* key, const char* fallback) {
        std::string dir = userDirFromFile(userDirs, key, home);
        if (dir.empty() && !home.empty()) {
            dir = home + "/" + fallback;
        }
        return dir;
    };
    auto under = [](const std::string& root, const char* sub) {
        return root.empty() ? std::string() : root + "/" + sub;
    };

    // Each folder is used when it exists (and, for the shared ones, can be
    // written); otherwise the temp folder stands in. The application-data
    // folders never fall back to the temp folder, which every user of the
    // machine can write: the user's data home is used once it is known,
    // whether or not it exists yet (it is made with the first folder in it),
    // and it also stands in for a shared data folder that cannot be written.
    enum class Use { IfFolder, IfWritable, IfKnown };
    struct Folder {
        const char* name;
        std::string path;
        Use use;
        const char* fallback;
    };
    const std::string apps = under(dataHome, "applications");
    const std::string sharedApps = under(sharedData, "applications");
    const Folder folders[] = {
        {"userprof", home, Use::IfFolder, "temp:"},
        {"userdocs", userDir("XDG_DOCUMENTS_DIR", "Documents"), Use::IfFolder, "temp:"},
        {"usermusic", userDir("XDG_MUSIC_DIR", "Music"), Use::IfFolder, "temp:"},
        {"uservideo", userDir("XDG_VIDEOS_DIR", "Videos"), Use::IfFolder, "temp:"},
        {"userdesktop", userDir("XDG_DESKTOP_DIR", "Desktop"), Use::IfFolder, "temp:"},
        {"userstart", apps, Use::IfFolder, "temp:"},
        {"userprogs", apps, Use::IfFolder, "temp:"},
        {"userappdata", dataHome, Use::IfKnown, "temp:"},
        {"alldocs", under(sharedRoot, "Documents"), Use::IfWritable, "temp:"},
        {"allmusic", under(sharedRoot, "Music"), Use::IfWritable, "temp:"},
        {"allvideo", under(sharedRoot, "Videos"), Use::IfWritable, "temp:"},
        {"allstart", sharedApps, Use::IfWritable, "temp:"},
        {"allprogs", sharedApps, Use::IfWritable, "temp:"},
        {"allappdata", sharedData, Use::IfWritable, "userappdata:"},
    };
    for (const Folder& f : folders) {
        const bool ok = f.use == Use::IfKnown      ? !f.path.empty()
                        : f.use == Use::IfWritable ? isWritableDirectory(f.path)
                                                   : isDirectory(f.path);
        if (ok) {
            setFolder(f.name, withSlash(f.path));
        } else {
            setAssign(f.name, f.fallback);
        }
    }
}

void aFileServer::setAssign(const std::string& name, const std::string& value) {
    if (name.size() < 2) {
        a_log("aFileServer::setAssign(%s) less than 2 chars, ignored", name.c_str());
        return;
    }
    if (a_stricmp(name, "home") == 0 && m_assigns.count(name)) {
        a_log("aFileServer::setAssign(%s) override failed!", name.c_str());
        return;
    }
    std::string folder = manglePath(value);
    m_assigns[name] = folder;
}

std::string aFileServer::getAssign(const std::string& name) const {
    auto it = m_assigns.find(name);
    return it == m_assigns.end() ? std::string() : it->second;
}

std::string aFileServer::manglePath(const std::string& path) const {
    size_t colon = path.find(':');
    if (colon == std::string::npos || colon < 2) {
        return path;
    }
    auto it = m_assigns.find(std::string_view(path).substr(0, colon));
    if (it == m_assigns.end()) {
        a_log("aFileServer::manglePath(%s) not valid!", path.c_str());
        return path;
    }
    return it->second + path.substr(colon + 1);
}

bool aFileServer::dirExists(const std::string& path) const {
    std::string real = manglePath(path);
    if (!real.empty() && isSeparator(real.back())) {
        real.pop_back();
    }
    return isDirectory(real);
}

bool aFileServer::makeDir(const std::string& path) const {
    const std::string real = manglePath(path);
    if (real.size() <= 1) {
        return true; // "" or the root
    }
    for (size_t i = 1; i <= real.size(); ++i) {
        if (i < real.size() && !isSeparator(real[i])) {
            continue;
        }
        if (isSeparator(real[i - 1])) {
            continue; // doubled separator: nothing new to create
        }
        std::string folder = real.substr(0, i);
        if (::mkdir(folder.c_str(), 0777) != 0 && errno == ENOENT) {
            a_log("aFileServer::makeDir(%s...) failed!", folder.c_str());
            return false;
        }
    }
    // Refused access or a file in the way: the folder is still not there.
    if (!dirExists(real)) {
        a_log("aFileServer::makeDir(%s...) failed!", real.c_str());
        return false;
    }
    return true;
}

bool aFileServer::deleteFile(const std::string& path) const {
    std::string real = manglePath(path);
    if (::unlink(real.c_str()) != 0) {
        a_log("aFileServer::deleteFile(%s) failed!", path.c_str());
        return false;
    }
    return true;
}

std::string file_manglePath(const std::string& path) {
    aFileServer* fs = aFileServer::getInstance();
    return fs ? fs->manglePath(path) : path;
}

namespace {

// The size of the open file: a plain file's own, an archive entry's as its
// directory claims it (nothing is decompressed to find it). -1 when unknown.
long long openSize(ZZIP_FILE* file) {
    if (zzip_file_real(file)) {
        struct stat st;
        return ::fstat(zzip_realfd(file), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
    }
    ZZIP_STAT st;
    if (zzip_file_stat(file, &st) != 0) {
        return -1;
    }
    return static_cast<uint32_t>(st.st_size); // zip sizes are unsigned 32-bit
}

} // namespace

uint8_t* file_readFullAndMalloc(const std::string& path, uint32_t* size, size_t maxSize) {
    if (size) {
        *size = 0;
    }
    OpenFile f;
    if (!openForRead(file_manglePath(path), f)) {
        a_log("file_readFullAndMalloc. Error open file: %s", path.c_str());
        return nullptr;
    }
    const long long end = openSize(f.file);
    if (end > 0 && static_cast<unsigned long long>(end) > maxSize) {
        a_log("file_readFullAndMalloc. File too large: %s (%llu bytes, at most %llu)", path.c_str(),
              static_cast<unsigned long long>(end), static_cast<unsigned long long>(maxSize));
        return nullptr;
    }
    if (end < 0 || static_cast<unsigned long long>(end) > UINT32_MAX) {
        a_log("file_readFullAndMalloc. Error read file: %s", path.c_str());
        return nullptr;
    }
    if (end == 0) {
        return nullptr;
    }
    // An archive's directory may claim any size: the buffer grows only as
    // bytes really arrive, so a damaged entry cannot ask for gigabytes.
    const size_t total = static_cast<size_t>(end);
    size_t capacity = std::min<size_t>(total, 1u << 20);
    uint8_t* data = static_cast<uint8_t*>(std::malloc(capacity));
    size_t got = 0;
    while (data && got < total) {
        if (got == capacity) {
            capacity = std::min(total, capacity * 2);
            uint8_t* grown = static_cast<uint8_t*>(std::realloc(data, capacity));
            if (!grown) {
                std::free(data);
                data = nullptr;
                break;
            }
            data = grown;
        }
        zzip_ssize_t n = zzip_read(f.file, data + got, capacity - got);
        if (n <= 0) {
            break;
        }
        got += static_cast<size_t>(n);
    }
    if (!data || got != total) {
        std::free(data);
        a_log("file_readFullAndMalloc. Error read file: %s", path.c_str());
        return nullptr;
    }
    if (size) {
        *size = static_cast<uint32_t>(total);
    }
    return data;
}

uint8_t* file_readFullAndMalloc(const std::string& path, size_t* size, size_t maxSize) {
    uint32_t n = 0;
    uint8_t* data = file_readFullAndMalloc(path, &n, maxSize);
    if (size) {
        *size = n;
    }
    return data;
}

std::FILE* file_openPlain(const std::string& path) {
    // Opened without waiting and then checked, so nothing can be swapped in
    // between.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat st;
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file)
        ::close(fd);
    return file;
}

bool file_exists(const std::string& path) {
    OpenFile f;
    return openForRead(file_manglePath(path), f);
}

bool file_write(const std::string& path, const void* data, size_t size) {
    const std::string real = resolveForWrite(file_manglePath(path));
    FILE* f = std::fopen(real.c_str(), "wb");
    if (!f) {
        return false;
    }
    bool ok = size == 0 || (data && std::fwrite(data, 1, size, f) == size);
    ok = (std::fclose(f) == 0) && ok;
    return ok;
}

namespace {

// A new temporary file beside the path, opened for writing: "<path>.tmp", or
// when anything lies there already (a file a crash left, a folder, a link),
// "<path>.tmp.<process>.<n>". Never opened through a link, never an existing
// file, readable by the user alone. -1 when none can be made.
int createTemporary(const std::string& real, std::string& temp) {
    for (unsigned n = 0; n < 64; ++n) {
        temp = real + ".tmp";
        if (n > 0) {
            temp += "." + std::to_string(::getpid()) + "." + std::to_string(n);
        }
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

bool writeAll(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Makes a rename in the folder of the path last through a power cut.
void syncFolderOf(const std::string& real) {
    const size_t cut = real.rfind('/');
    const std::string folder = cut == std::string::npos ? std::string(".") : real.substr(0, cut + 1);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Not a folder (a file or a link, which unlink removes itself): what a save
// cut short left at the temporary name.
bool isStaleTemporary(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

} // namespace

bool file_writeReplacing(const std::string& path, const void* data, size_t size) {
    const std::string real = file_manglePath(path);
    std::string temp;
    const int fd = createTemporary(real, temp);
    if (fd < 0) {
        return false;
    }
    bool ok = size == 0 || (data && writeAll(fd, data, size));
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && std::rename(temp.c_str(), real.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    syncFolderOf(real);
    // Another name was taken because a save cut short lay at the usual one:
    // the new file is whole, so that leftover goes.
    const std::string usual = real + ".tmp";
    if (temp != usual && isStaleTemporary(usual)) {
        ::unlink(usual.c_str());
    }
    return true;
}

bool file_moveAside(const std::string& path, const std::string& tag, std::string& aside) {
    aside.clear();
    const std::string real = file_manglePath(path);
    struct stat st;
    if (real.empty() || ::lstat(real.c_str(), &st) != 0) {
        return real.empty() || errno == ENOENT || errno == ENOTDIR; // nothing can lie there
    }
    for (unsigned n = 1; n <= 1000; ++n) {
        std::string name = real + "." + tag;
        if (n > 1) {
            name += "-" + std::to_string(n);
        }
        int moved = ::renameat2(AT_FDCWD, real.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE);
        if (moved != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // The file system cannot rename without replacing: look first.
            struct stat there;
            if (::lstat(name.c_str(), &there) == 0) {
                errno = EEXIST;
            } else {
                moved = std::rename(real.c_str(), name.c_str());
            }
        }
        if (moved == 0) {
            syncFolderOf(real);
            aside = name;
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

std::string file_getDir(const std::string& path) {
    std::string real = file_manglePath(path);
    size_t cut = real.find_last_of("/\\");
    return cut == std::string::npos ? std::string() : real.substr(0, cut + 1);
}

aFileBuffer::aFileBuffer(const std::string& path) {
    load(path);
}

aFileBuffer::~aFileBuffer() {
    clear();
}

void aFileBuffer::clear() {
    std::free(m_data);
    m_data = nullptr;
    m_size = 0;
}

bool aFileBuffer::load(const std::string& path, size_t maxSize) {
    clear();
    m_data = file_readFullAndMalloc(path, &m_size, maxSize);
    if (!m_data) {
        m_size = 0;
    }
    return m_data != nullptr;
}
