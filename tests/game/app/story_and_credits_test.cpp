// Story scenes and the credits roll in the running game: the level's start
// scene turned forward and back, skipped and finished with the music coming
// back, a scene without pages, and the credits opened from the title with
// their screens in order, tiles shared between screens, and a fresh start.

#include "app_test_support.h"

#include "game/credits/credits_roll.h"
#include "game/screens/scene_player.h"

#include <filesystem>
#include <functional>

using namespace gametest;

namespace {

const uint32_t kPages[3] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
constexpr uint32_t kCreditsBackground = 0xFF2E4057u;

int R(uint32_t rgb) {
    return int((rgb >> 16) & 0xFF);
}
int G(uint32_t rgb) {
    return int((rgb >> 8) & 0xFF);
}
int B(uint32_t rgb) {
    return int(rgb & 0xFF);
}

const char* const kStoryLayout = R"(widget story_scene
{
 AreaRect 0 0 1024 768
 Visible 0
 staticimage picture
 {
  AreaRect 0 0 1024 700
  FadeInTime 0.25
  FadeOutTime 0.25
 }
 imagebutton prev
 {
  AreaRect 20 720 120 30
  Image button
  ImageRect 0 0 120 120
  Tag -1
 }
 imagebutton next
 {
  AreaRect 160 720 120 30
  Image button
  ImageRect 0 0 120 120
  Tag 1
 }
 imagebutton skip
 {
  AreaRect 740 720 120 30
  Image button
  ImageRect 0 0 120 120
 }
 imagebutton finish
 {
  AreaRect 880 720 120 30
  Image button
  ImageRect 0 0 120 120
 }
}
fontlist
{
 CreditsFont data:fonts/main.fnt
}
)";

class StoryAndCreditsTest : public GameTest {
protected:
    // The shell's data with the story window, three pages of "arrival", the
    // story music and the level's start scene.
    void Write(const std::string& startScene) {
        data->extraLayout = kStoryLayout;
        data->WriteShell();
        std::vector<std::string> names;
        for (const FixtureRoom& room : data->rooms)
            names.push_back(room.name);
        data->WriteLevel(1, 600, 3, 2, names, "StartScene=" + startScene + "\n");
        std::filesystem::create_directories(data->Data("scenes"));
        for (int i = 0; i < 3; ++i) {
            const std::string path = data->Data("scenes/arrival_p" + std::to_string(i + 1) + ".jpg");
            content::saveFile(path, content::writeJpeg(content::Picture(128, 96, kPages[i])));
        }
        data->Tone("music/storyline.ogg", 0.5, 262.0);
    }
    ScenePlayer& Player() { return *Game().GetScenePlayer(); }
    bool StepUntil(const std::function<bool()>& done, int limit = 40) {
        for (int i = 0; i < limit && !done(); ++i)
            harness->Step();
        return done();
    }
    bool Settled() {
        return StepUntil([&] {
            return Player().GetShownPage() == Player().GetTargetPage() && Player().GetPictureAlpha() == 1.0f;
        });
    }
    std::string Buttons() {
        std::string s;
        for (const char* name : {"prev", "next", "skip", "finish"}) {
            if (harness->Visible(name))
                s += std::string(s.empty() ? "" : " ") + name;
        }
        return s;
    }
    // The credits: two screens whose titles share every letter, and their texts.
    void WriteCredits() {
        data->Text("credits.ini",
                   "[Global]\nCenterTitleCoord = 512 120\nCenterTextCoord = 512 380\n"
                   "HeapRect = 200 600 620 120\nLineSpacingAfterSpeciality = 20\nLineSpacing = 6\n"
                   "IntervalMoveLetterFromHeap = 0.05\nIntervalMoveLetterToHeap = 0.05\n"
                   "SpeedMoveLetterFromHeap = 3000\nSpeedMoveLetterToHeap = 3000\n"
                   "TimeReposLetter = 0.4\nPauseTime = 0.5\nLightAlpha = 0 0\n"
                   "LightSpeed = 0.1 0.2\nLightDelay = 0 0\n"
                   "[Screen1]\nTitle = cr.tide\nSpeciality = cr.code\nText = cr.name\n"
                   "[Screen2]\nTitle = cr.edit\nText = cr.name\n");
        data->Text("loc/credits.txt", "cr.tide = \"TIDE\"\ncr.edit = \"EDIT\"\ncr.code = \"Code\"\n"
                                      "cr.name = \"Corvalen\"\n");
        content::Picture tiles(108, 112, 0xFFEFE3C8u);
        data->Picture("images/credits/background.png", content::Picture(16, 12, kCreditsBackground));
        data->Picture("images/credits/light.png", content::Picture(16, 12, 0xFFFFFFFFu));
        data->Picture("images/credits/tiles.png", tiles);
        data->Picture("images/credits/tile_shadow.png", content::Picture(25, 26, 0xFF101010u));
        data->Text("images/credits/ImageList.txt", "background.png 8888 8888\nlight.png 8888 8888\ntiles.png "
                                                   "8888 8888\ntile_shadow.png 8888 8888\n");
    }
    CreditsRoll& Roll() { return *Game().GetCreditsRoll(); }
};

TEST_F(StoryAndCreditsTest, StartSceneTurnedForwardBackAndFinished) {
    Write("arrival");
    BeginWithProfile("Mara", false);
    StartGame();
    ASSERT_TRUE(Game().IsScenePlaying());
    EXPECT_EQ(Game().GetSceneName(), "arrival");
    EXPECT_EQ(Player().GetPageCount(), 3);
    EXPECT_TRUE(harness->Visible("story_scene"));
    EXPECT_EQ(Game().GetMusicPlayer().getCurrentTrack(), "storyline.ogg");
    const std::string previous = Player().GetPreviousMusic();
    EXPECT_FALSE(previous.empty());
    EXPECT_NE(previous, "storyline.ogg");

    ASSERT_TRUE(Settled());
    EXPECT_EQ(Player().GetShownPage(), 0);
    EXPECT_EQ(Buttons(), "next skip");
    EXPECT_GT(R(harness->Pixel(200, 600)), 240);

    ASSERT_TRUE(harness->Click("next"));
    ASSERT_TRUE(Settled());
    EXPECT_EQ(Player().GetShownPage(), 1);
    EXPECT_EQ(Buttons(), "prev next skip");
    EXPECT_GT(G(harness->Pixel(200, 600)), 240);
    EXPECT_LT(R(harness->Pixel(200, 600)), 16);

    ASSERT_TRUE(harness->Click("prev"));
    ASSERT_TRUE(Settled());
    EXPECT_EQ(Player().GetShownPage(), 0);

    ASSERT_TRUE(harness->Click("next"));
    ASSERT_TRUE(Settled());
    ASSERT_TRUE(harness->Click("next"));
    ASSERT_TRUE(Settled());
    EXPECT_EQ(Player().GetShownPage(), 2);
    EXPECT_EQ(Buttons(), "prev finish");
    EXPECT_GT(B(harness->Pixel(200, 600)), 240);

    ASSERT_TRUE(harness->Click("finish"));
    ASSERT_TRUE(StepUntil([&] { return !Game().IsScenePlaying(); }));
    EXPECT_FALSE(harness->Visible("story_scene"));
    EXPECT_EQ(Game().GetMusicPlayer().getCurrentTrack(), previous);
    EXPECT_EQ(Game().GetMode(), GameApp::MODE_MAP);
}

TEST_F(StoryAndCreditsTest, SkippingAScene) {
    Write("arrival");
    BeginWithProfile("Mara", false);
    StartGame();
    ASSERT_TRUE(Game().IsScenePlaying());
    ASSERT_TRUE(Settled());
    ASSERT_TRUE(harness->Click("skip"));
    EXPECT_EQ(Player().GetTargetPage(), -1);
    ASSERT_TRUE(StepUntil([&] { return !Game().IsScenePlaying(); }));
    EXPECT_FALSE(harness->Visible("story_scene"));
    EXPECT_NE(Game().GetMusicPlayer().getCurrentTrack(), "storyline.ogg");
}

TEST_F(StoryAndCreditsTest, ASceneWithoutPagesIsLoggedAndTheGameGoesOn) {
    Write("nowhere");
    BeginWithProfile("Mara", false);
    StartGame();
    EXPECT_EQ(Game().GetSceneName(), "nowhere");
    EXPECT_FALSE(Game().IsScenePlaying());
    EXPECT_TRUE(harness->Log().has("ScenePlayer::PlayScene - scene 'nowhere' has 0 pages!"));
    EXPECT_FALSE(harness->Visible("story_scene"));
    EXPECT_EQ(Game().GetMode(), GameApp::MODE_MAP);
    EXPECT_TRUE(harness->Visible("game_map"));
}

// The credits from the title: screen 1, then screen 2 built from the very
// same tiles (its title is an anagram, its name line the same), then screen
// 1 again; leaving and coming back starts from the first screen.
TEST_F(StoryAndCreditsTest, CreditsRollFromTheTitle) {
    Write("");
    WriteCredits();
    BeginWithProfile("Mara", false);
    ASSERT_TRUE(harness->Click("btn_credits"));
    EXPECT_TRUE(Game().IsCreditsShowing());
    EXPECT_FALSE(harness->Visible("title_screen"));
    EXPECT_TRUE(harness->Visible("credits_back"));
    ASSERT_EQ(Roll().GetScreens().size(), 2u);
    EXPECT_EQ(Roll().GetScreens()[0].specialities, std::vector<std::u16string>{u"Code"});

    std::vector<size_t> order;
    size_t heapDuringSecond = 0;
    bool wasPaused = false;
    for (int i = 0; i < 2000 && order.size() < 3; ++i) {
        harness->Step();
        const bool paused = Roll().GetRollState() == CreditsRoll::PAUSE;
        if (paused && !wasPaused)
            order.push_back(Roll().GetScreenIndex());
        if (order.size() == 1 && !paused)
            heapDuringSecond = std::max(heapDuringSecond, Roll().GetHeap().CountOf(u'T'));
        wasPaused = paused;
    }
    EXPECT_EQ(order, (std::vector<size_t>{0, 1, 0}));
    EXPECT_EQ(heapDuringSecond, 0u); // the T went straight from TIDE into EDIT

    // As drawn: the background, a tile of the title with its black letter.
    EXPECT_EQ(harness->Pixel(60, 560), kCreditsBackground & 0xFFFFFFu);
    const CLetter& first = Roll().GetLines()[0]->GetSlots().front().letter;
    int32_t x, y;
    first.GetDestination(x, y);
    EXPECT_EQ(harness->Pixel(x + 3, y + 24), 0xEFE3C8u);

    ASSERT_TRUE(harness->Click("credits_back"));
    EXPECT_FALSE(Game().IsCreditsShowing());
    EXPECT_TRUE(harness->Visible("title_screen"));
    harness->Steps(10);
    ASSERT_TRUE(harness->Click("btn_credits"));
    EXPECT_EQ(Roll().GetScreenIndex(), 0u);
    EXPECT_EQ(Roll().GetRollState(), CreditsRoll::BUILD);
    EXPECT_TRUE(Roll().GetPreviousLines().empty());
}

} // namespace
