// The whole sample game played through as a new player plays it, over the
// built program folder (build/<cfg>/Tarrowdene) through the headless game
// harness: no user folders at the start, the first-run profile dialog, a new
// game and its story scene, then all eight chapters in order. Every room's
// listed objects are clicked where they are drawn (objects carried into
// their containers), a hint is used, the card room and the notebook are
// opened, each chapter's puzzle is solved by its own moves. In the middle of
// one chapter the game is saved and left by the menu and a new game program
// continues it; once the time runs out and the chapter starts again. The
// final scene and the credits end it; the save file is gone and the
// profiles file holds the player.
//
// The game's state is checked at every step, and a few frames against what
// must hold of their pixels (a found object's place redrawn, a room's done
// marker on the map, the hint's ring, a solved puzzle's frame, the credits).
// Every screen's frame is written to the test's scratch folder ("shots/").
// MIREL_PLAYTHROUGH_SEED plays other lists of items; MIREL_PLAYTHROUGH_LOG
// prints the game's log.
// The log may not hold one line about a missing picture, sound or style.

#include "game/bonus/sample_puzzle_moves.h"
#include "game/scenes/sample_rooms.h"
#include "game/support/frame_shot.h"

#include "content/content_writers.h"
#include "game/bonus/bonus_room.h"
#include "game/profiles/profiles_manager.h"
#include "game/save/save_load.h"
#include "game/scenes/card_room.h"
#include "game/scenes/clue_card.h"
#include "game/scenes/cross_button.h"
#include "game/scenes/evidence_room.h"
#include "game/screens/scene_player.h"
#include "game/screens/splash_manager.h"
#include "mirel/platform/window/headless/a_headless_window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

using namespace scenetest;
namespace fs = std::filesystem;

namespace {

// The chapters' rooms in the order the test plays them (the design's table).
struct Chapter {
    uint32_t number;
    std::vector<std::string> rooms;
    const char* puzzle;
};
const Chapter kChapters[] = {
    {1, {"harbour", "clockshop", "inn"}, "letter_assemble"},
    {2, {"study", "harbour", "market"}, "chocolates"},
    {3, {"lighthouse", "clockshop", "market", "chapel"}, "circular"},
    {4, {"harbour_night", "inn", "chapel"}, "letter_decode"},
    {5, {"study", "harbour", "lighthouse"}, "memory"},
    {6, {"study", "market", "inn", "clockshop"}, "safe"},
    {7, {"clockshop", "chapel", "harbour_night"}, "trick_watch"},
    {8, {"lighthouse", "harbour", "chapel"}, "radio"},
};
// Where the test leaves by the menu and continues, and where it lets the time run out.
constexpr uint32_t kSaveChapter = 4;
constexpr uint32_t kTimeOutChapter = 2;

using Frame = std::vector<uint32_t>;

class PlayThrough : public ::testing::Test {
protected:
    void SetUp() override {
        if (BuiltData().empty() || !fs::exists(BuiltData() + "gui/main.agui"))
            GTEST_SKIP() << "the built program folder is not there";
        program = BuiltData().substr(0, BuiltData().size() - std::string("gameres/").size());
        root = gametest::Scratch();
        users = root + "user/";
        fs::create_directories(root + "shots");
    }
    void TearDown() override { harness.reset(); }

    gametest::SteppedGame& Game() { return harness->Game(); }

    // ---- the program ----

    // A game program over the built folder and the test's user folders, its
    // splash screens shown and its resources loaded, the title's intro over.
    void Launch() {
        harness = std::make_unique<gametest::GameHarness>(program, users);
        // MIREL_PLAYTHROUGH_SEED starts the clock elsewhere: the rooms draw other lists.
        if (const char* seed = std::getenv("MIREL_PLAYTHROUGH_SEED"))
            harness->Clock().setMillisecondBase(uint32_t(std::strtoul(seed, nullptr, 10)));
        ASSERT_TRUE(harness->Start());
        ASSERT_TRUE(StepUntil(
            [&] {
                return Game().IsResourcesLoaded() &&
                       !(Game().GetSplashManager() && Game().GetSplashManager()->IsRunning());
            },
            2000));
        harness->RunFor(TitleScreen::kIntroEnd - TitleScreen::kIntroStart);
        EXPECT_EQ(Game().GetMode(), GameApp::MODE_TITLE);
        // The first run asks for a name before the title shows.
        EXPECT_NE(harness->Visible("title_screen"), harness->Visible("create_new_profile"));
    }
    // The program ends; its log is kept for the end.
    void Quit() {
        harness->Stop();
        log.insert(log.end(), harness->Log().lines.begin(), harness->Log().lines.end());
        harness.reset();
    }

    bool StepUntil(const std::function<bool()>& done, int limit = 400,
                   float dt = gametest::GameHarness::kFrame) {
        for (int i = 0; i < limit && !done(); ++i)
            harness->Step(dt);
        return done();
    }

    // ---- frames ----

    Frame Grab() const {
        aHeadlessWindow* window = harness->Window();
        return window ? window->lastFrame() : Frame();
    }
    // The last frame as "shots/NN_name.png".
    void Shot(const std::string& name) {
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "%03d_", ++shots);
        gametest::SaveFrame(*harness, root + "shots/" + prefix + name + ".png");
    }
    // The share of the rectangle's pixels (logical coordinates, clipped) that differ between two frames.
    double Changed(const Frame& a, const Frame& b, int32_t x, int32_t y, int32_t w, int32_t h) const {
        aHeadlessWindow* window = harness->Window();
        const int32_t fw = window->lastFrameWidth(), fh = window->lastFrameHeight();
        if (a.size() != size_t(fw) * size_t(fh) || b.size() != a.size())
            return 0.0;
        // Logical 1024 x 768 to the frame's pixels.
        const int32_t x0 = std::max(0, x * fw / 1024), y0 = std::max(0, y * fh / 768);
        const int32_t x1 = std::min(fw, (x + w) * fw / 1024), y1 = std::min(fh, (y + h) * fh / 768);
        size_t all = 0, differ = 0;
        for (int32_t py = y0; py < y1; ++py)
            for (int32_t px = x0; px < x1; ++px) {
                const size_t i = size_t(py) * size_t(fw) + size_t(px);
                ++all;
                differ += ((a[i] ^ b[i]) & 0xFFFFFFu) != 0 ? 1 : 0;
            }
        return all ? double(differ) / double(all) : 0.0;
    }
    // Distinct colours of a frame (a blank one has one).
    static size_t Colours(const Frame& frame) {
        std::set<uint32_t> seen;
        for (size_t i = 0; i < frame.size() && seen.size() < 1000; i += 7)
            seen.insert(frame[i] & 0xFFFFFFu);
        return seen.size();
    }

    // ---- boxes, tips, help and scenes ----

    GUI::Widget* FrontBox() {
        const auto& boxes = Game().GetMessageBoxes();
        return boxes.empty() ? nullptr : static_cast<GUI::Widget*>(boxes.front().box);
    }
    std::string FrontBoxName() {
        GUI::Widget* box = FrontBox();
        return box ? box->GetName() : std::string();
    }
    void CloseBox() {
        GUI::Widget* box = FrontBox();
        ASSERT_NE(box, nullptr);
        GUI::Widget* close = box->FindChild("close", true);
        ASSERT_NE(close, nullptr) << box->GetName();
        harness->ClickAt(close->GetAbsoluteX() + close->GetWidth() / 2,
                         close->GetAbsoluteY() + close->GetHeight() / 2);
        harness->Steps(3);
    }
    bool TipShown() { return Game().GetTipManager() && Game().GetTipManager()->IsTipShown(); }
    // A tip closes with a click anywhere once it has been up a while.
    void CloseTip() {
        harness->RunFor(1.6f, 0.1f);
        harness->ClickAt(1000, 10);
        harness->Steps(3);
    }
    // The game help, read to its end and closed with its button.
    void CloseHelp() {
        for (int i = 0; i < 4 && harness->Visible("gamehelp"); ++i) {
            harness->RunFor(1.6f);
            harness->Click("ok");
            harness->Steps(3);
        }
        ASSERT_FALSE(harness->Visible("gamehelp"));
    }
    // A story scene read page by page, each page's frame shot, to its end.
    void ReadScene() {
        ScenePlayer* player = Game().GetScenePlayer();
        const std::string name = player->GetSceneName();
        scenesRead.push_back(name);
        EXPECT_GT(player->GetPageCount(), 0);
        int pages = 0;
        for (; pages < 20 && player->IsPlaying(); ++pages) {
            harness->RunFor(1.2f, 0.1f);
            // After the last page the scene fades out.
            if (!player->IsPlaying() || !harness->Visible("story_scene"))
                break;
            EXPECT_EQ(player->GetShownPage(), pages);
            Shot("scene_" + name + "_" + std::to_string(player->GetShownPage()));
            if (harness->Visible("next"))
                ASSERT_TRUE(harness->Click("next"));
            else
                ASSERT_TRUE(harness->Click("finish")) << name;
        }
        EXPECT_EQ(pages, player->GetPageCount()) << name << ": every page was shown";
        ASSERT_TRUE(StepUntil([&] { return !player->IsPlaying(); }, 100));
        harness->Steps(3);
    }
    // Scenes, boxes, tips and the help on show dealt with as a player would.
    void Settle() {
        for (int i = 0; i < 16; ++i) {
            if (Game().GetScenePlayer()->IsPlaying()) {
                ReadScene();
            } else if (FrontBox()) {
                Shot("box_" + FrontBoxName());
                CloseBox();
            } else if (harness->Visible("gamehelp")) {
                CloseHelp();
            } else if (TipShown()) {
                CloseTip();
            } else {
                return;
            }
            if (HasFatalFailure())
                return;
        }
    }

    // ---- rooms ----

    // The chapter's goal is reached and no hidden room waits to open.
    bool GoalDone() { return Game().IsLevelGoalReached() && !Game().AreHiddenRoomsPending(); }
    SpyRoom* Spy(const std::string& name) { return dynamic_cast<SpyRoom*>(Game().FindRoom(name)); }
    void EnterRoom(const std::string& name) {
        Settle();
        ASSERT_EQ(Game().GetMode(), GameApp::MODE_MAP) << name;
        GUI::Widget* button = harness->Find(name);
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(harness->Visible(name)) << name << " is on the map";
        harness->ClickAt(button->GetAbsoluteX() + button->GetWidth() / 2,
                         button->GetAbsoluteY() + button->GetHeight() / 2);
        ASSERT_TRUE(StepUntil([&] { return Game().GetCurrentRoom() == Game().FindRoom(name); }, 20)) << name;
        EXPECT_EQ(Game().GetMode(), GameApp::MODE_ROOM);
        EXPECT_TRUE(harness->Visible("panel"));
        EXPECT_FALSE(harness->Visible("game_map"));
        Settle();
        harness->Steps(2);
        Shot(name + "_" + std::to_string(chapter) + "_enter");
    }
    // The next listed item still to find (clues first count as any other), or null.
    const SpyItem* NextItem(SpyRoom& room) {
        for (const SpyItem& item : room.GetActiveItems())
            if (item.remaining != 0 && !item.bonus)
                return &item;
        return nullptr;
    }
    // One listed item found: its object clicked where it is drawn, carried
    // into its container where it has one; the object's place is redrawn.
    void FindOne(SpyRoom& room) {
        const SpyItem* next = NextItem(room);
        ASSERT_NE(next, nullptr);
        const std::string name = next->name;
        SpyObject* object = next->objects.front();
        SpyObject* target = next->containers.front();
        const uint32_t foundBefore = room.GetItemsFound();
        const int32_t remainingBefore = int32_t(next->remaining);
        const uint32_t levelFoundBefore = Game().GetItemsFound();
        int32_t x = 0, y = 0;
        ASSERT_TRUE(ClickablePoint(room, object, x, y)) << name << ": " << object->GetName() << " is covered";
        const Frame before = Grab();
        const int32_t ox = int32_t(object->GetX()), oy = int32_t(object->GetY());
        const int32_t ow = int32_t(object->GetWidth()), oh = int32_t(object->GetHeight());
        harness->ClickAt(x, y);
        const bool carried = target && target != object;
        if (carried) {
            ++carriedCount;
            EXPECT_TRUE(object->IsLifted()) << name << " is carried";
            ASSERT_TRUE(ClickablePoint(room, target, x, y)) << name << ": its container is covered";
            harness->ClickAt(x, y);
        }
        harness->RunFor(1.6f, 0.1f);
        EXPECT_EQ(object->GetState(), SpyObject::STATE_TAKEN) << name;
        const SpyItem* after = room.FindItem(name, true);
        EXPECT_TRUE(!after || int32_t(after->remaining) < remainingBefore)
            << name << " is crossed off the list";
        EXPECT_GE(room.GetItemsFound(), foundBefore) << name;
        ++foundCount;
        // The first object of each room: its place on the screen looks different now.
        if (room.GetItemsFound() == 1 && !carried && !FrontBox()) {
            harness->MoveTo(1010, 760);
            harness->Step();
            EXPECT_GT(Changed(before, Grab(), ox, oy, ow, oh), 0.05) << name << " vanished from the frame";
        }
        EXPECT_GE(Game().GetItemsFound(), levelFoundBefore) << name;
    }
    // The hint button: one hint fewer, an object of the list marked, its ring drawn round it.
    void UseHint(SpyRoom& room) {
        const uint32_t left = Game().GetHintsLeft();
        ASSERT_GT(left, 0u);
        ASSERT_TRUE(harness->Visible("btn_hint"));
        harness->MoveTo(1010, 760);
        harness->Step();
        const Frame before = Grab();
        ASSERT_TRUE(harness->Click("btn_hint"));
        harness->RunFor(1.0f);
        EXPECT_EQ(Game().GetHintsLeft(), left - 1);
        SpyObject* hinted = room.GetHintedObject();
        ASSERT_NE(hinted, nullptr) << "the hint marks an object";
        bool listed = false;
        for (const SpyItem& item : room.GetActiveItems())
            for (const SpyObject* o : item.objects)
                listed = listed || (o == hinted && item.remaining != 0);
        EXPECT_TRUE(listed) << hinted->GetName() << " is one still to find";
        EXPECT_GT(room.GetHintTimer(), 0.0f);
        const int32_t r = int32_t(SpyRoom::kHintRingMinRadius);
        EXPECT_GT(Changed(before, Grab(), int32_t(hinted->GetX()) - r, int32_t(hinted->GetY()) - r,
                          int32_t(hinted->GetWidth()) + 2 * r, int32_t(hinted->GetHeight()) + 2 * r),
                  0.02)
            << "the hint's ring is drawn round " << hinted->GetName();
        Shot("hint_" + hinted->GetName());
        harness->RunFor(SpyRoom::kHintTime, 0.1f);
        ++hintsUsed;
    }
    // Items found until the room is complete, the chapter's goal is reached or `count` were found.
    void Play(SpyRoom& room, int count = 1000) {
        for (int guard = 0; guard < 60 && count > 0 && !GoalDone() && NextItem(room); ++guard) {
            Settle();
            if (GoalDone() || Game().GetCurrentRoom() != &room)
                return;
            FindOne(room);
            if (HasFatalFailure())
                return;
            --count;
            // Boxes a found item brings up (a clue card, a note) wait for the room's end.
            if (FrontBox() && NextItem(room) && !GoalDone()) {
                Shot("box_" + FrontBoxName());
                CloseBox();
            }
        }
    }
    // The room played to its end; a complete room's done marker is drawn on the map.
    void ClearRoom(const std::string& name) {
        SpyRoom* room = Spy(name);
        ASSERT_NE(room, nullptr);
        const Frame mapBefore = mapFrame;
        const size_t cards = Game().GetCardRoom()->GetCards().size();
        Play(*room);
        ASSERT_FALSE(HasFatalFailure());
        harness->Steps(2);
        Shot(name + "_" + std::to_string(chapter) + "_end");
        if (GoalDone())
            return;
        ASSERT_TRUE(room->IsComplete()) << name;
        // The room's end: its message, then the clue card it gives.
        ASSERT_TRUE(StepUntil([&] { return FrontBox() != nullptr; }, 40)) << name;
        EXPECT_EQ(FrontBoxName(), "msgbox_roomclear");
        Settle();
        ASSERT_FALSE(HasFatalFailure());
        if (chapter == 1) {
            EXPECT_GT(Game().GetCardRoom()->GetCards().size(), cards) << name << " gave a card";
        }
        // Back to the map by its button.
        if (Game().GetMode() == GameApp::MODE_ROOM) {
            ASSERT_TRUE(harness->Click("btn_map"));
        }
        ASSERT_TRUE(StepUntil([&] { return Game().GetMode() == GameApp::MODE_MAP; }, 20));
        Settle();
        harness->MoveTo(1010, 10);
        harness->Steps(3);
        EXPECT_TRUE(harness->Visible("game_map"));
        EXPECT_TRUE(harness->Visible(name + "_done")) << name << " is marked done on the map";
        GUI::Widget* done = harness->Find(name + "_done");
        mapFrame = Grab();
        ASSERT_NE(done, nullptr);
        EXPECT_GT(done->GetWidth(), 0);
        if (!mapBefore.empty()) {
            EXPECT_GT(Changed(mapBefore, mapFrame, done->GetAbsoluteX(), done->GetAbsoluteY(),
                              done->GetWidth(), done->GetHeight()),
                      0.1)
                << name << "'s done marker is drawn";
        }
    }

    // ---- the chapter's end ----

    // The goal's message leads into the puzzle; solved and finished, into the next chapter.
    void PlayPuzzle(const Chapter& c) {
        ASSERT_TRUE(Game().IsLevelGoalReached());
        ASSERT_TRUE(StepUntil([&] { return FrontBox() != nullptr; }, 40));
        EXPECT_EQ(FrontBoxName(), "msgbox_Quillby") << "Quillby's note on the goal";
        Shot("goal_" + std::to_string(c.number));
        CloseBox();
        ASSERT_FALSE(HasFatalFailure());
        BonusRoom* bonus = Game().GetBonusRoom();
        ASSERT_TRUE(StepUntil([&] { return Game().GetCurrentRoom() == bonus; }, 100));
        EXPECT_TRUE(bonus->IsShowingTitle());
        harness->RunFor(1.5f);
        Shot(std::string(c.puzzle) + "_title");
        ASSERT_TRUE(StepUntil([&] { return !bonus->IsShowingTitle(); }, 200));
        Settle();
        harness->MoveTo(1010, 760);
        harness->Steps(2);
        BonusRound* round = bonus->GetPuzzle();
        ASSERT_NE(round, nullptr);
        EXPECT_EQ(round->GetPuzzleName(), c.puzzle);
        EXPECT_TRUE(harness->Visible("bonus_desc"));
        Shot(std::string(c.puzzle) + "_start");
        const Frame start = Grab();
        gametest::PuzzleMoves moves(*harness, [this](const std::string& name) { Shot(name); });
        moves.Solve(round);
        ASSERT_FALSE(HasFatalFailure());
        EXPECT_TRUE(round->IsCompleted());
        ASSERT_TRUE(StepUntil([&] { return FrontBox() != nullptr; }, 40));
        EXPECT_EQ(FrontBoxName(), "msgbox_completed");
        CloseBox();
        harness->RunFor(0.6f);
        EXPECT_TRUE(harness->Visible("finalize_bonus_round"));
        harness->MoveTo(1010, 760);
        harness->Steps(2);
        Shot(std::string(c.puzzle) + "_done");
        EXPECT_GT(Changed(start, Grab(), 0, 0, 1024, 768), 0.05) << "the solved puzzle looks solved";
        ++puzzlesSolved;
        if (c.number == 8)
            return; // the wireless speaks first
        ASSERT_TRUE(harness->Click("finalize_bonus_round"));
        ASSERT_TRUE(StepUntil([&] { return g_currentSettings.level == c.number + 1; }, 200));
        EXPECT_EQ(Game().GetMode(), GameApp::MODE_MAP);
    }

    // ---- reading the files ----

    std::string SavePath() { return harness->SavesDir() + MakeSaveFileName("en", "Mara"); }
    std::vector<std::string> ProfilesOnDisk(const std::string& userDir, const std::string& savesDir) {
        ProfileRecord settings;
        ProfilesManager profiles(settings);
        profiles.SetStorage(userDir, savesDir, "en");
        profiles.LoadProfiles();
        std::vector<std::string> names;
        for (const ProfileRecord& record : profiles.GetProfiles())
            names.push_back(record.name);
        return names;
    }

    std::string program;
    std::string root;
    std::string users;
    std::unique_ptr<gametest::GameHarness> harness;
    std::vector<std::string> log;
    std::vector<std::string> scenesRead;
    uint32_t chapter = 0;
    Frame mapFrame;
    int shots = 0;
    int foundCount = 0;
    int carriedCount = 0;
    int hintsUsed = 0;
    int puzzlesSolved = 0;
};

// The log lines that tell of a fault: a failed assertion, a missing or bad
// picture, sound, style, font, widget or file.
bool Faulty(const std::string& line) {
    for (const char* word :
         {"ssert", "Cannot", "cannot", "not found", "missing", "Missing", "failed", "Failed", "no such",
          "unknown", "Unknown", "bad ", "Bad ", "invalid", "Invalid", "must be", "0 pages", "rror", "arning"})
        if (line.find(word) != std::string::npos)
            return true;
    return false;
}

} // namespace

TEST_F(PlayThrough, FromTheFirstStartToTheCredits) {
    const auto wallStart = std::chrono::steady_clock::now();
    ASSERT_FALSE(fs::exists(users)) << "no user folders at the start";

    // 1. The first start: the profile dialog, a name, the title, a new game.
    Launch();
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(harness->Visible("create_new_profile")) << "the first run asks for a name";
    Shot("profile_dialog");
    harness->TypeText("Mara");
    harness->Step();
    Shot("profile_typed");
    ASSERT_TRUE(harness->Click("btn_ok"));
    harness->Steps(3);
    EXPECT_FALSE(harness->Visible("create_new_profile"));
    EXPECT_EQ(harness->Text("user_name"), u"Mara");
    Shot("title");
    const Frame title = Grab();
    EXPECT_GT(Colours(title), 50u) << "the title is drawn";
    EXPECT_FALSE(fs::exists(SavePath()));
    ASSERT_TRUE(harness->Click("btn_start"));
    harness->Step();
    ASSERT_TRUE(Game().GetScenePlayer()->IsPlaying()) << "a new game opens with its story";
    EXPECT_EQ(Game().GetScenePlayer()->GetSceneName(), "arrival");

    // 2. Every chapter in order.
    bool saved = false, timedOut = false, cardsSeen = false, notebookSeen = false;
    for (const Chapter& c : kChapters) {
        SCOPED_TRACE("chapter " + std::to_string(c.number));
        chapter = c.number;
        Settle();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_EQ(g_currentSettings.level, c.number);
        ASSERT_EQ(Game().GetMode(), GameApp::MODE_MAP);
        EXPECT_TRUE(harness->Visible("game_map"));
        EXPECT_TRUE(harness->Visible("info_map"));
        EXPECT_EQ(Game().GetItemsFound(), 0u);
        EXPECT_EQ(Game().GetHintsLeft(), c.number == 1 ? 6u : 5u);
        EXPECT_NEAR(Game().GetTimeLeft(), float(1500 - 60 * (c.number - 1)), 1.0f);
        harness->MoveTo(1010, 10);
        harness->Steps(3);
        mapFrame = Grab();
        Shot("map_" + std::to_string(c.number));

        for (const std::string& name : c.rooms) {
            SCOPED_TRACE(name);
            if (GoalDone())
                break;
            if (name == "chapel" && c.number == 3) {
                // The chapel opens with its scene once the others are done.
                Settle();
                EXPECT_FALSE(Spy(name)->IsHidden());
                EXPECT_FALSE(Game().AreHiddenRoomsPending());
            }
            EnterRoom(name);
            ASSERT_FALSE(HasFatalFailure());
            SpyRoom* room = Spy(name);
            EXPECT_FALSE(room->GetItemLines().empty()) << "the list is on the panel";

            if (c.number == 1 && name == "harbour") {
                Play(*room, 2);
                UseHint(*room);
                ASSERT_FALSE(HasFatalFailure());
            }
            if (c.number == kTimeOutChapter && !timedOut) {
                // 4. The time runs out in the first room; the chapter starts again.
                Play(*room, 3);
                ASSERT_FALSE(HasFatalFailure());
                Settle();
                EXPECT_EQ(room->GetItemsFound(), 3u);
                const uint32_t evidence = uint32_t(Game().GetEvidenceRoom()->GetRecords().size());
                // The clock runs in the room while no box or tip is up (a tip may come when idle).
                for (int i = 0; i < 20000 && !FrontBox(); ++i) {
                    if (TipShown())
                        CloseTip();
                    harness->Step(0.2f);
                }
                ASSERT_NE(FrontBox(), nullptr);
                EXPECT_EQ(FrontBoxName(), "msgbox_timeover");
                EXPECT_LT(Game().GetTimeLeft(), 1.0f) << "the clock shows 00:00";
                Shot("time_over");
                CloseBox();
                ASSERT_TRUE(StepUntil([&] { return Game().GetMode() == GameApp::MODE_MAP; }, 40));
                timedOut = true;
                EXPECT_EQ(g_currentSettings.level, c.number);
                EXPECT_EQ(g_currentSettings.timeOverCount, 1u);
                EXPECT_NEAR(Game().GetTimeLeft(), 1440.0f, 1.0f) << "the chapter's clock starts again";
                EXPECT_EQ(Game().GetItemsFound(), 0u);
                EXPECT_EQ(Spy(name)->GetItemsFound(), 0u) << "the room starts again";
                EXPECT_FALSE(Game().GetScenePlayer()->IsPlaying()) << "without its story scene";
                EXPECT_LE(Game().GetEvidenceRoom()->GetRecords().size(), evidence);
                EXPECT_TRUE(harness->Visible("game_map"));
                EnterRoom(name);
                ASSERT_FALSE(HasFatalFailure());
                room = Spy(name);
            }
            if (c.number == kSaveChapter && name == c.rooms[1] && !saved) {
                // 3. Save and exit by the menu in the middle of the room; a new program continues.
                Play(*room, 5);
                ASSERT_FALSE(HasFatalFailure());
                Settle();
                const uint32_t found = room->GetItemsFound();
                const uint32_t levelFound = Game().GetItemsFound();
                std::vector<std::string> taken, left;
                for (SpyObject* o : room->GetObjects())
                    (o->GetState() == SpyObject::STATE_TAKEN ? taken : left).push_back(o->GetName());
                std::vector<std::string> list;
                for (const SpyItem& item : room->GetActiveItems())
                    list.push_back(item.name + ":" + std::to_string(item.remaining));
                const float timeLeft = Game().GetTimeLeft();
                const uint32_t visits = room->GetVisitCount();
                ASSERT_TRUE(harness->Click("btn_menu"));
                EXPECT_TRUE(Game().IsMenuOpen());
                Shot("menu");
                ASSERT_TRUE(harness->Click("exit"));
                ASSERT_TRUE(harness->Visible("confirm_save_exit"));
                Shot("confirm_save_exit");
                ASSERT_TRUE(harness->Click("btn_yes"));
                harness->Steps(3);
                EXPECT_EQ(Game().GetMode(), GameApp::MODE_TITLE);
                EXPECT_TRUE(harness->Visible("title_screen"));
                ASSERT_TRUE(fs::exists(SavePath()));
                Quit();

                Launch();
                ASSERT_FALSE(HasFatalFailure());
                EXPECT_FALSE(harness->Visible("create_new_profile")) << "the profile was kept";
                EXPECT_EQ(harness->Text("user_name"), u"Mara");
                ASSERT_TRUE(harness->Click("btn_start"));
                harness->Steps(3);
                Settle();
                EXPECT_FALSE(Game().GetScenePlayer()->IsPlaying()) << "a continued chapter plays no scene";
                ASSERT_EQ(g_currentSettings.level, c.number);
                EXPECT_EQ(Game().GetMode(), GameApp::MODE_MAP);
                EXPECT_NEAR(Game().GetTimeLeft(), timeLeft, 0.2f);
                EXPECT_EQ(Game().GetItemsFound(), levelFound);
                room = Spy(name);
                ASSERT_NE(room, nullptr);
                EXPECT_EQ(room->GetItemsFound(), found);
                EXPECT_EQ(room->GetVisitCount(), visits);
                std::vector<std::string> takenAgain, leftAgain, listAgain;
                for (SpyObject* o : room->GetObjects())
                    (o->GetState() == SpyObject::STATE_TAKEN ? takenAgain : leftAgain)
                        .push_back(o->GetName());
                for (const SpyItem& item : room->GetActiveItems())
                    listAgain.push_back(item.name + ":" + std::to_string(item.remaining));
                EXPECT_EQ(takenAgain, taken) << "the found objects came back";
                EXPECT_EQ(leftAgain, left);
                EXPECT_EQ(listAgain, list) << "the list came back";
                saved = true;
                harness->MoveTo(1010, 10);
                harness->Steps(3);
                mapFrame = Grab();
                Shot("continued_map");
                EnterRoom(name);
                ASSERT_FALSE(HasFatalFailure());
                EXPECT_EQ(Game().GetCurrentRoom(), room) << "back in the room the save left";
            }
            ClearRoom(name);
            ASSERT_FALSE(HasFatalFailure());
        }
        ASSERT_TRUE(Game().IsLevelGoalReached()) << "the chapter's rooms reach its goal";

        PlayPuzzle(c);
        ASSERT_FALSE(HasFatalFailure());

        if (c.number == 1) {
            // The card room, from the next chapter's map: the first chapter's cards in its first places.
            Settle();
            ASSERT_TRUE(harness->Click("btn_cardroom"));
            harness->Steps(3);
            Settle();
            ASSERT_EQ(Game().GetCurrentRoom(), Game().GetCardRoom());
            EXPECT_TRUE(harness->Visible("card_room"));
            const auto& cards = Game().GetCardRoom()->GetCards();
            ASSERT_GE(cards.size(), 2u);
            EXPECT_EQ(cards[0]->GetName(), "crane");
            EXPECT_EQ(cards[1]->GetName(), "quillby");
            harness->Steps(2);
            Shot("card_room");
            GUI::Widget* slot = Game().GetCardRoom()->GetSlots()[0];
            harness->ClickAt(slot->GetAbsoluteX() + 40, slot->GetAbsoluteY() + 60);
            harness->RunFor(0.5f);
            EXPECT_NE(Game().GetCardRoom()->GetZoomedCard(), nullptr);
            Shot("card_zoom");
            harness->ClickAt(slot->GetAbsoluteX() + 40, slot->GetAbsoluteY() + 60);
            harness->RunFor(0.5f);
            Settle();
            ASSERT_TRUE(harness->Click("btn_cardroom_b"));
            ASSERT_TRUE(StepUntil([&] { return Game().GetMode() == GameApp::MODE_MAP; }, 20));
            cardsSeen = true;

            // The notebook: the first chapter's sketches, the harbour's ledger marked.
            Settle();
            ASSERT_TRUE(harness->Click("btn_evidroom"));
            harness->Steps(3);
            Settle();
            ASSERT_FALSE(HasFatalFailure());
            EvidenceRoom* notebook = Game().GetEvidenceRoom();
            ASSERT_EQ(Game().GetCurrentRoom(), notebook);
            EXPECT_TRUE(harness->Visible("info_evidence_room"));
            ASSERT_GE(notebook->GetEntries().size(), 3u);
            EXPECT_EQ(notebook->GetEntryButtons()[0]->GetText(), u"The Harbour Quay");
            EXPECT_TRUE(harness->Visible("ledger")) << "the harbour's ledger is marked";
            harness->Steps(2);
            Shot("notebook");
            GUI::Widget* ledger = harness->Find("ledger");
            ASSERT_NE(ledger, nullptr);
            harness->ClickAt(ledger->GetAbsoluteX() + ledger->GetWidth() / 2,
                             ledger->GetAbsoluteY() + ledger->GetHeight() / 2);
            harness->Steps(3);
            EXPECT_EQ(FrontBoxName(), "msgbox_comment");
            harness->Steps(2);
            Shot("notebook_comment");
            Settle();
            ASSERT_TRUE(harness->Click("btn_evidroom_b"));
            ASSERT_TRUE(StepUntil([&] { return Game().GetMode() == GameApp::MODE_MAP; }, 20));
            notebookSeen = true;
        }
    }
    EXPECT_TRUE(saved && timedOut && cardsSeen && notebookSeen);

    // 5. The wireless speaks the ending; the final scene; the credits.
    ASSERT_TRUE(harness->Click("finalize_bonus_round"));
    ASSERT_TRUE(StepUntil([&] { return Game().GetScenePlayer()->IsPlaying(); }, 200));
    EXPECT_EQ(Game().GetScenePlayer()->GetSceneName(), "final");
    EXPECT_FALSE(fs::exists(SavePath())) << "after the last chapter the save is gone";
    ReadScene();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(Game().GetMode(), GameApp::MODE_TITLE);
    EXPECT_TRUE(Game().IsCreditsShowing());
    harness->RunFor(6.0f, 0.1f);
    Shot("credits");
    const Frame credits = Grab();
    EXPECT_GT(Colours(credits), 20u) << "the credits are drawn";
    EXPECT_GT(Changed(title, credits, 0, 0, 1024, 768), 0.3) << "the credits are not the title";
    harness->RunFor(20.0f, 0.1f);
    Shot("credits_later");
    EXPECT_TRUE(harness->Visible("credits_back"));
    ASSERT_TRUE(harness->Click("credits_back"));
    harness->Steps(3);
    EXPECT_FALSE(Game().IsCreditsShowing());
    EXPECT_TRUE(harness->Visible("title_screen"));
    Shot("title_after");

    // The story as the design tells it: each scene once, in its place.
    EXPECT_EQ(scenesRead, (std::vector<std::string>{"arrival", "hall", "lamp", "chapel_opens", "regatta",
                                                    "watch", "voice", "final"}));

    // The program ends: no save, the player in the profiles file.
    const std::string userDir = harness->UserDir(), savesDir = harness->SavesDir();
    const std::string save = SavePath();
    Quit();
    EXPECT_FALSE(fs::exists(save)) << "the finished game leaves no save";
    EXPECT_EQ(ProfilesOnDisk(userDir, savesDir), std::vector<std::string>{"Mara"});

    // 7. Not one complaint in the log over the whole run. The first start
    // finds no profiles file and the new game no save: one line each.
    const std::string profilesFile = "userappdata:Corvalen/Tarrowdene/en_profiles.dat";
    const std::string saveFile = "userappdata:Corvalen/Tarrowdene/saves/" + MakeSaveFileName("en", "Mara");
    const std::set<std::string> absentLines = {
        "file_readFullAndMalloc. Error open file: " + profilesFile,
        "SaveLoadSystem: file \"" + profilesFile + "\" load failed!",
        "file_readFullAndMalloc. Error open file: " + saveFile,
        "SaveLoadSystem: file \"" + saveFile + "\" load failed!",
    };
    int absent = 0;
    for (const std::string& line : log) {
        if (absentLines.count(line))
            ++absent;
        else
            EXPECT_FALSE(Faulty(line)) << line;
        if (std::getenv("MIREL_PLAYTHROUGH_LOG"))
            std::printf("log: %s\n", line.c_str());
    }
    EXPECT_EQ(absent, 4);

    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    std::printf(
        "play-through: %.1f s, %d objects found (%d carried), %d hints, %d puzzles, %d shots, %zu log "
        "lines\n",
        wall, foundCount, carriedCount, hintsUsed, puzzlesSolved, shots, log.size());
}
