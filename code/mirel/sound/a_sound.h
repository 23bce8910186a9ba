#pragma once
// Sound effects held in memory and the manager of named sounds and clones.

#include "mirel/base/a_string.h"
#include "mirel/util/a_stringlist.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct FSOUND_SAMPLE;

// A sound file read through the file server and decoded, apart from the
// sound library: what a sample holder does with its file before the library
// takes the sample. a_readSoundFile may run on any thread; the lines it logs
// are held in `log` for the thread that makes the sound to write (aLogHold).
struct aSoundFile {
    FSOUND_SAMPLE* decoded = nullptr; // none when the file could not be read or decoded
    std::vector<std::string> log;

    aSoundFile() = default;
    aSoundFile(aSoundFile&& other) noexcept;
    aSoundFile& operator=(aSoundFile&& other) noexcept;
    ~aSoundFile();
};
aSoundFile a_readSoundFile(const std::string& path);

// One holder of a loaded sample. A sound and its clones each have a holder;
// they share the decoded sample, which is freed with the last of them.
class aSoundSample {
public:
    explicit aSoundSample(const std::string& path);           // loads (owns = 1)
    aSoundSample(const std::string& path, aSoundFile&& read); // the same from the file read ahead
    explicit aSoundSample(const aSoundSample& other);         // shares (owns = 0)
    ~aSoundSample();
    aSoundSample& operator=(const aSoundSample&) = delete;

    FSOUND_SAMPLE* get() const;
    bool owns() const { return m_owns != 0; }

private:
    struct Shared;
    void adopt(const std::string& path, aSoundFile&& read);

    uint8_t m_owns = 0;
    std::shared_ptr<Shared> m_shared;
};

class aSound {
public:
    aSound(const std::string& path, float volume);
    aSound(const std::string& path, float volume, aSoundFile&& read);
    // A clone: same pan, master factor and volume, sharing the sample; no channel.
    aSound(const aSound& other);
    ~aSound();
    aSound& operator=(const aSound&) = delete;

    // Plays from the start; a volume of exactly -1 and a pan of exactly -2 keep the stored ones.
    void play(bool loop, float volume = -1.0f, float pan = -2.0f);
    void stop();
    bool isPlaying() const;
    void pause(bool paused);
    void setPan(float pan);
    void setVolume(float volume);
    void setMasterVolume(float volume);

    float getPan() const { return m_pan; }
    float getVolume() const { return m_volume; }
    float getMasterVolume() const { return m_factor; }
    int getChannel() const { return m_channel; }
    bool hasSample() const { return m_sample->get() != nullptr; }

private:
    std::unique_ptr<aSoundSample> m_sample;
    float m_pan = 0.0f;
    float m_factor = 1.0f;
    float m_volume = 1.0f;
    int m_channel = -1;
    bool m_loop = false;
};

class aSoundManager {
public:
    using ProgressCallback = void (*)(int16_t linesLeft);

    aSoundManager();
    ~aSoundManager();
    aSoundManager(const aSoundManager&) = delete;
    aSoundManager& operator=(const aSoundManager&) = delete;

    void setProgressCallback(ProgressCallback callback) { m_progress = callback; }
    uint32_t getListSize(const std::string& path);
    // The threads a list's files are read and decoded on, the caller's
    // included (1: all on the caller's); by default as many as the machine
    // gives, at most kMostLoadThreads. The sounds, the log lines and the
    // progress calls come out the same, in the list's order, whatever the count.
    static constexpr unsigned kMostLoadThreads = 4;
    void setLoadThreads(unsigned threads) { m_loadThreads = threads < 1 ? 1 : threads; }
    unsigned getLoadThreads() const { return m_loadThreads; }
    void loadList(const std::string& path, const std::string& group = "");
    void unloadList(const std::string& path, const std::string& group = "");

    aSound* getSound(const std::string& name, const std::string& group = "") const;
    bool hasSound(const std::string& name, const std::string& group = "") const;

    // keepsPlaying 1: pauseAll and stopAll leave the clone alone.
    aSound* clone(const aSound* sound, uint8_t keepsPlaying);
    bool freeClone(aSound* sound);

    void setMasterVolume(float volume);
    void pauseAll(bool paused);
    void stopAll();

private:
    // Decoded sounds waiting for their turn hold at most about this much.
    static constexpr size_t kHeldDecodeBytes = size_t(64) << 20;

    static std::string key(const std::string& name, const std::string& group);
    void openList(const std::string& path);

    ProgressCallback m_progress = nullptr;
    std::map<std::string, aSound*, StringLessNoCase> m_sounds;
    std::map<aSound*, uint8_t> m_clones;
    aStringList m_list;
    std::string m_listPath;
    bool m_listHeld = false;
    float m_masterVolume = 1.0f;
    unsigned m_loadThreads;
};
