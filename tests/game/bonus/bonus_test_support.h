#pragma once
// The bonus rounds' end-to-end fixture: the shell's fixture data with the
// bonus room's widgets, the letter frame's style, the subtitles' template,
// the finish particles, the puzzles' sounds, a small torn letter and a small
// radio, all in flat colours so that a pixel tells what was drawn; and a
// game started on the map of a new game, from which the test enters the
// bonus room.

#include "game/app/app_test_support.h"

#include "game/bonus/assemble_letter.h"
#include "game/bonus/assemble_radio.h"
#include "game/bonus/bonus_room.h"
#include "game/bonus/bonus_round.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/platform/audio/a_audio.h"
#include "mirel/sound/a_sound.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace gametest {

// Colours of the bonus fixture's pictures.
constexpr uint32_t kLetterBackground = 0xFF304050;
constexpr uint32_t kRadioBackground = 0xFF202830;
constexpr uint32_t kLetterFrameColour = 0xFFC9A227;
constexpr uint32_t kPieceA = 0xFFC04040;
constexpr uint32_t kPieceB = 0xFF40C040;
constexpr uint32_t kPieceC = 0xFF4040C0;
constexpr uint32_t kPieceD = 0xFFC0C040;
constexpr uint32_t kTitleColourBonus = 0xFF3C6E71; // the fixture's "bonus_round"

// The letter's place on the screen (params.ini).
constexpr int32_t kLetterX = 400;
constexpr int32_t kLetterY = 150;

// The test letter: four pieces. "a" 100 x 80, "b" 100 x 80 whose left half
// is transparent, "c" and "d" 200 x 60; d has no start place.
struct LetterPiece {
    const char* name;
    int32_t width, height;
    uint32_t colour;
    int32_t targetX, targetY;
    const char* start; // params.ini value, or null
};
inline const LetterPiece kLetterPieces[] = {
    {"a", 100, 80, kPieceA, 0, 0, "220,60,1"},
    {"b", 100, 80, kPieceB, 100, 0, "700,400,0"},
    {"c", 200, 60, kPieceC, 0, 80, "660,420,0"},
    {"d", 200, 60, kPieceD, 0, 140, nullptr},
};

// The test radio's layers: (name, x, y in the play area, w, h, colour).
struct RadioLayer {
    const char* name;
    int32_t x, y, width, height;
    uint32_t colour;
};
constexpr uint32_t kValveColour = 0xFFE08030;
constexpr uint32_t kValveInColour = 0xFFB06020;
constexpr uint32_t kCoilColour = 0xFF30A0E0;
constexpr uint32_t kSpannerColour = 0xFF909090;
constexpr uint32_t kGlowColour = 0xFFFFF0A0;
constexpr uint32_t kCoverColour = 0xFF6A4A2A;
inline const RadioLayer kRadioLayers[] = {
    {"#valve-g", 40, 490, 60, 80, kGlowColour},       {"#valve-o", 50, 500, 40, 60, kValveColour},
    {"#valve-m", 50, 500, 40, 60, kValveColour},      {"#valve-h", 400, 200, 40, 60, kValveColour},
    {"#valve-i", 400, 200, 40, 60, kValveInColour},   {"#coil-g", 140, 490, 60, 80, kGlowColour},
    {"#coil-o", 150, 500, 40, 60, kCoilColour},       {"#coil-m", 150, 500, 40, 60, kCoilColour},
    {"#coil-h", 500, 200, 40, 60, kCoilColour},       {"#coil-i", 500, 200, 40, 60, kCoilColour},
    {"#spanner_g", 640, 490, 60, 80, kGlowColour},    {"#spanner_o", 650, 500, 40, 60, kSpannerColour},
    {"#spanner_m", 650, 500, 40, 60, kSpannerColour}, {"#spanner_h", 450, 200, 40, 60, kSpannerColour},
    {"#spanner_i", 450, 200, 40, 60, kSpannerColour}, {"cover", 350, 150, 300, 200, kCoverColour},
};

inline const char* const kRadioSubtitles = "1\n"
                                           "00:00:00,200 --> 00:00:00,600\n"
                                           "This is the lamp room.\n"
                                           "Evrane speaking.\n"
                                           "\n"
                                           "2\n"
                                           "00:00:00,800 --> 00:00:01,200\n"
                                           "Crane darkened the lamp.\n";

// The bonus room's question before a round is skipped, with its two buttons.
inline const std::string kConfirmSkipDialog =
    "staticimage confirm_skip_dialog\n{\n AreaRect 362 250 300 150\n NormalImage box_bg\n Visible 0\n"
    " imagebutton yes\n {\n  AreaRect 20 100 120 30\n  Image button\n  ImageRect 0 0 120 120\n  Tag 1\n }\n"
    " imagebutton no\n {\n  AreaRect 160 100 120 30\n  Image button\n  ImageRect 0 0 120 120\n  Tag 0\n }\n"
    "}\n";

class BonusTest : public GameTest {
protected:
    // The shell's data with everything the bonus rounds read; the first level
    // ends with the given "BonusRound" section (none when empty).
    void WriteBonusData(const std::string& bonusSection, int levels = 1) {
        data->extraLayout +=
            "statictext bonus_desc\n{\n AreaRect 200 10 600 40\n Font main\n Visible 0\n}\n" +
            kConfirmSkipDialog +
            "style assemble_letter_frame\n{\n Image letter_frame\n AutoSlice all\n EdgeGlobal stretch\n}\n"
            "template assemble_radio_subtitles\n{\n AreaRect 229 650 745 100\n Font main\n HorzFormatting "
            "1\n}\n";
        data->extraLocale += "lev1.bonus_desc = \"Put the letter together.\"\n"
                             "lev1.bonus_completed = \"Evrane's own hand.\"\n"
                             "lev2.bonus_desc = \"The second round.\"\n";
        data->WriteShell();
        for (int n = 1; n <= levels; ++n)
            data->WriteLevel(n, 600, 3, 2, {"harbour", "clockshop", "inn"}, n == 1 ? bonusSection : "");

        data->Picture("images/letter_frame.png", content::Picture(30, 30, kLetterFrameColour));
        Append("images/ImageList.txt", "letter_frame.png 8888 8888\n");
        const char* sounds[] = {"btn_finish_level",     "letter_assemble_grab",   "letter_assemble_placeback",
                                "letter_assemble_lock", "letter_assemble_rotate", "letter_assemble_completed",
                                "radio_voice",          "radio_select",           "radio_lock",
                                "radio_placeback",      "radio_completed"};
        for (const char* sound : sounds) {
            data->Tone(std::string("sounds/") + sound + ".wav",
                       std::string(sound) == "radio_voice" ? 3.0 : 0.5);
            Append("sounds/SoundList.txt", std::string(sound) + ".wav 1.0\n");
        }
        data->Text("particles/config.ini", "[btn_finish_level]\nSystem = finish.txt\nImage = white_dot\n");
        data->Text("particles/finish.txt", "max_particles 50\nfps 30\nemitter_type 1\nemitter_life 1\n"
                                           "emit_per_sec 40\nparticle_life 0.5 0.8\nvelocity 20 40\n");
        WriteLetter();
        WriteRadio();
    }

    void WriteLetter() {
        const std::string folder = "images/bonus/letter_assemble/";
        data->Picture(folder + "background.png", content::Picture(845, 768, kLetterBackground));
        data->Text(folder + "ImageList.txt", "background.png 8888 8888\n");
        std::string list, layout, starts;
        for (const LetterPiece& p : kLetterPieces) {
            content::Picture picture(uint32_t(p.width), uint32_t(p.height), p.colour);
            if (std::string(p.name) == "b") {
                for (uint32_t y = 0; y < picture.height; ++y)
                    for (uint32_t x = 0; x < picture.width / 2; ++x)
                        picture.at(x, y) = 0x20FFFFFF; // alpha 0x20: not part of the piece
            }
            data->Picture(folder + "test/" + p.name + ".png", picture);
            list += std::string(p.name) + ".png 8888 8888\n";
            layout += std::string(p.name) + "\n" + std::to_string(p.targetX) + "\n" +
                      std::to_string(p.targetY) + "\n";
            if (p.start)
                starts += std::string(p.name) + " = " + p.start + "\n";
        }
        data->Text(folder + "test/ImageList.txt", list);
        data->Text(folder + "test/layout.txt", layout);
        data->Text(folder + "test/params.ini", "[letter]\nx = " + std::to_string(kLetterX) + "\ny = " +
                                                   std::to_string(kLetterY) + "\n[pieces]\n" + starts);
    }

    void WriteRadio() {
        const std::string folder = "images/bonus/radio/";
        data->Picture(folder + "background.png", content::Picture(845, 768, kRadioBackground));
        std::string list = "background.png 8888 8888\n", layout;
        for (const RadioLayer& l : kRadioLayers) {
            data->Picture(folder + l.name + ".png",
                          content::Picture(uint32_t(l.width), uint32_t(l.height), l.colour));
            list += std::string(l.name) + ".png 8888 8888\n";
            layout += std::string(l.name) + "\n" + std::to_string(l.x) + "\n" + std::to_string(l.y) + "\n";
        }
        data->Text(folder + "ImageList.txt", list);
        data->Text(folder + "layout.txt", layout);
        data->Text("loc/radio.srt", kRadioSubtitles);
    }

    void Append(const std::string& relative, const std::string& text) {
        std::ifstream in(data->Data(relative), std::ios::binary);
        const std::string old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        data->Text(relative, old + text);
    }

    // The game on the map of a new game for "Mara", every greeting closed.
    void StartOnMap() {
        Begin(false);
        harness->TypeText("Mara");
        harness->Click("btn_ok");
        harness->Step();
        StartGame();
        harness->Step();
        CloseBox();
        CloseTip();
    }
    // The data, the game, and straight into the bonus room (no title).
    void EnterBonusRoom(const std::string& bonusSection, int levels = 1) {
        WriteBonusData(bonusSection, levels);
        StartOnMap();
        Game().GotoRoom(BonusRoom::kName);
        harness->Step();
    }
    BonusRoom* Bonus() { return Game().GetBonusRoom(); }
    template <class T> T* Puzzle() { return dynamic_cast<T*>(Bonus()->GetPuzzle()); }
    aSound* Sound(const std::string& name) { return Game().GetSoundManager()->getSound(name); }
    bool Playing(const std::string& name) {
        aSound* s = Sound(name);
        return s && s->isPlaying();
    }
    // The colour drawn at a screen point, as 0xFFRRGGBB.
    uint32_t At(int32_t x, int32_t y) { return 0xFF000000u | harness->Pixel(x, y); }
};

inline const char* const kLetterSection = "[BonusRound]\nClass = AssembleLetter\nLetter = test\n";
inline const char* const kRadioSection = "[BonusRound]\nClass = AssembleRadio\n";

} // namespace gametest
