#include "app_test_support.h"

#include "game/scenes/card_room.h"
#include "game/widgets/room_button.h"
#include "mirel/gui/gui_region.h"
#include "mirel/gui/gui_widget.h"

#include <filesystem>

using namespace gametest;

namespace {

class RoomsTest : public GameTest {
protected:
    uint32_t HarbourVisitsSaved() {
        const Bytes record = ReadRecord(SavePath(), "r:harbour");
        RecordProbe probe("r:harbour");
        probe.bytes = record;
        // The visit count ends the record.
        return record.size() >= 4 ? probe.U32(record.size() - 4) : 0xFFFFFFFFu;
    }
};

} // namespace

TEST_F(RoomsTest, EnteringAndLeavingRoomsSavesAtTheSavePoints) {
    NewGameOnMap();
    EXPECT_FALSE(std::filesystem::exists(SavePath())) << "a new game saves at its first save point";

    // Map -> room: no room was current, nothing is saved.
    EnterRoom("harbour");
    ASSERT_EQ(Game().GetMode(), GameApp::MODE_ROOM);
    EXPECT_EQ(Game().GetCurrentRoom()->GetName(), "harbour");
    EXPECT_EQ(Game().GetCurrentRoom()->GetVisitCount(), 1u);
    EXPECT_EQ(Game().GetReturnRoom(), "harbour");
    EXPECT_FALSE(harness->Visible("game_map"));
    EXPECT_FALSE(std::filesystem::exists(SavePath()));

    // Room -> clue-card room: saved before the room is left.
    ASSERT_TRUE(harness->Click("btn_cardroom"));
    EXPECT_EQ(Game().GetCurrentRoom(), Game().GetCardRoom());
    EXPECT_EQ(HarbourVisitsSaved(), 1u);
    EXPECT_EQ(FrontBox(), "msgbox_text") << "no cards yet";
    EXPECT_EQ(Game().GetReturnRoom(), "harbour") << "the special rooms are not returned to";
    CloseBox();
    EXPECT_TRUE(harness->Visible("btn_cardroom_b"));
    EXPECT_FALSE(harness->Visible("btn_cardroom"));

    // Back: to the room that was current before.
    ASSERT_TRUE(harness->Click("btn_cardroom_b"));
    EXPECT_EQ(Game().GetCurrentRoom()->GetName(), "harbour");
    EXPECT_EQ(Game().GetCurrentRoom()->GetVisitCount(), 2u);

    // Going to the room that is current changes nothing and saves nothing.
    std::filesystem::remove(SavePath());
    Game().GotoRoom("harbour");
    EXPECT_EQ(Game().GetCurrentRoom()->GetVisitCount(), 2u);
    EXPECT_FALSE(std::filesystem::exists(SavePath()));

    // Room -> map: saved, the map shown.
    ASSERT_TRUE(harness->Click("btn_map"));
    EXPECT_EQ(Game().GetMode(), GameApp::MODE_MAP);
    EXPECT_EQ(Game().GetCurrentRoom(), nullptr);
    EXPECT_TRUE(harness->Visible("game_map"));
    EXPECT_EQ(HarbourVisitsSaved(), 2u);

    // The clue-card room entered from the map returns to the map.
    harness->Step();
    EXPECT_EQ(Game().GetReturnRoom(), "");
    CloseTip();
    ASSERT_TRUE(harness->Click("btn_cardroom"));
    CloseBox();
    ASSERT_TRUE(harness->Click("btn_cardroom_b"));
    EXPECT_EQ(Game().GetMode(), GameApp::MODE_MAP);
}

TEST_F(RoomsTest, SwitchingToAMissingOrUnloadedRoomLogsAndChangesNothing) {
    NewGameOnMap();
    EnterRoom("harbour");
    Game().GotoRoom("lighthouse");
    EXPECT_TRUE(harness->Log().has("GotoRoom(lighthouse) failed - room not exist or not loaded!"));
    EXPECT_EQ(Game().GetCurrentRoom()->GetName(), "harbour");
    EXPECT_EQ(Game().FindRoom("lighthouse"), nullptr);
    EXPECT_TRUE(harness->Log().has("GameApp::FindRoom - room 'lighthouse' not found!"));
}

TEST_F(RoomsTest, TheRoomButtonTakesClicksOnItsOutlineOnly) {
    NewGameOnMap();
    GUI::Widget* button = harness->Find("harbour");
    ASSERT_NE(button, nullptr);
    // The fixture's mask leaves the left quarter out.
    harness->ClickAt(button->GetAbsoluteX() + 5, button->GetAbsoluteY() + 40);
    EXPECT_EQ(Game().GetMode(), GameApp::MODE_MAP);
    ClickRoom("harbour");
    EXPECT_EQ(Game().GetMode(), GameApp::MODE_ROOM);
}

TEST_F(RoomsTest, MapButtonsShowCountsAndHiddenRoomsOpenAtTheLevelGoal) {
    data->WriteShell();
    data->WriteLevel(1, 600, 3, 0, {"harbour", "clockshop"},
                     "UnhideScene=chapel_opens\n[Room.inn]\nHidden=1\n");
    roomItems = 1;
    roomClues = 1;
    Begin(false);
    harness->TypeText("Mara");
    harness->Click("btn_ok");
    StartGame();
    EXPECT_TRUE(Game().AreHiddenRoomsPending());
    EXPECT_TRUE(harness->Find("harbour")->IsEnabled());
    EXPECT_FALSE(harness->Find("inn")->IsEnabled());
    EXPECT_TRUE(harness->Visible("harbour_count"));
    EXPECT_EQ(harness->Text("harbour_count"), u"1");
    EXPECT_FALSE(harness->Visible("inn_count"));
    EXPECT_EQ(harness->Text("items_remain"), u"Items left: 2") << "hidden rooms do not count";
    EXPECT_EQ(harness->Text("n_clues"), u"Clues 0 of 2");

    // The greeting's close makes the enabled buttons flash.
    harness->Step();
    CloseBox();
    EXPECT_TRUE(static_cast<RoomButton*>(harness->Find("harbour"))->IsFlashing());
    EXPECT_FALSE(static_cast<RoomButton*>(harness->Find("inn"))->IsFlashing());
    // A click on the hidden room's button goes nowhere.
    EnterRoom("inn");
    EXPECT_EQ(Game().GetMode(), GameApp::MODE_MAP);

    // Find everything in both open rooms; leaving the last one reaches the
    // goal with a room still hidden: it opens, with its message and scene.
    for (const char* name : {"harbour", "clockshop"}) {
        EnterRoom(name);
        ASSERT_EQ(Game().GetMode(), GameApp::MODE_ROOM) << name;
        RoomOf(name)->FindNext();
        harness->Step();
        EXPECT_EQ(FrontBox(), "msgbox_roomclear") << name;
        EXPECT_EQ(Game().GetMessageBoxAction(), uint32_t(GameApp::ACTION_ROOM_COMPLETED));
        EXPECT_TRUE(harness->Find(std::string(name) + "_done")->IsVisible(true));
        EXPECT_FALSE(harness->Find(std::string(name) + "_count")->IsVisible(true));
        CloseBox(); // room completed: back to the map
        ASSERT_EQ(Game().GetMode(), GameApp::MODE_MAP) << name;
    }
    EXPECT_FALSE(Game().AreHiddenRoomsPending());
    EXPECT_TRUE(harness->Find("inn")->IsEnabled());
    EXPECT_TRUE(static_cast<RoomButton*>(harness->Find("inn"))->IsFlashing());
    EXPECT_EQ(harness->Text("inn_count"), u"1");
    EXPECT_EQ(FrontBox(), "msgbox_text");
    EXPECT_EQ(harness->Find("msgbox_text")->FindChild("text")->GetText(), u"New places to visit.");
    EXPECT_EQ(Game().GetSceneName(), "chapel_opens");
}

TEST_F(RoomsTest, DayAndNightButtonsShowTheRoomOfTheLevel) {
    data->rooms.push_back({"hall", 260, 400, 120, 90});
    data->rooms.push_back({"hall_night", 460, 400, 120, 90});
    data->WriteShell();
    data->WriteLevel(1, 600, 3, 2, {"harbour", "clockshop", "inn"});
    Begin(false);
    harness->TypeText("Mara");
    harness->Click("btn_ok");
    StartGame();
    // Neither is part of the level: the day one shows.
    EXPECT_TRUE(harness->Find("hall")->IsVisible(true));
    EXPECT_FALSE(harness->Find("hall_night")->IsVisible(true));
    // Both use the day room's picture and mask.
    auto* night = static_cast<RoomButton*>(harness->Find("hall_night"));
    EXPECT_EQ(RoomButton::MaskPath("hall_night"), "data:images/map/regions/hall.bmp");
    ASSERT_NE(night->GetMask(), nullptr);
    EXPECT_EQ(night->GetMask()->GetWidth(), 120);
    EXPECT_EQ(night->GetWidth(), 120);

    data->WriteLevel(2, 600, 3, 2, {"harbour", "hall_night"});
    g_currentSettings.level = 2;
    Game().LoadLevel(true, false, std::string());
    EXPECT_FALSE(harness->Find("hall")->IsVisible(true));
    EXPECT_TRUE(harness->Find("hall_night")->IsVisible(true));
}
