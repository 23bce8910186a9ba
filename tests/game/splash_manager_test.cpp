// The start-up logos: the settings file, the timing of fades and shows, the
// fade alphas and background colours as drawn, and skipping by key and click.

#include "game/screens/splash_manager.h"

#include "support/screen_bench.h"

#include <cmath>

using namespace screentest;

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr float kDt = 0.125f; // exact in binary: the count-downs reach 0 exactly

std::string Entry(const std::string& image, float in, float show, float out, int skip, bool centered = false,
                  const std::string& inColor = "ff0000ff", const std::string& outColor = "ff00ff00") {
    return "[splash]\nimage = " + image + "\ncentered = " + (centered ? "1" : "0") +
           "\nfadeincolor = " + inColor + "\nfadeoutcolor = " + outColor +
           "\nfadeintime = " + std::to_string(in) + "\nfadeouttime = " + std::to_string(out) +
           "\nskip = " + std::to_string(skip) + "\nshowtime = " + std::to_string(show) + "\n";
}

class SplashTest : public ::testing::Test {
protected:
    void SetUp() override {
        b.Png("home/splashscreens/white.png", content::Picture(16, 8, kWhite));
        b.Png("home/splashscreens/red.png", content::Picture(16, 8, 0xFFFF0000u));
    }
    SplashManager& Make(const std::string& settings) {
        b.Write("home/splashscreens/settings.ini", settings);
        splash = std::make_unique<SplashManager>("home:splashscreens/settings.ini", b.h.input.get());
        return *splash;
    }
    // One frame of the game while the splash screens run.
    bool Step(float dt) {
        b.h.clock.advance(dt);
        b.h.input->update();
        const bool running = splash->Update(dt);
        splash->Draw();
        return running;
    }
    void Tap(bool key, uint8_t code = 57) {
        if (key)
            b.h.SetKey(code, true);
        else
            b.h.SetButton(0, true);
        Step(kDt);
        if (key)
            b.h.SetKey(code, false);
        else
            b.h.SetButton(0, false);
    }
    uint32_t Clear() const { return b.h.graph->getClearColor(); }

    ScreenBench b;
    std::unique_ptr<SplashManager> splash;
};

TEST_F(SplashTest, ReadsEverySplashSectionInOrder) {
    LogCapture log;
    SplashManager& s = Make("[other]\nimage = red.png\n" + Entry("white.png", 0.5f, 2.0f, 0.25f, 1, true) +
                            "[splash]\nimage = red.png\nfadeincolor = nothex\nskip = 2\nshowtime = -3\n" +
                            "[splash]\nimage = red.png\nfadeintime = inf\nfadeoutcolor = 123456789\n");
    ASSERT_EQ(s.GetEntries().size(), 3u);
    const SplashManager::Entry& a = s.GetEntries()[0];
    EXPECT_EQ(a.image, "home:splashscreens/white.png");
    EXPECT_TRUE(a.centered);
    EXPECT_EQ(a.fadeInColor, 0xFF0000FFu);
    EXPECT_EQ(a.fadeOutColor, 0xFF00FF00u);
    EXPECT_FLOAT_EQ(a.fadeInTime, 0.5f);
    EXPECT_FLOAT_EQ(a.showTime, 2.0f);
    EXPECT_FLOAT_EQ(a.fadeOutTime, 0.25f);
    EXPECT_EQ(a.skip, 1);
    // Missing keys are reported; bad colours are opaque black, bad times 0.
    const SplashManager::Entry& c = s.GetEntries()[1];
    EXPECT_EQ(c.fadeInColor, 0xFF000000u);
    EXPECT_EQ(c.fadeOutColor, 0xFF000000u);
    EXPECT_EQ(c.showTime, 0.0f);
    EXPECT_EQ(c.skip, 2);
    EXPECT_FALSE(c.centered);
    EXPECT_TRUE(log.has("aOptionsFile. Cannot find key \"fadeouttime\" in current section!"));
    EXPECT_EQ(s.GetEntries()[2].fadeInTime, 0.0f);
    EXPECT_EQ(s.GetEntries()[2].fadeOutColor, 0xFF000000u);
    EXPECT_FALSE(s.IsRunning());
}

TEST_F(SplashTest, NoPicturesMeansNoSequence) {
    for (const std::string& settings : {std::string(), std::string("[logos]\nimage = white.png\n")}) {
        SplashManager& s = Make(settings);
        s.Start(true);
        EXPECT_FALSE(s.IsRunning());
        EXPECT_FALSE(Step(kDt));
    }
    splash = std::make_unique<SplashManager>("home:splashscreens/none.ini", b.h.input.get());
    splash->Start(true);
    EXPECT_FALSE(Step(kDt));
}

// Fades as drawn: a white picture stretched over the screen on the fade-in
// colour (blue), then on the fade-out colour (green).
TEST_F(SplashTest, FadesInShowsAndFadesOut) {
    SplashManager& s = Make(Entry("white.png", 0.5f, 0.375f, 0.5f, 0));
    s.Start(true);
    EXPECT_EQ(Clear(), 0xFF0000FFu);
    EXPECT_EQ(s.GetAlpha(), 0.0f);
    struct Want {
        float alpha;
        uint32_t clear;
    };
    // Frames of 0.125 s: four of fade in, three of show, four of fade out.
    const Want want[] = {{0.25f, 0xFF0000FF}, {0.5f, 0xFF0000FF},  {0.75f, 0xFF0000FF}, {1.0f, 0xFF0000FF},
                         {1.0f, 0xFF0000FF},  {1.0f, 0xFF0000FF},  {1.0f, 0xFF0000FF},  {0.75f, 0xFF00FF00},
                         {0.5f, 0xFF00FF00},  {0.25f, 0xFF00FF00}, {0.0f, 0xFF00FF00}};
    for (size_t i = 0; i < std::size(want); ++i) {
        ASSERT_TRUE(Step(kDt)) << i;
        EXPECT_NEAR(s.GetAlpha(), want[i].alpha, 1e-4) << i;
        EXPECT_EQ(Clear(), want[i].clear) << i;
        // Stretched white over the background colour at that alpha.
        const int a = int(want[i].alpha * 255.0f + 0.5f);
        const uint32_t px = b.Pixel(1000, 700);
        const bool out = want[i].clear == 0xFF00FF00u;
        EXPECT_NEAR(Red(px), a, 1) << i;
        EXPECT_NEAR(Green(px), out ? 255 : a, 1) << i;
        EXPECT_NEAR(Blue(px), out ? a : 255, 1) << i;
    }
    EXPECT_FALSE(Step(kDt));
    EXPECT_FALSE(s.IsRunning());
    EXPECT_EQ(Clear(), 0xFF000000u); // opaque black after the sequence
}

TEST_F(SplashTest, CenteredPictureAndNoFadeIn) {
    SplashManager& s = Make(Entry("red.png", 0.0f, 1.0f, 0.0f, 0, true));
    s.Start(true);
    ASSERT_TRUE(Step(kDt));
    EXPECT_EQ(s.GetAlpha(), 1.0f); // no fade in: full alpha at once
    // 16 x 8 in the middle of 1024 x 768: x 504..519, y 380..387.
    EXPECT_EQ(b.Pixel(504, 380), 0xFFFF0000u);
    EXPECT_EQ(b.Pixel(519, 387), 0xFFFF0000u);
    EXPECT_EQ(b.Pixel(503, 380), 0xFF0000FFu);
    EXPECT_EQ(b.Pixel(504, 388), 0xFF0000FFu);
}

TEST_F(SplashTest, PicturesFollowEachOtherAndAMissingOneKeepsTime) {
    LogCapture log;
    SplashManager& s = Make(Entry("white.png", 0.0f, 0.25f, 0.0f, 0) +
                            Entry("gone.png", 0.0f, 0.25f, 0.0f, 0) + Entry("red.png", 0.0f, 0.25f, 0.0f, 0));
    s.Start(true);
    std::vector<int32_t> seen;
    for (int i = 0; i < 12 && Step(kDt); ++i)
        seen.push_back(s.GetCurrentIndex());
    // Two frames of show, then the frame that moves on.
    EXPECT_EQ(seen, (std::vector<int32_t>{0, 0, 1, 1, 1, 2, 2, 2}));
    EXPECT_FALSE(s.IsRunning());
    EXPECT_TRUE(log.contains("gone.png"));
}

TEST_F(SplashTest, MissingPictureDrawsNothing) {
    SplashManager& s = Make(Entry("gone.png", 0.0f, 1.0f, 0.0f, 0));
    s.Start(true);
    ASSERT_TRUE(Step(kDt));
    EXPECT_EQ(b.Pixel(512, 384), 0xFF0000FFu); // only the background
}

TEST_F(SplashTest, SkippingByKeyAndClick) {
    struct Case {
        int skip;
        bool key;
        uint8_t code;
        std::vector<int32_t> after; // the current picture on the frames after the tap
    };
    // Three pictures; the tap comes in the show of picture 0; fades of two frames.
    const Case cases[] = {
        {1, true, 57, {0, 0, 1}},  // Space ends this picture: it fades out, the next follows
        {1, true, 1, {0, 0, 1}},   // Escape
        {1, false, 0, {0, 0, 1}},  // a click
        {2, true, 57, {2, 2, -1}}, // the whole sequence, after this fade out
        {2, false, 0, {2, 2, -1}}, {0, true, 57, {0, 0, 0}}, // cannot be skipped
        {1, true, 28, {0, 0, 0}},                            // Enter is no skip key
    };
    for (const Case& c : cases) {
        std::string settings;
        for (int i = 0; i < 3; ++i)
            settings += Entry("white.png", 0.25f, 5.0f, 0.25f, c.skip);
        SplashManager& s = Make(settings);
        s.Start(true);
        Step(kDt);
        Step(kDt);
        Step(kDt); // showing
        Tap(c.key, c.code);
        EXPECT_EQ(s.GetAlpha(), 1.0f);
        std::vector<int32_t> seen;
        for (int i = 0; i < 3; ++i) {
            Step(kDt);
            seen.push_back(s.GetCurrentIndex());
        }
        EXPECT_EQ(seen, c.after) << "skip " << c.skip << " key " << int(c.code);
        if (c.skip == 2) {
            EXPECT_EQ(Clear(), 0xFF000000u);
        }
    }
}

TEST_F(SplashTest, SkipKeysOutsideTheShowDoNothing) {
    SplashManager& s =
        Make(Entry("white.png", 0.375f, 0.25f, 0.375f, 2) + Entry("white.png", 0.375f, 0.25f, 0.375f, 2));
    s.Start(true);
    Tap(false); // during the fade in
    EXPECT_NEAR(s.GetAlpha(), 1.0f / 3.0f, 1e-4);
    Tap(true);
    EXPECT_NEAR(s.GetAlpha(), 2.0f / 3.0f, 1e-4);
    Step(kDt); // faded in
    Step(kDt);
    Step(kDt); // the show is over
    Tap(true); // during the fade out
    Tap(false);
    EXPECT_EQ(s.GetCurrentIndex(), 0);
    EXPECT_NEAR(s.GetAlpha(), 1.0f / 3.0f, 1e-4);
    Step(kDt);
    Step(kDt);
    EXPECT_EQ(s.GetCurrentIndex(), 1); // the second picture still comes
}

TEST_F(SplashTest, StopAtOnce) {
    SplashManager& s = Make(Entry("white.png", 0.3f, 2.0f, 0.3f, 0));
    s.Start(true);
    Step(kDt);
    s.Start(false);
    EXPECT_FALSE(s.IsRunning());
    EXPECT_EQ(Clear(), 0xFF000000u);
    EXPECT_FALSE(Step(kDt));
}

} // namespace
