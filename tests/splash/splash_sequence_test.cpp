// Picture entries on a real X server: fades read back from the screen at
// scripted times, clicks, resizes, the host going away, bad pictures.
#include <gtest/gtest.h>

#include "splash_log.h"
#include "splash_sequence.h"
#include "splash_test_support.h"

#include <X11/Xlib.h>

#include <cstdlib>

using namespace splashtest;
using pellucid::RunSplashSequence;

namespace {

const Rgb kWhite{255, 255, 255};
const Rgb kGreen{0, 200, 0};
const Rgb kBlue{0, 0, 200};
// The built-in entry, as a picture with no times, closes every sequence.
const char* kQuickBuiltIn = "[Velquist]\nUseFlash=0\nFadeTime=0\nStaticTime=0\n";

class SplashSequence : public ::testing::Test {
protected:
    void SetUp() override {
        if (!StartXvfb())
            GTEST_SKIP() << "Xvfb is not available";
        folder = ScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        ::setenv("TMPDIR", folder.c_str(), 1);
        WriteFile(folder + "white.jpg", MakeJpeg(32, 24, kWhite, kWhite));
        WriteFile(folder + "updown.jpg", MakeJpeg(40, 80, kGreen, kBlue));
        host = std::make_unique<TestHost>(320, 240);
        ASSERT_TRUE(host->alive());
    }

    int run(const std::string& ini) {
        WriteFile(folder + "Splash.ini", ini);
        pellucid::SplashOptions options;
        options.libraryFolder = folder;
        options.clock = &clock;
        return RunSplashSequence(host->window(), options);
    }

    // Checks a pixel of the host's client area at the current scripted time.
    void expectPixel(int x, int y, Rgb want, const char* what) {
        Rgb got = host->pixel(x, y);
        EXPECT_NEAR(got.r, want.r, 3) << what << " at " << clock.elapsed() << " ms";
        EXPECT_NEAR(got.g, want.g, 3) << what << " at " << clock.elapsed() << " ms";
        EXPECT_NEAR(got.b, want.b, 3) << what << " at " << clock.elapsed() << " ms";
    }

    // White under red at fade alpha `a`.
    static Rgb redOver(int a) { return {255, 255 - a, 255 - a}; }

    std::string folder;
    std::unique_ptr<TestHost> host;
    ScriptedClock clock;
};

} // namespace

TEST_F(SplashSequence, TwoPicturesFadeHoldAndFadeOut) {
    struct Probe {
        int64_t at;
        int x, y;
        Rgb want;
        const char* what;
    };
    const Probe probes[] = {
        {0, 160, 120, {255, 0, 0}, "first entry starts in its colour"},
        {250, 160, 120, redOver(191), "a quarter into the fade-in"},
        {500, 160, 120, redOver(127), "half way into the fade-in"},
        {1000, 160, 120, kWhite, "held"},
        {1250, 5, 5, kWhite, "held, corner"},
        {1750, 160, 120, redOver(63), "a quarter into the fade-out"},
        {2250, 160, 120, redOver(191), "three quarters into the fade-out"},
        {2500, 160, 120, {0, 0, 255}, "second entry starts in its colour"},
        {2700, 160, 30, {0, 100, 127}, "second entry half faded in, top"},
        {2700, 160, 210, {0, 0, 227}, "second entry half faded in, bottom"},
        {3000, 160, 10, kGreen, "stretched upright: top"},
        {3000, 160, 230, kBlue, "stretched upright: bottom"},
        {3000, 1, 60, kGreen, "stretched over the whole width: left"},
        {3000, 318, 180, kBlue, "stretched over the whole width: right"},
    };
    for (const Probe& p : probes)
        clock.at(p.at, [&] { expectPixel(p.x, p.y, p.want, p.what); });
    int result = run("[First]\nStaticPath=white.jpg\nFadeInColor=FF0000\nFadeTime=1000\nStaticTime=500\n"
                     "[Second]\nStaticPath=updown.jpg\nFadeInColor=0000FF\nFadeTime=400\nStaticTime=600\n" +
                     std::string(kQuickBuiltIn));
    EXPECT_EQ(result, pellucid::kSplashDone);
    EXPECT_EQ(clock.elapsed(), 3900);
    EXPECT_TRUE(host->children().empty());
}

TEST_F(SplashSequence, ClickStartsTheFadeOutFromTheCurrentLevel) {
    struct Case {
        const char* what;
        int64_t clickAt;
        int64_t probeAt;
        int probeAlpha;
        int64_t endsAt;
    };
    // Fade 1000 ms, hold 500 ms.
    const Case cases[] = {
        // 40 % into the fade-in: the fade-out starts at 40 % and lasts 400 ms.
        {"fade-in", 400, 600, 204, 800},
        {"hold", 1200, 1700, 127, 2200},
        {"fade-out: ignored", 1700, 2000, 127, 2500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clock = ScriptedClock();
        clock.at(c.clickAt, [&] { host->click(100, 100); });
        clock.at(c.probeAt, [&] { expectPixel(100, 100, redOver(c.probeAlpha), c.what); });
        clock.at(c.endsAt - 1, [&] { expectPixel(100, 100, {255, 0, 0}, "just before the end"); });
        int result = run("[A]\nStaticPath=white.jpg\nFadeInColor=FF0000\nFadeTime=1000\nStaticTime=500\n" +
                         std::string(kQuickBuiltIn));
        EXPECT_EQ(result, pellucid::kSplashDone);
        EXPECT_EQ(clock.elapsed(), c.endsAt);
    }
}

TEST_F(SplashSequence, HostResizeMidFadeResizesThePicture) {
    auto childSize = [&] {
        auto kids = host->children();
        XWindowAttributes a{};
        if (kids.size() == 1)
            XGetWindowAttributes(host->display(), kids[0], &a);
        return std::make_pair(a.width, a.height);
    };
    clock.at(250, [&] { host->resize(200, 100); });
    clock.at(300, [&] {
        EXPECT_EQ(childSize(), std::make_pair(200, 100));
        expectPixel(195, 95, redOver(178), "shrunk");
        host->resize(400, 300);
    });
    clock.at(350, [&] {
        EXPECT_EQ(childSize(), std::make_pair(400, 300));
        expectPixel(395, 295, redOver(165), "grown");
        expectPixel(5, 5, redOver(165), "grown, corner");
    });
    int result = run("[A]\nStaticPath=white.jpg\nFadeInColor=FF0000\nFadeTime=1000\nStaticTime=500\n" +
                     std::string(kQuickBuiltIn));
    EXPECT_EQ(result, pellucid::kSplashDone);
}

TEST_F(SplashSequence, HostDestroyedMidSequenceAnswersQuit) {
    LogCapture log;
    clock.at(300, [&] { host->destroy(); });
    int result = run("[A]\nStaticPath=white.jpg\nFadeTime=1000\n[B]\nStaticPath=white.jpg\n");
    EXPECT_EQ(result, pellucid::kSplashQuit);
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_TRUE(log.contains("host window was destroyed"));
    EXPECT_TRUE(FilesStartingWith(folder, "vel").empty());
}

TEST_F(SplashSequence, DisplayConnectionLostAnswersQuit) {
    clock.at(200, [&] {
        auto kids = host->children();
        ASSERT_EQ(kids.size(), 1u);
        XKillClient(host->display(), kids[0]);
        host->sync();
    });
    int result = run("[A]\nStaticPath=white.jpg\nFadeTime=1000\n");
    EXPECT_EQ(result, pellucid::kSplashQuit);
    EXPECT_LT(clock.elapsed(), 1000);
}

TEST_F(SplashSequence, PictureThatCannotBeShownAnswersFailure) {
    const std::string good = MakeJpeg(32, 24, kWhite, kWhite);
    struct Case {
        const char* what;
        const char* file; // nullptr: no file
        std::string bytes;
    };
    const Case cases[] = {
        {"missing", nullptr, ""},
        {"empty", "bad.jpg", ""},
        {"not a picture", "bad.jpg", "GIF89a this is not what it claims"},
        {"truncated", "bad.jpg", good.substr(0, good.size() / 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clock = ScriptedClock();
        ::unlink((folder + "bad.jpg").c_str());
        if (c.file)
            WriteFile(folder + c.file, c.bytes);
        LogCapture log;
        bool firstShown = false;
        clock.at(100, [&] { firstShown = host->children().size() == 1; });
        int result =
            run("[Good]\nStaticPath=white.jpg\nFadeTime=200\nStaticTime=0\n[Bad]\nStaticPath=bad.jpg\n" +
                std::string(kQuickBuiltIn));
        EXPECT_EQ(result, pellucid::kSplashFailed);
        EXPECT_TRUE(firstShown);
        EXPECT_EQ(clock.elapsed(), 400); // the good entry ran, the sequence stopped at the bad one
        EXPECT_TRUE(log.contains("bad.jpg"));
        EXPECT_TRUE(host->alive());
        EXPECT_TRUE(host->children().empty());
    }
}

TEST_F(SplashSequence, ZeroAndNegativeTimesEndAtOnce) {
    const char* inis[] = {
        "[A]\nStaticPath=white.jpg\nFadeTime=0\nStaticTime=0\n",
        "[A]\nStaticPath=white.jpg\nFadeTime=-5\nStaticTime=-2147483648\n",
    };
    for (const char* ini : inis) {
        clock = ScriptedClock();
        clock.at(0, [&] { host->click(10, 10); });
        EXPECT_EQ(run(std::string(ini) + kQuickBuiltIn), pellucid::kSplashDone) << ini;
        EXPECT_EQ(clock.elapsed(), 0) << ini;
    }
}

TEST_F(SplashSequence, SecondCallWhileRunningIsRefused) {
    LogCapture log;
    int inner = -1;
    clock.at(100, [&] {
        pellucid::SplashOptions options;
        options.libraryFolder = folder;
        inner = RunSplashSequence(host->window(), options);
    });
    int result = run("[A]\nStaticPath=white.jpg\nFadeTime=200\nStaticTime=0\n" + std::string(kQuickBuiltIn));
    EXPECT_EQ(inner, pellucid::kSplashFailed);
    EXPECT_EQ(result, pellucid::kSplashDone);
    EXPECT_TRUE(log.contains("already running"));
}

TEST_F(SplashSequence, HostThatIsNoWindowAnswersFailure) {
    pellucid::SplashOptions options;
    options.libraryFolder = folder;
    options.clock = &clock;
    LogCapture log;
    EXPECT_EQ(RunSplashSequence(0, options), pellucid::kSplashFailed);
    EXPECT_EQ(RunSplashSequence(0x7FFFFFF, options), pellucid::kSplashFailed);
    EXPECT_TRUE(log.contains("not a window"));
}
