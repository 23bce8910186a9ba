#include "game/scenes/objects/spy_fireworks_sequence.h"

#include "game/scenes/spy_values.h"
#include "mirel/base/a_format.h"
#include "mirel/base/a_log.h"
#include "mirel/sound/a_sound.h"
#include "mirel/util/a_optionsfile.h"

namespace {

constexpr const char* kShotTypeSection = "shot_type";
// More numbered sounds than this are not looked for.
constexpr int kMaxSounds = 64;

std::string value(const aOptionsFile& file, const char* key) {
    return file.hasKey(key) ? file.getString(key) : std::string();
}

void readSounds(const aOptionsFile& file, const char* base, SpyShotType& type, aSoundManager* sounds,
                const std::string& group, std::vector<aSound*>& out) {
    for (int n = 1; n <= kMaxSounds; ++n) {
        const std::string key = a_format("%s%d", {base, n});
        if (!file.hasKey(key))
            break;
        out.push_back(sounds ? sounds->getSound(file.getString(key), group) : nullptr);
    }
    type.sounds = sounds;
}

} // namespace

SpyFireworksSequence SpyReadFireworksSequence(aOptionsFile& file, const std::string& object,
                                              aSoundManager* sounds, const std::string& group) {
    SpyFireworksSequence sequence;
    for (size_t i = 0; file.selectSection(i); ++i) {
        const std::string section = file.getSectionName();
        if (section == kShotTypeSection) {
            SpyShotType type;
            type.name = value(file, "name");
            type.bullet = value(file, "ps_bullet");
            type.explode = value(file, "ps_explode");
            type.trail = value(file, "ps_trail");
            type.trail2 = value(file, "ps_trail2");
            readSounds(file, "snd_launch", type, sounds, group, type.launchSounds);
            readSounds(file, "snd_explode", type, sounds, group, type.explodeSounds);
            sequence.types.push_back(std::move(type));
            continue;
        }
        size_t index = 0;
        while (index < sequence.types.size() && sequence.types[index].name != section)
            ++index;
        if (index == sequence.types.size()) {
            a_log("SpyObjFireworks - invalid shot type '%s' for object '%s'", section.c_str(),
                  object.c_str());
            continue;
        }
        SpyShot shot;
        shot.type = uint32_t(index);
        const std::string delay = value(file, "delay");
        shot.delay = SpyReadFloat(delay);
        if (shot.delay < 0.0f) {
            a_log("SpyObjFireworks - delay '%s' of a '%s' shot for object '%s' is below 0, 0 is used",
                  delay.c_str(), section.c_str(), object.c_str());
            shot.delay = 0.0f;
        }
        shot.angle = file.getInt("angle");
        shot.x = file.getInt("x");
        shot.y = file.getInt("y");
        sequence.shots.push_back(shot);
    }
    return sequence;
}
