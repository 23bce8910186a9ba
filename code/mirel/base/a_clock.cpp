#include "mirel/base/a_clock.h"

#include <chrono>
#include <thread>

namespace {

class SystemClock : public aClockSource {
public:
    int64_t counter() override {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    int64_t frequency() override { return 1000000000; }
    uint32_t milliseconds() override { return static_cast<uint32_t>(counter() / 1000000); }
    void sleep(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

aClockSource* g_clock = nullptr;

} // namespace

aClockSource& a_systemClock() {
    static SystemClock clock;
    return clock;
}

aClockSource& a_clock() {
    return g_clock ? *g_clock : a_systemClock();
}

void a_setClock(aClockSource* clock) {
    g_clock = clock;
}
