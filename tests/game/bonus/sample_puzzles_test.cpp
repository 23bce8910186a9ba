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

#include "content/content_writers.h"
#include "game/bonus/chocolates_puzzle.h"
#include "game/bonus/circular_puzzle.h"
#include "game/bonus/decode_letter.h"
#include "game/bonus/memory_match.h"
#include "game/bonus/open_safe.h"
#include "game/bonus/open_trick_watch.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/platform/window/headless/a_headless_window.h"

#include <filesystem>

using namespace gametest;
namespace fs = std::filesystem;

namespace {

const std::string kSample = std::string(SAMPLE_GAME_DATA) + "/";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

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
        Append("loc/levels.txt", ReadFile(kSample + "loc/levels.txt"));
        const std::string sounds = ReadFile(kSample + "sounds/SoundList.txt");
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
        aHeadlessWindow* window = harness->Window();
        if (!window || window->lastFrameWidth() <= 0)
            return;
        content::Picture picture(uint32_t(window->lastFrameWidth()), uint32_t(window->lastFrameHeight()));
        for (size_t i = 0; i < picture.argb.size(); ++i)
            picture.argb[i] = 0xFF000000u | window->lastFrame()[i];
        fs::create_directories(root + "shots");
        content::saveFile(root + "shots/" + name + ".png", content::writePng(picture, false));
    }

    void SolveChocolates(ChocolatesPuzzle* box) {
        const int32_t w = box->GetCellWidth(), h = box->GetCellHeight();
        ASSERT_GT(w, 0);
        const auto click = [&](int32_t i) {
            harness->ClickAt(274 + (i % 6) * w + w / 2, 159 + (i / 6) * h + h / 2);
        };
        for (int32_t i = 0; i < 24; ++i) {
            if (box->GetCandy(i).inPlace)
                continue;
            int32_t holder = -1;
            for (int32_t j = 0; j < 24 && holder < 0; ++j)
                if (box->GetCandy(j).picture.x == (i % 6) * w && box->GetCandy(j).picture.y == (i / 6) * h)
                    holder = j;
            ASSERT_GE(holder, 0);
            click(i);
            if (i == 5)
                Shot("chocolates_selected");
            click(holder);
            harness->RunFor(0.3f);
            ASSERT_TRUE(box->GetCandy(i).inPlace) << i;
        }
        harness->RunFor(0.6f);
        ASSERT_TRUE(box->IsOrdered());
        EXPECT_EQ(FrontBox(), "msgbox_completed");
        ASSERT_TRUE(CloseBox());
        EXPECT_NE(harness->Text("bonus_desc").find(u"knife"), std::u16string::npos);
        // The knife by an opaque point of its picture.
        aImage* knife = Game().GetImageManager()->getImage("knife", "bonus");
        ASSERT_NE(knife, nullptr);
        int32_t kx = -1, ky = -1;
        for (int32_t y = 20; y < int32_t(knife->getHeight()) / 4 && kx < 0; y += 2)
            for (int32_t x = 120; x < int32_t(knife->getWidth()) && kx < 0; x += 2)
                if ((knife->getPixel(x, y) >> 24) > 0x80) {
                    kx = x;
                    ky = y;
                }
        ASSERT_GE(kx, 0);
        harness->MoveTo(729 + kx, 655 + ky);
        harness->RunFor(0.5f);
        Shot("chocolates_knife");
        harness->ClickAt(729 + kx, 655 + ky);
        ASSERT_TRUE(box->IsKnifeTaken());
        harness->ClickAt(362 + 40, 184 + 40); // candy 0: only chocolate
        EXPECT_FALSE(box->IsCompleted());
        harness->MoveTo(362 + 2 * w + w / 2 + 30, 184 + 2 * h + h / 2 + 20);
        harness->Step();
        Shot("chocolates_cut");
        harness->ClickAt(362 + 2 * w + w / 2, 184 + 2 * h + h / 2);
        ASSERT_TRUE(box->IsCompleted());
    }

    void SolveLens(CircularPuzzle* lens) {
        const int32_t cx = CircularPuzzle::kCentreX, cy = CircularPuzzle::kCentreY;
        for (size_t i = 1; i < lens->GetRings().size(); ++i) {
            const CircularPuzzle::Ring& ring = lens->GetRings()[i];
            const float radius =
                float(lens->GetRadius0()) + (float(i) - 0.5f) * float(lens->GetRadiusDelta());
            const float start = ring.angle;
            const float ref = 0.8f + 0.9f * float(i);
            int32_t x = 0, y = 0;
            Polar(cx, cy, ref, radius, x, y);
            harness->MoveTo(x, y);
            harness->Press();
            harness->Step();
            ASSERT_EQ(lens->GetGrabbed(), int32_t(i));
            const float turn = std::remainder(-start, 2.0f * kPi);
            for (int step = 1; step <= 10; ++step) {
                Polar(cx, cy, ref + turn * float(step) / 10.0f, radius, x, y);
                harness->MoveTo(x, y);
                harness->Step();
                if (i == 3 && step == 5)
                    Shot("circular_turning");
            }
            harness->Release();
            harness->Step();
            ASSERT_TRUE(ring.locked) << i;
        }
        ASSERT_TRUE(lens->IsCompleted());
    }

    void SolveLetter(DecodeLetter* letter) {
        const auto take = [&](size_t i) {
            const DecodeLetter::Scrap& s = letter->GetScraps()[i];
            harness->ClickAt(int32_t(s.x) + s.rect.width / 2, int32_t(s.y) + s.rect.height / 2);
            ASSERT_EQ(letter->GetDragged(), int32_t(i));
        };
        const auto dropAt = [&](size_t i, float x, float y) {
            const DecodeLetter::Scrap& s = letter->GetScraps()[i];
            int32_t cx = 0, cy = 0;
            Cursor(cx, cy);
            const int32_t tx = cx + int32_t(std::lround(x - s.x)), ty = cy + int32_t(std::lround(y - s.y));
            for (int step = 1; step <= 4; ++step) {
                harness->MoveTo(cx + (tx - cx) * step / 4, cy + (ty - cy) * step / 4);
                harness->Step();
            }
            harness->ClickAt(tx, ty);
        };
        const auto& scraps = letter->GetScraps();
        // A decoy tried in the first hole goes back.
        size_t decoy = 0, firstHole = 0;
        while (scraps[decoy].required)
            ++decoy;
        take(decoy);
        dropAt(decoy, float(letter->GetOriginX() + scraps[firstHole].rect.x),
               float(letter->GetOriginY() + scraps[firstHole].rect.y));
        EXPECT_FALSE(scraps[decoy].placed);
        for (size_t i = 0; i < scraps.size(); ++i) {
            if (!scraps[i].required)
                continue;
            take(i);
            if (i == 3)
                Shot("letter_decode_held");
            dropAt(i, float(letter->GetOriginX() + scraps[i].rect.x) + 4.0f,
                   float(letter->GetOriginY() + scraps[i].rect.y) - 3.0f);
            ASSERT_TRUE(scraps[i].placed) << i;
        }
        ASSERT_TRUE(letter->IsCompleted());
    }

    void SolveTokens(MemoryMatch* memory) {
        const auto& cards = memory->GetCards();
        const auto click = [&](const MemoryMatch::Card& c) {
            harness->ClickAt(c.x + memory->GetCardWidth() / 2, c.y + memory->GetCardHeight() / 2);
        };
        // Two that do not belong together first.
        const MemoryMatch::Card* other = nullptr;
        for (const MemoryMatch::Card& card : cards)
            if (card.pair != cards[0].pair && !other)
                other = &card;
        click(cards[0]);
        Shot("memory_selected");
        click(*other);
        EXPECT_FALSE(cards[0].matched || other->matched);
        for (int32_t pair = 0; pair < 12; ++pair) {
            const MemoryMatch::Card* two[2] = {};
            for (const MemoryMatch::Card& card : cards)
                if (card.pair == pair)
                    two[two[0] ? 1 : 0] = &card;
            click(*two[0]);
            click(*two[1]);
            ASSERT_TRUE(two[0]->matched && two[1]->matched) << pair;
            if (pair == 6) {
                harness->RunFor(0.3f);
                Shot("memory_half");
            }
        }
        ASSERT_TRUE(memory->IsCompleted());
    }

    void Dial(OpenSafe* safe, int32_t value) {
        const int32_t dx = OpenSafe::kDialX, dy = OpenSafe::kDialY;
        int32_t x = 0, y = 0;
        Polar(dx, dy, 2.2f, 100.0f, x, y);
        harness->MoveTo(x, y);
        harness->Press();
        harness->Step();
        ASSERT_TRUE(safe->IsDialGrabbed());
        const float ref = OpenSafe::PointerAngle(float(x - dx), float(y - dy));
        const float turn =
            std::remainder(OpenSafe::kStep * float(26 - value) - safe->GetDialAngle(), 2.0f * kPi);
        for (int step = 1; step <= 8; ++step) {
            Polar(dx, dy, ref + turn * float(step) / 8.0f, 100.0f, x, y);
            harness->MoveTo(x, y);
            harness->Step();
        }
        harness->Release();
        harness->Step();
        for (int i = 0; i < 60 && safe->UpdateWheels(0.0f); ++i)
            harness->Step();
        harness->Step();
    }

    void SolveSafe(OpenSafe* safe) {
        ASSERT_EQ(safe->GetCombination(), (std::vector<int32_t>{19, 4, 4, 19, 7})) << "T-E-E-T-H";
        Dial(safe, 1); // a wrong letter first
        EXPECT_EQ(safe->GetCurrentWheel(), 0);
        for (size_t i = 0; i < 5; ++i) {
            ASSERT_EQ(safe->GetCurrentWheel(), int32_t(i));
            Dial(safe, safe->GetCombination()[i]);
            if (i == 2)
                Shot("safe_wheels");
        }
        ASSERT_TRUE(safe->IsSafeOpen());
        harness->RunFor(0.5f);
        Shot("safe_open");
        harness->ClickAt(500, 620);
        ASSERT_TRUE(safe->IsCompleted());
    }

    void TurnMinute(OpenTrickWatch* watch, float delta) {
        const int32_t cx = OpenTrickWatch::kCentreX, cy = OpenTrickWatch::kCentreY;
        const float start = watch->GetHand(OpenTrickWatch::MINUTE_HAND).angle;
        int32_t x = 0, y = 0;
        Polar(cx, cy, start, 170.0f, x, y);
        harness->MoveTo(x, y);
        harness->Step();
        harness->Press();
        harness->Step();
        ASSERT_EQ(watch->GetGrabbed(), OpenTrickWatch::MINUTE_HAND);
        const int moves = int(std::ceil(std::fabs(delta) / 0.4f));
        for (int i = 1; i <= moves; ++i) {
            Polar(cx, cy, start + delta * float(i) / float(moves), 170.0f, x, y);
            harness->MoveTo(x, y);
            harness->Step();
        }
        harness->Release();
        harness->Step();
    }

    void SolveWatch(OpenTrickWatch* watch) {
        harness->RunFor(1.0f);
        Shot("trick_watch_show");
        const float turns[] = {-1.0f, 2.0f, -6.0f, -3.0f, -7.0f};
        for (int i = 0; i < 5; ++i) {
            TurnMinute(watch, turns[i] * 2.0f * kPi);
            ASSERT_EQ(watch->GetProgress(), i + 1) << i;
            if (i == 2) {
                int32_t x = 0, y = 0;
                Polar(OpenTrickWatch::kCentreX, OpenTrickWatch::kCentreY,
                      watch->GetHand(OpenTrickWatch::MINUTE_HAND).angle, 170.0f, x, y);
                harness->MoveTo(x, y);
                harness->Step();
                Shot("trick_watch_lit");
            }
        }
        ASSERT_TRUE(watch->IsCompleted());
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
    SolveChocolates(box);
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
        if (auto* lens = dynamic_cast<CircularPuzzle*>(round))
            SolveLens(lens);
        else if (auto* letter = dynamic_cast<DecodeLetter*>(round))
            SolveLetter(letter);
        else if (auto* memory = dynamic_cast<MemoryMatch*>(round))
            SolveTokens(memory);
        else if (auto* safe = dynamic_cast<OpenSafe*>(round))
            SolveSafe(safe);
        else if (auto* watch = dynamic_cast<OpenTrickWatch*>(round))
            SolveWatch(watch);
        else
            FAIL() << "chapter " << c.chapter << " ends with " << round->GetPuzzleName();
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
