#pragma once
// Background sounds played at random: each waits a random delay, plays at a
// random volume and pan and, when it loops, plays for a random time with a
// fade in and out, then pauses for a random time and starts again.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class aSound;
class aSoundManager;
class aOptionsFile;

struct aRandomRange {
    // The widest range any value may take (a million seconds), so that a pick
    // always stays finite.
    static constexpr float kMaxValue = 1.0e6f;

    float defaultValue = 0.0f;
    std::vector<std::pair<float, float>> pairs; // (min, max)

    // Items split at ',' and ' ', each "min/max" or one number; an empty text
    // leaves the default alone. Numbers are clamped to [lo, hi]; an item that
    // is no number, or not a finite one, is logged and left out.
    void parse(const std::string& text, float lo = -kMaxValue, float hi = kMaxValue);
    // The default without pairs; else a random pair and a random value in it.
    float pick() const;
};

struct aAmbientSound {
    aSound* sound = nullptr; // a clone owned through the sound manager
    uint8_t loop = 0;
    aRandomRange playtime, volume, pan, pause, delay;
    float fade = 0.1f;
    uint8_t playing = 0;
    float target = 0.0f;
    float elapsed = 0.0f;
    float pickedVolume = 0.0f;
};

class aAmbientSoundSystem {
public:
    // Every section of the file names one sound of the manager (looked up in
    // the group first, then without a group).
    aAmbientSoundSystem(const aOptionsFile& file, aSoundManager* manager, const std::string& group);
    // Opens the options file, then as above.
    aAmbientSoundSystem(const std::string& path, aSoundManager* manager, const std::string& group);
    virtual ~aAmbientSoundSystem();
    aAmbientSoundSystem(const aAmbientSoundSystem&) = delete;
    aAmbientSoundSystem& operator=(const aAmbientSoundSystem&) = delete;

    void start();
    void stop();
    void update(float dt);

    bool isRunning() const { return m_running != 0; }
    const std::vector<aAmbientSound>& getSounds() const { return m_sounds; }

private:
    aSoundManager* m_manager;
    std::vector<aAmbientSound> m_sounds;
    uint8_t m_running = 0;
};
