#pragma once
// A small program folder for the game, written by a test: the settings file
// and a "gameres/" data tree with everything the game shell reads (the main
// layout with every widget the shell binds, a font, locale texts, image and
// sound lists with their pictures and tones, the tips, a music playlist, map
// rooms with their masks, and level files). Tests change any part of it
// before the game starts, or write their own files beside it.
//
// Pictures are flat colours, so a test can tell by a pixel what was drawn:
// see the colour constants below.

#include "content/content_writers.h"

#include <cstdint>
#include <string>
#include <vector>

namespace gametest {

// Colours of the fixture pictures (opaque ARGB).
constexpr uint32_t kTitleColour = 0xFF203040; // the title screen's backdrop
constexpr uint32_t kPanelColour = 0xFF553311; // the panel on the left
constexpr uint32_t kMapColour = 0xFF336644;   // the map backdrop
constexpr uint32_t kRoomColour = 0xFF8899AA;  // a room button's picture
constexpr uint32_t kBoxColour = 0xFFEFE3C8;   // message-box backgrounds
constexpr uint32_t kLoadColour = 0xFF102030;  // the loading screen
constexpr uint32_t kBarColour = 0xFFC9A227;   // the loading bar's filled half
constexpr uint32_t kFrameColour = 0xFF9E3B2E; // the loading bar's frame half
constexpr uint32_t kPauseColour = 0xFFFFFFFF; // the pause picture

// One room of the map: its button's screen rectangle.
struct FixtureRoom {
    std::string name;
    int32_t x = 0, y = 0, width = 120, height = 90;
};

class FixtureTree {
public:
    // home: the program's folder (created); data is home + "gameres/".
    explicit FixtureTree(const std::string& home);

    // Everything below, with the rooms and levels set so far (three rooms
    // and one level of ten minutes by default).
    void WriteShell();

    // Parts (WriteShell calls them all).
    void WriteSettings(const std::string& lang = "en",
                       const std::string& surveyUrl = "https://example.org/survey");
    void WriteLayout();
    void WriteFont();
    void WriteLocale();
    void WriteImages();
    void WriteSounds();
    void WriteTips();
    void WriteMusic(const std::vector<std::string>& tracks = {"fog_and_brass.ogg", "lantern_waltz.ogg",
                                                              "the_point.ogg"});
    // "data:levels/NN.ini": a [General] section and one [Room.x] per room.
    void WriteLevel(int number, int seconds, int hints, int randomLeft, const std::vector<std::string>& rooms,
                    const std::string& extra = std::string());

    // ---- files ----
    std::string Data(const std::string& relative) const { return data + relative; }
    void Text(const std::string& relative, const std::string& text) const;
    void Picture(const std::string& relative, const content::Picture& picture) const;
    // A tone of the given length as a WAV or OGG file (by extension).
    void Tone(const std::string& relative, double seconds, double frequency = 440.0) const;

    std::string home;
    std::string data;
    std::vector<FixtureRoom> rooms;
    // The main layout's text as last written (tests may edit and rewrite it).
    std::string layout;
    // Extra widget sections appended to the layout.
    std::string extraLayout;
    // Extra locale lines appended to "loc/main.txt".
    std::string extraLocale;
};

} // namespace gametest
