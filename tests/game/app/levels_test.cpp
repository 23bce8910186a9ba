#include "app_test_support.h"

#include "game/bonus/bonus_room.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gui/gui_widget.h"

#include <filesystem>

using namespace gametest;

namespace {

class LevelsTest : public GameTest {
protected:
    // A profile "Mara" on the map of a new game at level 1.
    void StartOn(int levels, const std::string& levelExtra = std::string()) {
        data->extraLocale = "lev1.completed = \"Quillby: you found %d clues.\"\n";
        data->WriteShell();
        for (int n = 1; n <= levels; ++n)
            data->WriteLevel(n, 600, 3, 2, {"harbour"}, n == 1 ? levelExtra : std::string());
        roomItems = 4;
        roomClues = 1;
        Begin(false);
        harness->TypeText("Mara");
        harness->Click("btn_ok");
        StartGame();
        harness->Step();
        CloseBox();
        CloseTip();
    }
    // Finds the clue and one more item of the harbour: with "RandomLeft" 2
    // the goal is reached.
    void ReachTheGoal() {
        EnterRoom("harbour");
        ASSERT_EQ(Game().GetMode(), GameApp::MODE_ROOM);
        for (int i = 0; i < 2; ++i) {
            RoomOf("harbour")->FindNext();
            harness->Step();
            if (i == 0) {
                EXPECT_FALSE(Game().IsLevelGoalReached());
                ASSERT_EQ(FrontBox(), "");
            }
        }
    }
};

} // namespace

TEST_F(LevelsTest, TheGoalLeadsToTheBonusRoomWhoseFinishEndsTheLevel) {
    StartOn(2);
    ReachTheGoal();
    EXPECT_TRUE(Game().IsLevelGoalReached());
    EXPECT_TRUE(Game().IsGoalAnnounced());
    EXPECT_EQ(FrontBox(), "msgbox_Quillby");
    EXPECT_EQ(harness->Find("msgbox_Quillby")->FindChild("text")->GetText(), u"Quillby: you found 1 clues.");
    EXPECT_EQ(Game().GetMessageBoxAction(), uint32_t(GameApp::ACTION_GOAL_REACHED));
    EXPECT_FLOAT_EQ(Game().GetTimeAtGoal(), Game().GetTimeLeft());
    harness->Step();
    EXPECT_FALSE(harness->Find("btn_map")->IsEnabled()) << "no way back to the map once the goal is reached";

    // The goal's box leads into the bonus room with its title; the game saves.
    ASSERT_TRUE(CloseBox());
    ASSERT_EQ(Game().GetCurrentRoom(), Game().GetBonusRoom());
    EXPECT_TRUE(Game().GetBonusRoom()->IsShowingTitle());
    EXPECT_EQ(ReadRecord(SavePath(), "app").size(), 40u);
    const float atGoal = Game().GetTimeLeft();
    harness->RunFor(3.5f);
    EXPECT_FALSE(Game().GetBonusRoom()->IsShowingTitle());
    EXPECT_FLOAT_EQ(Game().GetTimeLeft(), atGoal) << "the clock stands in the bonus room";

    // The round has no puzzle yet: its finish button is there at once.
    ASSERT_TRUE(harness->Click("finalize_bonus_round"));
    EXPECT_TRUE(Game().IsLevelCompleted());
    EXPECT_TRUE(harness->Visible("empty")) << "the input is blocked while the level ends";
    EXPECT_FALSE(harness->Visible("finalize_bonus_round"));
    harness->RunFor(2.9f);
    EXPECT_EQ(g_currentSettings.level, 1u);
    // The growing picture: nearly opaque after nearly 3 s.
    const uint32_t centre = harness->Pixel(600, 384);
    EXPECT_GT((centre >> 16) & 0xFF, 0xE0u);
    harness->RunFor(0.5f);

    // The next level: loaded, saved, on the map.
    EXPECT_EQ(g_currentSettings.level, 2u);
    EXPECT_EQ(Game().GetMode(), GameApp::MODE_MAP);
    EXPECT_FALSE(Game().IsLevelCompleted());
    EXPECT_FALSE(harness->Visible("empty"));
    EXPECT_TRUE(harness->Visible("game_map"));
    EXPECT_FLOAT_EQ(Game().GetTimeLeft(), 600.0f);
    EXPECT_EQ(harness->Text("level_num"), u"Chapter 2");
    RecordProbe app("app");
    app.bytes = ReadRecord(SavePath(), "app");
    EXPECT_EQ(app.U32(0), 2u);
}

TEST_F(LevelsTest, AfterTheLastLevelTheSaveIsGoneAndTheCreditsRoll) {
    StartOn(1);
    ReachTheGoal();
    CloseBox();
    ASSERT_TRUE(std::filesystem::exists(SavePath()));
    ASSERT_TRUE(harness->Click("finalize_bonus_round"));
    harness->RunFor(4.0f);
    EXPECT_FALSE(std::filesystem::exists(SavePath()));
    EXPECT_EQ(Game().GetMode(), GameApp::MODE_TITLE);
    EXPECT_TRUE(Game().IsCreditsShowing());
    EXPECT_TRUE(harness->Visible("credits_back"));
    EXPECT_FALSE(harness->Visible("panel"));
    EXPECT_FALSE(harness->Visible("game_map"));
    EXPECT_EQ(Game().GetSceneName(), "final");
    ASSERT_TRUE(harness->Click("credits_back"));
    EXPECT_FALSE(Game().IsCreditsShowing());
    EXPECT_TRUE(harness->Visible("title_screen"));
}

TEST_F(LevelsTest, TheLevelCountStopsAtTheFirstMissingFile) {
    data->WriteShell();
    data->WriteLevel(2, 600, 3, 2, {"harbour"});
    data->WriteLevel(4, 600, 3, 2, {"harbour"});
    Begin(false);
    EXPECT_EQ(g_levelCount, 2u);
}

TEST_F(LevelsTest, ThePlaylistCyclesWithTheLevels) {
    StartOn(4);
    EXPECT_EQ(Game().GetMusicPlayer().getCurrentTrack(), "fog_and_brass.ogg");
    g_currentSettings.level = 3;
    Game().LoadLevel(true, false, std::string());
    EXPECT_EQ(Game().GetMusicPlayer().getCurrentTrack(), "the_point.ogg");
    g_currentSettings.level = 4;
    Game().LoadLevel(true, false, std::string());
    EXPECT_EQ(Game().GetMusicPlayer().getCurrentTrack(), "fog_and_brass.ogg");
}

TEST_F(LevelsTest, AnEmptyPlaylistPlaysNoMusic) {
    data->WriteShell();
    data->Text("music/playlist.txt", "");
    Begin(false);
    harness->TypeText("Mara");
    harness->Click("btn_ok");
    harness->Step();
    EXPECT_EQ(Game().GetMusicPlayer().getCurrentTrack(), "menu_theme.ogg");
    StartGame();
    EXPECT_EQ(Game().GetMusicPlayer().getCurrentTrack(), "");
    harness->RunFor(1.0f);
    EXPECT_EQ(Game().GetMode(), GameApp::MODE_MAP);
}

TEST_F(LevelsTest, ALevelNamingARoomThatDoesNotExistSkipsIt) {
    StartOn(1, "[Room.lighthouse]\n");
    EXPECT_TRUE(
        harness->Log().has("GameApp::LoadLevel - room 'lighthouse' of level 1 does not exist, skipped"));
    EXPECT_TRUE(Game().FindRoom("harbour")->IsResourcesLoaded());
    EXPECT_FALSE(Game().FindRoom("inn")->IsResourcesLoaded());
    EXPECT_EQ(Game().GetItemsTotal(), 4u);
}

namespace {
// What the image manager's progress saw while the next level's pictures loaded.
GameApp* g_watched = nullptr;
int g_loadSteps = 0;
bool g_oldRoomSeen = false;
void WatchLoading(int16_t) {
    ++g_loadSteps;
    if (g_watched->FindRoom("inn")->IsResourcesLoaded())
        g_oldRoomSeen = true;
}
} // namespace

TEST_F(LevelsTest, TheLastLevelsRoomsAreGoneBeforeTheNextLevelsLoad) {
    // The inn comes after the harbour in the rooms' order: it must still be
    // given back first, so that the two levels never take memory together.
    data->WriteShell();
    data->WriteLevel(1, 600, 3, 2, {"inn"});
    data->WriteLevel(2, 600, 3, 2, {"harbour"});
    for (const char* room : {"inn", "harbour"}) {
        const std::string folder = std::string("rooms/") + room + "/images/";
        data->Text(folder + "ImageList.txt", "wall.png 8888 8888\nfloor.png 8888 8888\n");
        data->Picture(folder + "wall.png", content::Picture(8, 8, 0xFF806040u));
        data->Picture(folder + "floor.png", content::Picture(8, 8, 0xFF405060u));
    }
    BeginWithProfile("Mara", false);
    StartGame();
    ASSERT_TRUE(Game().FindRoom("inn")->IsResourcesLoaded());
    ASSERT_FALSE(Game().FindRoom("harbour")->IsResourcesLoaded());
    g_watched = &Game();
    g_loadSteps = 0;
    g_oldRoomSeen = false;
    Game().GetImageManager()->setProgressCallback(&WatchLoading);
    g_currentSettings.level = 2;
    Game().LoadLevel(true, false, std::string());
    Game().GetImageManager()->setProgressCallback(nullptr);
    EXPECT_GT(g_loadSteps, 0);
    EXPECT_FALSE(g_oldRoomSeen);
    EXPECT_TRUE(Game().FindRoom("harbour")->IsResourcesLoaded());
    EXPECT_FALSE(Game().FindRoom("inn")->IsResourcesLoaded());
}
