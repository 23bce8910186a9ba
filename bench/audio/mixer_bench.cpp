// 64 voices of 44.1 kHz stereo mixed for one second of sound per iteration.
#include "mirel/platform/audio/a_audio.h"
#include "mirel/platform/audio/a_audiooutput.h"
#include "soundgen.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

void MixSixtyFourVoicesForOneSecond(benchmark::State& state) {
    aManualAudioOutput::install();
    FSOUND_Init(44100, 64, 0);
    soundgen::Tone tone;
    tone.frequency = 440;
    tone.amplitude = 0.01;
    tone.seconds = 0.75; // shorter than a second: every voice loops round its end
    tone.channels = 2;
    std::vector<unsigned char> bytes;
    soundgen::encode(tone, soundgen::Format::Wav, bytes);
    FSOUND_SAMPLE* sample = FSOUND_Sample_Load(FSOUND_FREE, reinterpret_cast<const char*>(bytes.data()),
                                               FSOUND_LOADMEMORY, 0, static_cast<int>(bytes.size()));
    for (int i = 0; i < 64; ++i) {
        int ch = FSOUND_PlaySoundEx(FSOUND_FREE, sample, nullptr, true);
        FSOUND_SetLoopMode(ch, FSOUND_LOOP_NORMAL);
        FSOUND_SetVolume(ch, 128 + i);
        FSOUND_SetPan(ch, i * 4);
        FSOUND_SetPaused(ch, false);
    }
    aManualAudioOutput* out = aManualAudioOutput::current();
    for (auto _ : state) {
        for (int block = 0; block < 44100 / 1050; ++block) {
            benchmark::DoNotOptimize(out->mix(1050).data());
        }
    }
    state.counters["voices"] = FSOUND_GetChannelsPlaying();
    FSOUND_Close();
    a_setAudioOutputFactory(nullptr);
}

} // namespace

BENCHMARK(MixSixtyFourVoicesForOneSecond)->Unit(benchmark::kMillisecond);
