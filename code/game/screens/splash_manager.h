#pragma once
// The start-up logos: still pictures that fade in over a coloured background,
// stay, and fade out, one after the other, before the game loads its
// resources. While the sequence runs the game updates and draws nothing else;
// Draw makes whole frames of its own. A click, Space or Escape while a
// picture shows may skip it (or the rest of the sequence).
//
// Settings file (an options file; every section named "splash" is one
// picture, in file order; other sections are ignored):
//   image         picture file, relative to the settings file's folder
//   centered      non-zero: own size in the middle of the screen; 0: stretched
//   fadeincolor   hexadecimal ARGB background while fading in and showing
//   fadeoutcolor  hexadecimal ARGB background while fading out
//   fadeintime    seconds
//   showtime      seconds at full opacity
//   fadeouttime   seconds
//   skip          0 cannot be skipped, 1 skipping ends this picture,
//                 2 skipping ends the whole sequence (after this fade out)
// A colour that is missing or not hexadecimal is opaque black; a time that
// is missing, negative or not finite is 0.

#include "mirel/gfx/a_image.h"

#include <cstdint>
#include <string>
#include <vector>

class aGraphServer;
class aInputServer;

class SplashManager {
public:
    struct Entry {
        std::string image; // the path as the file server takes it
        bool centered = false;
        uint32_t fadeInColor = 0xFF000000u;
        uint32_t fadeOutColor = 0xFF000000u;
        float fadeInTime = 0.0f;
        float fadeOutTime = 0.0f;
        int32_t skip = 0;
        float showTime = 0.0f;
    };

    // Reads the settings; not running. Input comes from the given server or,
    // without one, from the application's.
    explicit SplashManager(const std::string& path, aInputServer* input = nullptr);
    ~SplashManager();
    SplashManager(const SplashManager&) = delete;
    SplashManager& operator=(const SplashManager&) = delete;

    // true: the first picture starts fading in (nothing happens without
    // pictures); false: stops, with an opaque black background.
    void Start(bool on);
    // True while the sequence runs.
    bool Update(float dt);
    // One whole frame (begin, picture, present); nothing when not running.
    void Draw();

    bool IsRunning() const { return m_current >= 0; }
    // The picture shown (-1: not running).
    int32_t GetCurrentIndex() const { return m_current; }
    float GetAlpha() const { return m_alpha; }
    const std::vector<Entry>& GetEntries() const { return m_entries; }

private:
    void Enter(int32_t index);
    void SetClearColor(uint32_t argb) const;
    bool SkipRequested() const;

    std::vector<Entry> m_entries;
    int32_t m_current = -1;
    Entry m_working;
    float m_fadeInTotal = 0.0f; // the working entry's own times
    float m_fadeOutTotal = 0.0f;
    float m_alpha = 0.0f;
    aImage m_picture;
    aInputServer* m_input;
};
