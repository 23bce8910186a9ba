// The sample game's chapters 2 to 7, in their own order, each ended by its
// puzzle played with the mouse as a player would, with the pictures,
// sounds and texts the content build made (build/<cfg>/Tarrowdene/gameres)
// over the shell's fixture data: the candy box, the lens rings, Crane's
// letter, the cargo tokens, the safe and the trick watch. Each round is
// finished with its button, which leads into the next chapter. Screenshots
// of every puzzle go to the test's scratch folder ("shots/").
//
// Also Crane's letter as built: its scrap map holds exactly the holes and
// the decoys it was drawn with.

#include "puzzle_test_support.h"
#include "sample_puzzle_moves.h"
#include "game/support/frame_shot.h"

#include "content/content_writers.h"
#include "game/bonus/chocolates_puzzle.h"
#include "game/bonus/circular_puzzle.h"
#include "game/bonus/decode_letter.h"
#include "game/bonus/memory_match.h"
#include "game/bonus/open_safe.h"
#include "game/bonus/open_trick_watch.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/platform/window/headless/a_headless_window.h"
#include "support/read_file.h"

#include <filesystem>

using namespace gametest;
namespace fs = std::filesystem;

namespace {

const std::string kSample = std::string(SAMPLE_GAME_DATA) + "/";

class SamplePuzzlesTest : public PuzzleTest {
protected:
    void SetUp() override {
        PuzzleTest::SetUp();
        // Every room the chapters name, on a map of two rows clear of the map's info box.
        data->rooms.clear();
        const char* names[] = {"harbour", "clockshop",  "inn",    "study",
                               "market",  "lighthouse", "chapel", "harbour_night"};
        for (int i = 0; i < 8; ++i)
            data->rooms.push_back({names[i], 200 + 150 * (i % 4), 150 + 250 * (i / 4), 120, 90});
        data->extraLayout =
            "statictext bonus_desc\n{\n AreaRect 200 8 800 50\n Font main\n Visible 0\n}\n"
            "staticimage confirm_skip_dialog\n{\n AreaRect 362 250 300 150\n NormalImage box_bg\n Visible 0\n"
            " imagebutton yes\n {\n  AreaRect 20 100 120 30\n  Image button\n  ImageRect 0 0 120 120\n  Tag "
            "1\n }\n"
            " imagebutton no\n {\n  AreaRect 160 100 120 30\n  Image button\n  ImageRect 0 0 120 120\n  Tag "
            "0\n }\n"
            "}\n"
            "#include \"data:gui/bonus.agui\"\n";
        data->WriteShell();
        const auto copy = [&](const std::string& relative) {
            fs::create_directories(fs::path(data->Data(relative)).parent_path());
            fs::copy(kSample + relative, data->Data(relative),
                     fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        };
        for (const char* part :
             {"levels", "images/bonus", "images/bonus_round.png", "images/letter_frame.png",
              "images/scrap_shadow.png", "loc/radio.srt", "particles", "gui/bonus.agui",
              "fonts/bonus_subtitles.fnt", "fonts/bonus_subtitles.png"})
            copy(part);
        Append("images/ImageList.txt", "letter_frame.png 4444 8888\nscrap_shadow.png 4444 8888\n");
        Append("loc/levels.txt", ReadWholeFile(kSample + "loc/levels.txt"));
        const std::string sounds = ReadWholeFile(kSample + "sounds/SoundList.txt");
        Append("sounds/SoundList.txt", sounds);
        std::istringstream lines(sounds);
        for (std::string line; std::getline(lines, line);)
            if (!line.empty())
                copy("sounds/" + line.substr(0, line.find(' ')));
        roomItems = 1;
        roomClues = 1;
    }

    // Into the chapter's bonus room, as its level goal leads there.
    void EnterTheRound(const std::vector<std::string>& rooms) {
        for (const std::string& room : rooms) {
            EnterRoom(room);
            ASSERT_EQ(Game().GetCurrentRoom(), Game().FindRoom(room)) << room;
            RoomOf(room)->FindNext();
            harness->Step();
            if (Game().IsLevelGoalReached())
                break;
            for (int i = 0; i < 10 && (!Game().GetMessageBoxes().empty() || IsTipShown()); ++i)
                if (!CloseBox())
                    CloseTip();
            ASSERT_TRUE(harness->Click("btn_map"));
        }
        ASSERT_TRUE(Game().IsLevelGoalReached());
        for (int i = 0; i < 10 && Game().GetCurrentRoom() != Bonus(); ++i) {
            if (!CloseBox())
                CloseTip();
        }
        ASSERT_EQ(Game().GetCurrentRoom(), Bonus());
        harness->RunFor(3.1f);
        ASSERT_FALSE(Bonus()->IsShowingTitle());
        CloseTip();
        harness->MoveTo(1010, 760);
        harness->Step();
    }

    // The round's message, its finish button, and on into the next chapter.
    void FinishTheRound(const std::string& name, uint32_t chapter) {
        harness->Step();
        EXPECT_EQ(FrontBox(), "msgbox_completed") << name;
        ASSERT_TRUE(CloseBox());
        harness->RunFor(0.6f);
        EXPECT_TRUE(harness->Visible("finalize_bonus_round"));
        Shot(name + "_done");
        for (const std::string& line : harness->Log().lines) {
            const bool missing =
                line.find("Cannot find") != std::string::npos || line.find("not found") != std::string::npos;
            EXPECT_FALSE(missing && line.find("bonus") != std::string::npos) << line;
        }
        ASSERT_TRUE(harness->Click("finalize_bonus_round"));
        harness->RunFor(4.0f);
        EXPECT_EQ(g_currentSettings.level, chapter + 1);
        EXPECT_EQ(Game().GetMode(), GameApp::MODE_MAP);
        for (int i = 0; i < 10 && (!Game().GetMessageBoxes().empty() || IsTipShown()); ++i)
            if (!CloseBox())
                CloseTip();
    }

    void Shot(const std::string& name) {
        gametest::SaveFrame(*harness, root + "shots/" + name + ".png");
    }

    PuzzleMoves Moves() {
        return PuzzleMoves(*harness, [this](const std::string& name) { Shot(name); });
    }
};

} // namespace

TEST_F(SamplePuzzlesTest, ChaptersTwoToSevenEachEndWithTheirOwnPuzzle) {
    StartOnMap();
    g_currentSettings.level = 2;
    Game().LoadLevel(true, false, std::string());
    harness->Step();
    for (int i = 0; i < 10 && (!Game().GetMessageBoxes().empty() || IsTipShown()); ++i)
        if (!CloseBox())
            CloseTip();

    auto* box = Puzzle<ChocolatesPuzzle>();
    ASSERT_NE(box, nullptr) << "chapter 2: the box of chocolates";
    EnterTheRound({"study", "harbour", "market"});
    EXPECT_NE(harness->Text("bonus_desc").find(u"chocolates"), std::u16string::npos);
    Shot("chocolates_start");
    Moves().Chocolates(box);
    ASSERT_FALSE(HasFatalFailure());
    FinishTheRound("chocolates", 2);

    const struct {
        uint32_t chapter;
        std::vector<std::string> rooms;
    } chapters[] = {{3, {"lighthouse", "clockshop", "market"}},
                    {4, {"harbour_night", "inn", "chapel"}},
                    {5, {"study", "harbour", "lighthouse"}},
                    {6, {"study", "market", "inn", "clockshop"}},
                    {7, {"clockshop", "chapel", "harbour_night"}}};
    for (const auto& c : chapters) {
        SCOPED_TRACE(c.chapter);
        ASSERT_EQ(g_currentSettings.level, c.chapter);
        BonusRound* round = Bonus()->GetPuzzle();
        ASSERT_NE(round, nullptr);
        if (c.chapter == 3) {
            // The chapel opens only once the others are done: straight to the round.
            ASSERT_NE(dynamic_cast<CircularPuzzle*>(round), nullptr) << "chapter 3: the lens";
            Game().GotoRoom(BonusRoom::kName);
            harness->Step();
            harness->MoveTo(1010, 760);
            harness->Step();
        } else {
            EnterTheRound(c.rooms);
        }
        ASSERT_EQ(Game().GetCurrentRoom(), Bonus());
        EXPECT_TRUE(harness->Visible("bonus_desc"));
        Shot(round->GetPuzzleName() + "_start");
        Moves().Solve(round);
        ASSERT_FALSE(HasFatalFailure());
        const std::string names[] = {"",       "",     "",           "circular", "letter_decode",
                                     "memory", "safe", "trick_watch"};
        EXPECT_EQ(round->GetPuzzleName(), names[c.chapter]);
        FinishTheRound(round->GetPuzzleName(), c.chapter);
    }
    EXPECT_EQ(g_currentSettings.level, 8u);
}

// The cargo tokens lie clear of the puzzle's description and of the skip
// button, where the shell lays them out (gui/overlays.agui).
TEST_F(SamplePuzzlesTest, TheCargoTokensLieClearOfTheDescriptionAndTheSkipButton) {
    StartOnMap();
    g_currentSettings.level = 5;
    Game().LoadLevel(true, false, std::string());
    harness->Step();
    auto* tokens = Puzzle<MemoryMatch>();
    ASSERT_NE(tokens, nullptr);
    const int32_t w = tokens->GetCardWidth(), h = tokens->GetCardHeight();
    ASSERT_GT(w, 0);
    const aRect description(199, 6, 805, 58), skip(864, 716, 140, 40);
    const auto meets = [&](const MemoryMatch::Card& c, const aRect& r) {
        return c.x < r.x + r.width && c.x + w > r.x && c.y < r.y + r.height && c.y + h > r.y;
    };
    ASSERT_EQ(tokens->GetCards().size(), size_t(MemoryMatch::kCardCount));
    for (const MemoryMatch::Card& card : tokens->GetCards()) {
        EXPECT_FALSE(meets(card, description)) << card.x << "," << card.y;
        EXPECT_FALSE(meets(card, skip)) << card.x << "," << card.y;
    }
}

TEST_F(SamplePuzzlesTest, CranesLetterHoldsExactlyItsHolesAndDecoys) {
    StartOnMap();
    g_currentSettings.level = 4;
    Game().LoadLevel(true, false, std::string());
    harness->Step();
    auto* letter = Puzzle<DecodeLetter>();
    ASSERT_NE(letter, nullptr);
    struct Expected {
        int16_t x, y, w, h;
        bool required;
    };
    // As the letter was drawn: seven words cut out of it, four decoys below it.
    const Expected expected[] = {
        {129, 128, 126, 35, true}, {33, 168, 104, 35, true},   {355, 168, 128, 35, true},
        {103, 248, 61, 35, true},  {163, 288, 60, 35, true},   {73, 328, 62, 35, true},
        {176, 368, 67, 35, true},  {30, 505, 85, 35, false},   {139, 505, 89, 35, false},
        {252, 505, 68, 35, false}, {344, 505, 113, 35, false},
    };
    const auto& scraps = letter->GetScraps();
    ASSERT_EQ(scraps.size(), std::size(expected));
    for (size_t i = 0; i < scraps.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(scraps[i].rect.x, expected[i].x);
        EXPECT_EQ(scraps[i].rect.y, expected[i].y);
        EXPECT_EQ(scraps[i].rect.width, expected[i].w);
        EXPECT_EQ(scraps[i].rect.height, expected[i].h);
        EXPECT_EQ(scraps[i].required, expected[i].required);
        // Every scrap has its start place in params.ini, on the screen below the letter.
        EXPECT_GE(scraps[i].startY, float(letter->GetOriginY() + letter->GetLetterHeight()));
        EXPECT_LE(scraps[i].startX + scraps[i].rect.width, 1024.0f);
        EXPECT_LE(scraps[i].startY + scraps[i].rect.height, 768.0f);
    }
    EXPECT_EQ(letter->GetLetterHeight(), 505);
    EXPECT_FALSE(harness->Log().contains("DecodeLetter")) << "no complaint about its files";
}
