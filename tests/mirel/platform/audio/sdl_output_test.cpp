#include "mirel/platform/audio/a_audio.h"
#include "mirel/platform/audio/sdl/a_sdlaudio.h"
#include "mirel/sound/sound_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

using namespace soundtest;

namespace {

// SDL's file-writing driver stands in for a sound card: what the device
// received lands in a raw file of 16-bit stereo frames.
TEST(SdlOutput, PlaysAToneThroughTheDevice) {
    std::string raw = scratch("sdl-disk-output.raw");
    std::remove(raw.c_str());
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
    aSdlAudioOutput::install();
    ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_DEVICE));
    ASSERT_TRUE(FSOUND_Init(44100, 64, 0));
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(soundgen::encode(level(0.5, 0.2), soundgen::Format::Wav, bytes));
    FSOUND_SAMPLE* s = FSOUND_Sample_Load(FSOUND_FREE, reinterpret_cast<const char*>(bytes.data()),
                                          FSOUND_LOADMEMORY, 0, static_cast<int>(bytes.size()));
    ASSERT_NE(s, nullptr);
    int ch = FSOUND_PlaySoundEx(FSOUND_FREE, s, nullptr, true);
    FSOUND_SetPan(ch, 0);
    FSOUND_SetPaused(ch, false);
    for (int i = 0; i < 300 && FSOUND_IsPlaying(ch); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(FSOUND_IsPlaying(ch));
    FSOUND_Close();
    a_setAudioOutputFactory(nullptr);
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");

    std::ifstream in(raw, std::ios::binary);
    std::vector<char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto* frames = reinterpret_cast<const int16_t*>(data.data());
    size_t count = data.size() / 4;
    size_t loud = 0;
    for (size_t i = 0; i < count; ++i) {
        if (frames[2 * i] != 0) {
            ++loud;
            ASSERT_NEAR(frames[2 * i], 16384, 2) << i;
        }
        ASSERT_EQ(frames[2 * i + 1], 0) << i; // panned hard left
    }
    EXPECT_EQ(loud, 8820u); // exactly the tone's 0.2 s
}

} // namespace
