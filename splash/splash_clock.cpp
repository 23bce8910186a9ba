#include "splash_clock.h"

#include <cerrno>
#include <chrono>
#include <poll.h>

namespace pellucid {

namespace {

class SystemClock final : public SplashClock {
public:
    int64_t now() override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }

    void wait(int fd, int64_t wakeAt, int64_t) override {
        int64_t left = wakeAt - now();
        if (left <= 0)
            return;
        if (left > 1000)
            left = 1000; // wake now and then even when nothing is due
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, static_cast<int>(left));
    }
};

} // namespace

SplashClock& SystemSplashClock() {
    static SystemClock clock;
    return clock;
}

} // namespace pellucid
