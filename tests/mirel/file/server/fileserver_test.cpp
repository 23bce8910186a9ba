#include "mirel/file/a_fileserver.h"

#include "fixtures/zip_writer.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string scratch(const std::string& name) {
    const char* root = std::getenv("MIREL_TEST_TMP");
    fs::path dir = fs::path(root ? root : "/tmp/mirel-test") / "fileserver" / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string() + "/";
}

void writeText(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string readAll(const std::string& path, bool* ok = nullptr) {
    uint32_t size = 1234;
    uint8_t* data = file_readFullAndMalloc(path, &size);
    if (ok) {
        *ok = data != nullptr;
    }
    std::string text = data ? std::string(reinterpret_cast<char*>(data), size) : std::string();
    if (!data) {
        EXPECT_EQ(size, 0u) << path;
    }
    std::free(data);
    return text;
}

// A server whose every folder comes from the scratch tree, nothing from the system.
aFileServerSources sourcesIn(const std::string& root) {
    aFileServerSources s;
    s.useSystem = false;
    s.exePath = root + "bin/game";
    s.tmpDir = root + "tmp";
    s.home = root + "home";
    s.sharedRoot = root + "shared";
    s.xdgDataDirs = root + "nodata:" + root + "sys";
    return s;
}

TEST(FileServer, AssignsAndMangling) {
    const std::string root = scratch("assigns");
    fs::create_directories(root + "bin");
    aFileServer server(sourcesIn(root));
    LogCapture log;

    EXPECT_EQ(server.manglePath("home:a/b.txt"), root + "bin/a/b.txt");
    EXPECT_EQ(server.manglePath("HOME:a"), root + "bin/a");
    EXPECT_EQ(server.manglePath("C:/games/x"), "C:/games/x"); // a drive letter passes through
    EXPECT_EQ(server.manglePath(":x"), ":x");
    EXPECT_EQ(server.manglePath("/plain/path"), "/plain/path");
    EXPECT_TRUE(log.lines.empty());

    EXPECT_EQ(server.manglePath("nowhere:x"), "nowhere:x");
    EXPECT_TRUE(log.has("aFileServer::manglePath(nowhere:x) not valid!"));

    server.setAssign("data", "home:gameres/");
    EXPECT_EQ(server.manglePath("DATA:gui/main.agui"), root + "bin/gameres/gui/main.agui");
    server.setAssign("Data", "/other/");
    EXPECT_EQ(server.manglePath("data:x"), "/other/x");

    server.setAssign("Home", "/elsewhere/");
    EXPECT_TRUE(log.has("aFileServer::setAssign(Home) override failed!"));
    EXPECT_EQ(server.getAssign("home"), root + "bin/");

    server.setAssign("d", "/x/");
    EXPECT_TRUE(log.has("aFileServer::setAssign(d) less than 2 chars, ignored"));
    EXPECT_EQ(server.getAssign("d"), "");
}

TEST(FileServer, BuiltInFoldersFromInjectedSources) {
    const std::string root = scratch("builtin");
    for (const char* d : {"bin", "tmp", "home/Documents", "home/Music", "home/Desktop", "home/Films",
                          "home/.local/share", "shared/Documents", "shared/Music", "sys/applications"}) {
        fs::create_directories(root + d);
    }
    // Shared videos exist but cannot be written: not usable.
    fs::create_directories(root + "shared/Videos");
    ::chmod((root + "shared/Videos").c_str(), 0555);
    writeText(root + "home/.config/user-dirs.dirs",
              "# comment\nXDG_VIDEOS_DIR=\"$HOME/Films\"\n  "
              "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_MUSIC_DIR=relative\n");
    aFileServer server(sourcesIn(root));
    const std::string home = root + "home/";
    const std::string temp = root + "tmp/";
    struct Case {
        const char* assign;
        std::string folder;
    } cases[] = {
        {"home", root + "bin/"},
        {"temp", temp},
        {"userprof", home},
        {"userdocs", home + "Documents/"},
        {"usermusic", home + "Music/"}, // a relative entry is ignored
        {"uservideo", home + "Films/"}, // from the user-dirs file
        {"userdesktop", home + "Desktop/"},
        {"userstart", temp}, // no applications folder
        {"userprogs", temp},
        {"userappdata", home + ".local/share/"},
        {"alldocs", root + "shared/Documents/"},
        {"allmusic", root + "shared/Music/"},
        {"allvideo", getuid() == 0 ? root + "shared/Videos/" : temp},
        {"allstart", root + "sys/applications/"},
        {"allprogs", root + "sys/applications/"},
        {"allappdata", root + "sys/"}, // the first data dir that exists
    };
    for (const Case& c : cases) {
        EXPECT_EQ(server.getAssign(c.assign), c.folder) << c.assign;
    }
    ::chmod((root + "shared/Videos").c_str(), 0755);
}

TEST(FileServer, TempAtTheRootAndMissingHomeFallBack) {
    aFileServerSources s;
    s.useSystem = false;
    s.exePath = "/opt/my:game/run"; // a colon in a real folder is no assign
    s.tmpDir = "/";
    LogCapture log;
    aFileServer server(s);
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(server.getAssign("temp"), "/opt/my:game/");
    EXPECT_EQ(server.getAssign("userprof"), "/opt/my:game/");
    EXPECT_EQ(server.getAssign("allappdata"), "/opt/my:game/");
}

TEST(FileServer, AppDataFoldersStayInTheDataHome) {
    // A fresh account: the data home does not exist yet, and no shared data
    // folder can be written. Neither falls back to the temp folder.
    const std::string root = scratch("freshhome");
    fs::create_directories(root + "home");
    aFileServerSources s = sourcesIn(root);
    aFileServer server(s);
    EXPECT_EQ(server.getAssign("userappdata"), root + "home/.local/share/");
    EXPECT_EQ(server.getAssign("allappdata"), root + "home/.local/share/");
    EXPECT_TRUE(server.makeDir("allappdata:Company/Game/saves/"));
    EXPECT_TRUE(fs::is_directory(root + "home/.local/share/Company/Game/saves"));
}

TEST(FileServer, MakeDirDeleteAndDirExists) {
    const std::string root = scratch("makedir");
    fs::create_directories(root + "home/.local/share");
    aFileServer server(sourcesIn(root));
    LogCapture log;

    EXPECT_TRUE(server.makeDir("userappdata:Game/Saves/"));
    EXPECT_TRUE(server.dirExists("userappdata:Game/Saves/"));
    EXPECT_TRUE(server.dirExists("userappdata:Game"));
    EXPECT_TRUE(server.makeDir("userappdata:Game/Saves"));
    EXPECT_TRUE(log.lines.empty());

    writeText(root + "home/.local/share/file", "x");
    EXPECT_FALSE(server.dirExists("userappdata:file"));
    EXPECT_FALSE(server.makeDir("userappdata:file/sub")); // a file is in the way
    EXPECT_EQ(log.lines.size(), 1u);

    EXPECT_TRUE(server.deleteFile("userappdata:file"));
    EXPECT_FALSE(file_exists("userappdata:file"));
    log.clear();
    EXPECT_FALSE(server.deleteFile("userappdata:file"));
    EXPECT_TRUE(log.has("aFileServer::deleteFile(userappdata:file) failed!"));
    EXPECT_FALSE(server.deleteFile("userappdata:Game")); // folders are not files
}

TEST(FileServer, ReadsPlainFilesAndArchives) {
    const std::string root = scratch("read");
    aFileServer server(sourcesIn(root));
    server.setAssign("data", "home:gameres/");
    writeText(root + "bin/gameres/plain.txt", "plain");
    writeText(root + "bin/gameres/empty.txt", "");
    const std::string big(70000, 'z');
    ASSERT_TRUE(zipfix::write(root + "bin/packed.zip",
                              {{"gui/Main.agui", "stored entry"}, {"gui/big.txt", big, true}}));
    ASSERT_TRUE(zipfix::write(root + "bin/other.pak", {{"a.txt", "from pak", true}}));
    LogCapture log;

    struct Case {
        const char* path;
        std::string content;
    } found[] = {
        {"data:plain.txt", "plain"},
        {"home:packed/gui/Main.agui", "stored entry"},
        {"home:packed/GUI/MAIN.AGUI", "stored entry"}, // entry names ignore case
        {"home:packed/gui/big.txt", big},
        {"home:other/a.txt", "from pak"},
        {"DATA:PLAIN.TXT", "plain"}, // plain files too, when the exact case is missing
        {"home:GameRes/Plain.Txt", "plain"},
        {"home:gameres\\plain.txt", "plain"},          // backslash separators
        {"home:PACKED/gui/main.agui", "stored entry"}, // archive name in another case
    };
    for (const Case& c : found) {
        bool ok = false;
        EXPECT_EQ(readAll(c.path, &ok), c.content) << c.path;
        EXPECT_TRUE(ok) << c.path;
        EXPECT_TRUE(file_exists(c.path)) << c.path;
    }
    EXPECT_TRUE(log.lines.empty());

    // An empty file reads like a missing one but is not an error.
    bool ok = true;
    EXPECT_EQ(readAll("data:empty.txt", &ok), "");
    EXPECT_FALSE(ok);
    EXPECT_TRUE(file_exists("data:empty.txt"));
    EXPECT_TRUE(log.lines.empty());

    for (const char* missing :
         {"data:none.txt", "home:packed/gui/none", "home:gameres", "home:nothing/at/all", ""}) {
        log.clear();
        EXPECT_EQ(readAll(missing, &ok), "");
        EXPECT_FALSE(ok);
        EXPECT_FALSE(file_exists(missing)) << missing;
        EXPECT_TRUE(log.has(std::string("file_readFullAndMalloc. Error open file: ") + missing)) << missing;
    }
}

TEST(FileServer, DevicesAndPipesAreNotOpened) {
    const std::string root = scratch("fifo");
    ASSERT_EQ(::mkfifo((root + "pipe").c_str(), 0600), 0);
    aFileServer server(sourcesIn(root));
    EXPECT_FALSE(file_exists(root + "pipe")); // would block in open
    EXPECT_FALSE(file_exists(root + "PIPE"));
    bool ok = true;
    readAll(root + "pipe", &ok);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(file_exists("/dev/null"));
}

TEST(FileServer, PipesNamedLikeAnArchiveAreNotOpened) {
    // "d/pack/x" is missing, so an archive "d/pack.zip" would be opened in its
    // place: a pipe there would block the read for ever.
    const std::string root = scratch("fifozip");
    fs::create_directories(root + "d");
    ASSERT_EQ(::mkfifo((root + "d/pack.zip").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((root + "d/other.pak").c_str(), 0600), 0);
    aFileServer server(sourcesIn(root));
    LogCapture log;
    auto reads = std::async(std::launch::async, [&] {
        int found = 0;
        for (const std::string path : {"d/pack/x", "d/pack/sub/x", "D/PACK/x", "d/other/x", "d/Other/x"}) {
            found += file_exists(root + path);
            bool ok = true;
            readAll(root + path, &ok);
            found += ok;
        }
        return found;
    });
    bool blocked = false;
    for (auto wait = std::chrono::seconds(5); reads.wait_for(wait) != std::future_status::ready;
         wait = std::chrono::seconds(1)) {
        blocked = true; // release the blocked open so that the test ends
        for (const char* pipe : {"d/pack.zip", "d/other.pak"}) {
            int fd = ::open((root + pipe).c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }
    EXPECT_FALSE(blocked) << "a read blocked on a pipe";
    EXPECT_EQ(reads.get(), 0);
    // A plain archive nearer the file still serves it; the pipe further up is never reached.
    fs::create_directories(root + "d/pack");
    ASSERT_TRUE(zipfix::write(root + "d/pack/in.zip", {{"x", "inside"}}));
    EXPECT_EQ(readAll(root + "d/pack/in/x"), "inside");
}

TEST(FileServer, FilesLargerThanTheirKindAllowsAreRefused) {
    const std::string root = scratch("large");
    aFileServer server(sourcesIn(root));
    const std::string text(1000, 't');
    writeText(root + "plain.txt", text);
    ASSERT_TRUE(zipfix::write(root + "pack.zip", {{"stored.txt", text}, {"packed.txt", text, true}}));
    LogCapture log;
    for (const std::string name : {"plain.txt", "pack/stored.txt", "pack/packed.txt"}) {
        const std::string path = root + name;
        log.clear();
        uint32_t size = 7;
        uint8_t* data = file_readFullAndMalloc(path, &size, 999);
        EXPECT_EQ(data, nullptr) << name;
        EXPECT_EQ(size, 0u);
        EXPECT_EQ(log.lines, std::vector<std::string>{"file_readFullAndMalloc. File too large: " + path +
                                                      " (1000 bytes, at most 999)"});
        log.clear();
        data = file_readFullAndMalloc(path, &size, 1000);
        ASSERT_NE(data, nullptr) << name;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), text);
        std::free(data);
        aFileBuffer buffer;
        EXPECT_FALSE(buffer.load(path, 10));
        EXPECT_TRUE(buffer.load(path));
    }
    log.clear();
    // The default cap: a sparse file just over it is refused without being read.
    { std::ofstream big(root + "big.bin", std::ios::binary); }
    ASSERT_EQ(::truncate((root + "big.bin").c_str(), static_cast<off_t>(A_FILE_MAX_DATA + 1)), 0);
    bool ok = true;
    readAll(root + "big.bin", &ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(log.contains("File too large: " + root + "big.bin"));
}

TEST(FileServer, CorruptArchiveIsAMissingFile) {
    const std::string root = scratch("corrupt");
    aFileServer server(sourcesIn(root));
    std::string bytes = zipfix::build({{"a.txt", std::string(5000, 'q'), true}});
    writeText(root + "bin/cut.zip", bytes.substr(0, bytes.size() / 2));
    std::string flipped = bytes;
    for (size_t i = 40; i < flipped.size(); ++i) {
        flipped[i] = static_cast<char>(flipped[i] ^ 0x5a);
    }
    writeText(root + "bin/bad.zip", flipped);
    // A directory that claims an entry of about 3 GB.
    std::string huge = zipfix::build({{"a.txt", "tiny"}});
    const size_t central = huge.find("PK\x01\x02");
    for (size_t at : {size_t(22), central + 24}) {
        huge[at + 3] = static_cast<char>(0xb7);
    }
    writeText(root + "bin/huge.zip", huge);
    LogCapture log;
    for (const char* path : {"home:cut/a.txt", "home:bad/a.txt", "home:huge/a.txt"}) {
        bool ok = true;
        readAll(path, &ok);
        EXPECT_FALSE(ok) << path;
        EXPECT_EQ(log.lines.size(), 1u) << path;
        log.clear();
    }
}

TEST(FileServer, WriteGetDirAndBuffer) {
    const std::string root = scratch("write");
    fs::create_directories(root + "tmp");
    aFileServer server(sourcesIn(root));
    LogCapture log;

    const std::string bytes("a\0b\r\n", 5);
    EXPECT_TRUE(file_write("temp:out.bin", bytes.data(), bytes.size()));
    EXPECT_EQ(readAll("temp:out.bin"), bytes);
    EXPECT_TRUE(file_write("temp:zero.bin", nullptr, 0));
    EXPECT_TRUE(file_exists("temp:zero.bin"));
    EXPECT_FALSE(file_write("temp:no/such/dir.bin", "x", 1));
    EXPECT_FALSE(file_write("/dev/full", "x", 1)); // the write fails: not reported as done

    struct Case {
        const char* path;
        std::string dir;
    } dirs[] = {
        {"home:a/b\\c.txt", root + "bin/a/b\\"},
        {"x\\y/z.txt", "x\\y/"},
        {"c:\\z.txt", "c:\\"},
        {"file.txt", ""},
    };
    for (const Case& c : dirs) {
        EXPECT_EQ(file_getDir(c.path), c.dir) << c.path;
    }

    aFileBuffer buffer("temp:out.bin");
    ASSERT_TRUE(buffer.isLoaded());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.getData()), buffer.getSize()), bytes);
    EXPECT_FALSE(buffer.load("temp:zero.bin"));
    EXPECT_FALSE(buffer.isLoaded());
    EXPECT_EQ(buffer.getSize(), 0u);
}

// What lies in the folder besides the named entries.
std::vector<std::string> othersIn(const std::string& folder, std::initializer_list<std::string> known) {
    std::vector<std::string> others;
    for (const auto& e : fs::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (std::find(known.begin(), known.end(), name) == known.end()) {
            others.push_back(name);
        }
    }
    return others;
}

TEST(FileServer, ReplacingWritesNeverGoThroughWhatLiesAtTheTemporaryName) {
    const std::string root = scratch("replace");
    const std::string path = root + "save.dat";
    const std::string temp = path + ".tmp";
    struct Case {
        const char* what;
        std::function<void()> plant;
        bool stays; // the planted entry is still there afterwards
    } cases[] = {
        {"nothing", [] {}, false},
        {"a link to another file", [&] { fs::create_symlink(root + "victim", temp); }, false},
        {"a link to nowhere", [&] { fs::create_symlink(root + "nowhere", temp); }, false},
        {"half a file a crash left", [&] { writeText(temp, "half"); }, false},
        {"a folder", [&] { fs::create_directory(temp); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(root);
        fs::create_directories(root);
        writeText(root + "victim", "victim");
        writeText(path, "old");
        c.plant();
        ASSERT_TRUE(file_writeReplacing(path, "new", 3));
        EXPECT_EQ(readAll(path), "new");
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(path)));
        EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::owner_write);
        EXPECT_EQ(readAll(root + "victim"), "victim");
        EXPECT_FALSE(fs::exists(root + "nowhere"));
        EXPECT_EQ(fs::exists(fs::symlink_status(temp)), c.stays);
        EXPECT_EQ(othersIn(root, {"save.dat", "save.dat.tmp", "victim"}), std::vector<std::string>());
    }

    // The path itself a link: the link is replaced, its file stays as it was.
    fs::remove_all(root);
    fs::create_directories(root);
    writeText(root + "victim", "victim");
    fs::create_symlink(root + "victim", path);
    ASSERT_TRUE(file_writeReplacing(path, "new", 3));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(path)));
    EXPECT_EQ(readAll(path), "new");
    EXPECT_EQ(readAll(root + "victim"), "victim");

    EXPECT_FALSE(file_writeReplacing(root + "gone/x.dat", "x", 1));
    EXPECT_FALSE(fs::exists(root + "gone"));
}

TEST(FileServer, AReplacingWriteCutShortLeavesTheOldFileAndNoTemporary) {
    const std::string root = scratch("replacecut");
    const std::string path = root + "save.dat";
    writeText(path, "old");
    // The file size limit stops the write after 1000 bytes, as a full disk would.
    const std::string big(100000, 'x');
    struct rlimit before;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    struct rlimit small = before;
    small.rlim_cur = 1000;
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = file_writeReplacing(path, big.data(), big.size());
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(readAll(path), "old");
    EXPECT_EQ(othersIn(root, {"save.dat"}), std::vector<std::string>());
}

TEST(FileServer, MovingAsideNeverReplacesAnything) {
    const std::string root = scratch("aside");
    aFileServer server(sourcesIn(root));
    fs::create_directories(root + "tmp");
    const std::string path = root + "tmp/p.dat";
    auto moved = [](const std::string& from) {
        std::string aside = "?";
        EXPECT_TRUE(file_moveAside(from, "refused", aside));
        return aside;
    };
    writeText(path, "first");
    EXPECT_EQ(moved("temp:p.dat"), path + ".refused");
    EXPECT_FALSE(fs::exists(path));
    writeText(path, "second");
    EXPECT_EQ(moved("temp:p.dat"), path + ".refused-2");
    fs::create_directory(path); // a folder moves too
    EXPECT_EQ(moved("temp:p.dat"), path + ".refused-3");
    fs::create_symlink(path + ".refused", path); // a link moves as the link
    EXPECT_EQ(moved("temp:p.dat"), path + ".refused-4");
    EXPECT_TRUE(fs::is_symlink(path + ".refused-4"));
    EXPECT_EQ(readAll(path + ".refused"), "first");
    EXPECT_EQ(readAll(path + ".refused-2"), "second");
    EXPECT_TRUE(fs::is_directory(path + ".refused-3"));
    EXPECT_EQ(moved("temp:p.dat"), ""); // nothing there: free already
    writeText(root + "tmp/q.dat", "q");
    EXPECT_EQ(moved(root + "tmp/q.dat/x"), ""); // below a file: nothing can lie there
    std::string aside;
    EXPECT_FALSE(
        file_moveAside(root + "tmp/" + std::string(300, 'n'), "refused", aside)); // cannot be looked at
}

TEST(FileServer, WritesGoWhereAReadOfThePathLooks) {
    const std::string root = scratch("writecase");
    writeText(root + "Saves/Profile.ini", "old");
    writeText(root + "Saves/b.ini", "small");
    writeText(root + "Saves/B.ini", "capital");
    writeText(root + "Saves/c.ini", "exact");
    writeText(root + "Saves/C.INI", "other");
    aFileServer server(sourcesIn(root));
    struct Case {
        const char* written;
        const char* lands; // the file that holds the new text afterwards
    } cases[] = {
        {"saves/profile.ini", "Saves/Profile.ini"}, // folder and file in another case
        {"SAVES/B.INI", "Saves/B.ini"},             // of two candidates, the one a read takes
        {"Saves/c.ini", "Saves/c.ini"},             // the exact name wins
        {"saves/new.ini", "Saves/new.ini"},         // a new file goes into the folder found
    };
    for (const Case& c : cases) {
        const std::string text = std::string("new ") + c.written;
        ASSERT_TRUE(file_write(root + c.written, text.data(), text.size())) << c.written;
        EXPECT_EQ(readAll(root + c.written), text) << c.written;
        std::ifstream in(root + c.lands, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), text) << c.written;
    }
    size_t files = 0;
    for (const auto& e : fs::directory_iterator(root + "Saves")) {
        files += e.is_regular_file();
    }
    EXPECT_EQ(files, 6u); // nothing written beside its twin
    EXPECT_FALSE(fs::exists(root + "saves"));
    EXPECT_EQ(readAll(root + "Saves/b.ini"), "small");
    EXPECT_EQ(readAll(root + "Saves/C.INI"), "other");
}

TEST(FileServer, WorksWithoutAServerAndWarnsOfASecond) {
    const std::string root = scratch("noserver");
    ASSERT_EQ(aFileServer::getInstance(), nullptr);
    writeText(root + "x.txt", "as given");
    EXPECT_EQ(readAll(root + "x.txt"), "as given");
    EXPECT_EQ(readAll(root + "X.TXT"), "as given");
    EXPECT_EQ(file_getDir("home:x"), "");

    LogCapture log;
    {
        auto first = std::make_unique<aFileServer>(sourcesIn(root));
        EXPECT_EQ(aFileServer::getInstance(), first.get());
        aFileServer second(sourcesIn(root));
        ASSERT_EQ(log.lines.size(), 1u);
        EXPECT_EQ(log.lines[0].rfind("aFileServer::aFileServer: Singleton==0 (a_fileserver.cpp, line ", 0),
                  0u);
        EXPECT_EQ(aFileServer::getInstance(), &second);
        first.reset(); // the older server leaves the newer one in place
        EXPECT_EQ(aFileServer::getInstance(), &second);
    }
    EXPECT_EQ(aFileServer::getInstance(), nullptr);
}

} // namespace
