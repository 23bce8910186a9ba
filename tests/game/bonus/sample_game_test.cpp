// The sample game's bonus rounds, played as a player would: its level files,
// the torn letter, the radio, their pictures, sounds, texts and subtitles,
// as the content build made them (build/<cfg>/Tarrowdene/gameres), over the
// shell's fixture data. The first chapter is played through its room goal
// and its torn letter into the second; the last through its radio, Evrane's
// voice and subtitles, to the final scene and the credits. Screenshots of
// the puzzles go to the test's scratch folder ("shots/").
//
// Also the spoken ending against its subtitles: every cue lies on speech,
// every gap between cues on a pause.

#include "sample_chapters.h"

#include "game/bonus/chocolates_puzzle.h"

#include "content/content_writers.h"
#include "mirel/base/a_rect.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gui/gui_statictext.h"
#include "mirel/platform/window/headless/a_headless_window.h"
#include "support/read_file.h"
#include "synth.h"

#include <cmath>
#include <filesystem>
#include <utility>

using namespace gametest;
namespace fs = std::filesystem;

namespace {

const std::string kSample = std::string(SAMPLE_GAME_DATA) + "/";

class SampleGameTest : public SampleChapters<BonusTest> {
protected:
    void SetUp() override {
        BonusTest::SetUp();
        WriteSampleChapters(200, {"letter_frame.png"});
    }

    // Into the bonus room, whose round's title shows before the round.
    void PlayRoomsToTheBonusRoom(const std::vector<std::string>& rooms) {
        SampleChapters::PlayRoomsToTheBonusRoom(rooms);
        if (HasFatalFailure())
            return;
        EXPECT_TRUE(Bonus()->IsShowingTitle());
        harness->RunFor(1.5f);
        Shot("title");
        harness->RunFor(1.6f);
        ASSERT_FALSE(Bonus()->IsShowingTitle());
        CloseTip();
    }
};

} // namespace

TEST_F(SampleGameTest, TheFirstChapterEndsWithTheTornLetterAndLeadsIntoTheSecond) {
    StartOnMap();
    auto* letter = Puzzle<AssembleLetter>();
    ASSERT_NE(letter, nullptr) << "chapter 1 ends with the torn letter";
    EXPECT_EQ(letter->GetPieces().size(), 12u);
    // The piles lie clear of the puzzle's description and of the skip button,
    // where the shell lays them out (gui/overlays.agui).
    const aRect description(199, 6, 805, 58), skip(864, 716, 140, 40);
    const auto meets = [](float x, float y, float w, float h, const aRect& r) {
        return x < float(r.x + r.width) && x + w > float(r.x) && y < float(r.y + r.height) &&
               y + h > float(r.y);
    };
    for (const AssembleLetter::Piece& piece : letter->GetPieces()) {
        SCOPED_TRACE(piece.name);
        ASSERT_NE(piece.image, nullptr);
        float w = float(piece.image->getWidth()), h = float(piece.image->getHeight());
        float x = piece.startX, y = piece.startY;
        if (piece.startOrientation % 2 != 0) { // turned about its centre
            x += (w - h) / 2.0f;
            y += (h - w) / 2.0f;
            std::swap(w, h);
        }
        EXPECT_FALSE(meets(x, y, w, h, description)) << x << "," << y;
        EXPECT_FALSE(meets(x, y, w, h, skip)) << x << "," << y;
        EXPECT_LE(y + h, 768.0f);
    }
    PlayRoomsToTheBonusRoom({"harbour", "clockshop", "inn"});
    EXPECT_TRUE(harness->Visible("bonus_desc"));
    EXPECT_NE(harness->Text("bonus_desc").find(u"Evrane's letter"), std::u16string::npos);
    Shot("letter_start");

    Moves().Letter(letter);
    ASSERT_FALSE(HasFatalFailure());
    harness->Step();
    EXPECT_EQ(FrontBox(), "msgbox_completed");
    ASSERT_TRUE(CloseBox());
    harness->RunFor(0.6f);
    EXPECT_TRUE(harness->Visible("finalize_bonus_round"));
    EXPECT_TRUE(Playing("btn_finish_level"));
    Shot("letter_done");
    // No log line about a missing picture, sound, style or layer of the round.
    for (const std::string& line : harness->Log().lines) {
        const bool ours = line.find("letter") != std::string::npos ||
                          line.find("bonus") != std::string::npos ||
                          line.find("AssembleLetter") != std::string::npos;
        EXPECT_FALSE(ours && (line.find("Cannot find") != std::string::npos ||
                              line.find("not found") != std::string::npos))
            << line;
    }

    ASSERT_TRUE(harness->Click("finalize_bonus_round"));
    harness->RunFor(4.0f);
    EXPECT_EQ(g_currentSettings.level, 2u);
    EXPECT_EQ(Game().GetMode(), GameApp::MODE_MAP);
    EXPECT_NE(Puzzle<ChocolatesPuzzle>(), nullptr) << "chapter 2 ends with the box of chocolates";
}

TEST_F(SampleGameTest, TheLastChapterEndsWithTheRadioTheVoiceAndTheCredits) {
    StartOnMap();
    g_currentSettings.level = g_levelCount;
    ASSERT_EQ(g_levelCount, 8u);
    Game().LoadLevel(true, false, std::string());
    harness->Step();
    auto* radio = Puzzle<AssembleRadio>();
    ASSERT_NE(radio, nullptr) << "chapter 8 ends with the wireless";
    EXPECT_EQ(radio->GetParts().size(), 7u);
    EXPECT_EQ(radio->GetSubtitles().GetCues().size(), 8u);
    // Every part lies on the bench clear of the skip button (gui/overlays.agui).
    const aRect skip(864, 716, 140, 40);
    for (const AssembleRadio::Part& part : radio->GetParts()) {
        ASSERT_GE(part.loose, 0);
        const AssembleRadio::Layer& loose = radio->GetLayers()[size_t(part.loose)];
        SCOPED_TRACE(loose.name);
        ASSERT_NE(loose.image, nullptr);
        const int32_t w = int32_t(loose.image->getWidth()), h = int32_t(loose.image->getHeight());
        EXPECT_FALSE(loose.x < skip.x + skip.width && loose.x + w > skip.x &&
                     loose.y < skip.y + skip.height && loose.y + h > skip.y)
            << loose.x << "," << loose.y << " " << w << "x" << h;
    }
    PlayRoomsToTheBonusRoom({"lighthouse", "harbour", "chapel"});
    Shot("radio_start");

    Moves().Radio(radio);
    ASSERT_FALSE(HasFatalFailure());
    harness->Step();
    EXPECT_EQ(FrontBox(), "msgbox_completed");
    ASSERT_TRUE(CloseBox());
    harness->Step();
    EXPECT_TRUE(Playing("radio_voice"));
    harness->RunFor(1.0f);
    EXPECT_EQ(radio->GetSubtitleWidget()->GetText(),
              u"This is Evrane Marsh, speaking from\nthe lamp room of Tarrowdene Light.");
    Shot("radio_voice");
    harness->RunFor(9.0f);
    EXPECT_NE(radio->GetSubtitleWidget()->GetText().find(u"Silas Crane"), std::u16string::npos);

    ASSERT_TRUE(harness->Click("finalize_bonus_round"));
    EXPECT_FALSE(Playing("radio_voice"));
    harness->RunFor(4.0f);
    EXPECT_EQ(Game().GetMode(), GameApp::MODE_TITLE);
    EXPECT_TRUE(Game().IsCreditsShowing());
    EXPECT_EQ(Game().GetSceneName(), "final");
    EXPECT_FALSE(fs::exists(SavePath())) << "after the last chapter the save is gone";
}

TEST(SampleGameContent, EvranesSubtitlesAreTimedToHerVoice) {
    soundgen::Audio audio;
    std::string error;
    ASSERT_TRUE(soundgen::readAudio(kSample + "sounds/radio_voice.ogg", audio, error)) << error;
    // Loudness in windows of 10 ms.
    const size_t window = size_t(audio.rate) / 100;
    std::vector<float> level;
    for (size_t start = 0; start + window <= audio.frames(); start += window) {
        float peak = 0.0f;
        for (size_t i = start; i < start + window; ++i)
            for (int c = 0; c < audio.channels; ++c)
                peak = std::max(peak, std::fabs(audio.samples[i * size_t(audio.channels) + size_t(c)]));
        level.push_back(peak);
    }
    const auto quiet = [&](double t) {
        const size_t i = size_t(std::max(0.0, t) * 100.0);
        return i >= level.size() || level[i] < 0.02f;
    };
    // The share of a stretch that is speech.
    const auto spoken = [&](double from, double to) {
        int loud = 0, all = 0;
        for (double t = from; t < to; t += 0.01, ++all)
            loud += quiet(t) ? 0 : 1;
        return all ? double(loud) / all : 0.0;
    };

    SubtitleTrack track;
    const std::string srt = ReadWholeFile(kSample + "loc/radio.srt");
    track.Parse(srt.data(), srt.size());
    const auto& cues = track.GetCues();
    ASSERT_EQ(cues.size(), 8u);
    for (size_t i = 0; i < cues.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(cues[i].lines.empty());
        EXPECT_LT(cues[i].start, cues[i].end);
        EXPECT_GT(spoken(cues[i].start, cues[i].end), 0.6) << "a cue is shown while its words are spoken";
        if (i + 1 < cues.size()) {
            EXPECT_LE(cues[i].end, cues[i + 1].start);
            // Between two cues the voice pauses.
            const double mid = (cues[i].end + cues[i + 1].start) / 2.0;
            EXPECT_LT(spoken(mid - 0.1, mid + 0.1), 0.3) << "the gap after cue " << i << " falls in a pause";
        }
    }
    // The last cue ends with the speech (its reverberation aside).
    double lastSpoken = 0.0;
    for (size_t i = 0; i < level.size(); ++i)
        if (level[i] >= 0.05f)
            lastSpoken = double(i) / 100.0;
    EXPECT_NEAR(cues.back().end, lastSpoken, 0.8);
}
