#pragma once
// The engine's one source of time. Every timer, sleep and time stamp reads it,
// so that tests can replace it with a clock they step by hand.

#include <cstdint>

class aClockSource {
public:
    virtual ~aClockSource() = default;
    // High-resolution counter and its ticks per second.
    virtual int64_t counter() = 0;
    virtual int64_t frequency() = 0;
    // Milliseconds since an arbitrary start; wraps like a 32-bit counter.
    virtual uint32_t milliseconds() = 0;
    // Gives up the processor for about ms milliseconds.
    virtual void sleep(uint32_t ms) = 0;
};

// The monotonic system clock.
aClockSource& a_systemClock();

// The clock in use; the system clock unless a test installed another.
aClockSource& a_clock();
// Installs a clock (null restores the system clock). The caller keeps ownership.
void a_setClock(aClockSource* clock);

// A clock that moves only when told: counter in microseconds.
class aManualClock : public aClockSource {
public:
    int64_t counter() override { return m_micros; }
    int64_t frequency() override { return 1000000; }
    uint32_t milliseconds() override { return static_cast<uint32_t>(m_msBase + m_micros / 1000); }
    void sleep(uint32_t ms) override { advance(ms / 1000.0); }

    void advance(double seconds) {
        m_micros += static_cast<int64_t>(seconds * 1e6 + (seconds >= 0 ? 0.5 : -0.5));
    }
    // Sets where the millisecond counter starts, to exercise its 32-bit wrap.
    void setMillisecondBase(uint32_t base) { m_msBase = base; }

private:
    int64_t m_micros = 0;
    uint32_t m_msBase = 0;
};
