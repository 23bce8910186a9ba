#include "mirel/kernel/a_application.h"

#include "mirel/base/a_clock.h"
#include "mirel/base/a_log.h"
#include "mirel/file/a_fileserver.h"
#include "mirel/gfx/a_anim.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_image.h"
#include "mirel/input/a_inputserver.h"
#include "mirel/kernel/a_cmdline.h"
#include "mirel/platform/window/headless/a_headless_window.h"
#include "support/read_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

class RecordingClock : public aManualClock {
public:
    std::vector<uint32_t> sleeps;
    void sleep(uint32_t ms) override {
        sleeps.push_back(ms);
        aManualClock::sleep(ms);
    }
};

// An application whose update and render are scripted per frame.
class TestApp : public aApplication {
public:
    std::function<int(int frame)> onUpdate;
    std::function<int(int frame)> onRender;
    int updates = 0;
    int renders = 0;
    int modeChanges = 0;

    int update() override {
        ++updates;
        return onUpdate ? onUpdate(renders + 1) : 0;
    }
    int render() override {
        ++renders;
        if (m_graphServer && m_graphServer->beginScene()) {
            m_graphServer->endScene();
        }
        return onRender ? onRender(renders) : 0;
    }
    void onDisplayModeChanged() override { ++modeChanges; }
    bool allowToggle = true;
    bool allowFullscreenToggle() override { return allowToggle; }
    aHeadlessWindow* window() { return static_cast<aHeadlessWindow*>(m_window.get()); }
};

// Every test gets folders of its own: the data home, the home and the lock folder.
class Application : public ::testing::Test {
protected:
    void SetUp() override {
        const char* base = std::getenv("MIREL_TEST_TMP");
        m_root = std::filesystem::path(base ? base : "/tmp/mirel-test") /
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(m_root);
        for (const char* sub : {"data", "home", "run", "shared"}) {
            std::filesystem::create_directories(m_root / sub);
        }
        setenv("MIREL_HEADLESS", "1", 1);
        setenv("XDG_DATA_HOME", (m_root / "data").c_str(), 1);
        setenv("XDG_DATA_DIRS", (m_root / "shared").c_str(), 1); // writable, and still not used
        setenv("HOME", (m_root / "home").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (m_root / "run").c_str(), 1);
    }
    void TearDown() override {
        a_setClock(nullptr);
        a_setMessageBoxObserver(nullptr, nullptr);
    }
    std::string userDir() const { return (m_root / "data" / "Company" / "Test Game").string() + "/"; }

    // init, the graphics and input servers; the caller runs.
    void start(TestApp& app) {
        ASSERT_EQ(app.init("Test Game", nullptr, "", "Company"), 0);
        m_graph = std::make_unique<aGraphServer>(1024, 768, false, true, nullptr, 0, true);
        m_input = new aInputServer();
    }
    void stop(TestApp& app) {
        app.destroyInput();
        m_graph.reset();
        app.shutdown();
    }

    std::filesystem::path m_root;
    aManualClock m_clock;
    std::unique_ptr<aGraphServer> m_graph;
    aInputServer* m_input = nullptr;
};

} // namespace

TEST(ApplicationRules, ErrorTexts) {
    const std::string d3d =
        "Could not initialize Direct3D.\nTo solve this problem you may want to check that the\n"
        "latest version of DirectX and latest version of drivers\nfor your video card are "
        "correctly installed.";
    struct Case {
        int32_t code;
        const char* crashMessage;
        std::string expected;
    } cases[] = {
        {int32_t(0x8a760002u), "", "Game error. Please reinstall."},
        {int32_t(0x80070002u), "", "Could not load required media."},
        {int32_t(0x8a76000bu), "", "Could not load required media."},
        {int32_t(0x88760827u), "",
         "A serious problem occurred with the display driver.\nPlease install latest drivers."},
        {int32_t(0x8a760001u), "", d3d},
        {int32_t(0x8a760003u), "", d3d},
        {12345, "", "Unknown error. Please reinstall or contact user support."},
        // The crash text: the two characters backslash and n become a line break, folder included...
        {8431, "Mail us.\\nThanks",
         "Critical error. File \"crash.dmp\" has been saved to \n\"/u/a\nb/\"\nMail us.\nThanks"},
        // ...but only when there is a crash message.
        {8431, "", "Critical error. File \"crash.dmp\" has been saved to \n\"/u/a\\nb/\"\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(a_errorText(c.code, "/u/a\\nb/", c.crashMessage), c.expected) << c.code;
    }
}

TEST(ApplicationRules, FoldersPacingAndKeys) {
    EXPECT_EQ(a_gameFolder("Company", "Game"), "Company/Game/");
    EXPECT_EQ(a_gameFolder("", "Game"), "Game/");

    struct Pace {
        float elapsed;
        uint32_t hz, ms;
    } paces[] = {{0.005f, 60, 11},           {0.0f, 60, 16},  {0.02f, 60, 0},
                 {0.005f, 0x10000 + 60, 11}, {0.005f, 0, 11}, {0.0025f, 100, 7}};
    for (const Pace& p : paces) {
        EXPECT_EQ(a_vsyncSleepMs(p.elapsed, p.hz), p.ms) << p.elapsed << " " << p.hz;
    }
    EXPECT_EQ(a_paceSleepMs(0.01f, 1.0f / 30.0f), 23u);

    // States: 0 up, 1 released, 2 pressed, 3 held.
    struct Keys {
        uint32_t left, right, enter;
        bool toggle;
    } keys[] = {{2, 0, 2, true},  {3, 0, 2, true},  {0, 3, 2, true}, {3, 0, 3, false},
                {1, 0, 2, false}, {0, 0, 2, false}, {3, 3, 0, false}};
    for (const Keys& k : keys) {
        EXPECT_EQ(a_isAltEnter(k.left, k.right, k.enter), k.toggle) << k.left << k.right << k.enter;
    }
    EXPECT_TRUE(a_keepLog(50000));
    EXPECT_FALSE(a_keepLog(50001));
}

TEST_F(Application, InitMakesFoldersWritesTheBannerAndKeepsALogUpToTheLimit) {
    for (long size : {50000L, 50001L}) {
        std::filesystem::create_directories(userDir());
        std::ofstream(userDir() + "mirel.log") << std::string(size_t(size), 'x');
        {
            TestApp app;
            ASSERT_EQ(app.init("Test Game", nullptr, "", "Company"), 0);
            EXPECT_EQ(app.getScreenshotFolder(), "userappdata:Company/Test Game/ScreenShots/");
            app.shutdown();
        }
        std::string log = ReadWholeFile(userDir() + "mirel.log");
        bool kept = log.compare(0, size_t(size), std::string(size_t(size), 'x')) == 0;
        EXPECT_EQ(kept, size == 50000) << size;
        size_t banner = log.find("\n\n\n\n\n");
        ASSERT_NE(banner, std::string::npos);
        for (const char* line :
             {"\tmirel Engine v1.63 started\n", "\tApplication: Test Game\n",
              "\tLaunched on: ", "\t----------------- System configuration --------------------------\n",
              "\t    Application Path: ", "\tmirel Engine stopped\n"}) {
            EXPECT_NE(log.find(line, banner), std::string::npos) << line;
        }
    }
    // Without a company the game folder is the product alone.
    TestApp app;
    ASSERT_EQ(app.init("Solo", nullptr, "-window  level2", ""), 0);
    EXPECT_EQ(app.getUserFolder(), "userappdata:Solo/");
    aCmdLine arguments;
    ASSERT_EQ(arguments.getCount(), 3);
    EXPECT_STREQ(arguments.getArgument(2), "level2");
    EXPECT_TRUE(std::filesystem::is_directory(m_root / "data" / "Solo"));
    app.shutdown();
}

TEST_F(Application, EveryFolderLivesUnderTheDataHome) {
    TestApp app;
    ASSERT_EQ(app.init("Test Game", nullptr, "", "Company"), 0);
    aFileServer& files = *aFileServer::getInstance();
    EXPECT_EQ(files.manglePath(app.getUserFolder()), userDir());
    EXPECT_EQ(files.manglePath(app.getCommonFolder()), userDir());
    EXPECT_EQ(files.manglePath(app.getSavedGamesFolder()), userDir() + "saves/");
    EXPECT_TRUE(std::filesystem::is_directory(userDir() + "saves"));
    app.shutdown();
    // Nothing was made in the home folder or the shared data folders.
    for (const char* sub : {"home", "shared"}) {
        EXPECT_TRUE(std::filesystem::is_empty(m_root / sub)) << sub;
    }
}

TEST_F(Application, SecondStartEndsWithOneAndMakesNoWindow) {
    TestApp first;
    ASSERT_EQ(first.init("Test Game", nullptr, "", "Company"), 0);
    pid_t pid = fork();
    if (pid == 0) {
        TestApp second;
        int result = second.init("Test Game", nullptr, "", "Company");
        _exit(result * 10 + (second.getPlatformWindow() ? 1 : 0));
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 10);
    first.shutdown();
    // Once the first copy is gone a new start goes on.
    TestApp third;
    EXPECT_EQ(third.init("Test Game", nullptr, "", "Company"), 0);
    third.shutdown();
}

// The loading thread works beside the frames; what it made is theirs once
// isLoaderDone says so. A load that fails shows the error box and ends the
// run; a second thread is refused while one is there.
TEST_F(Application, LoaderThreadHandsItsWorkToTheFramesAndItsFailureEndsTheRun) {
    struct Load {
        std::vector<int> made;
        int result = 0;
    };
    const auto routine = [](void* parameter) -> int {
        auto* load = static_cast<Load*>(parameter);
        for (int i = 0; i < 1000; ++i) {
            load->made.push_back(i);
        }
        return load->result;
    };
    std::vector<std::string> boxes;
    a_setMessageBoxObserver(
        [](const char* title, const char* text, void* user) {
            static_cast<std::vector<std::string>*>(user)->push_back(std::string(title) + "|" + text);
        },
        &boxes);
    for (int result : {0, 7}) {
        SCOPED_TRACE(result);
        boxes.clear();
        TestApp app;
        start(app);
        Load load;
        load.result = result;
        Load other;
        app.startLoaderThread(routine, &load);
        app.startLoaderThread(routine, &other);
        size_t seen = 0;
        int doneFrame = 0;
        app.onUpdate = [&](int frame) {
            if (doneFrame == 0 && app.isLoaderDone()) {
                doneFrame = frame;
                seen = load.made.size();
            }
            return doneFrame != 0 && frame > doneFrame + 2 ? -1 : 0;
        };
        EXPECT_EQ(app.run(), 0);
        EXPECT_EQ(seen, 1000u);
        EXPECT_TRUE(other.made.empty());
        EXPECT_TRUE(app.isLoaderDone());
        if (result == 0) {
            EXPECT_TRUE(boxes.empty());
            EXPECT_EQ(app.updates, doneFrame + 3);
        } else {
            EXPECT_EQ(boxes, (std::vector<std::string>{"Error!|Could not load required media."}));
            EXPECT_EQ(app.updates, doneFrame);
        }
        stop(app);
        EXPECT_NE(ReadWholeFile(userDir() + "mirel.log").find("Error: thread for loading already created!"),
                  std::string::npos);
    }
}

TEST_F(Application, RunWithoutGraphicsServerReturnsOne) {
    TestApp app;
    ASSERT_EQ(app.init("Test Game", nullptr, "", "Company"), 0);
    EXPECT_EQ(app.run(), 1);
    EXPECT_NE(
        ReadWholeFile(userDir() + "mirel.log").find("aApplication: Error, aGraphServer object not created!"),
        std::string::npos);
    app.shutdown();
}

TEST_F(Application, WithVSyncEveryModeSleepsToTheRefreshRate) {
    struct Case {
        bool fullscreen, vsync;
    } cases[] = {{false, true}, {true, true}, {false, false}, {true, false}};
    for (const Case& c : cases) {
        RecordingClock clock;
        a_setClock(&clock);
        TestApp app;
        start(app);
        m_graph->setFullscreen(c.fullscreen);
        m_graph->setVSync(c.vsync);
        app.onUpdate = [&](int) {
            clock.advance(0.005); // five milliseconds of work
            return 0;
        };
        app.onRender = [](int frame) { return frame == 5 ? -1 : 0; };
        EXPECT_EQ(app.run(), 0);
        if (!c.vsync) {
            EXPECT_TRUE(clock.sleeps.empty()) << c.fullscreen;
        } else {
            // 60 Hz (the headless desktop's rate): 16.67 - 5 ms, truncated.
            ASSERT_EQ(clock.sleeps.size(), 5u) << c.fullscreen;
            for (size_t i = 1; i < clock.sleeps.size(); ++i) {
                EXPECT_EQ(clock.sleeps[i], 11u) << c.fullscreen;
            }
        }
        a_setClock(nullptr);
        stop(app);
    }
}

TEST_F(Application, AltEnterTogglesOncePerEnterPressAndSkipsThatUpdate) {
    TestApp app;
    start(app);
    aHeadlessWindow* w = app.window();
    std::vector<int> updatedFrames;
    app.onUpdate = [&](int frame) {
        updatedFrames.push_back(frame);
        return 0;
    };
    // render(n) sets the keys that frame n + 1 reads.
    app.onRender = [&](int frame) {
        switch (frame) {
        case 1:
            w->setKey(A_KEY_LMENU, true);
            break; // 2: Alt pressed, no Enter
        case 2:
            w->setKey(A_KEY_RETURN, true);
            break; // 3: Alt held, Enter pressed: toggle
        case 3:
            break; // 4: Enter held: nothing
        case 4:
            w->releaseAllKeys();
            break; // 5: all up
        case 5:
            w->setKey(A_KEY_RETURN, true);
            break; // 6: Enter without Alt
        case 6:
            w->releaseAllKeys();
            w->setKey(A_KEY_RMENU, true);
            break;
        case 7:
            w->setKey(A_KEY_RETURN, true);
            break; // 8: right Alt held, Enter: toggle back
        case 9:
            return -1;
        }
        return 0;
    };
    EXPECT_EQ(app.run(), 0);
    EXPECT_EQ(app.modeChanges, 2);
    EXPECT_FALSE(m_graph->isFullscreen());
    EXPECT_EQ(updatedFrames, (std::vector<int>{1, 2, 4, 5, 6, 7, 9}));
    stop(app);
}

// What the game sees of Enter in each updated frame: its state, and whether
// a press of it is listed.
struct EnterSeen {
    int frame;
    uint32_t state;
    bool pressed;
    bool operator==(const EnterSeen&) const = default;
};

TEST_F(Application, AltEnterKeepsItsEnterFromTheGame) {
    struct Case {
        const char* what;
        bool allowToggle;
        bool altLetGoWithEnter; // Alt goes up in the frame Enter goes down
        int modeChanges;
        std::vector<EnterSeen> seen;
    } cases[] = {
        // Frame 3 toggles and is not updated; Enter held in 4 and let go in 5
        // reads as up; pressed again in 6 (without Alt) it is the game's.
        {"toggle",
         true,
         false,
         1,
         {{1, 0, false}, {2, 0, false}, {4, 0, false}, {5, 0, false}, {6, 2, true}}},
        {"Alt let go in the frame Enter went down",
         true,
         true,
         1,
         {{1, 0, false}, {2, 0, false}, {4, 0, false}, {5, 0, false}, {6, 2, true}}},
        // Where the window may not switch, Alt+Enter still is no Enter.
        {"toggle refused",
         false,
         false,
         0,
         {{1, 0, false}, {2, 0, false}, {3, 0, false}, {4, 0, false}, {5, 0, false}, {6, 2, true}}},
    };
    for (const Case& c : cases) {
        TestApp app;
        start(app);
        app.allowToggle = c.allowToggle;
        aHeadlessWindow* w = app.window();
        std::vector<EnterSeen> seen;
        app.onUpdate = [&](int frame) {
            bool pressed = false;
            for (const aKeyPress& press : m_input->getKeyPresses()) {
                pressed = pressed || press.scanCode == A_KEY_RETURN;
            }
            seen.push_back({frame, m_input->getKeyState(A_KEY_RETURN), pressed});
            return 0;
        };
        app.onRender = [&](int frame) {
            switch (frame) {
            case 1:
                w->setKey(A_KEY_LMENU, true);
                break;
            case 2:
                w->setKey(A_KEY_RETURN, true);
                if (c.altLetGoWithEnter) {
                    w->setKey(A_KEY_LMENU, false);
                }
                break;
            case 4:
                w->setKey(A_KEY_RETURN, false);
                w->setKey(A_KEY_LMENU, false);
                break;
            case 5:
                w->setKey(A_KEY_RETURN, true);
                break;
            case 6:
                return -1;
            }
            return 0;
        };
        EXPECT_EQ(app.run(), 0);
        EXPECT_EQ(app.modeChanges, c.modeChanges) << c.what;
        EXPECT_EQ(seen, c.seen) << c.what;
        stop(app);
    }
}

TEST_F(Application, PausedFramesDrawWithoutUpdateAndNegativeResultsClose) {
    TestApp app;
    start(app);
    app.onRender = [&](int frame) {
        if (frame == 2) {
            app.setPaused(true);
        }
        return frame == 5 ? -1 : 0;
    };
    EXPECT_EQ(app.run(), 0);
    EXPECT_EQ(app.renders, 5);
    EXPECT_EQ(app.updates, 2);
    // A negative update closes too, and that frame is not drawn.
    app.setPaused(false);
    app.renders = app.updates = 0;
    app.onRender = nullptr;
    app.onUpdate = [](int frame) { return frame == 3 ? -5 : 0; };
    EXPECT_EQ(app.run(), 0);
    EXPECT_EQ(app.updates, 3);
    EXPECT_EQ(app.renders, 2);
    // Closing never destroyed the window.
    EXPECT_NE(app.getPlatformWindow(), nullptr);
    stop(app);
}

TEST_F(Application, PrintScreenSavesTheLastFrameHeadless) {
    TestApp app;
    start(app);
    m_graph->setClearColor(0xff336699u);
    aHeadlessWindow* w = app.window();
    app.onRender = [&](int frame) {
        if (frame == 2) {
            w->setKey(A_KEY_SYSRQ, true);
        }
        return frame == 4 ? -1 : 0;
    };
    EXPECT_EQ(app.run(), 0);
    std::string bmp = ReadWholeFile(userDir() + "ScreenShots/ScreenShot000.bmp");
    ASSERT_EQ(bmp.size(), 54u + 1024u * 768u * 3u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    // Held from frame 3 on: one shot only.
    EXPECT_FALSE(std::filesystem::exists(userDir() + "ScreenShots/ScreenShot001.bmp"));
    const uint8_t* px = reinterpret_cast<const uint8_t*>(bmp.data()) + 54;
    EXPECT_EQ(px[0], 0x99);
    EXPECT_EQ(px[1], 0x66);
    EXPECT_EQ(px[2], 0x33);
    stop(app);
}

TEST_F(Application, CursorSpriteIsDrawnAtThePointerLessTheHotSpotAndAnimates) {
    a_setClock(&m_clock);
    TestApp app;
    start(app);
    // Two 4 x 4 frames: red, then green.
    aImage strip;
    strip.createEmpty(8, 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 8; ++x) {
            strip.setPixel(x, y, x < 4 ? 0xffff0000u : 0xff00ff00u);
        }
    }
    aAnim anim;
    aRect area(0, 0, 8, 4);
    anim.setFramesFromGrid(&strip, &area, 4, 4, 2);
    anim.setFrameTime(0.15f);
    app.window()->setCursorPos(200, 100);
    m_input->setCursor(&anim, 1, 2);
    ASSERT_TRUE(app.hasCursorSprite());

    auto pixel = [&](int x, int y) {
        std::vector<uint32_t> px;
        uint32_t w = 0, h = 0;
        m_graph->getDevice()->getFrontBuffer(&px, &w, &h);
        return px.at(size_t(y) * w + size_t(x)) & 0xffffffu;
    };
    std::vector<uint32_t> seen;
    app.onRender = [&](int frame) {
        seen.push_back(pixel(199, 98));
        EXPECT_EQ(pixel(198, 98), 0u);
        m_clock.advance(0.1);
        return frame == 4 ? -1 : 0;
    };
    m_input->update();
    EXPECT_EQ(app.run(), 0);
    // Each frame is drawn, then the animation advances by the frame's time
    // (0.1 s plus the loop's pacing sleep): the 0.15 s frame time has passed
    // after the third frame.
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0], 0xff0000u);
    EXPECT_EQ(seen[1], 0xff0000u);
    EXPECT_EQ(seen[2], 0xff0000u);
    EXPECT_EQ(seen[3], 0x00ff00u);

    m_input->setSystemCursor(A_CURSOR_ARROW);
    EXPECT_FALSE(app.hasCursorSprite());
    a_setClock(nullptr);
    stop(app);
}

TEST_F(Application, CrashWritesTheReportLogsAndShowsTheBox) {
    std::string boxFile = (m_root / "box.txt").string();
    std::filesystem::create_directories(userDir());
    std::ofstream(userDir() + "crash.dmp") << "the last crash";
    pid_t pid = fork();
    if (pid == 0) {
        a_setMessageBoxObserver(
            [](const char* title, const char* text, void* user) {
                const std::string path = static_cast<const char*>(user);
                std::ofstream(path + ".part") << title << "|" << text;
                std::rename((path + ".part").c_str(), path.c_str());
            },
            boxFile.data());
        TestApp app;
        if (app.init("Test Game", nullptr, "", "Company") != 0) {
            _exit(3);
        }
        app.setCrashMessage("Please write to us.\\nThank you");
        // Another thread is inside the log when the fault comes: the crash must
        // not wait for it.
        std::atomic<bool> inLog{false};
        std::thread logger([&] {
            flockfile(a_getLogFile());
            inLog = true;
            for (;;) {
                pause();
            }
        });
        while (!inLog) {
            usleep(1000);
        }
        raise(SIGSEGV);
        _exit(4);
    }
    int status = 0;
    bool ended = false;
    for (int i = 0; i < 2000 && !ended; ++i) {
        ended = waitpid(pid, &status, WNOHANG) == pid;
        usleep(ended ? 0 : 10000);
    }
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        FAIL() << "the crash hung";
    }
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);
    std::string report = ReadWholeFile(userDir() + "crash.dmp");
    EXPECT_NE(report.find("Signal: 11 (SIGSEGV)"), std::string::npos) << report;
    EXPECT_NE(report.find("Backtrace:"), std::string::npos);
    EXPECT_EQ(ReadWholeFile(userDir() + "crash.dmp.old"), "the last crash");
    // The box comes from the crash handler's helper, after the program ended.
    for (int i = 0; i < 1000 && !std::filesystem::exists(boxFile); ++i) {
        usleep(10000);
    }
    EXPECT_EQ(ReadWholeFile(boxFile), "Error!|Critical error. File \"crash.dmp\" has been saved to \n\"" +
                                          userDir() + "\"\nPlease write to us.\nThank you");
    EXPECT_NE(ReadWholeFile(userDir() + "mirel.log")
                  .find("\t\n\nCritical Error. File \"crash.dmp\" has been saved to\n" + userDir() + "\n"),
              std::string::npos);
}
