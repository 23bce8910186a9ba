#pragma once
// Music played as streams from files held whole in memory, and the player
// that switches between named tracks with fades.

#include "mirel/util/a_stringlist.h"

#include <cstdint>
#include <string>
#include <vector>

struct FSOUND_STREAM;

class aMusic {
public:
    aMusic(const std::string& path, float volume);
    ~aMusic();
    aMusic(const aMusic&) = delete;
    aMusic& operator=(const aMusic&) = delete;

    bool isOpen() const { return m_stream != nullptr; }
    void play();
    void stop();
    void setPaused(bool paused);
    void setVolume(float volume);
    float getVolume() const { return m_volume; }
    int getChannel() const { return m_channel; }

private:
    FSOUND_STREAM* m_stream = nullptr;
    int m_channel = -1;
    float m_volume = 1.0f;
    float m_loadVolume = 1.0f;
    uint8_t* m_data = nullptr;
};

class aMusicPlayer {
public:
    enum State : uint8_t {
        Stopped = 0,
        FadingToStop = 1,
        Paused = 2,
        FadingToPause = 3,
        Playing = 4,
        FadingIn = 5,
    };

    // The player needs no thread of its own; the flag is accepted for callers that pass it.
    explicit aMusicPlayer(bool withThread = false);
    ~aMusicPlayer();
    aMusicPlayer(const aMusicPlayer&) = delete;
    aMusicPlayer& operator=(const aMusicPlayer&) = delete;

    void setMusicDir(const std::string& dir) { m_musicDir = dir; }
    // Stored only: fades always advance by the elapsed time and last one second.
    void setFadeTime(float seconds) { m_fadeTime = seconds; }
    float getFadeTime() const { return m_fadeTime; }

    bool addTrack(const std::string& file, float volume);
    bool addTracks(const aStringList& list, float volume);
    int findTrack(const std::string& name) const;
    std::string getCurrentTrack() const;

    bool play(const std::string& name, bool fade);
    bool stop(bool fade);
    bool pause(bool fade);
    void playMusic(const std::string& name, float volume, bool fadeOut, bool fadeIn);
    void setVolume(float volume);
    bool setTrackVolume(const std::string& name, float volume);
    void update(float dt);

    // Per track, by index from findTrack.
    size_t getTrackCount() const { return m_tracks.size(); }
    State getState(int index) const { return static_cast<State>(m_states.at(static_cast<size_t>(index))); }
    float getFadeLevel(int index) const { return m_levels.at(static_cast<size_t>(index)); }
    float getTrackVolume(int index) const { return m_volumes.at(static_cast<size_t>(index)); }
    const aMusic* getTrack(int index) const { return m_tracks.at(static_cast<size_t>(index)); }

private:
    void applyVolume(size_t i, float volume);

    std::vector<aMusic*> m_tracks;
    std::vector<std::string> m_names;
    std::vector<uint8_t> m_states;
    std::vector<float> m_volumes;
    std::vector<float> m_levels;
    float m_fadeTime = 1.0f;
    int16_t m_current = -1;
    std::string m_musicDir;
};
