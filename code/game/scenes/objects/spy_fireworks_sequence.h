#pragma once
// The sequence file of a fireworks object: "data:rooms/<room>/<object>.ini",
// an options file read section by section in file order.
//
//   [shot_type]            a kind of shot: "name", the particle templates
//   name = red              "ps_bullet", "ps_trail", "ps_trail2" and
//   ps_bullet = fw_bullet   "ps_explode" (empty: none), and the numbered
//   ps_explode = fw_red     sounds "snd_launch1", "snd_launch2", ... and
//   snd_launch1 = fw_launch "snd_explode1", ... (read while the next number
//   snd_explode1 = fw_bang  exists) of the room's sound group.
//
//   [red]                  a shot of the type named "red": "x", "y" (screen
//   x = 400                 pixels, as given), "angle" (degrees), "delay"
//   y = 700                 (seconds after the shot before it). Sections of
//   angle = -80             one name are several shots.
//   delay = 1.5
//
// A shot of a type not defined above it is logged and skipped; a delay below
// 0 is logged and read as 0, one that is not a number reads as 0. Sounds that are not
// found stay in the list as empty entries.

#include <cstdint>
#include <string>
#include <vector>

class aOptionsFile;
class aSound;
class aSoundManager;

struct SpyShotType {
    std::string name;
    std::string bullet;
    std::string trail;
    std::string trail2;
    std::string explode;
    aSoundManager* sounds = nullptr;
    std::vector<aSound*> launchSounds; // the manager's; null entries are sounds not found
    std::vector<aSound*> explodeSounds;
};

struct SpyShot {
    uint32_t type = 0; // index into the shot types
    int32_t x = 0;
    int32_t y = 0;
    int32_t angle = 0; // degrees
    float delay = 0.0f;
};

struct SpyFireworksSequence {
    std::vector<SpyShotType> types;
    std::vector<SpyShot> shots;
};

// Reads every section of the file; object names the fireworks object in
// log lines, sounds and group are where its sounds are looked up (null: none).
SpyFireworksSequence SpyReadFireworksSequence(aOptionsFile& file, const std::string& object,
                                              aSoundManager* sounds, const std::string& group);
