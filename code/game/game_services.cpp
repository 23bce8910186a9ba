// Small services of the game that rooms and puzzles share.

#include "game/game_services.h"

#include "game/profiles/profile_record.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/sound/a_sound.h"

#include <cmath>
#include <ctime>

std::string MakeLevelKey(const std::string& name) {
    return "lev" + std::to_string(g_currentSettings.level) + "." + name;
}

void GetImages(aImageManager* images, const char* group, std::initializer_list<GameImageRequest> requests) {
    for (const GameImageRequest& request : requests) {
        const char* g = group ? group : request.group;
        *request.image = images ? images->getImage(request.name, g ? g : "") : nullptr;
    }
}

void GetSounds(aSoundManager* sounds, const char* group, std::initializer_list<GameSoundRequest> requests) {
    for (const GameSoundRequest& request : requests) {
        const char* g = group ? group : request.group;
        *request.sound = sounds ? sounds->getSound(request.name, g ? g : "") : nullptr;
    }
}

void GetLocalDateTime(struct tm& out) {
    const std::time_t now = std::time(nullptr);
    localtime_r(&now, &out);
    out.tm_year += 1900;
}

bool CardFlipScale(float& width, float angle) {
    constexpr float kPi = 3.14159265358979f;
    constexpr float kHalfPi = kPi / 2.0f;
    const float a = std::fmod(angle, 2.0f * kPi);
    if (a < kHalfPi) {
        width *= 1.0f - a / kHalfPi;
        return false;
    }
    if (a < kPi) {
        width *= (a - kHalfPi) / kHalfPi;
        return true;
    }
    if (a < 3.0f * kHalfPi) {
        width *= (3.0f * kHalfPi - a) / kHalfPi;
        return true;
    }
    width *= (a - 3.0f * kHalfPi) / kHalfPi;
    return false;
}
