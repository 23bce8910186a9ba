#include "app_test_support.h"

#include "game/loading_progress.h"
#include "mirel/gui/gui_widget.h"

#include <filesystem>

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
