#pragma once
// The whole game over the shell's fixture data with the test room "harbour"
// of scene_fixture.h as the first level's only room: a new game is started,
// the room entered by its map button, and the test plays it with the mouse.

#include "game/game_test_support.h"
#include "game/scenes/scene_fixture.h"
#include "game/support/fixture_tree.h"
#include "game/support/game_harness.h"

#include "game/scenes/cross_button.h"
#include "game/scenes/objects/spy_object.h"
#include "game/scenes/spy_room.h"
#include "game/screens/title_screen.h"
#include "game/shell/game_app.h"
#include "game/tip_manager.h"
#include "mirel/gui/gui_staticimage.h"
#include "mirel/gui/gui_widget.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace scenetest {

class RoomPlay : public ::testing::Test {
protected:
    void SetUp() override {
        root = gametest::Scratch();
        data = std::make_unique<gametest::FixtureTree>(root + "game/");
    }
    void TearDown() override { harness.reset(); }

    // The data, a started game and a new game's map with its greeting closed.
    void Begin(const std::string& levelExtra = std::string(), int hints = 3) {
        data->extraLocale = TestRoomTexts();
        data->WriteShell();
        // The item list lives in the panel.
        const std::string panel = "staticimage panel\n{\n";
        const size_t at = data->layout.find(panel);
        ASSERT_NE(at, std::string::npos);
        data->layout.insert(at + panel.size(), ItemListLayout());
        data->Text("gui/main.agui", data->layout);
        WriteTestRoom(data->data);
        WriteSharedRoomData(data->data);
        const gametest::Bytes tips = gametest::ReadBytes(data->Data("tips.ini"));
        data->Text("tips.ini", std::string(tips.begin(), tips.end()) + RoomTips());
        data->Text("levels/01.ini", "[General]\nTime=600\nHintsCount=" + std::to_string(hints) +
                                        "\nRandomLeft=0\n" + TestRoomSection("harbour", levelExtra));
        harness = std::make_unique<gametest::GameHarness>(data->home, root + "user/");
        ASSERT_TRUE(harness->Start());
        harness->Step();
        // The title's intro holds the GUI back until it is over.
        harness->RunFor(TitleScreen::kIntroEnd - TitleScreen::kIntroStart);
        ASSERT_TRUE(harness->Visible("create_new_profile"));
        harness->TypeText("Mara");
        ASSERT_TRUE(harness->Click("btn_ok"));
        harness->Step();
        ASSERT_TRUE(harness->Click("btn_start"));
        harness->Steps(2);
        CloseAll();
    }
    // Into the room by its map button; the list's tip closed.
    void EnterRoom() {
        CloseAll();
        GUI::Widget* button = harness->Find("harbour");
        ASSERT_NE(button, nullptr);
        harness->ClickAt(button->GetAbsoluteX() + button->GetWidth() * 3 / 4,
                         button->GetAbsoluteY() + button->GetHeight() / 2);
        ASSERT_EQ(Game().GetCurrentRoom(), Room());
        CloseAll();
    }
    // Closes message boxes and tips, clicking outside the playfield.
    void CloseAll() {
        for (int i = 0; i < 10; ++i) {
            if (!Game().GetMessageBoxes().empty()) {
                auto* box = static_cast<GUI::Widget*>(Game().GetMessageBoxes().front().box);
                GUI::Widget* close = box->FindChild("close", true);
                ASSERT_NE(close, nullptr);
                harness->ClickAt(close->GetAbsoluteX() + close->GetWidth() / 2,
                                 close->GetAbsoluteY() + close->GetHeight() / 2);
            } else if (TipShown()) {
                harness->ClickAt(5, 760);
            } else {
                return;
            }
        }
    }
    bool TipShown() { return Game().GetTipManager() && Game().GetTipManager()->IsTipShown(); }
    std::string TipName() { return TipShown() ? Game().GetTipManager()->GetCurrentTipName() : std::string(); }
    std::string FrontBox() {
        return Game().GetMessageBoxes().empty()
                   ? std::string()
                   : static_cast<GUI::Widget*>(Game().GetMessageBoxes().front().box)->GetName();
    }
    std::u16string FrontText() {
        return Game().GetMessageBoxes().empty() ? std::u16string() : Game().GetMessageBoxes().front().text;
    }
    void ClickOn(const Spot& spot) { harness->ClickAt(spot.ScreenX(), spot.ScreenY()); }
    // What the room finds under the screen point.
    SpyObject* HoveredAt(int32_t x, int32_t y) {
        harness->MoveTo(x, y);
        harness->Step();
        return Room()->GetHoveredObject();
    }
    SpyObject* Object(const std::string& name) { return Room()->FindObjectByName(name, true); }
    const SpyItem* Active(const std::string& name) { return Room()->FindItem(name, true); }
    // The item-list line of an active item.
    CrossButton* LineOf(const std::string& item) {
        const auto& items = Room()->GetActiveItems();
        for (size_t i = 0; i < items.size() && i < Room()->GetItemLines().size(); ++i) {
            if (items[i].name == item)
                return dynamic_cast<CrossButton*>(Room()->GetItemLines()[i]);
        }
        return nullptr;
    }
    // Clicks the object (with no box or tip in the way) and waits until its
    // vanish is over.
    void Find(const Spot& spot) {
        CloseAll();
        ClickOn(spot);
        harness->RunFor(1.5f);
    }
    SpyRoom* Room() { return dynamic_cast<SpyRoom*>(Game().FindRoom("harbour")); }
    gametest::SteppedGame& Game() { return harness->Game(); }

    std::string root;
    std::unique_ptr<gametest::FixtureTree> data;
    std::unique_ptr<gametest::GameHarness> harness;
};

} // namespace scenetest
