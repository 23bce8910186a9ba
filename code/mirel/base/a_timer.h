#pragma once
// A stopwatch over the engine clock: mode 0 reads the high-resolution counter,
// any other mode the millisecond counter.

#include <cstdint>

class aTimer {
public:
    explicit aTimer(uint8_t mode = 0);

    void reset();
    // Seconds since the last reset.
    float getTime() const;
    // Milliseconds since the last reset; wraps after 2^32 in either mode.
    uint32_t getTimeMs() const;
    // Busy-waits until ms milliseconds have passed (no sleep).
    void wait(uint32_t ms) const;
    // Seconds since the previous getDelta (or the reset); moves "last" to now.
    float getDelta();

    uint8_t getMode() const { return m_mode; }

private:
    uint8_t m_mode;
    uint32_t m_startMs = 0;
    uint32_t m_lastMs = 0;
    int64_t m_startCounter = 0;
    int64_t m_lastCounter = 0;
};

// The log's clock: started before main, so every time stamp is time since start.
aTimer& a_logClock();
