// The sample game as the build puts it together, played through the first
// chapter: every room is cleared by clicking its items, each completed room
// gives the clue card the chapter's "CardsOrder" allows, the clues found go
// into Mara's notebook, and the chapter's end keeps them and adds its own
// entry. Then the card room and the notebook show what the chapter gave.

#include "sample_rooms.h"

#include "game/support/frame_shot.h"

#include "game/scenes/card_room.h"
#include "game/scenes/clue_card.h"
#include "game/scenes/cross_button.h"
#include "game/scenes/evidence.h"
#include "game/scenes/evidence_room.h"
#include "game/screens/scene_player.h"
#include "game/screens/splash_manager.h"

#include "game/profiles/profile_record.h"
#include "mirel/gui/gui_server.h"

#include <algorithm>

using namespace scenetest;

namespace {

class SampleChapter : public ::testing::Test {
protected:
    void SetUp() override {
        if (BuiltData().empty() || !std::filesystem::exists(BuiltData() + "gui/main.agui"))
            GTEST_SKIP() << "the built program folder has no shell layout yet";
        program = BuiltData().substr(0, BuiltData().size() - std::string("gameres/").size());
        root = gametest::Scratch();
    }
    void TearDown() override { harness.reset(); }

    bool StepUntil(const std::function<bool()>& done, int limit = 400) {
        for (int i = 0; i < limit && !done(); ++i)
            harness->Step();
        return done();
    }
    GUI::Widget* FrontBox() {
        const auto& boxes = Game().GetMessageBoxes();
        return boxes.empty() ? nullptr : static_cast<GUI::Widget*>(boxes.front().box);
    }
    void CloseAll() {
        for (int i = 0; i < 12; ++i) {
            if (GUI::Widget* box = FrontBox()) {
                GUI::Widget* close = box->FindChild("close", true);
                ASSERT_NE(close, nullptr);
                harness->ClickAt(close->GetAbsoluteX() + close->GetWidth() / 2,
                                 close->GetAbsoluteY() + close->GetHeight() / 2);
                harness->Steps(3);
            } else if (Game().GetTipManager() && Game().GetTipManager()->IsTipShown()) {
                // A click anywhere closes a tip once it has been up a while.
                harness->RunFor(1.6f);
                harness->ClickAt(1000, 10);
                harness->Steps(3);
            } else {
                return;
            }
        }
    }
    // A new player's first game, the story scene skipped, at the map.
    void Begin() {
        harness = std::make_unique<gametest::GameHarness>(program, root + "user/");
        ASSERT_TRUE(harness->Start());
        ASSERT_TRUE(StepUntil([&] {
            return Game().IsResourcesLoaded() &&
                   !(Game().GetSplashManager() && Game().GetSplashManager()->IsRunning());
        }));
        harness->RunFor(TitleScreen::kIntroEnd - TitleScreen::kIntroStart);
        ASSERT_TRUE(harness->Visible("create_new_profile"));
        harness->TypeText("Mara");
        ASSERT_TRUE(harness->Click("btn_ok"));
        harness->Step();
        ASSERT_TRUE(harness->Click("btn_start"));
        harness->Step();
        if (Game().GetScenePlayer()->IsPlaying()) {
            ASSERT_TRUE(harness->Click("skip"));
            ASSERT_TRUE(StepUntil([&] { return !Game().GetScenePlayer()->IsPlaying(); }));
        }
        ASSERT_EQ(Game().GetMode(), GameApp::MODE_MAP);
        harness->Steps(20);
        CloseAll();
    }
    void EnterRoom(const std::string& name) {
        CloseAll();
        GUI::Widget* button = harness->Find(name);
        ASSERT_NE(button, nullptr);
        harness->ClickAt(button->GetAbsoluteX() + button->GetWidth() / 2,
                         button->GetAbsoluteY() + button->GetHeight() / 2);
        ASSERT_TRUE(StepUntil([&] { return Game().GetCurrentRoom() == Game().FindRoom(name); }, 20)) << name;
        CloseAll();
    }
    // Every listed item of the current room found by clicking, objects carried into their containers.
    void ClearRoom(SpyRoom& room) {
        for (int guard = 0; guard < 60 && !Game().IsLevelGoalReached(); ++guard) {
            const SpyItem* next = nullptr;
            for (const SpyItem& item : room.GetActiveItems()) {
                if (item.remaining != 0 && !item.bonus) {
                    next = &item;
                    break;
                }
            }
            if (!next)
                return;
            const std::string name = next->name;
            SpyObject* object = next->objects.front();
            SpyObject* target = next->containers.front();
            int32_t x = 0, y = 0;
            ASSERT_TRUE(ClickablePoint(room, object, x, y))
                << name << ": " << object->GetName() << " is covered";
            harness->ClickAt(x, y);
            if (target && target != object) {
                ASSERT_TRUE(ClickablePoint(room, target, x, y)) << name << ": its container is covered";
                harness->ClickAt(x, y);
            }
            harness->RunFor(1.6f);
            CloseAll();
        }
        if (Game().IsLevelGoalReached())
            return;
        std::string left;
        for (const SpyItem& item : room.GetActiveItems())
            if (item.remaining != 0 && !item.bonus)
                left += " " + item.name;
        FAIL() << "the list never ended:" << left;
    }
    std::vector<std::string> Cards() {
        std::vector<std::string> names;
        for (const ClueCard* card : Game().GetCardRoom()->GetCards())
            names.push_back(card->GetName());
        return names;
    }
    bool HasRecord(const std::string& picture, const std::string& region, bool provisional) {
        for (const EvidenceRoom::Record& r : Game().GetEvidenceRoom()->GetRecords())
            if (r.picture == picture && r.region == region && (r.flag != 0) == provisional)
                return true;
        return false;
    }
    std::string Shot(const std::string& name) {
        const std::string path = root + name + ".png";
        gametest::SaveFrame(*harness, path);
        return path;
    }
    gametest::SteppedGame& Game() { return harness->Game(); }

    std::string program;
    std::string root;
    std::unique_ptr<gametest::GameHarness> harness;
};

} // namespace

TEST_F(SampleChapter, TheFirstChapterGivesItsCardsAndItsNotebookEntries) {
    Begin();
    struct Step {
        const char* room;
        const char* card;
    };
    // The third room is played until the chapter's goal: two items may stay.
    const Step steps[] = {{"harbour", "crane"}, {"clockshop", "quillby"}, {"inn", nullptr}};
    std::vector<std::string> won;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.room);
        EnterRoom(s.room);
        SpyRoom* room = dynamic_cast<SpyRoom*>(Game().FindRoom(s.room));
        ASSERT_NE(room, nullptr);
        ClearRoom(*room);
        if (!s.card) {
            ASSERT_TRUE(Game().IsLevelGoalReached());
            if (room->IsComplete())
                won.push_back("penhallow");
        } else {
            ASSERT_TRUE(room->IsComplete());
            won.push_back(s.card);
        }
        EXPECT_EQ(Cards(), won) << "the completed room gives its card";
        CloseAll();
        if (Game().GetMode() == GameApp::MODE_ROOM && Game().GetCurrentRoom() == room) {
            GUI::Widget* map = harness->Find("btn_map");
            if (map && map->IsVisible() && map->IsEnabled())
                harness->ClickAt(map->GetAbsoluteX() + map->GetWidth() / 2, map->GetAbsoluteY() + 5);
            harness->Steps(5);
            CloseAll();
        }
    }
    // What the rooms' clues put in the notebook, provisional until the chapter ends.
    EXPECT_TRUE(HasRecord("harbour", "ledger", true));
    EXPECT_TRUE(HasRecord("harbour", "lifebelt", true));
    EXPECT_TRUE(HasRecord("clockshop", "letter", true));
    EXPECT_TRUE(HasRecord("inn", "pipe", true)) << "every clue is found by the goal";
    EXPECT_FALSE(HasRecord("inn", "drinking", false));

    // The card room: the three cards in its first slots.
    Game().GotoRoom(CardRoom::kName);
    harness->Steps(3);
    CloseAll();
    ASSERT_EQ(Game().GetCurrentRoom(), Game().GetCardRoom());
    EXPECT_TRUE(harness->Visible("card_room"));
    harness->Steps(2);
    Shot("card_room");
    GUI::Widget* slot = Game().GetCardRoom()->GetSlots()[0];
    harness->ClickAt(slot->GetAbsoluteX() + 40, slot->GetAbsoluteY() + 60);
    harness->RunFor(0.5f);
    EXPECT_NE(Game().GetCardRoom()->GetZoomedCard(), nullptr);
    Shot("card_zoom");

    // The chapter ends: the notebook keeps the rooms' clues and adds the inn's gossip.
    Game().CompleteLevel();
    EXPECT_TRUE(HasRecord("harbour", "ledger", false));
    EXPECT_TRUE(HasRecord("inn", "drinking", false));
    EXPECT_FALSE(HasRecord("harbour", "ledger", true));
    // The chapter ends as the game ends it; chapter 2 opens with its story scene.
    ASSERT_TRUE(StepUntil([&] { return g_currentSettings.level == 2; }, 2000));
    if (Game().GetScenePlayer()->IsPlaying()) {
        ASSERT_TRUE(harness->Click("skip"));
        ASSERT_TRUE(StepUntil([&] { return !Game().GetScenePlayer()->IsPlaying(); }));
    }
    harness->Steps(20);
    CloseAll();
    EXPECT_TRUE(HasRecord("harbour", "ledger", false)) << "kept by the next chapter";
    EXPECT_TRUE(HasRecord("inn", "drinking", false));
    // The notebook, entered: one entry per sketched room, the first on show.
    // From chapter 2 on the panel opens the notebook.
    ASSERT_TRUE(harness->Click("btn_evidroom"));
    harness->Steps(3);
    // The first visit opens the help.
    EXPECT_TRUE(harness->Visible("gamehelp"));
    // The first click may only close the tip on the marked clue.
    for (int i = 0; i < 4 && harness->Visible("gamehelp"); ++i) {
        harness->RunFor(1.6f);
        harness->Click("ok");
        harness->Steps(3);
    }
    ASSERT_FALSE(harness->Visible("gamehelp"));
    CloseAll();
    EXPECT_TRUE(harness->Visible("info_evidence_room"));
    EvidenceRoom* notebook = Game().GetEvidenceRoom();
    ASSERT_EQ(Game().GetCurrentRoom(), notebook);
    ASSERT_GE(notebook->GetEntries().size(), 3u);
    EXPECT_EQ(notebook->GetCurrentPicture(), notebook->GetEntries()[0].picture);
    ASSERT_NE(notebook->GetShownPicture(), nullptr);
    EXPECT_TRUE(notebook->GetShownPicture()->IsVisible());
    EXPECT_TRUE(harness->Visible("ledger")) << "the harbour's ledger is marked";
    EXPECT_EQ(notebook->GetEntryButtons()[0]->GetText(), u"The Harbour Quay");
    harness->Steps(2);
    Shot("notebook");
    // A marked clue opens its comment with the large drawing.
    GUI::Widget* ledger = harness->Find("ledger");
    ASSERT_NE(dynamic_cast<Evidence*>(ledger), nullptr);
    harness->ClickAt(ledger->GetAbsoluteX() + ledger->GetWidth() / 2,
                     ledger->GetAbsoluteY() + ledger->GetHeight() / 2);
    harness->Steps(3);
    ASSERT_NE(FrontBox(), nullptr);
    EXPECT_EQ(FrontBox()->GetName(), "msgbox_comment");
    EXPECT_NE(FrontBox()->FindChild("text")->GetText().find(u"Crane's own books"), std::u16string::npos);
    EXPECT_TRUE(notebook->GetLargePicture().hasTexture());
    harness->Steps(2);
    Shot("notebook_comment");
}
