#pragma once
// The fixture of the game's end-to-end tests: a scratch folder per test with
// a program folder ("game/", the shell's fixture data) and the user's
// folders ("user/"), and a harness over them, started on demand.

#include "game/game_test_support.h"
#include "game/support/fixture_tree.h"
#include "game/support/game_harness.h"

#include "game/room.h"
#include "game/scenes/spy_room.h"
#include "game/screens/title_screen.h"
#include "game/shell/game_app.h"
#include "game/tip_manager.h"
#include "mirel/gui/gui_staticimage.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace gametest {

// A hidden-object room whose play the test scripts: it lists the items it is
// given and lets the test find them or miss, as clicks in the real room do.
class ScriptedSpyRoom : public SpyRoom {
public:
    using SpyRoom::SpyRoom;

    // Items the room lists at each level load: plain ones and clues.
    int items = 0;
    int clues = 0;

    void LoadResources(const aOptionsFile& level) override {
        SpyRoom::LoadResources(level);
        m_activeItems.clear();
        for (int i = 0; i < items; ++i) {
            SpyItem item;
            item.name = (i < clues ? "clue" : "item") + std::to_string(i);
            item.clue = i < clues;
            item.remaining = 1;
            m_activeItems.push_back(item);
        }
        // They are the room's items too, so that a saved list loads back.
        m_items = m_activeItems;
        IndexItems();
        m_itemsTotal = uint32_t(items);
        m_cluesTotal = uint32_t(clues);
        m_itemsFound = m_cluesFound = 0;
    }
    // The scripted items have no objects: a hint is there while one is left.
    uint32_t GetHintState() const override {
        for (const SpyItem& item : m_activeItems) {
            if (!item.bonus && item.remaining != 0)
                return HINT_AVAILABLE;
        }
        return HINT_NONE_LEFT;
    }
    // The next frame's update finds the next unfound item.
    void FindNext() { m_findPending = true; }
    // Three quick misses: the penalty flag the room raises.
    void MissThrice() { m_missPenalty = true; }

    void Update(float dt) override {
        SpyRoom::Update(dt);
        if (!m_findPending)
            return;
        m_findPending = false;
        for (SpyItem& item : m_activeItems) {
            if (item.remaining == 0)
                continue;
            item.remaining = 0;
            ++m_itemsFound;
            if (item.clue)
                ++m_cluesFound;
            m_foundItem = &item;
            if (m_app)
                m_app->UpdateProgressCounters();
            return;
        }
    }

private:
    bool m_findPending = false;
};

// Reads one record of a save file, byte by byte.
struct RecordProbe : SaveLoadEntity {
    explicit RecordProbe(const std::string& name) : SaveLoadEntity(name) {}
    void Load(SaveLoadSystem&, SaveReader& record) override {
        bytes.clear();
        uint8_t b = 0;
        while (record.ReadU8(b))
            bytes.push_back(b);
    }
    void Save(SaveLoadSystem&, SaveWriter&) override {}
    uint32_t U32(size_t at) const {
        uint32_t v = 0;
        for (int i = 0; i < 4 && at + size_t(i) < bytes.size(); ++i)
            v |= uint32_t(bytes[at + size_t(i)]) << (8 * i);
        return v;
    }
    Bytes bytes;
};

// The record of that entity in a save file; empty when the file or the record is missing.
inline Bytes ReadRecord(const std::string& path, const std::string& entity) {
    SaveLoadSystem system(1);
    RecordProbe probe(entity);
    if (!system.Load(path, kSaveFormatVersion) || !system.LoadEntity(probe))
        return Bytes();
    return probe.bytes;
}

class GameTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = Scratch();
        data = std::make_unique<FixtureTree>(root + "game/");
    }
    void TearDown() override { harness.reset(); }

    // The fixture data (unless the test wrote its own), a started game with
    // scripted hidden-object rooms, its first frame (which loads) and the
    // title's intro.
    void Begin(bool writeData = true, bool waitForIntro = true) {
        if (writeData)
            data->WriteShell();
        harness = std::make_unique<GameHarness>(data->home, root + "user/");
        harness->Game().makeHiddenObjectRoom = [this](const std::string& name) -> Room* {
            auto* room = new ScriptedSpyRoom(name, harness->Game().GetImageManager(),
                                             harness->Game().GetSoundManager(), &harness->Game());
            room->items = roomItems;
            room->clues = roomClues;
            return room;
        };
        ASSERT_TRUE(harness->Start());
        harness->Step();
        // The title's intro holds the GUI back until it is over (or a click).
        if (waitForIntro)
            harness->RunFor(TitleScreen::kIntroEnd - TitleScreen::kIntroStart);
    }
    // Begin, then create the profile "Mara" in the first-run dialog.
    void BeginWithProfile(const std::string& name = "Mara", bool writeData = true) {
        Begin(writeData);
        ASSERT_TRUE(harness->Visible("create_new_profile"));
        harness->TypeText(name);
        ASSERT_TRUE(harness->Click("btn_ok"));
        harness->Step();
    }
    // From the title screen into the map of a new game (or the saved one).
    void StartGame() {
        ASSERT_TRUE(harness->Click("btn_start"));
        harness->Step();
    }
    ScriptedSpyRoom* RoomOf(const std::string& name) {
        return dynamic_cast<ScriptedSpyRoom*>(Game().FindRoom(name));
    }
    // Closes the message box on show with its "close" button.
    bool CloseBox() {
        if (Game().GetMessageBoxes().empty())
            return false;
        GUI::Widget* box = static_cast<GUI::Widget*>(Game().GetMessageBoxes().front().box);
        GUI::Widget* close = box->FindChild("close", true);
        if (!close)
            return false;
        harness->ClickAt(close->GetAbsoluteX() + close->GetWidth() / 2,
                         close->GetAbsoluteY() + close->GetHeight() / 2);
        return true;
    }
    // Clicks a room button of the map on its outline (its right half).
    void ClickRoom(const std::string& name) {
        GUI::Widget* button = harness->Find(name);
        ASSERT_NE(button, nullptr) << name;
        harness->ClickAt(button->GetAbsoluteX() + button->GetWidth() * 3 / 4,
                         button->GetAbsoluteY() + button->GetHeight() / 2);
    }
    std::string FrontBox() {
        return Game().GetMessageBoxes().empty()
                   ? std::string()
                   : static_cast<GUI::Widget*>(Game().GetMessageBoxes().front().box)->GetName();
    }
    // A click anywhere closes the tip on show (the fixture's tips close at
    // once); the next one may follow at once: every tip is closed.
    void CloseTip() {
        for (int i = 0; i < 8 && IsTipShown(); ++i)
            harness->ClickAt(1000, 10);
    }
    // From the map: every box and tip closed, then the room's button clicked.
    void EnterRoom(const std::string& name) {
        for (int i = 0; i < 10 && (!Game().GetMessageBoxes().empty() || IsTipShown()); ++i) {
            if (!CloseBox())
                CloseTip();
        }
        ClickRoom(name);
    }
    // A new game's map with its greeting closed.
    void NewGameOnMap() {
        BeginWithProfile();
        StartGame();
        harness->Step();
        CloseBox();
        CloseTip();
    }
    bool IsTipShown() { return Game().GetTipManager() && Game().GetTipManager()->IsTipShown(); }
    SteppedGame& Game() { return harness->Game(); }
    std::string SavePath(const std::string& profile = "Mara") {
        return harness->SavesDir() + MakeSaveFileName("en", profile);
    }

    std::string root;
    std::unique_ptr<FixtureTree> data;
    std::unique_ptr<GameHarness> harness;
    int roomItems = 4;
    int roomClues = 1;
};

} // namespace gametest
