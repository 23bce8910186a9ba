#pragma once
// Path assigns and whole-file access.
//
// Every file name in the engine is written with an assign: a short name, a
// colon and the rest of the path ("data:gui/main.agui"). aFileServer keeps the
// table of assigns and turns such names into real paths. The free functions
// read whole files (plain files, or entries of .zip / .pak archives named after
// a parent folder), test for files, write buffers and take directory parts;
// they use the server's instance when there is one and the path as given
// otherwise.

#include "mirel/base/a_string.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

// Where the built-in folders come from. Each field left empty is taken from the
// system (environment, XDG user-dirs file, /proc/self/exe); tests fill them in.
struct aFileServerSources {
    std::string exePath;       // the running program's file
    std::string tmpDir;        // $TMPDIR
    std::string home;          // $HOME
    std::string xdgDataHome;   // $XDG_DATA_HOME
    std::string xdgConfigHome; // $XDG_CONFIG_HOME
    std::string xdgDataDirs;   // $XDG_DATA_DIRS (colon separated)
    std::string userDirsFile;  // the XDG user-dirs file (default $XDG_CONFIG_HOME/user-dirs.dirs)
    std::string sharedRoot;    // the root of "alldocs", "allmusic", "allvideo" (default /home/Shared)
    bool useSystem = true;     // false: empty fields stay empty (nothing is read from the system)
};

class aFileServer {
public:
    aFileServer();
    explicit aFileServer(const aFileServerSources& sources);
    ~aFileServer();
    aFileServer(const aFileServer&) = delete;
    aFileServer& operator=(const aFileServer&) = delete;

    static aFileServer* getInstance() { return ms_instance; }

    // Creates or replaces an assign; the value is mangled first. Names shorter
    // than two characters are refused, and "home" is set only once.
    void setAssign(const std::string& name, const std::string& value);
    // The folder of an assign, "" when there is none.
    std::string getAssign(const std::string& name) const;

    // Replaces a leading "assign:" by its folder.
    std::string manglePath(const std::string& path) const;
    bool dirExists(const std::string& path) const;
    // Creates every missing folder along the path.
    bool makeDir(const std::string& path) const;
    bool deleteFile(const std::string& path) const;

    // The program's folder with a trailing slash.
    const std::string& getExeDir() const { return m_exeDir; }

private:
    void setBuiltInAssigns(const aFileServerSources& sources);

    static aFileServer* ms_instance;
    std::map<std::string, std::string, StringLessNoCase> m_assigns;
    std::string m_exeDir;
};

// The largest file a whole-file read takes, by kind: a larger one is refused
// with a log line before anything is read (an archive entry is judged by the
// size its archive claims, and never more than that is read).
constexpr size_t A_FILE_MAX_DATA = size_t(64) << 20; // pictures, sounds, music and anything else
constexpr size_t A_FILE_MAX_TEXT = size_t(16) << 20; // options files, scripts, string lists, locale texts

// Reads a whole file into a new buffer (free with std::free). Null and size 0
// when it cannot be opened, is empty or is larger than maxSize.
uint8_t* file_readFullAndMalloc(const std::string& path, uint32_t* size, size_t maxSize = A_FILE_MAX_DATA);
uint8_t* file_readFullAndMalloc(const std::string& path, size_t* size, size_t maxSize = A_FILE_MAX_DATA);
// True when the file can be opened as file_readFullAndMalloc opens it.
bool file_exists(const std::string& path);
// Opens a plain file of the disk (a path as file_manglePath gives it) for
// reading as a stream (close with std::fclose); anything else (a device such
// as /dev/zero, which never ends, a pipe, which blocks, a folder, or a link
// to one of them) is refused as the whole-file reads refuse it: null.
std::FILE* file_openPlain(const std::string& path);
// Writes the buffer to the file a read of the path finds (names in another
// letter case included), or creates it in the folder a read would look in;
// true only when every byte was written and the file closed.
bool file_write(const std::string& path, const void* data, size_t size);
// Writes the buffer to a new temporary file beside the path (the path and
// ".tmp", or a name of its own when anything lies there already; never opened
// through a link, readable by the user alone), flushes it to the disk, renames
// it over the path and flushes the folder, so that a failure at any step
// leaves the old file as it was; the temporary file is removed on failure.
// True only when the new file is in place.
bool file_writeReplacing(const std::string& path, const void* data, size_t size);
// Renames whatever lies at the path (a file, a folder, a link itself) to the
// path, ".", the tag, or the first of "-2", "-3" ... after that which is free,
// never replacing anything. True when the path is free afterwards; aside gets
// the new name, "" when nothing lay at the path.
bool file_moveAside(const std::string& path, const std::string& tag, std::string& aside);
// The mangled path up to and including its last separator, "" when none.
std::string file_getDir(const std::string& path);
// Mangles through the instance when there is one.
std::string file_manglePath(const std::string& path);

// Owns a whole file read into memory (not terminated).
class aFileBuffer {
public:
    aFileBuffer() = default;
    explicit aFileBuffer(const std::string& path);
    ~aFileBuffer();
    aFileBuffer(const aFileBuffer&) = delete;
    aFileBuffer& operator=(const aFileBuffer&) = delete;

    // Frees the old data and reads the file; true when data was read.
    bool load(const std::string& path, size_t maxSize = A_FILE_MAX_DATA);
    void clear();

    bool isLoaded() const { return m_data != nullptr; }
    const uint8_t* getData() const { return m_data; }
    uint8_t* getData() { return m_data; }
    uint32_t getSize() const { return m_size; }

private:
    uint8_t* m_data = nullptr;
    uint32_t m_size = 0;
};
