// The mixer: 64 looping stereo voices mixed into the 44.1 kHz output, one
// second of sound per iteration, with sounds at the output's rate (the
// straight copy) and at 22.05 kHz and 48 kHz (resampled); and looping music
// streams at several rates. Milliseconds per iteration / 10 = per cent of a
// core.
#include "mirel/platform/audio/a_audio.h"
#include "mirel/platform/audio/a_audiooutput.h"
#include "soundgen.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int kOutputRate = 44100;

std::vector<unsigned char> toneBytes(int rate) {
    soundgen::Tone tone;
    tone.frequency = 440;
    tone.amplitude = 0.01;
    tone.seconds = 0.75; // shorter than a second: every voice loops round its end
    tone.channels = 2;
    tone.rate = rate;
    std::vector<unsigned char> bytes;
    soundgen::encode(tone, soundgen::Format::Wav, bytes);
    return bytes;
}

void mixOneSecond(benchmark::State& state) {
    aManualAudioOutput* out = aManualAudioOutput::current();
    for (auto _ : state) {
        for (int block = 0; block < kOutputRate / 1050; ++block) {
            benchmark::DoNotOptimize(out->mix(1050).data());
        }
    }
    state.counters["voices"] = FSOUND_GetChannelsPlaying();
}

void BM_MixSixtyFourVoices(benchmark::State& state, int soundRate) {
    aManualAudioOutput::install();
    FSOUND_Init(kOutputRate, 64, 0);
    const std::vector<unsigned char> bytes = toneBytes(soundRate);
    FSOUND_SAMPLE* sample = FSOUND_Sample_Load(FSOUND_FREE, reinterpret_cast<const char*>(bytes.data()),
                                               FSOUND_LOADMEMORY, 0, static_cast<int>(bytes.size()));
    for (int i = 0; i < 64; ++i) {
        int ch = FSOUND_PlaySoundEx(FSOUND_FREE, sample, nullptr, true);
        FSOUND_SetLoopMode(ch, FSOUND_LOOP_NORMAL);
        FSOUND_SetVolume(ch, 128 + i);
        FSOUND_SetPan(ch, i * 4);
        FSOUND_SetPaused(ch, false);
    }
    mixOneSecond(state);
    FSOUND_Close();
    a_setAudioOutputFactory(nullptr);
}

BENCHMARK_CAPTURE(BM_MixSixtyFourVoices, at_44100, 44100)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MixSixtyFourVoices, at_22050, 22050)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MixSixtyFourVoices, at_48000, 48000)->Unit(benchmark::kMillisecond);

// Four looping music streams (WAV, so that decoding costs little beside the
// mixing) at 44.1, 48, 22.05 and 32 kHz.
void BM_MixFourMusicStreams(benchmark::State& state) {
    aManualAudioOutput::install();
    FSOUND_Init(kOutputRate, 64, 0);
    const int rates[4] = {44100, 48000, 22050, 32000};
    std::vector<unsigned char> files[4];
    for (int i = 0; i < 4; ++i) {
        files[i] = toneBytes(rates[i]);
        FSOUND_STREAM* s =
            FSOUND_Stream_Open(reinterpret_cast<const char*>(files[i].data()),
                               FSOUND_LOADMEMORY | FSOUND_LOOP_NORMAL, 0, static_cast<int>(files[i].size()));
        FSOUND_Stream_PlayEx(FSOUND_FREE, s, nullptr, false);
    }
    mixOneSecond(state);
    FSOUND_Close();
    a_setAudioOutputFactory(nullptr);
}
BENCHMARK(BM_MixFourMusicStreams)->Unit(benchmark::kMillisecond);

} // namespace
