#include "app_test_support.h"

#include "mirel/gui/gui_widget.h"
#include "mirel/platform/window/headless/a_headless_window.h"

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

using namespace gametest;

namespace {

class SavesTest : public GameTest {
protected:
    // A second game over the same folders, after the first one is gone.
    void Restart() {
        harness.reset();
        Begin(false);
    }
};

// The "app" record as the game writes it, with the level number and the time left.
Bytes AppRecord(uint32_t level, float timeLeft) {
    SaveFileBuilder b;
    b.U32(level).U32(0).U8(0).Str("").U8(0).U8(0).F32(0.0f).U32(3).F32(timeLeft).F32(0.0f);
    b.U32(0).U32(0); // play time (f64)
    b.U8(0).U8(0).U8(0).U8(1);
    return b.bytes;
}

} // namespace

TEST_F(SavesTest, ShutdownSavesTheRunningLevelAndTheNextStartContinuesIt) {
    NewGameOnMap();
    EnterRoom("harbour");
    RoomOf("harbour")->FindNext();
    harness->Step();
    harness->RunFor(2.0f);
    const float timeLeft = Game().GetTimeLeft();
    harness->Stop();

    RecordProbe app("app");
    app.bytes = ReadRecord(SavePath(), "app");
    ASSERT_EQ(app.bytes.size(), 40u);
    EXPECT_EQ(app.U32(0), 1u);
    RecordProbe room("r:harbour");
    room.bytes = ReadRecord(SavePath(), "r:harbour");
    ASSERT_GT(room.bytes.size(), 20u) << "the counters, the list and the visit count";
    EXPECT_EQ(room.U32(8), 4u);  // items total
    EXPECT_EQ(room.U32(12), 1u); // items found
    EXPECT_FALSE(ReadRecord(SavePath(), "<tip_manager>").empty());

    Restart();
    EXPECT_FALSE(harness->Visible("create_new_profile")) << "the profile was kept";
    EXPECT_TRUE(harness->Visible("title_screen"));
    EXPECT_EQ(harness->Text("user_name"), u"Mara");
    StartGame();
    EXPECT_EQ(Game().GetMode(), GameApp::MODE_MAP);
    EXPECT_FLOAT_EQ(Game().GetTimeLeft(), timeLeft);
    EXPECT_EQ(Game().GetItemsFound(), 1u);
    EXPECT_EQ(harness->Text("harbour_count"), u"3");
    EXPECT_TRUE(Game().IsMapHintShown()) << "the greeting is not shown twice";
}

TEST_F(SavesTest, SaveAndExitFromTheMenuThenContinueFromTheSave) {
    NewGameOnMap();
    EnterRoom("harbour");
    harness->RunFor(1.0f);
    ASSERT_TRUE(harness->Click("btn_menu"));
    EXPECT_TRUE(Game().IsMenuOpen());
    const float frozen = Game().GetTimeLeft();
    harness->RunFor(1.0f);
    EXPECT_FLOAT_EQ(Game().GetTimeLeft(), frozen) << "the level stands while the menu is open";
    ASSERT_TRUE(harness->Click("exit"));
    ASSERT_TRUE(harness->Visible("confirm_save_exit"));
    // "No" keeps playing.
    ASSERT_TRUE(harness->Click("btn_no"));
    EXPECT_FALSE(harness->Visible("confirm_save_exit"));
    EXPECT_EQ(Game().GetMode(), GameApp::MODE_ROOM);
    ASSERT_TRUE(harness->Click("exit"));
    ASSERT_TRUE(harness->Click("btn_yes"));
    EXPECT_EQ(Game().GetMode(), GameApp::MODE_TITLE);
    EXPECT_FALSE(Game().IsMenuOpen());
    EXPECT_TRUE(harness->Visible("title_screen"));
    EXPECT_FALSE(harness->Visible("panel"));
    EXPECT_FALSE(harness->Visible("ingame_menu"));
    EXPECT_EQ(Game().GetCurrentRoom(), nullptr);
    ASSERT_TRUE(std::filesystem::exists(SavePath()));

    StartGame();
    EXPECT_EQ(Game().GetMode(), GameApp::MODE_MAP);
    // The clock sees the map's stop within two frames.
    EXPECT_NEAR(Game().GetTimeLeft(), frozen, GameHarness::kFrame + 1e-3f);
    EXPECT_EQ(Game().FindRoom("harbour")->GetVisitCount(), 1u);
}

TEST_F(SavesTest, ABadSaveStartsANewGameAtLevelOne) {
    struct Case {
        const char* what;
        Bytes app;
    };
    const Bytes full = AppRecord(1, 100.0f);
    const Bytes shortRecord(full.begin(), full.begin() + 12);
    const Case cases[] = {
        {"level 0", AppRecord(0, 100.0f)},
        {"a level the game lacks", AppRecord(2, 100.0f)},
        {"a cut-short record", shortRecord},
        {"no app record", Bytes()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        harness.reset();
        std::filesystem::remove_all(root + "user/");
        BeginWithProfile();
        SaveFileBuilder file;
        if (c.app.empty())
            file.Header(kSaveFormatVersion, 1).Record("r:harbour", Bytes(20, 0));
        else
            file.Header(kSaveFormatVersion, 1).Record("app", c.app);
        const Bytes bad = file.Finish();
        WriteBytes(SavePath(), bad);
        harness->Log().clear();
        StartGame();
        EXPECT_TRUE(harness->Log().has("SaveLoadSystem: file \"" + Game().GetSavePath() + "\" load failed!"));
        EXPECT_EQ(g_currentSettings.level, 1u);
        EXPECT_FLOAT_EQ(Game().GetTimeLeft(), 600.0f);
        EXPECT_EQ(Game().GetMode(), GameApp::MODE_MAP);
        // The refused save is kept beside the new game's, never written over.
        EXPECT_TRUE(harness->Log().has("GameApp::LoadGame - the saved game '" + Game().GetSavePath() +
                                       "' kept as '" + SavePath() + ".refused'"));
        EXPECT_EQ(ReadBytes(SavePath() + ".refused"), bad);
    }
    // A good one loads.
    harness.reset();
    std::filesystem::remove_all(root + "user/");
    BeginWithProfile();
    WriteBytes(SavePath(),
               SaveFileBuilder().Header(kSaveFormatVersion, 1).Record("app", AppRecord(1, 100.0f)).Finish());
    StartGame();
    EXPECT_FLOAT_EQ(Game().GetTimeLeft(), 100.0f);
}

// Run by the next test in a process of its own: a second copy of the game
// over the same folders, which must end at once.
TEST(SecondCopy, Helper) {
    const char* home = std::getenv("GAME_SECOND_COPY_HOME");
    if (!home)
        GTEST_SKIP() << "runs as the second copy of SavesTest.ASecondCopy...";
    SteppedGame second(home);
    const int result = second.init(kProduct, nullptr, "", kCompany);
    _exit(result != 0 && second.getPlatformWindow() == nullptr ? 0 : 1);
}

TEST_F(SavesTest, ASecondCopyEndsWithoutAWindowAndLeavesTheFirstOnesLogAlone) {
    BeginWithProfile();
    const std::string logPath = harness->UserDir() + "mirel.log";
    const Bytes before = ReadBytes(logPath);
    ASSERT_FALSE(before.empty());
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("GAME_SECOND_COPY_HOME", data->home.c_str(), 1);
        execl("/proc/self/exe", "game_app_tests", "--gtest_filter=SecondCopy.Helper",
              static_cast<char*>(nullptr));
        _exit(2);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadBytes(logPath), before);
    harness->Step();
    EXPECT_TRUE(harness->Visible("title_screen")) << "the first copy runs on";
}
