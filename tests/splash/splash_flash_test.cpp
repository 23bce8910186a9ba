// Movie entries with a scripted movie control standing in for the player:
// the calls and their order, the variables, the completion command, the
// temporary files, and every way back to the picture.
#include <gtest/gtest.h>

#include "movie_control.h"
#include "splash_sequence.h"
#include "splash_test_support.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>

using namespace splashtest;
using pellucid::RunSplashSequence;

namespace {

const char* kQuickBuiltIn = "[Velquist]\nUseFlash=0\nFadeTime=0\nStaticTime=0\n";

struct FakeSettings {
    int32_t version = 0x90000;
    bool attach = true;
    bool load = true;
    std::string throwOn; // a call that raises
};

struct FakeState {
    std::vector<std::string> calls;
    pellucid::MovieCommandSink* sink = nullptr;
    Window window = 0;
    int alive = 0;
};

class FakeControl final : public pellucid::MovieControl {
public:
    FakeControl(const FakeSettings& settings, FakeState& state) : m_settings(settings), m_state(state) {
        ++m_state.alive;
    }
    ~FakeControl() override { --m_state.alive; }

    int32_t FlashVersion() override { return call("FlashVersion"), m_settings.version; }
    void PutBackgroundColor(uint32_t c) override {
        char text[32];
        std::snprintf(text, sizeof text, "PutBackgroundColor %06X", c);
        call(text);
    }
    bool Attach(Display*, Window w) override {
        call("Attach");
        m_state.window = w;
        return m_settings.attach;
    }
    bool ConnectSink(pellucid::MovieCommandSink* sink) override {
        call("ConnectSink");
        m_state.sink = sink;
        return true;
    }
    void DisconnectSink() override {
        call("DisconnectSink");
        m_state.sink = nullptr;
    }
    void DisableLocalSecurity() override { call("DisableLocalSecurity"); }
    bool LoadMovie(int layer, const std::string& url) override {
        call("LoadMovie " + std::to_string(layer) + " " + url);
        return m_settings.load;
    }
    void SetVariable(const std::string& name, const std::string& value) override { call(name + "=" + value); }
    void PutLoop(bool loop) override { call(loop ? "PutLoop 1" : "PutLoop 0"); }
    void Stop() override { call("Stop"); }

private:
    void call(const std::string& what) {
        m_state.calls.push_back(what);
        if (!m_settings.throwOn.empty() && what.rfind(m_settings.throwOn, 0) == 0)
            throw std::runtime_error("control failed");
    }
    FakeSettings m_settings;
    FakeState& m_state;
};

class SplashFlash : public ::testing::Test {
public:
    void SetUp() override {
        if (!StartXvfb())
            GTEST_SKIP() << "Xvfb is not available";
        folder = ScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        ::setenv("TMPDIR", folder.c_str(), 1);
        WriteFile(folder + "white.jpg", MakeJpeg(32, 24, {255, 255, 255}, {255, 255, 255}));
        WriteFile(folder + "clip.flv", "FLV");
        host = std::make_unique<TestHost>(320, 240);
        ASSERT_TRUE(host->alive());
        registerFake();
    }

    void TearDown() override { pellucid::RegisterMovieControl("ShockwaveFlash.ShockwaveFlash", nullptr); }

    void registerFake() {
        pellucid::RegisterMovieControl("ShockwaveFlash.ShockwaveFlash",
                                       [this] { return std::make_unique<FakeControl>(settings, state); });
    }

    int run(const std::string& ini) {
        WriteFile(folder + "Splash.ini", ini);
        pellucid::SplashOptions options;
        options.libraryFolder = folder;
        options.clock = &clock;
        return RunSplashSequence(host->window(), options);
    }

    std::vector<std::string> tempFiles() { return FilesStartingWith(folder, "vel"); }

    std::string folder;
    std::unique_ptr<TestHost> host;
    ScriptedClock clock;
    FakeSettings settings;
    FakeState state;
};

const char* kMovieEntry = "[Movie]\nFlashVideoPath=clip.flv\nStaticPath=white.jpg\nFadeInColor=102030\n"
                          "FadeOutColor=A0B0C0\nVideoBackground=010203\nVideoWidth=640\nVideoHeight=480\n"
                          "VideoTime=5000\nFadeTime=500\n";

} // namespace

TEST_F(SplashFlash, MovieGetsItsCallsVariablesAndEndsOnItsCommand) {
    std::string moviePath;
    clock.at(100, [&] {
        auto files = tempFiles();
        ASSERT_EQ(files.size(), 1u);
        moviePath = folder + files[0];
        EXPECT_EQ(files[0].size(), std::string("velXXXXXX.tmp").size());
        auto kids = host->children();
        ASSERT_EQ(kids.size(), 1u);
        EXPECT_EQ(kids[0], state.window);
        host->click(50, 50);
        state.sink->OnFSCommand("play", "");        // not the end
        state.sink->OnFSCommand("FadeOutDone", ""); // compared without case
    });
    EXPECT_EQ(run(std::string(kMovieEntry) + kQuickBuiltIn), pellucid::kSplashDone);
    EXPECT_EQ(clock.elapsed(), 100);
    const std::vector<std::string> expected = {
        "FlashVersion",
        "PutBackgroundColor 302010",
        "Attach",
        "ConnectSink",
        "DisableLocalSecurity",
        "LoadMovie 0 file://" + moviePath,
        "FVAR_BackgroundColor=0x010203",
        "FVAR_FadeInColor=0x102030",
        "FVAR_FadeOutColor=0xA0B0C0",
        "FVAR_VideoWidth=640",
        "FVAR_VideoHeight=480",
        "FVAR_OverlayWidth=2400",
        "FVAR_OverlayHeight=1800",
        "FVAR_ContentPath=" + folder + "clip.flv",
        "PutLoop 0",
        "FVAR_MouseClicked=1",
        "Stop",
        "DisconnectSink",
    };
    EXPECT_EQ(state.calls, expected);
    EXPECT_EQ(state.alive, 0);
    EXPECT_TRUE(tempFiles().empty());
    EXPECT_TRUE(host->children().empty());
}

TEST_F(SplashFlash, HowAMovieEntryEnds) {
    struct Case {
        const char* what;
        const char* extra;                        // keys added to the entry
        std::function<void(SplashFlash&)> action; // at 100 ms
        int result;
        int64_t endsAt;
    };
    auto stray = [](SplashFlash& t) {
        // The completion message on another window than the movie's.
        Display* d = t.host->display();
        XEvent ev{};
        ev.xclient.type = ClientMessage;
        ev.xclient.window = t.host->window();
        ev.xclient.message_type = XInternAtom(d, "_PELLUCID_MOVIE_DONE", False);
        ev.xclient.format = 32;
        XSendEvent(d, t.host->window(), False, StructureNotifyMask, &ev);
        t.host->sync();
    };
    const Case cases[] = {
        {"timeout: video, fade and a second", "", nullptr, pellucid::kSplashDone, 6500},
        {"stray completion message", "", stray, pellucid::kSplashDone, 6500},
        {"host resized", "", [](SplashFlash& t) { t.host->resize(200, 120); }, pellucid::kSplashDone, 6500},
        {"host destroyed", "", [](SplashFlash& t) { t.host->destroy(); }, pellucid::kSplashQuit, 100},
        {"timeout beyond 32 bits", "VideoTime=2147483647\nFadeTime=2147483647\n", nullptr,
         pellucid::kSplashDone, 2147483647},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clock = ScriptedClock();
        state = FakeState();
        host = std::make_unique<TestHost>(320, 240);
        clock.at(100, [&] {
            if (c.action)
                c.action(*this);
        });
        bool resized = false;
        clock.at(150, [&] {
            auto kids = host->children();
            XWindowAttributes a{};
            resized = kids.size() == 1 && XGetWindowAttributes(host->display(), kids[0], &a) &&
                      a.width == 200 && a.height == 120;
        });
        // The first of two equal keys counts: the extra keys go first.
        EXPECT_EQ(run("[Movie]\n" + std::string(c.extra) +
                      "FlashVideoPath=clip.flv\nVideoTime=5000\nFadeTime=500\n" + kQuickBuiltIn),
                  c.result);
        EXPECT_EQ(clock.elapsed(), c.endsAt);
        EXPECT_TRUE(tempFiles().empty());
        EXPECT_EQ(state.alive, 0);
        if (std::string(c.what) == "host resized") {
            EXPECT_TRUE(resized);
        }
    }
}

TEST_F(SplashFlash, BuiltInMoviePlaysItsOwnVideo) {
    bool videoThere = false;
    std::string content;
    clock.at(100, [&] {
        EXPECT_EQ(tempFiles().size(), 2u);
        for (const auto& call : state.calls)
            if (call.rfind("FVAR_ContentPath=", 0) == 0)
                content = call.substr(17);
        videoThere = !content.empty() && content.size() > 4 && content.substr(content.size() - 4) == ".flv" &&
                     FilesStartingWith(folder, content.substr(folder.size())).size() == 1;
        state.sink->OnFSCommand("fadeoutdone", "");
    });
    EXPECT_EQ(run("[Velquist]\nFadeTime=0\n"), pellucid::kSplashDone);
    EXPECT_TRUE(videoThere) << content;
    EXPECT_TRUE(tempFiles().empty());
}

TEST_F(SplashFlash, MovieThatCannotPlayFallsBackToThePicture) {
    struct Case {
        const char* what;
        std::function<void(SplashFlash&)> setup;
        bool controlMade;
    };
    const Case cases[] = {
        {"no movie player",
         [](SplashFlash&) { pellucid::RegisterMovieControl("ShockwaveFlash.ShockwaveFlash", nullptr); },
         false},
        {"player version 7", [](SplashFlash& t) { t.settings.version = 0x70000; }, true},
        {"player version 8", [](SplashFlash& t) { t.settings.version = 0x80000; }, true},
        {"attach fails", [](SplashFlash& t) { t.settings.attach = false; }, true},
        {"movie does not load", [](SplashFlash& t) { t.settings.load = false; }, true},
        {"video missing", [](SplashFlash& t) { ::unlink((t.folder + "clip.flv").c_str()); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clock = ScriptedClock();
        state = FakeState();
        settings = FakeSettings();
        registerFake();
        WriteFile(folder + "clip.flv", "FLV");
        c.setup(*this);
        bool movie = std::string(c.what) == "player version 8";
        Rgb seen;
        size_t files = 99;
        clock.at(250, [&] {
            seen = host->pixel(160, 120);
            files = tempFiles().size();
            if (movie && state.sink)
                state.sink->OnFSCommand("fadeoutdone", "");
        });
        EXPECT_EQ(run("[Movie]\nFlashVideoPath=clip.flv\nStaticPath=white.jpg\nFadeInColor=FF0000\n"
                      "FadeTime=500\nStaticTime=0\n" +
                      std::string(kQuickBuiltIn)),
                  pellucid::kSplashDone);
        EXPECT_EQ(!state.calls.empty(), c.controlMade);
        EXPECT_EQ(state.alive, 0);
        EXPECT_TRUE(tempFiles().empty());
        if (movie) {
            EXPECT_EQ(clock.elapsed(), 250);
            EXPECT_EQ(files, 1u);
        } else {
            // The picture half faded in from red, and no file left behind.
            EXPECT_EQ(files, 0u);
            EXPECT_NEAR(seen.r, 255, 3);
            EXPECT_NEAR(seen.g, 128, 3);
            EXPECT_EQ(clock.elapsed(), 1000);
        }
    }
}

TEST_F(SplashFlash, FailingControlEndsTheSequenceCleanly) {
    settings.throwOn = "FVAR_FadeInColor";
    EXPECT_EQ(run(std::string(kMovieEntry) + kQuickBuiltIn), pellucid::kSplashFailed);
    EXPECT_EQ(state.alive, 0);
    EXPECT_TRUE(tempFiles().empty());
    EXPECT_TRUE(host->children().empty());
}
