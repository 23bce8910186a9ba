// The time source of the splash sequence: milliseconds and the wait for the
// next event. Tests put a scripted clock in its place.
#pragma once

#include <cstdint>

namespace pellucid {

class SplashClock {
public:
    virtual ~SplashClock() = default;
    // Milliseconds on a steady clock.
    virtual int64_t now() = 0;
    // Waits until the display connection `fd` has input or the time reaches
    // `wakeAt` (the next fade frame or the timer); `timerDeadline` is when the
    // sequence's timer is due, never earlier than `wakeAt`.
    virtual void wait(int fd, int64_t wakeAt, int64_t timerDeadline) = 0;
};

// The steady system clock with poll().
SplashClock& SystemSplashClock();

} // namespace pellucid
