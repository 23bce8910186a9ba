#include "mirel/base/a_timer.h"

#include "mirel/base/a_clock.h"

aTimer::aTimer(uint8_t mode) : m_mode(mode) {
    reset();
}

void aTimer::reset() {
    if (m_mode == 0) {
        m_startCounter = m_lastCounter = a_clock().counter();
    } else {
        m_startMs = m_lastMs = a_clock().milliseconds();
    }
}

float aTimer::getTime() const {
    if (m_mode == 0) {
        int64_t freq = a_clock().frequency();
        return static_cast<float>(static_cast<double>(a_clock().counter() - m_startCounter) /
                                  static_cast<double>(freq > 0 ? freq : 1));
    }
    uint32_t elapsed = a_clock().milliseconds() - m_startMs; // unsigned: the wrap is harmless
    return static_cast<float>(elapsed) / 1000.0f;
}

uint32_t aTimer::getTimeMs() const {
    if (m_mode == 0) {
        // In whole numbers, wrapping like the millisecond counter: a float
        // would lose precision and has no defined conversion once it leaves
        // the range of 32 bits (a long run, or a clock behind the start).
        const int64_t freq = a_clock().frequency() > 0 ? a_clock().frequency() : 1;
        const int64_t ticks = a_clock().counter() - m_startCounter;
        return static_cast<uint32_t>(ticks / freq * 1000 + ticks % freq * 1000 / freq);
    }
    return a_clock().milliseconds() - m_startMs;
}

void aTimer::wait(uint32_t ms) const {
    float until = getTime() + static_cast<float>(ms) / 1000.0f;
    while (getTime() < until) {
        // Busy wait by design; a manual clock advances only from outside, so
        // give it a chance to move instead of spinning forever.
        if (&a_clock() != &a_systemClock()) {
            a_clock().sleep(1);
        }
    }
}

float aTimer::getDelta() {
    if (m_mode == 0) {
        int64_t now = a_clock().counter();
        int64_t freq = a_clock().frequency();
        float d = static_cast<float>(static_cast<double>(now - m_lastCounter) /
                                     static_cast<double>(freq > 0 ? freq : 1));
        m_lastCounter = now;
        return d;
    }
    uint32_t now = a_clock().milliseconds();
    float d = static_cast<float>(now - m_lastMs) / 1000.0f;
    m_lastMs = now;
    return d;
}

aTimer& a_logClock() {
    static aTimer timer(0);
    return timer;
}

namespace {
// Starts the log clock before main.
const bool g_logClockStarted = (a_logClock(), true);
} // namespace
