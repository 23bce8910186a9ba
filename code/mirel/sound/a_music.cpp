#include "mirel/sound/a_music.h"

#include "mirel/base/a_log.h"
#include "mirel/file/a_fileserver.h"
#include "mirel/platform/audio/a_audio.h"
#include "mirel/sound/a_soundlibrary.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

aMusic::aMusic(const std::string& path, float volume) : m_loadVolume(volume) {
    a_soundLibraryAddUser();
    uint32_t size = 0;
    m_data = file_readFullAndMalloc(path, &size);
    if (m_data && size > 0) {
        m_stream = FSOUND_Stream_Open(reinterpret_cast<const char*>(m_data),
                                      FSOUND_LOADMEMORY | FSOUND_HW2D | FSOUND_LOOP_NORMAL, 0,
                                      static_cast<int>(size));
    }
    if (!m_stream) {
        a_log("aMusic. Error loading music: %s", path.c_str());
    }
}

aMusic::~aMusic() {
    if (m_stream) {
        FSOUND_Stream_Close(m_stream);
    }
    a_soundLibraryRemoveUser();
    std::free(m_data);
}

void aMusic::play() {
    if (m_channel >= 0) {
        FSOUND_Stream_Stop(m_stream);
        m_channel = -1;
    }
    if (FSOUND_GetChannelsPlaying() >= FSOUND_GetMaxChannels()) {
        a_logString("aMusic. Max number of channels reached");
        return;
    }
    m_channel = FSOUND_Stream_PlayEx(FSOUND_FREE, m_stream, nullptr, true);
    FSOUND_SetVolume(m_channel, static_cast<int>(std::lround(m_loadVolume * m_volume * 255.0f)));
    FSOUND_SetPaused(m_channel, false);
}

void aMusic::stop() {
    if (m_channel >= 0) {
        FSOUND_Stream_Stop(m_stream);
        m_channel = -1;
    }
}

void aMusic::setPaused(bool paused) {
    if (m_channel >= 0 && FSOUND_IsPlaying(m_channel)) {
        FSOUND_SetPaused(m_channel, paused);
    }
}

void aMusic::setVolume(float volume) {
    m_volume = std::clamp(volume, 0.0f, 1.0f);
    if (m_channel >= 0) {
        FSOUND_SetVolume(m_channel, static_cast<int>(std::lround(m_loadVolume * m_volume * 255.0f)));
    }
}

aMusicPlayer::aMusicPlayer(bool) {}

aMusicPlayer::~aMusicPlayer() {
    for (aMusic* m : m_tracks) {
        delete m;
    }
}

bool aMusicPlayer::addTrack(const std::string& file, float volume) {
    auto* music = new aMusic(m_musicDir + file, volume);
    if (!music->isOpen()) {
        delete music;
        return false;
    }
    m_tracks.push_back(music);
    m_names.push_back(file);
    m_states.push_back(Stopped);
    m_volumes.push_back(volume);
    m_levels.push_back(0.0f);
    return true;
}

bool aMusicPlayer::addTracks(const aStringList& list, float volume) {
    aStringList lines = list; // a cursor of our own
    bool ok = true;
    for (lines.begin(); !lines.isEnd(); lines.next()) {
        ok = addTrack(lines.current(), volume) && ok;
    }
    return ok;
}

int aMusicPlayer::findTrack(const std::string& name) const {
    for (size_t i = 0; i < m_names.size(); ++i) {
        if (m_names[i] == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string aMusicPlayer::getCurrentTrack() const {
    return m_current >= 0 ? m_names[static_cast<size_t>(m_current)] : std::string();
}

bool aMusicPlayer::play(const std::string& name, bool fade) {
    int index = findTrack(name);
    if (index < 0) {
        return false;
    }
    size_t i = static_cast<size_t>(index);
    uint8_t state = m_states[i];
    if (state == Playing || state == FadingIn) {
        return true;
    }
    if (!fade) {
        m_tracks[i]->setVolume(m_volumes[i]);
    } else if (state != FadingToStop && state != FadingToPause) {
        m_levels[i] = 0.0f;
        m_tracks[i]->setVolume(0.0f);
    }
    if (state == Stopped) {
        m_tracks[i]->play();
    } else if (state == Paused) {
        m_tracks[i]->setPaused(false);
    }
    m_states[i] = fade ? FadingIn : Playing;
    m_current = static_cast<int16_t>(index);
    return true;
}

bool aMusicPlayer::stop(bool fade) {
    if (m_current < 0) {
        return false;
    }
    size_t i = static_cast<size_t>(m_current);
    if (fade) {
        m_states[i] = FadingToStop;
        m_levels[i] = 1.0f;
    } else {
        m_states[i] = Stopped;
        m_tracks[i]->stop();
    }
    m_current = -1;
    return true;
}

bool aMusicPlayer::pause(bool fade) {
    if (m_current < 0) {
        return false;
    }
    size_t i = static_cast<size_t>(m_current);
    if (fade) {
        m_states[i] = FadingToPause;
        m_levels[i] = 1.0f;
    } else {
        m_states[i] = Paused;
        m_tracks[i]->setPaused(true);
    }
    return true;
}

void aMusicPlayer::playMusic(const std::string& name, float volume, bool fadeOut, bool fadeIn) {
    if (m_current >= 0 && m_names[static_cast<size_t>(m_current)] == name) {
        return;
    }
    if (m_current >= 0) {
        stop(fadeOut);
    }
    setTrackVolume(name, volume);
    play(name, fadeIn);
}

void aMusicPlayer::applyVolume(size_t i, float volume) {
    float old = m_volumes[i];
    m_volumes[i] = volume;
    uint8_t state = m_states[i];
    if ((state != FadingToStop && state != FadingIn) || volume < old) {
        m_tracks[i]->setVolume(volume);
    }
}

void aMusicPlayer::setVolume(float volume) {
    for (size_t i = 0; i < m_tracks.size(); ++i) {
        applyVolume(i, volume);
    }
}

bool aMusicPlayer::setTrackVolume(const std::string& name, float volume) {
    int index = findTrack(name);
    if (index < 0) {
        return false;
    }
    applyVolume(static_cast<size_t>(index), volume);
    return true;
}

void aMusicPlayer::update(float dt) {
    for (size_t i = 0; i < m_tracks.size(); ++i) {
        switch (m_states[i]) {
        case FadingToStop:
            m_levels[i] -= dt;
            if (m_levels[i] <= 0.0f) {
                m_levels[i] = 0.0f;
                m_states[i] = Stopped;
                m_tracks[i]->stop();
            }
            break;
        case FadingToPause:
            m_levels[i] -= dt;
            if (m_levels[i] <= 0.0f) {
                m_levels[i] = 0.0f;
                m_states[i] = Paused;
                m_tracks[i]->setPaused(true);
            }
            break;
        case FadingIn:
            m_levels[i] += dt;
            if (m_levels[i] >= 1.0f) {
                m_levels[i] = 1.0f;
                m_states[i] = Playing;
            }
            break;
        default:
            continue;
        }
        m_tracks[i]->setVolume(m_volumes[i] * m_levels[i]);
    }
}
