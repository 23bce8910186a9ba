#pragma once
// The fixture of the six puzzles after the first: the bonus fixture with
// each puzzle's sounds and small flat-colour pictures (so that a pixel
// tells what was drawn), a level whose "BonusRound" section names the
// puzzle, and helpers to play it with the mouse.

#include "bonus_test_support.h"
#include "sample_puzzle_moves.h"

#include "game/bonus/bonus_round_factory.h"
#include "mirel/base/a_random.h"
#include "mirel/util/a_optionsfile.h"

#include <cmath>
#include <memory>

namespace gametest {

class PuzzleTest : public BonusTest {
protected:
    // The bonus fixture, the puzzles' sounds, and the game in the bonus room
    // of the level whose "BonusRound" section is given; write tells what
    // else the puzzle's folder holds.
    template <class Write> void EnterPuzzle(const std::string& section, Write write) {
        WriteBonusData(section);
        WritePuzzleSounds();
        write();
        StartOnMap();
        Game().GotoRoom(BonusRoom::kName);
        harness->Step();
    }

    void WritePuzzleSounds() {
        const char* sounds[] = {"chocolates_select",       "chocolates_swap",
                                "chocolates_lock",         "chocolates_ordered",
                                "chocolates_take_knife",   "chocolates_test_true",
                                "chocolates_test_false",   "circular_rotate_start",
                                "circular_rotate_end",     "circular_rotating",
                                "circular_lock",           "circular_open",
                                "letter_decode_grab",      "letter_decode_lock",
                                "letter_decode_placeback", "memory_select",
                                "memory_pair_good",        "memory_pair_bad",
                                "safe_dial_rotate_start",  "safe_dial_rotate_end",
                                "safe_dial_rotating",      "safe_digit_rotating",
                                "safe_digit_bad",          "safe_digit_good",
                                "safe_thumb_move",         "safe_open",
                                "safe_case_open",          "trick_watch_open",
                                "trick_watch_match"};
        for (const char* sound : sounds) {
            data->Tone(std::string("sounds/") + sound + ".wav", 0.5);
            Append("sounds/SoundList.txt", std::string(sound) + ".wav 1.0\n");
        }
    }

    // A plain picture in the puzzle's folder, listed in its ImageList.txt.
    void Image(const std::string& folder, const std::string& name, const content::Picture& picture) {
        data->Picture("images/bonus/" + folder + "/" + name + ".png", picture);
        Append("images/bonus/" + folder + "/ImageList.txt", name + ".png 8888 8888\n");
    }

    // A puzzle of the class made from the level file as it is now, as the
    // bonus room makes it (the test owns it).
    template <class T> std::unique_ptr<T> Make(const std::string& className) {
        aOptionsFile level(std::string("data:levels/01.ini"));
        level.setSection("BonusRound");
        return std::unique_ptr<T>(
            dynamic_cast<T*>(BonusRoundFactory::Instance().NewBonusRound(className, level, &Game())));
    }

    // The cursor's position now.
    void Cursor(int32_t& x, int32_t& y) { Game().getInputServer()->getMousePos(x, y); }

    // A point at the angle (counter-clockwise on the screen) and distance from a centre.
    static void Polar(int32_t cx, int32_t cy, float angle, float radius, int32_t& x, int32_t& y) {
        gametest::Polar(cx, cy, angle, radius, x, y);
    }
};

} // namespace gametest
