#include "app_test_support.h"

#include "game/screens/loading_progress.h"
#include "mirel/gui/gui_widget.h"

#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/platform/window/a_platform_input.h"
#include "mirel/platform/window/headless/a_headless_window.h"

#include <filesystem>
#include <functional>

using namespace gametest;

TEST_F(GameTest, FirstRunCreatesAProfileThenTheTitleAndANewGameReachTheMap) {
    Begin();
    EXPECT_TRUE(Game().IsResourcesLoaded());
    // No profile yet: the first-run dialog, and no title screen behind it.
    EXPECT_TRUE(harness->Visible("create_new_profile"));
    EXPECT_FALSE(harness->Visible("title_screen"));

    harness->TypeText("Mara");
    ASSERT_TRUE(harness->Click("btn_ok"));
    harness->Step();
    EXPECT_FALSE(harness->Visible("create_new_profile"));
    EXPECT_TRUE(harness->Visible("title_screen"));
    EXPECT_EQ(harness->Text("user_name"), u"Mara");
    EXPECT_EQ(g_currentSettings.name, "Mara");

    StartGame();
    EXPECT_EQ(Game().GetMode(), GameApp::MODE_MAP);
    EXPECT_FALSE(harness->Visible("title_screen"));
    EXPECT_TRUE(harness->Visible("panel"));
    EXPECT_TRUE(harness->Visible("game_map"));
    EXPECT_TRUE(harness->Visible("info_map"));
    EXPECT_EQ(g_currentSettings.level, 1u);
    EXPECT_EQ(harness->Text("level_num"), u"Chapter 1");
    EXPECT_EQ(harness->Text("Orlevant_comment"), u"A letter from Quillby");
    // The first map frame greets the player by name.
    harness->Step();
    ASSERT_EQ(FrontBox(), "msgbox_text");
    EXPECT_EQ(Game().GetMessageBoxAction(), uint32_t(GameApp::ACTION_FIRST_MAP_VISIT));
    EXPECT_EQ(harness->Find("msgbox_text")->FindChild("text")->GetText(), u"Welcome to Tarrowdene, Mara!");
}

TEST_F(GameTest, ANameTypedWithinOneFrameKeepsTheOrderOfItsLetters) {
    Begin();
    ASSERT_TRUE(harness->Visible("create_new_profile"));
    harness->TypeTextInOneFrame("Orla Quill");
    ASSERT_TRUE(harness->Click("btn_ok"));
    harness->Step();
    EXPECT_TRUE(harness->Visible("title_screen"));
    EXPECT_EQ(harness->Text("user_name"), u"Orla Quill");
    EXPECT_EQ(g_currentSettings.name, "Orla Quill");
}

TEST_F(GameTest, AltEnterInTheNameDialogSwitchesTheDisplayAndKeepsTheName) {
    Begin();
    ASSERT_TRUE(harness->Visible("create_new_profile"));
    aGraphServer* graph = Game().getGraphServer();
    const bool fullscreen = graph->isFullscreen();
    harness->TypeText("Mara");
    // Alt+Enter, and Alt+Enter with Alt let go in the frame Enter goes down.
    for (bool altUpWithEnter : {false, true}) {
        harness->KeyDown(A_KEY_LMENU);
        harness->Step();
        harness->KeyDown(A_KEY_RETURN);
        if (altUpWithEnter)
            harness->KeyUp(A_KEY_LMENU);
        harness->Steps(3);
        harness->KeyUp(A_KEY_RETURN);
        harness->KeyUp(A_KEY_LMENU);
        harness->Steps(2);
        EXPECT_EQ(graph->isFullscreen(), altUpWithEnter == fullscreen) << altUpWithEnter;
        EXPECT_TRUE(harness->Visible("create_new_profile")) << altUpWithEnter;
        EXPECT_EQ(harness->Find("create_new_profile")->FindChild("name", true)->GetText(), u"Mara");
    }
    // Enter alone takes the name.
    harness->TapKey(A_KEY_RETURN);
    harness->Step();
    EXPECT_FALSE(harness->Visible("create_new_profile"));
    EXPECT_EQ(g_currentSettings.name, "Mara");
}

namespace {

// A damaged or missing data file: the game logs it and runs on.
struct DataFault {
    const char* what;
    std::function<void(FixtureTree&)> damage;
    const char* line; // part of the log line that names the fault
};

} // namespace

TEST_F(GameTest, AMissingOrDamagedDataFileIsLoggedAndTheGameRunsOn) {
    const std::string junk = std::string("\x01\xff{{{\x00\x7f}}}", 10) + std::string(300, '\xee');
    const DataFault faults[] = {
        {"no GUI script", [](FixtureTree& d) { std::filesystem::remove(d.Data("gui/main.agui")); },
         "Error open file: data:gui/main.agui"},
        {"a damaged GUI script",
         [&](FixtureTree& d) { d.Text("gui/main.agui", d.layout.substr(0, 900) + junk); },
         "GameApp::InitGui - widget 'panel' not found"},
        {"no level file", [](FixtureTree& d) { std::filesystem::remove(d.Data("levels/01.ini")); },
         "levels/01.ini"},
        {"a damaged level file", [&](FixtureTree& d) { d.Text("levels/01.ini", junk); }, "levels/01.ini"},
        {"no locale file", [](FixtureTree& d) { std::filesystem::remove(d.Data("loc/main.txt")); },
         "Error open file: data:loc/main.txt"},
        {"a damaged locale file", [&](FixtureTree& d) { d.Text("loc/main.txt", "time_paused \"x\n" + junk); },
         "aLocaleServer. Error in file data:loc/main.txt"},
        {"a missing picture", [](FixtureTree& d) { std::filesystem::remove(d.Data("images/pause.png")); },
         "images/pause.png\" load failed"},
        {"a damaged picture", [&](FixtureTree& d) { d.Text("images/box_bg.png", junk); },
         "images/box_bg.png\" load failed"},
    };
    for (const DataFault& fault : faults) {
        SCOPED_TRACE(fault.what);
        harness.reset();
        std::filesystem::remove_all(root);
        data = std::make_unique<FixtureTree>(root + "game/");
        data->WriteShell();
        fault.damage(*data);
        Begin(false);
        // Play on: a profile (when the dialog is there), a game, a room, a pause.
        harness->TypeText("Mara");
        harness->Click("btn_ok");
        harness->Click("btn_start");
        harness->RunFor(0.5f);
        Game().LoadGame();
        harness->Step();
        harness->ClickAt(350, 150); // where the harbour's button is
        harness->Click("clock");
        harness->RunFor(1.0f);
        harness->TapKey(A_KEY_SPACE);
        EXPECT_TRUE(harness->Log().contains(fault.line)) << fault.line;
        EXPECT_FALSE(Game().IsClosed());
        EXPECT_GT(harness->PresentCount(), 10u);
        harness->Stop();
    }
}

TEST_F(GameTest, WithoutTheSettingsFileTheLanguageAndSurveyAreEmpty) {
    data->WriteShell();
    std::filesystem::remove(data->home + "Tarrowdene.ini");
    Begin(false);
    EXPECT_TRUE(harness->Log().contains("Tarrowdene.ini"));
    EXPECT_EQ(g_languageCode, "");
    EXPECT_EQ(Game().GetSurveyUrl(), "");
    EXPECT_EQ(Game().getCrashMessage(), "");
    EXPECT_TRUE(harness->Visible("create_new_profile"));
}

TEST_F(GameTest, TheLoadingBarDrawsAtTheEndsAndAtMostEveryTenthOfASecond) {
    BeginWithProfile();
    aImageManager* images = Game().GetImageManager();
    InitLoadingProgress(Game().getGraphServer(), images->getImage("load_image"),
                        images->getImage("load_progress"), kLoadingBarX, kLoadingBarY);
    const uint32_t presents = harness->PresentCount();

    // A total of 0 shows the upper half at full width.
    SetLoadingTotal(0);
    StepLoadingProgress(-1);
    EXPECT_EQ(GetLoadingDrawCount(), 1u);
    EXPECT_EQ(GetLoadingBarWidth(), 100);
    EXPECT_EQ(GetLoadingDone(), 0u) << "-1 draws without counting";
    EXPECT_EQ(harness->PresentCount(), presents + 1);
    // The loading picture fills the screen; the bar sits at (355, 597) from its corner.
    const int32_t left = 0, top = 0;
    EXPECT_EQ(harness->Pixel(left + 1, top + 1), kLoadColour & 0xFFFFFFu);
    EXPECT_EQ(harness->Pixel(left + kLoadingBarX + 50, top + kLoadingBarY + 5), kBarColour & 0xFFFFFFu);

    // Four steps: drawn at 0 and at the end, and between only 0.1 s apart.
    SetLoadingTotal(4);
    StepLoadingProgress(-1);
    EXPECT_EQ(GetLoadingDrawCount(), 2u);
    EXPECT_EQ(GetLoadingBarWidth(), 0);
    StepLoadingProgress(0);
    EXPECT_EQ(GetLoadingDrawCount(), 2u) << "too soon";
    harness->Clock().advance(0.1);
    StepLoadingProgress(0);
    EXPECT_EQ(GetLoadingDrawCount(), 3u);
    EXPECT_EQ(GetLoadingBarWidth(), 50);
    StepLoadingProgress(0);
    EXPECT_EQ(GetLoadingDrawCount(), 3u);
    StepLoadingProgress(0);
    EXPECT_EQ(GetLoadingDrawCount(), 4u) << "the last step draws";
    EXPECT_EQ(GetLoadingBarWidth(), 100);
    harness->Clock().advance(1.0);
    StepLoadingProgress(0);
    EXPECT_EQ(GetLoadingDrawCount(), 4u) << "past the total nothing is drawn";
}

TEST_F(GameTest, FullScreenCanBeLeftOnlyForADesktopThatHoldsTheScreen) {
    BeginWithProfile();
    ASSERT_TRUE(Game().getGraphServer()->isFullscreen());
    EXPECT_TRUE(Game().allowFullscreenToggle());
    harness->Window()->setWorkArea(aPlatformRect{0, 0, 1280, 720});
    harness->Deactivate(); // coming back reads the desktop again
    harness->Step();
    EXPECT_FALSE(Game().allowFullscreenToggle());
    ASSERT_TRUE(harness->Click("btn_options"));
    EXPECT_FALSE(harness->Find("fullscreen")->IsEnabled());
    // In a window the toggle is always allowed.
    Game().getGraphServer()->setFullscreen(false);
    EXPECT_TRUE(Game().allowFullscreenToggle());
}
