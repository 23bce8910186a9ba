#include "mirel/sound/a_sound.h"

#include "mirel/base/a_log.h"
#include "mirel/file/a_fileserver.h"
#include "mirel/platform/audio/a_audio.h"
#include "mirel/sound/a_soundlibrary.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

struct aSoundSample::Shared {
    FSOUND_SAMPLE* sample = nullptr;
    ~Shared() {
        if (sample) {
            FSOUND_Sample_Free(sample);
        }
    }
};

aSoundSample::aSoundSample(const std::string& path) : m_owns(1), m_shared(std::make_shared<Shared>()) {
    a_soundLibraryAddUser();
    uint32_t size = 0;
    uint8_t* data = file_readFullAndMalloc(path, &size);
    if (data && size > 0) {
        m_shared->sample = FSOUND_Sample_Load(FSOUND_FREE, reinterpret_cast<const char*>(data),
                                              FSOUND_LOADMEMORY | FSOUND_HW2D, 0, static_cast<int>(size));
    }
    std::free(data);
    if (!m_shared->sample) {
        a_log("aSound. Error loading sound: %s", path.c_str());
    }
}

aSoundSample::aSoundSample(const aSoundSample& other) : m_owns(0), m_shared(other.m_shared) {
    a_soundLibraryAddUser();
}

aSoundSample::~aSoundSample() {
    m_shared.reset(); // the last holder frees the sample before the library may close
    a_soundLibraryRemoveUser();
}

FSOUND_SAMPLE* aSoundSample::get() const {
    return m_shared->sample;
}

aSound::aSound(const std::string& path, float volume)
    : m_sample(std::make_unique<aSoundSample>(path)), m_volume(volume) {}

aSound::aSound(const aSound& other)
    : m_sample(std::make_unique<aSoundSample>(*other.m_sample)), m_pan(other.m_pan), m_factor(other.m_factor),
      m_volume(other.m_volume) {}

aSound::~aSound() {
    // A one-shot sound may finish after its owner is gone; a looping or paused
    // one would hold its channel for ever.
    if (m_channel >= 0 && (m_loop || FSOUND_GetPaused(m_channel))) {
        FSOUND_StopSound(m_channel);
    }
}

void aSound::play(bool loop, float volume, float pan) {
    if (m_channel >= 0) {
        stop();
    }
    if (FSOUND_GetChannelsPlaying() >= FSOUND_GetMaxChannels()) {
        a_logString("aSound. Max number of channels reached");
        return;
    }
    m_channel = FSOUND_PlaySoundEx(FSOUND_FREE, m_sample->get(), nullptr, true);
    m_loop = loop;
    FSOUND_SetLoopMode(m_channel, loop ? FSOUND_LOOP_NORMAL : FSOUND_LOOP_OFF);
    if (pan != -2.0f) {
        m_pan = pan;
    }
    setPan(m_pan);
    if (volume != -1.0f) {
        m_volume = volume;
    }
    setVolume(m_volume);
    FSOUND_SetPaused(m_channel, false);
}

void aSound::stop() {
    if (m_channel >= 0) {
        FSOUND_StopSound(m_channel);
        m_channel = -1;
    }
}

bool aSound::isPlaying() const {
    return m_channel >= 0 && FSOUND_IsPlaying(m_channel);
}

void aSound::pause(bool paused) {
    if (m_channel >= 0 && FSOUND_IsPlaying(m_channel)) {
        FSOUND_SetPaused(m_channel, paused);
    }
}

void aSound::setPan(float pan) {
    m_pan = std::clamp(pan, -1.0f, 1.0f);
    if (m_channel >= 0) {
        FSOUND_SetPan(m_channel, 128 - static_cast<int>(std::trunc(-127.0f * m_pan)));
    }
}

void aSound::setVolume(float volume) {
    m_volume = std::clamp(volume, 0.0f, 1.0f);
    if (m_channel >= 0) {
        FSOUND_SetVolume(m_channel, static_cast<int>(std::trunc(m_volume * m_factor * 255.0f)));
    }
}

void aSound::setMasterVolume(float volume) {
    m_factor = std::clamp(volume, 0.0f, 1.0f);
    setVolume(m_volume);
}

aSoundManager::aSoundManager() = default;

aSoundManager::~aSoundManager() {
    for (auto& [name, sound] : m_sounds) {
        delete sound;
    }
    m_sounds.clear();
    for (auto& [sound, flag] : m_clones) {
        delete sound;
    }
    m_clones.clear();
}

std::string aSoundManager::key(const std::string& name, const std::string& group) {
    return group.empty() ? name : name + ":" + group;
}

void aSoundManager::openList(const std::string& path) {
    if (!m_listHeld || m_listPath != path) {
        m_list.loadFile(path);
        m_listPath = path;
        m_listHeld = true;
    }
    m_list.begin();
}

uint32_t aSoundManager::getListSize(const std::string& path) {
    openList(path);
    return m_list.getCount();
}

void aSoundManager::loadList(const std::string& path, const std::string& group) {
    openList(path);
    size_t sep = path.find_last_of("/\\:");
    std::string folder = sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
    int left = static_cast<int>(m_list.getCount()) - 1;
    for (m_list.begin(); !m_list.isEnd(); m_list.next(), --left) {
        const std::string& line = m_list.current();
        size_t dot = line.find('.');
        size_t blank = dot == std::string::npos ? dot : line.find_first_of(" \t", dot);
        size_t value = blank == std::string::npos ? blank : line.find_first_not_of(" \t", blank);
        if (value == std::string::npos) {
            a_log("aSoundManager. Error in line: %s", line.c_str());
            continue;
        }
        std::string file = line.substr(0, blank);
        float volume = static_cast<float>(std::atof(line.c_str() + value));
        std::string k = key(line.substr(0, dot), group);
        if (m_sounds.count(k)) {
            a_log("aSoundManager. Sound with name \"%s\" already loaded!", file.c_str());
            continue;
        }
        auto* sound = new aSound(folder + file, volume);
        if (m_masterVolume != 1.0f) {
            sound->setMasterVolume(m_masterVolume);
        }
        m_sounds[k] = sound;
        if (m_progress) {
            m_progress(static_cast<int16_t>(std::max(left, 0)));
        }
    }
}

void aSoundManager::unloadList(const std::string& path, const std::string& group) {
    openList(path);
    for (m_list.begin(); !m_list.isEnd(); m_list.next()) {
        const std::string& line = m_list.current();
        auto it = m_sounds.find(key(line.substr(0, line.find('.')), group));
        if (it != m_sounds.end()) {
            delete it->second;
            m_sounds.erase(it);
        }
    }
}

aSound* aSoundManager::getSound(const std::string& name, const std::string& group) const {
    std::string k = key(name, group);
    auto it = m_sounds.find(k);
    if (it == m_sounds.end()) {
        a_log("aSoundManager. Cannot find sound \"%s\"", k.c_str());
        return nullptr;
    }
    return it->second;
}

bool aSoundManager::hasSound(const std::string& name, const std::string& group) const {
    return m_sounds.count(key(name, group)) != 0;
}

aSound* aSoundManager::clone(const aSound* sound, uint8_t keepsPlaying) {
    if (!sound) {
        a_logString("aSoundManager. Cannot clone NULL sound");
        return nullptr;
    }
    auto* copy = new aSound(*sound);
    m_clones[copy] = keepsPlaying;
    return copy;
}

bool aSoundManager::freeClone(aSound* sound) {
    auto it = sound ? m_clones.find(sound) : m_clones.end();
    if (it == m_clones.end()) {
        return false;
    }
    m_clones.erase(it);
    delete sound;
    return true;
}

void aSoundManager::setMasterVolume(float volume) {
    if (!(volume >= 0.0f && volume <= 1.0f)) {
        a_log("aSoundManager. Invalid volume value %f", static_cast<double>(volume));
        return;
    }
    m_masterVolume = volume;
    for (auto& [name, sound] : m_sounds) {
        sound->setMasterVolume(volume);
    }
    for (auto& [sound, flag] : m_clones) {
        sound->setMasterVolume(volume);
    }
}

void aSoundManager::pauseAll(bool paused) {
    for (auto& [name, sound] : m_sounds) {
        sound->pause(paused);
    }
    for (auto& [sound, flag] : m_clones) {
        if (flag == 0) {
            sound->pause(paused);
        }
    }
}

void aSoundManager::stopAll() {
    for (auto& [name, sound] : m_sounds) {
        sound->stop();
    }
    for (auto& [sound, flag] : m_clones) {
        if (flag == 0) {
            sound->stop();
        }
    }
}
