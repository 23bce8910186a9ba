#include "mirel/sound/a_ambientsound.h"

#include "mirel/base/a_log.h"
#include "mirel/base/a_random.h"
#include "mirel/sound/a_sound.h"
#include "mirel/util/a_optionsfile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

void aRandomRange::parse(const std::string& text) {
    size_t i = 0;
    while (i < text.size()) {
        size_t start = text.find_first_not_of(", ", i);
        if (start == std::string::npos) {
            break;
        }
        size_t end = text.find_first_of(", ", start);
        std::string item = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        i = end == std::string::npos ? text.size() : end;
        float lo = 0.0f, hi = 0.0f;
        int n = std::sscanf(item.c_str(), "%f/%f", &lo, &hi);
        if (n < 1) {
            a_log("aAmbientSoundSystem. Bad range value \"%s\"", item.c_str());
            continue;
        }
        pairs.emplace_back(lo, n == 2 ? hi : lo);
    }
}

float aRandomRange::pick() const {
    if (pairs.empty()) {
        return defaultValue;
    }
    const auto& [lo, hi] = pairs[static_cast<size_t>(a_rand()) % pairs.size()];
    return static_cast<float>(lo + (hi - lo) * a_rand() / 32767.0);
}

aAmbientSoundSystem::aAmbientSoundSystem(const std::string& path, aSoundManager* manager,
                                         const std::string& group)
    : aAmbientSoundSystem(aOptionsFile(path), manager, group) {}

aAmbientSoundSystem::aAmbientSoundSystem(const aOptionsFile& file, aSoundManager* manager,
                                         const std::string& group)
    : m_manager(manager) {
    if (!m_manager) {
        a_logString("aAmbientSoundSystem. No sound manager");
        return;
    }
    std::vector<std::string> sections = file.getSectionNames();
    for (size_t i = 0; i < sections.size(); ++i) {
        const std::string& name = sections[i];
        // A repeated section names the same sound: the first one holds its keys.
        if (std::find(sections.begin(), sections.begin() + long(i), name) != sections.begin() + long(i)) {
            continue;
        }
        const aSound* found =
            m_manager->hasSound(name, group) ? m_manager->getSound(name, group) : m_manager->getSound(name);
        aSound* clone = m_manager->clone(found, 0);
        if (!clone) {
            continue;
        }
        aAmbientSound entry;
        entry.sound = clone;
        entry.volume.defaultValue = 1.0f;
        entry.pan.defaultValue = 0.0f;
        entry.pause.defaultValue = 0.0f;
        entry.delay.defaultValue = 0.0f;
        entry.playtime.defaultValue = -1.0f;
        auto read = [&](const char* key, aRandomRange& range) {
            if (const std::string* value = file.findValue(name, key)) {
                range.parse(*value);
            }
        };
        read("volume", entry.volume);
        read("pan", entry.pan);
        read("pause", entry.pause);
        read("delay", entry.delay);
        const std::string* loop = file.findValue(name, "loop");
        entry.loop = loop && std::atoi(loop->c_str()) != 0;
        if (entry.loop) {
            read("playtime", entry.playtime);
            if (const std::string* fade = file.findValue(name, "fade")) {
                entry.fade = static_cast<float>(std::atof(fade->c_str()));
                if (!(entry.fade >= 0.0f)) {
                    a_log("aAmbientSoundSystem. Invalid fade time \"%s\"", fade->c_str());
                    entry.fade = 0.0f;
                }
            }
        }
        m_sounds.push_back(entry);
    }
}

aAmbientSoundSystem::~aAmbientSoundSystem() {
    for (aAmbientSound& s : m_sounds) {
        if (m_manager) {
            m_manager->freeClone(s.sound);
        }
    }
    m_sounds.clear();
}

void aAmbientSoundSystem::start() {
    if (m_running) {
        return;
    }
    m_running = 1;
    for (aAmbientSound& s : m_sounds) {
        s.sound->stop();
        s.playing = 0;
        s.target = s.delay.pick();
        s.elapsed = 0.0f;
    }
}

void aAmbientSoundSystem::stop() {
    if (!m_running) {
        return;
    }
    m_running = 0;
    for (aAmbientSound& s : m_sounds) {
        s.sound->stop();
        s.playing = 0;
    }
}

void aAmbientSoundSystem::update(float dt) {
    if (!m_running) {
        return;
    }
    for (aAmbientSound& s : m_sounds) {
        s.elapsed += dt;
        if (!s.playing) {
            if (s.elapsed < s.target) {
                continue;
            }
            s.playing = 1;
            s.pickedVolume = s.volume.pick();
            if (s.loop) {
                s.sound->play(true, 0.0f, s.pan.pick());
                s.target = s.playtime.pick();
                s.elapsed = 0.0f;
            } else {
                s.sound->play(false, s.pickedVolume, s.pan.pick());
            }
        }
        if (s.loop) {
            float end = 2.0f * s.fade + s.target;
            if (s.target >= 0.0f && s.elapsed >= end) {
                s.sound->stop();
            } else if (s.elapsed < s.fade) {
                s.sound->setVolume(s.pickedVolume * s.elapsed / s.fade);
            } else if (s.target < 0.0f || s.elapsed < s.target + s.fade) {
                s.sound->setVolume(s.pickedVolume);
            } else {
                s.sound->setVolume((end - s.elapsed) * s.pickedVolume / s.fade);
            }
        }
        if (!s.sound->isPlaying()) {
            s.playing = 0;
            s.target = s.pause.pick();
            s.elapsed = 0.0f;
        }
    }
}
