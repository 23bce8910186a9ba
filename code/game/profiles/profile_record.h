#pragma once
// One player's settings, and the one global record of the current settings
// that the whole game reads: the game application applies it to the devices,
// the options dialog edits it, the tip manager reads its show-tips flag, and
// the profiles manager copies the chosen profile over it.

#include <cstdint>
#include <string>

struct ProfileRecord {
    std::string name = "Player"; // as typed, blanks trimmed at both ends
    uint32_t level = 0;          // level reached in the game in progress; 0: none started
    uint32_t timeOverCount = 0;  // restarts of the current level after its time ran out
    float soundVolume = 0.75f;   // 0..1
    float musicVolume = 0.5f;    // 0..1
    uint8_t vsync = 1;
    uint8_t showTips = 1;
    uint8_t fullscreen = 1;

    bool operator==(const ProfileRecord&) const = default;
};

// The current settings; "Player" and the defaults above until a profile is chosen.
extern ProfileRecord g_currentSettings;
