// The bonus-round factory and the bonus room's visit: title, play, skip with
// its question, the completion message, the finish button with its particles
// and sound, the level's end; a level without a puzzle; saving.

#include "bonus_test_support.h"

#include "game/bonus/bonus_round_factory.h"
#include "mirel/gfx/a_particle.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/util/a_optionsfile.h"

#include <memory>
#include <set>

using namespace gametest;

namespace {

// Steps of an eighth of a second add up to whole seconds exactly.
constexpr float kEighth = 0.125f;

class BonusRoomTest : public BonusTest {
protected:
    aOptionsFile LevelFile() {
        aOptionsFile level(std::string("data:levels/01.ini"));
        level.setSection("BonusRound");
        return level;
    }
};

} // namespace

TEST_F(BonusRoomTest, TheFactoryHoldsExactlyTheEightPuzzlesAndFindsThemInAnyCase) {
    WriteBonusData(kLetterSection);
    Begin(false);
    // Every puzzle of the game, by the names the level files use.
    const std::map<std::string, std::string> expected = {{"AssembleLetter", "letter_assemble"},
                                                         {"AssembleRadio", "radio"},
                                                         {"ChocolatesPuzzle", "chocolates"},
                                                         {"CircularPuzzle", "circular"},
                                                         {"DecodeLetter", "letter_decode"},
                                                         {"MemoryMatch", "memory"},
                                                         {"OpenSafe", "safe"},
                                                         {"OpenTrickWatch", "trick_watch"}};
    std::set<std::string> names;
    for (const auto& entry : BonusRoundFactory::Instance().GetRegistry().getCreators())
        names.insert(entry.first);
    std::set<std::string> expectedNames;
    for (const auto& entry : expected)
        expectedNames.insert(entry.first);
    EXPECT_EQ(names, expectedNames);

    const aOptionsFile level = LevelFile();
    for (const auto& [name, puzzle] : expected) {
        std::string upper = name;
        for (char& c : upper)
            c = a_toUpperAscii(c);
        for (const std::string& spelling : {name, a_toLowerAscii(name), upper}) {
            std::unique_ptr<BonusRound> round(
                BonusRoundFactory::Instance().NewBonusRound(spelling, level, &Game()));
            ASSERT_NE(round, nullptr) << spelling;
            EXPECT_EQ(round->GetPuzzleName(), puzzle);
            EXPECT_EQ(round->GetEntityName(), "b:" + puzzle);
            EXPECT_EQ(round->GetImageFolder(), "data:images/bonus/" + puzzle + "/");
        }
    }
    EXPECT_NE(
        dynamic_cast<AssembleLetter*>(std::unique_ptr<BonusRound>(BonusRoundFactory::Instance().NewBonusRound(
                                                                      "assembleLETTER", level, &Game()))
                                          .get()),
        nullptr);

    harness->Log().clear();
    EXPECT_EQ(BonusRoundFactory::Instance().NewBonusRound("OpenSesame", level, &Game()), nullptr);
    EXPECT_TRUE(harness->Log().has(
        "BonusRoundFactory::NewBonusRound - bonus round class 'OpenSesame' not registered"));
    // A second registration of a name, in any case, is refused.
    EXPECT_FALSE(BonusRoundFactory::Instance().Register(
        "assembleradio", [](const aOptionsFile&, GameServices*) -> BonusRound* { return nullptr; }));
}

TEST_F(BonusRoomTest, TheBaseOperationsAsThePuzzlesInheritThem) {
    EnterBonusRoom(kLetterSection);
    BonusRound* round = Bonus()->GetPuzzle();
    ASSERT_NE(round, nullptr);
    EXPECT_FALSE(round->HasHint());
    EXPECT_EQ(round->GetResult(), uint32_t(BonusRound::RESULT_UNSOLVED));
    // Shown on entry: the level's description.
    EXPECT_TRUE(harness->Visible("bonus_desc"));
    EXPECT_EQ(harness->Text("bonus_desc"), u"Put the letter together.");
    round->Solve();
    harness->Step();
    EXPECT_TRUE(round->IsCompleted());
    EXPECT_EQ(round->GetResult(), uint32_t(BonusRound::RESULT_SOLVED));
    // The room keeps the base hint behaviour: the hint never reaches a puzzle.
    EXPECT_EQ(Bonus()->GetHintState(), uint32_t(Room::HINT_NO_HINTS));
    EXPECT_TRUE(Bonus()->PausesTimer());
    EXPECT_TRUE(Bonus()->IsKind(Room::KIND_BONUS));
    EXPECT_FALSE(Bonus()->IsKind(Room::KIND_CARD));
}

TEST_F(BonusRoomTest, TheTitleShowsForThreeSecondsWhilePlayWaits) {
    WriteBonusData(kLetterSection);
    StartOnMap();
    Bonus()->SetShowTitle(true);
    Game().GotoRoom(BonusRoom::kName);
    ASSERT_EQ(Game().GetCurrentRoom(), Bonus());
    EXPECT_TRUE(harness->Visible("skip_bonus_round"));
    EXPECT_FALSE(harness->Visible("finalize_bonus_round"));
    auto* letter = Puzzle<AssembleLetter>();
    ASSERT_NE(letter, nullptr);

    // Half way the picture is half faded in over the letter's background; a
    // click on a piece does nothing while the title shows.
    for (int i = 0; i < 12; ++i)
        harness->Step(kEighth);
    // A point of the title that no piece covers ("d" lies anywhere, 60 high).
    const AssembleLetter::Piece* d = letter->FindPiece("d");
    const int32_t y = d->y <= 352 && 352 < d->y + 60 ? 416 : 352;
    const uint32_t half = At(650, y);
    EXPECT_NEAR(int((half >> 8) & 0xFF), (0x6E + 0x40) / 2, 6) << std::hex << half;
    const AssembleLetter::Piece* a = letter->FindPiece("a");
    harness->MoveTo(int32_t(a->x) + 40, int32_t(a->y) + 40);
    harness->Press();
    harness->Step(kEighth);
    harness->Release();
    harness->Step(kEighth);
    EXPECT_EQ(letter->GetDragged(), nullptr);
    for (int i = 0; i < 9; ++i)
        harness->Step(kEighth);
    EXPECT_TRUE(Bonus()->IsShowingTitle()) << "2.875 s";
    // At exactly 3.0 s of stay the title goes on that update.
    harness->Step(kEighth);
    EXPECT_FLOAT_EQ(Bonus()->GetStayTime(), 3.0f);
    EXPECT_FALSE(Bonus()->IsShowingTitle());
    harness->Step(kEighth);
    EXPECT_EQ(At(650, y), kLetterBackground);
}

TEST_F(BonusRoomTest, SkipEndsTheTitleAndAsks_NoPlaysOn_YesSolvesAndFinishes) {
    WriteBonusData(kLetterSection);
    StartOnMap();
    Bonus()->SetShowTitle(true);
    Game().GotoRoom(BonusRoom::kName);
    harness->Step();
    aSound* voice = Sound("radio_voice");
    voice->play(true);

    ASSERT_TRUE(harness->Click("skip_bonus_round"));
    EXPECT_FALSE(Bonus()->IsShowingTitle()) << "skipping ends the title at once";
    EXPECT_TRUE(harness->Visible("confirm_skip_dialog"));
    EXPECT_TRUE(FSOUND_GetPaused(voice->getChannel())) << "every sound pauses while the question is up";
    ASSERT_TRUE(harness->Click("no"));
    EXPECT_FALSE(harness->Visible("confirm_skip_dialog"));
    EXPECT_FALSE(FSOUND_GetPaused(voice->getChannel()));
    EXPECT_TRUE(voice->isPlaying());
    EXPECT_FALSE(Bonus()->GetPuzzle()->IsCompleted());

    ASSERT_TRUE(harness->Click("skip_bonus_round"));
    ASSERT_TRUE(harness->Click("yes"));
    EXPECT_FALSE(voice->isPlaying()) << "yes stops every sound";
    // The puzzle is solved; its completion shows the level's message once,
    // with the completion sound; the finish button waits for the box.
    harness->Steps(2);
    EXPECT_TRUE(Bonus()->GetPuzzle()->IsCompleted());
    EXPECT_FALSE(harness->Visible("skip_bonus_round")) << "a solved puzzle offers no skip";
    EXPECT_EQ(FrontBox(), "msgbox_completed");
    EXPECT_EQ(harness->Find("msgbox_completed")->FindChild("text")->GetText(), u"Evrane's own hand.");
    EXPECT_TRUE(Playing("letter_assemble_completed"));
    harness->Steps(5);
    EXPECT_FALSE(harness->Visible("finalize_bonus_round")) << "not while a popup is up";
    EXPECT_GT(Puzzle<AssembleLetter>()->GetCompletionFade(), 0.0f) << "the puzzle updates meanwhile";
    EXPECT_FALSE(Playing("btn_finish_level"));

    ASSERT_TRUE(CloseBox());
    harness->Step();
    EXPECT_TRUE(harness->Visible("finalize_bonus_round"));
    EXPECT_TRUE(Playing("btn_finish_level"));
    EXPECT_EQ(Game().GetParticlesManager()->getInstanceCount(), 1u) << "the finish button's sparkle";
    harness->Steps(10);
    EXPECT_TRUE(Game().GetMessageBoxes().empty()) << "the completion message shows once";

    ASSERT_TRUE(harness->Click("finalize_bonus_round"));
    EXPECT_FALSE(Playing("btn_finish_level"));
    EXPECT_TRUE(Game().IsLevelCompleted());
    EXPECT_TRUE(Bonus()->IsFinished());
    EXPECT_FALSE(harness->Visible("finalize_bonus_round"));
    harness->Steps(5);
    EXPECT_FALSE(harness->Visible("skip_bonus_round")) << "nor under the chapter's end";
}

TEST_F(BonusRoomTest, WithoutAPuzzleTheRoomOffersSkipAndFinish) {
    struct Case {
        const char* what;
        std::string section;
        const char* logLine;
    };
    const Case cases[] = {
        {"no section", "",
         "BonusRoom::LoadResources - the level has no section 'BonusRound': no bonus round"},
        {"unknown class", "[BonusRound]\nClass = OpenTheLamp\n",
         "BonusRoundFactory::NewBonusRound - bonus round class 'OpenTheLamp' not registered"},
        {"no class", "[BonusRound]\nLetter = test\n",
         "aOptionsFile. Cannot find key \"Class\" in current section!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        harness.reset();
        root = Scratch();
        data = std::make_unique<FixtureTree>(root + "game/");
        EnterBonusRoom(c.section);
        EXPECT_TRUE(harness->Log().has(c.logLine));
        EXPECT_EQ(Bonus()->GetPuzzle(), nullptr);
        EXPECT_TRUE(harness->Visible("skip_bonus_round"));
        EXPECT_TRUE(harness->Visible("finalize_bonus_round"));
        // Skipping asks and answers without harm.
        ASSERT_TRUE(harness->Click("skip_bonus_round"));
        ASSERT_TRUE(harness->Click("yes"));
        harness->Steps(3);
        EXPECT_TRUE(Game().GetMessageBoxes().empty());
        ASSERT_TRUE(harness->Click("finalize_bonus_round"));
        EXPECT_TRUE(Game().IsLevelCompleted());
    }
}

TEST_F(BonusRoomTest, TheSavedRoundIsEmptyAndStartsAfreshAfterLoading) {
    EnterBonusRoom(kLetterSection);
    auto* letter = Puzzle<AssembleLetter>();
    ASSERT_NE(letter, nullptr);
    letter->Solve();
    harness->Step();
    ASSERT_TRUE(letter->IsCompleted());
    Game().SaveGame();

    SaveLoadSystem system(1);
    ASSERT_TRUE(system.Load(SavePath(), kSaveFormatVersion));
    RecordProbe record("b:letter_assemble");
    ASSERT_TRUE(system.LoadEntity(record)) << "the bonus room saves its puzzle's record";
    EXPECT_TRUE(record.bytes.empty());

    Game().LoadGame();
    harness->Step();
    ASSERT_NE(Bonus()->GetPuzzle(), nullptr);
    EXPECT_FALSE(Bonus()->GetPuzzle()->IsCompleted());
    for (const AssembleLetter::Piece& piece : Puzzle<AssembleLetter>()->GetPieces())
        EXPECT_FALSE(piece.locked) << piece.name;
}

TEST_F(BonusRoomTest, TheNextLevelMakesItsOwnPuzzle) {
    WriteBonusData(kLetterSection, 2);
    data->WriteLevel(2, 600, 3, 2, {"harbour"}, kRadioSection);
    StartOnMap();
    ASSERT_NE(Puzzle<AssembleLetter>(), nullptr);
    EXPECT_NE(Game().GetImageManager()->getImage("a", "letter"), nullptr);
    g_currentSettings.level = 2;
    Game().LoadLevel(true, false, std::string());
    ASSERT_NE(Puzzle<AssembleRadio>(), nullptr);
    // The letter's pictures went with it; the radio's are there.
    harness->Log().clear();
    EXPECT_EQ(Game().GetImageManager()->getImage("a", "letter"), nullptr);
    EXPECT_NE(Game().GetImageManager()->getImage("cover", "bonus"), nullptr);
    Game().GotoRoom(BonusRoom::kName);
    harness->Step();
    EXPECT_EQ(harness->Text("bonus_desc"), u"The second round.");
}
