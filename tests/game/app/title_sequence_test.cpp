// The game's opening as the player sees it: the splash sequence before the
// resources load (fades, skipping by key and click), then the title's intro
// (the eight masks over the screen, the logo and its lettering) and its
// replay when the player comes back from a level.

#include "app_test_support.h"

#include "game/screens/splash_manager.h"
#include "game/screens/title_screen.h"
#include "mirel/platform/window/a_platform_input.h"

#include <filesystem>
#include <functional>

using namespace gametest;

namespace {

constexpr uint32_t kBand = 0xFFFF2020u;
constexpr uint32_t kBody = 0xFF20FF20u;

uint32_t MaskColour(int i) {
    return 0xFF000000u | uint32_t(30 * (i + 1)) << 16 | 0x40u << 8 | uint32_t(250 - 30 * i);
}

int R(uint32_t rgb) {
    return int((rgb >> 16) & 0xFF);
}
int G(uint32_t rgb) {
    return int((rgb >> 8) & 0xFF);
}
int B(uint32_t rgb) {
    return int(rgb & 0xFF);
}

class TitleSequenceTest : public GameTest {
protected:
    void SplashPicture(const std::string& name, const content::Picture& picture) {
        const std::string path = data->home + "splashscreens/" + name;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        content::saveFile(path, content::writePng(picture));
    }
    // The title group: masks, and a logo of a red band over a green body.
    void TitlePictures() {
        std::string list;
        for (int i = 0; i < 8; ++i) {
            const std::string name = "mask_" + std::to_string(i + 1);
            data->Picture("images/title/" + name + ".png", content::Picture(16, 12, MaskColour(i)));
            list += name + ".png 8888 8888\n";
        }
        content::Picture logo(556, 169, kBand);
        for (uint32_t y = 85; y < 169; ++y)
            for (uint32_t x = 0; x < 556; ++x)
                logo.at(x, y) = kBody;
        data->Picture("images/title/logo.png", logo);
        list += "logo.png 8888 8888\n";
        data->Text("images/title/ImageList.txt", list);
    }
    float TitleTime() { return Game().GetTitleScreen()->GetTime(); }
    // Frames (at most `limit`) until the condition holds.
    bool StepUntil(const std::function<bool()>& done, int limit = 10) {
        for (int i = 0; i < limit && !done(); ++i)
            harness->Step();
        return done();
    }
    // Frames until the title's clock reaches t.
    void StepTo(float t) {
        for (int i = 0; i < 400 && TitleTime() < t; ++i)
            harness->Step();
    }
};

TEST_F(TitleSequenceTest, SplashFadesShowsAndSkipsBeforeTheGameLoads) {
    data->WriteShell();
    SplashPicture("white.png", content::Picture(32, 24, 0xFFFFFFFFu));
    SplashPicture("red.png", content::Picture(32, 24, 0xFFFF0000u));
    data->Text("home:splashscreens/settings.ini",
               "[splash]\nimage = white.png\ncentered = 0\nfadeincolor = ff0000ff\nfadeoutcolor = ff00ff00\n"
               "fadeintime = 0.2\nshowtime = 5\nfadeouttime = 0.2\nskip = 1\n"
               "[splash]\nimage = red.png\ncentered = 1\nfadeincolor = ff000000\nfadeoutcolor = ff000000\n"
               "fadeintime = 0\nshowtime = 5\nfadeouttime = 0.1\nskip = 2\n"
               "[splash]\nimage = white.png\ncentered = 0\nfadeincolor = ff000000\nfadeoutcolor = ff000000\n"
               "fadeintime = 0\nshowtime = 5\nfadeouttime = 0\nskip = 0\n");
    harness = std::make_unique<GameHarness>(data->home, root + "user/");
    ASSERT_TRUE(harness->Start());
    harness->Step(); // a quarter of the fade in, white over blue
    EXPECT_FALSE(Game().IsResourcesLoaded());
    uint32_t px = harness->Pixel(500, 400);
    EXPECT_NEAR(R(px), 64, 2);
    EXPECT_EQ(B(px), 255);
    harness->Step(); // half
    px = harness->Pixel(10, 10);
    EXPECT_NEAR(R(px), 128, 2);
    EXPECT_NEAR(G(px), 128, 2);
    harness->Steps(3);
    EXPECT_EQ(harness->Pixel(1000, 700), 0xFFFFFFu);

    // Space ends the first picture: it fades out over green, the second follows.
    harness->TapKey(A_KEY_SPACE);
    EXPECT_EQ(Game().GetSplashManager()->GetCurrentIndex(), 0);
    px = harness->Pixel(500, 400);
    EXPECT_EQ(G(px), 255);
    EXPECT_LT(R(px), 255);
    EXPECT_TRUE(StepUntil([&] { return Game().GetSplashManager()->GetCurrentIndex() == 1; }, 4));
    harness->Step();                                // entered with alpha 0; no fade in: shown whole
    EXPECT_EQ(harness->Pixel(512, 384), 0xFF0000u); // centred red
    EXPECT_EQ(harness->Pixel(100, 100), 0x000000u);

    // A click during the second ends the sequence after its fade out: the
    // third picture never shows, and the game loads.
    harness->ClickAt(300, 300);
    EXPECT_EQ(Game().GetSplashManager()->GetCurrentIndex(), 2); // at the last, fading out
    EXPECT_NEAR(R(harness->Pixel(512, 384)), 128, 2);
    EXPECT_TRUE(StepUntil([&] { return !Game().GetSplashManager()->IsRunning(); }, 3));
    EXPECT_TRUE(Game().IsResourcesLoaded());
    EXPECT_EQ(Game().getGraphServer()->getClearColor(), 0xFF000000u);
}

TEST_F(TitleSequenceTest, NoSplashSectionsStartTheGameAtOnce) {
    data->WriteShell();
    data->Text("home:splashscreens/settings.ini", "[logo]\nimage = none.png\n");
    Begin(false, false);
    EXPECT_TRUE(Game().IsResourcesLoaded());
    EXPECT_FALSE(Game().GetSplashManager()->IsRunning());
}

// The intro over the first-run dialog: the GUI waits while the masks go one
// by one and the logo grows in; then the dialog shows. The lettering comes
// whole at t = 1 when the signature file is missing.
TEST_F(TitleSequenceTest, IntroMasksLogoAndLettering) {
    data->WriteShell();
    TitlePictures();
    Begin(false, false);
    ASSERT_NE(Game().GetTitleScreen(), nullptr);
    EXPECT_TRUE(Game().IsTitleIntroPending());
    // The first frame moved the clock one frame: mask_8 is fading over mask_7.
    const float k = -TitleTime() / 0.09375f;
    ASSERT_GT(k, 7.0f);
    const float a = k - 7.0f;
    uint32_t px = harness->Pixel(600, 600);
    EXPECT_NEAR(R(px), a * R(MaskColour(7)) + (1 - a) * R(MaskColour(6)), 3);
    EXPECT_NEAR(B(px), a * B(MaskColour(7)) + (1 - a) * B(MaskColour(6)), 3);

    StepTo(-0.3f); // three or four masks left
    px = harness->Pixel(600, 600);
    EXPECT_LE(R(px), R(MaskColour(3)) + 2);
    EXPECT_GE(R(px), R(MaskColour(1)) - 2);

    StepTo(0.5f); // no masks; the logo's body at alpha t / 4, no lettering yet
    EXPECT_EQ(harness->Pixel(600, 600), 0x000000u);
    EXPECT_EQ(harness->Pixel(300, 60), 0x000000u);
    EXPECT_NEAR(G(harness->Pixel(300, 150)), 0.25f * TitleTime() * 255.0f, 4);
    EXPECT_TRUE(Game().IsTitleIntroPending());

    StepTo(1.01f);
    EXPECT_EQ(harness->Pixel(300, 60), kBand & 0xFFFFFFu); // the whole band at once
    EXPECT_EQ(harness->Pixel(36, 26), kBand & 0xFFFFFFu);

    StepTo(4.0f);
    harness->Step();
    EXPECT_TRUE(Game().GetTitleScreen()->IsIntroDone());
    EXPECT_FALSE(Game().IsTitleIntroPending());
    harness->Step();
    EXPECT_EQ(harness->Pixel(512, 350), kBoxColour & 0xFFFFFFu); // the dialog is drawn now
}

TEST_F(TitleSequenceTest, AClickEndsTheWaitForTheIntro) {
    data->WriteShell();
    TitlePictures();
    data->Text("signature.txt", "\n"); // empty: no strokes
    Begin(false, false);
    EXPECT_TRUE(Game().GetTitleScreen()->GetSignature().empty());
    harness->ClickAt(20, 20);
    EXPECT_FALSE(Game().IsTitleIntroPending());
    EXPECT_FALSE(Game().GetTitleScreen()->IsIntroDone());
}

TEST_F(TitleSequenceTest, SignatureStrokesInTheGame) {
    data->WriteShell();
    TitlePictures();
    data->Text("signature.txt", "0 0 50 85\n100 0 50 85\n200 0 50 85\n300 0 50 85\n");
    Begin(false, false);
    ASSERT_EQ(Game().GetTitleScreen()->GetSignature().size(), 4u);
    StepTo(2.0f); // trunc(4 x (t - 1) / 3) = 1 stroke
    EXPECT_EQ(harness->Pixel(35 + 25, 60), kBand & 0xFFFFFFu);
    EXPECT_EQ(harness->Pixel(35 + 125, 60), 0x000000u);
    StepTo(3.3f); // 3 strokes
    EXPECT_EQ(harness->Pixel(35 + 225, 60), kBand & 0xFFFFFFu);
    EXPECT_EQ(harness->Pixel(35 + 325, 60), 0x000000u);
    EXPECT_EQ(harness->Pixel(35 + 75, 60), 0x000000u); // between strokes
}

// Leaving a level for the title replays the intro: the masks cover the
// screen again, over the GUI.
TEST_F(TitleSequenceTest, BackFromALevelRestartsTheIntro) {
    data->WriteShell();
    TitlePictures();
    BeginWithProfile("Mara", false);
    StartGame();
    ASSERT_EQ(Game().GetMode(), GameApp::MODE_MAP);
    EXPECT_GE(TitleTime(), 4.0f);
    // Past the greeting and the first tip, into the in-game menu and out.
    for (int i = 0; i < 5 && (CloseBox() || harness->Visible("game_tip")); ++i)
        harness->ClickAt(600, 700);
    ASSERT_TRUE(harness->Click("btn_menu"));
    ASSERT_TRUE(harness->Click("exit"));
    ASSERT_TRUE(harness->Click("btn_yes"));
    EXPECT_EQ(Game().GetMode(), GameApp::MODE_TITLE);
    EXPECT_LT(TitleTime(), -0.5f);
    const uint32_t px = harness->Pixel(512, 300);
    EXPECT_NEAR(B(px), B(MaskColour(7)), 40); // mask_8 (or mask_7 under it), not the title's backdrop
    EXPECT_NE(px, kTitleColour & 0xFFFFFFu);
    harness->RunFor(0.8f);
    EXPECT_EQ(harness->Pixel(700, 700), kTitleColour & 0xFFFFFFu); // the masks are gone
}

} // namespace
