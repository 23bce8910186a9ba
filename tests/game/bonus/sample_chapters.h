#pragma once
// The sample game's chapters over the shell's fixture data: every room its
// chapters name on a map of two rows, the bonus room's widgets, and the
// sample game's own bonus content (levels, puzzle pictures, sounds, texts,
// subtitles) as the content build made it (build/<cfg>/Tarrowdene/gameres).
// Each room holds one item and one clue. Round is the fixture it builds on
// (BonusTest or PuzzleTest); screenshots go to the test's scratch folder
// ("shots/").

#include "bonus_test_support.h"
#include "game/support/frame_shot.h"
#include "sample_puzzle_moves.h"

#include "support/read_file.h"

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace gametest {

template <class Round> class SampleChapters : public Round {
protected:
    // The rooms stand columnStep apart; the pictures are added to the
    // sample's bonus pictures and listed in images/ImageList.txt.
    void WriteSampleChapters(int columnStep, const std::vector<std::string>& pictures) {
        namespace fs = std::filesystem;
        const std::string sample = std::string(SAMPLE_GAME_DATA) + "/";
        FixtureTree& data = *this->data;
        data.rooms.clear();
        const char* names[] = {"harbour", "clockshop",  "inn",    "study",
                               "market",  "lighthouse", "chapel", "harbour_night"};
        for (int i = 0; i < 8; ++i)
            data.rooms.push_back({names[i], 200 + columnStep * (i % 4), 150 + 250 * (i / 4), 120, 90});
        data.extraLayout = "statictext bonus_desc\n{\n AreaRect 200 8 800 50\n Font main\n Visible 0\n}\n" +
                           kConfirmSkipDialog + "#include \"data:gui/bonus.agui\"\n";
        data.WriteShell();

        const auto copy = [&](const std::string& relative) {
            fs::create_directories(fs::path(data.Data(relative)).parent_path());
            fs::copy(sample + relative, data.Data(relative),
                     fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        };
        for (const char* part :
             {"levels", "images/bonus", "images/bonus_round.png", "loc/radio.srt", "particles",
              "gui/bonus.agui", "fonts/bonus_subtitles.fnt", "fonts/bonus_subtitles.png"})
            copy(part);
        std::string listed;
        for (const std::string& picture : pictures) {
            copy("images/" + picture);
            listed += picture + " 4444 8888\n";
        }
        this->Append("images/ImageList.txt", listed);
        this->Append("loc/levels.txt", ReadWholeFile(sample + "loc/levels.txt"));
        const std::string sounds = ReadWholeFile(sample + "sounds/SoundList.txt");
        this->Append("sounds/SoundList.txt", sounds);
        std::istringstream lines(sounds);
        for (std::string line; std::getline(lines, line);)
            if (!line.empty())
                copy("sounds/" + line.substr(0, line.find(' ')));
        this->roomItems = 1;
        this->roomClues = 1;
    }

    // The chapter's rooms, each with one clue, found one after the other,
    // until the goal leads into the bonus room, which shows the round's title.
    void PlayRoomsToTheBonusRoom(const std::vector<std::string>& rooms) {
        GameHarness& harness = *this->harness;
        GameApp& game = this->Game();
        for (const std::string& room : rooms) {
            this->EnterRoom(room);
            ASSERT_EQ(game.GetCurrentRoom(), game.FindRoom(room)) << room;
            this->RoomOf(room)->FindNext();
            harness.Step();
            if (game.IsLevelGoalReached())
                break;
            for (int i = 0; i < 10 && (!game.GetMessageBoxes().empty() || this->IsTipShown()); ++i)
                if (!this->CloseBox())
                    this->CloseTip();
            ASSERT_TRUE(harness.Click("btn_map"));
        }
        ASSERT_TRUE(game.IsLevelGoalReached());
        for (int i = 0; i < 10 && game.GetCurrentRoom() != this->Bonus(); ++i) {
            if (!this->CloseBox())
                this->CloseTip();
        }
        ASSERT_EQ(game.GetCurrentRoom(), this->Bonus());
    }

    void Shot(const std::string& name) { SaveFrame(*this->harness, this->root + "shots/" + name + ".png"); }

    PuzzleMoves Moves() {
        return PuzzleMoves(*this->harness, [this](const std::string& name) { Shot(name); });
    }
};

} // namespace gametest
