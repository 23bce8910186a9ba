#include "mirel/sound/a_sound.h"

#include "mirel/base/a_log.h"
#include "mirel/base/a_orderedjobs.h"
#include "mirel/file/a_fileserver.h"
#include "mirel/platform/audio/a_audio.h"
#include "mirel/sound/a_soundlibrary.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <utility>

namespace {

// A volume, factor or pan clamped into its range; NaN, which has no place in
// it, gives `fallback`.
float clampOr(float v, float lo, float hi, float fallback) {
    return std::isnan(v) ? fallback : std::clamp(v, lo, hi);
}

} // namespace

struct aSoundSample::Shared {
    FSOUND_SAMPLE* sample = nullptr;
    ~Shared() {
        if (sample) {
            FSOUND_Sample_Free(sample);
        }
    }
};

aSoundFile::aSoundFile(aSoundFile&& other) noexcept
    : decoded(std::exchange(other.decoded, nullptr)), log(std::move(other.log)) {}

aSoundFile& aSoundFile::operator=(aSoundFile&& other) noexcept {
    if (this != &other) {
        FSOUND_Sample_Discard(decoded);
        decoded = std::exchange(other.decoded, nullptr);
        log = std::move(other.log);
    }
    return *this;
}

aSoundFile::~aSoundFile() {
    FSOUND_Sample_Discard(decoded);
}

aSoundFile a_readSoundFile(const std::string& path) {
    aSoundFile out;
    aLogHold hold;
    uint32_t size = 0;
    uint8_t* data = file_readFullAndMalloc(path, &size);
    if (data && size > 0) {
        out.decoded = FSOUND_Sample_Decode(FSOUND_FREE, reinterpret_cast<const char*>(data),
                                           FSOUND_LOADMEMORY | FSOUND_HW2D, 0, static_cast<int>(size));
    }
    std::free(data);
    out.log = hold.take();
    return out;
}

aSoundSample::aSoundSample(const std::string& path) : m_owns(1), m_shared(std::make_shared<Shared>()) {
    a_soundLibraryAddUser();
    adopt(path, a_readSoundFile(path));
}

aSoundSample::aSoundSample(const std::string& path, aSoundFile&& read)
    : m_owns(1), m_shared(std::make_shared<Shared>()) {
    a_soundLibraryAddUser();
    adopt(path, std::move(read));
}

void aSoundSample::adopt(const std::string& path, aSoundFile&& read) {
    a_logLines(read.log);
    m_shared->sample = FSOUND_Sample_Adopt(std::exchange(read.decoded, nullptr));
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
    : m_sample(std::make_unique<aSoundSample>(path)), m_volume(clampOr(volume, 0.0f, 1.0f, 1.0f)) {}

aSound::aSound(const std::string& path, float volume, aSoundFile&& read)
    : m_sample(std::make_unique<aSoundSample>(path, std::move(read))),
      m_volume(clampOr(volume, 0.0f, 1.0f, 1.0f)) {}

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
    setPan(pan != -2.0f ? pan : m_pan);
    setVolume(volume != -1.0f ? volume : m_volume);
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
    m_pan = clampOr(pan, -1.0f, 1.0f, m_pan);
    if (m_channel >= 0) {
        FSOUND_SetPan(m_channel, 128 - static_cast<int>(std::trunc(-127.0f * m_pan)));
    }
}

void aSound::setVolume(float volume) {
    m_volume = clampOr(volume, 0.0f, 1.0f, m_volume);
    if (m_channel >= 0) {
        FSOUND_SetVolume(m_channel, static_cast<int>(std::trunc(m_volume * m_factor * 255.0f)));
    }
}

void aSound::setMasterVolume(float volume) {
    m_factor = clampOr(volume, 0.0f, 1.0f, m_factor);
    setVolume(m_volume);
}

aSoundManager::aSoundManager() : m_loadThreads(aOrderedJobs::machineThreads(kMostLoadThreads)) {}

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
    struct Line {
        std::string text;
        size_t dot = std::string::npos, blank = std::string::npos, value = std::string::npos;
        std::string file; // to read ahead: the line makes a sound
    };
    std::vector<Line> lines;
    lines.reserve(m_list.getCount());
    std::set<std::string, StringLessNoCase> keys;
    for (m_list.begin(); !m_list.isEnd(); m_list.next()) {
        Line l;
        l.text = m_list.current();
        l.dot = l.text.find('.');
        l.blank = l.dot == std::string::npos ? l.dot : l.text.find_first_of(" \t", l.dot);
        l.value = l.blank == std::string::npos ? l.blank : l.text.find_first_not_of(" \t", l.blank);
        const std::string k = key(l.text.substr(0, l.dot), group);
        if (l.value != std::string::npos && !m_sounds.count(k) && keys.insert(k).second) {
            l.file = folder + l.text.substr(0, l.blank);
        }
        lines.push_back(std::move(l));
    }

    // The files of the lines that make a sound are read and decoded ahead,
    // on helper threads; everything else happens below, line by line.
    std::vector<aSoundFile> read(lines.size());
    aOrderedJobs jobs(
        lines.size(),
        [&](size_t i) -> size_t {
            if (lines[i].file.empty()) {
                return 0;
            }
            read[i] = a_readSoundFile(lines[i].file);
            return read[i].decoded ? FSOUND_Sample_GetMemory(read[i].decoded) : 0;
        },
        m_loadThreads, aOrderedJobs::Limits{size_t(m_loadThreads) * 2, kHeldDecodeBytes});

    int left = static_cast<int>(lines.size()) - 1;
    for (size_t i = 0; i < lines.size(); ++i, --left) {
        const Line& l = lines[i];
        const std::string& line = l.text;
        if (l.value == std::string::npos) {
            a_log("aSoundManager. Error in line: %s", line.c_str());
            continue;
        }
        std::string file = line.substr(0, l.blank);
        const double value = std::atof(line.c_str() + l.value);
        float volume = 1.0f;
        if (std::isfinite(value)) {
            volume = static_cast<float>(std::clamp(value, 0.0, 1.0));
        } else {
            a_log("aSoundManager. Bad volume, full volume taken, in line: %s", line.c_str());
        }
        std::string k = key(line.substr(0, l.dot), group);
        if (m_sounds.count(k)) {
            a_log("aSoundManager. Sound with name \"%s\" already loaded!", file.c_str());
            continue;
        }
        jobs.take(i);
        auto* sound = l.file.empty() ? new aSound(folder + file, volume)
                                     : new aSound(folder + file, volume, std::move(read[i]));
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
