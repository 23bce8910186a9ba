#pragma once
// The sample game's rooms as the build puts them together, in the shell's
// fixture program folder: the rooms' folders, texts, shared pictures, sounds,
// fonts and item-list layout are copied from the built program folder
// (MIREL_GAME_DIR), the first chapter's room sections go into the fixture's
// first level, and the fixture's panel includes the item list. Tests then
// play the real rooms with the mouse, the way a player does.

#include "game/game_test_support.h"
#include "game/scenes/scene_fixture.h"
#include "game/support/clickable_point.h"
#include "game/support/fixture_tree.h"
#include "game/support/frame_shot.h"
#include "game/support/game_harness.h"

#include "game/scenes/objects/spy_object.h"
#include "game/scenes/spy_room.h"
#include "game/screens/title_screen.h"
#include "game/shell/game_app.h"
#include "game/tip_manager.h"
#include "mirel/gui/gui_staticimage.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/util/a_optionsfile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace scenetest {

#ifdef MIREL_GAME_DIR
inline std::string BuiltData() {
    return std::string(MIREL_GAME_DIR) + "/gameres/";
}
#else
inline std::string BuiltData() {
    return std::string();
}
#endif

// Where a player clicks an object of the room.
using gametest::ClickablePoint;

// A hidden-object room of a chapter: its level file and its section there.
struct ChapterRoom {
    int chapter;
    std::string levelFile;
    std::string room;
    std::string section;
};

// The rooms of every chapter of the built game, in chapter and file order.
inline std::vector<ChapterRoom> ChapterRooms() {
    std::vector<ChapterRoom> rooms;
    for (int chapter = 1; chapter <= 8; ++chapter) {
        char name[64];
        std::snprintf(name, sizeof name, "%slevels/%02d.ini", BuiltData().c_str(), chapter);
        const aOptionsFile level(name);
        for (const std::string& section : level.getSectionNames()) {
            if (section.rfind("Room.", 0) == 0)
                rooms.push_back({chapter, name, section.substr(5), section});
        }
    }
    return rooms;
}

class SampleRooms : public ::testing::Test {
protected:
    void SetUp() override {
        if (BuiltData().empty() || !std::filesystem::exists(BuiltData() + "rooms/harbour/objects.ini"))
            GTEST_SKIP() << "the built program folder is not there";
        root = gametest::Scratch();
        data = std::make_unique<gametest::FixtureTree>(root + "game/");
    }
    void TearDown() override { harness.reset(); }

    void Copy(const std::string& relative) {
        namespace fs = std::filesystem;
        const fs::path from = BuiltData() + relative;
        const fs::path to = data->data + relative;
        fs::create_directories(to.parent_path());
        fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }

    // The shell's data with the sample rooms of a chapter; a new game's map.
    // edit may change the chapter's level text (and the data) before the game starts.
    void Begin(int chapter = 1, const std::function<void(std::string& level)>& edit = nullptr) {
        data->WriteShell();
        for (const char* room :
             {"harbour", "harbour_night", "clockshop", "inn", "study", "market", "lighthouse", "chapel"}) {
            Copy(std::string("rooms/") + room);
            Copy(std::string("loc/room_") + room + ".txt");
        }
        for (const char* file : {"loc/items_comments.txt", "images/rooms", "sounds/rooms",
                                 "fonts/spy_list.fnt", "fonts/spy_list.png", "fonts/spy_title.fnt",
                                 "fonts/spy_title.png", "gui/spy_room.agui", "gui/spy_room_fonts.agui"})
            Copy(file);
        // The item list lives in the panel; its fonts at the top.
        std::string layout = data->layout;
        const std::string panel = "staticimage panel\n{\n";
        const size_t at = layout.find(panel);
        ASSERT_NE(at, std::string::npos);
        layout.insert(at + panel.size(), "#include \"data:gui/spy_room.agui\"\n");
        layout = "#include \"data:gui/spy_room_fonts.agui\"\n" + layout;
        data->Text("gui/main.agui", layout);
        const gametest::Bytes tips = gametest::ReadBytes(data->Data("tips.ini"));
        data->Text("tips.ini", std::string(tips.begin(), tips.end()) + RoomTips());
        // The chapter's rooms, without its story scene.
        char name[32];
        std::snprintf(name, sizeof name, "levels/%02d.ini", chapter);
        const gametest::Bytes level = gametest::ReadBytes(BuiltData() + name);
        std::string text(level.begin(), level.end());
        if (edit)
            edit(text);
        const size_t rooms = text.find("[Room.");
        ASSERT_NE(rooms, std::string::npos);
        data->Text("levels/01.ini",
                   "[General]\nTime=1500\nHintsCount=6\nRandomLeft=2\n" + text.substr(rooms));

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
    void EnterRoom(const std::string& name) {
        CloseAll();
        GUI::Widget* button = harness->Find(name);
        ASSERT_NE(button, nullptr);
        harness->ClickAt(button->GetAbsoluteX() + button->GetWidth() * 3 / 4,
                         button->GetAbsoluteY() + button->GetHeight() / 2);
        ASSERT_EQ(Game().GetCurrentRoom(), Game().FindRoom(name));
        CloseAll();
    }
    void CloseAll() {
        for (int i = 0; i < 10; ++i) {
            if (!Game().GetMessageBoxes().empty()) {
                auto* box = static_cast<GUI::Widget*>(Game().GetMessageBoxes().front().box);
                GUI::Widget* close = box->FindChild("close", true);
                ASSERT_NE(close, nullptr);
                harness->ClickAt(close->GetAbsoluteX() + close->GetWidth() / 2,
                                 close->GetAbsoluteY() + close->GetHeight() / 2);
            } else if (Game().GetTipManager() && Game().GetTipManager()->IsTipShown()) {
                harness->ClickAt(5, 760);
            } else {
                return;
            }
        }
    }
    std::string FrontBox() {
        return Game().GetMessageBoxes().empty()
                   ? std::string()
                   : static_cast<GUI::Widget*>(Game().GetMessageBoxes().front().box)->GetName();
    }
    // The last frame as a PNG in the test's scratch folder.
    std::string Screenshot(const std::string& name) {
        const std::string path = root + name + ".png";
        gametest::SaveFrame(*harness, path);
        return path;
    }
    SpyRoom* Room(const std::string& name) { return dynamic_cast<SpyRoom*>(Game().FindRoom(name)); }
    gametest::SteppedGame& Game() { return harness->Game(); }

    std::string root;
    std::unique_ptr<gametest::FixtureTree> data;
    std::unique_ptr<gametest::GameHarness> harness;
};

} // namespace scenetest
