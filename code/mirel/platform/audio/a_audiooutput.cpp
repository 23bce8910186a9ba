#include "mirel/platform/audio/a_audiooutput.h"

#include "mirel/base/a_clock.h"
#include "mirel/platform/audio/a_audiomixer.h"

#include <algorithm>
#include <atomic>
#include <thread>

struct aNullAudioOutput::Impl {
    std::thread thread;
    std::atomic<bool> stop{false};
};

aNullAudioOutput::aNullAudioOutput() : m_impl(std::make_unique<Impl>()) {}

aNullAudioOutput::~aNullAudioOutput() {
    close();
}

bool aNullAudioOutput::open(aAudioMixer& mixer, int mixRate) {
    close();
    m_impl->stop = false;
    Impl* impl = m_impl.get();
    m_impl->thread = std::thread([impl, &mixer, mixRate] {
        constexpr int64_t kChunk = 1024;
        int16_t scratch[kChunk * 2];
        // Wall time, never the installed clock: a test's manual clock belongs
        // to the game's thread, and sleeping on it would move it.
        aClockSource& clock = a_systemClock();
        const int64_t start = clock.counter();
        const int64_t freq = clock.frequency();
        int64_t done = 0;
        while (!impl->stop) {
            clock.sleep(10);
            int64_t due = (clock.counter() - start) * mixRate / freq;
            // after a long stall only the last second is played
            done = std::max(done, due - mixRate);
            while (done < due && !impl->stop) {
                int n = static_cast<int>(std::min(kChunk, due - done));
                mixer.mix(scratch, n);
                done += n;
            }
        }
    });
    return true;
}

void aNullAudioOutput::close() {
    if (m_impl->thread.joinable()) {
        m_impl->stop = true;
        m_impl->thread.join();
    }
}

namespace {
aManualAudioOutput* g_manual = nullptr;
}

aManualAudioOutput::~aManualAudioOutput() {
    close();
}

bool aManualAudioOutput::open(aAudioMixer& mixer, int mixRate) {
    m_mixer = &mixer;
    m_rate = mixRate;
    g_manual = this;
    return true;
}

void aManualAudioOutput::close() {
    m_mixer = nullptr;
    if (g_manual == this) {
        g_manual = nullptr;
    }
}

const std::vector<int16_t>& aManualAudioOutput::mix(int frames) {
    m_buffer.assign(static_cast<size_t>(std::max(frames, 0)) * 2, 0);
    if (m_mixer && frames > 0) {
        m_mixer->mix(m_buffer.data(), frames);
    }
    return m_buffer;
}

void aManualAudioOutput::install() {
    a_setAudioOutputFactory(
        [](int) -> std::unique_ptr<aAudioOutput> { return std::make_unique<aManualAudioOutput>(); });
}

aManualAudioOutput* aManualAudioOutput::current() {
    return g_manual;
}
