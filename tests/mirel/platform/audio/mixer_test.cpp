#include "mirel/base/a_clock.h"
#include "mirel/platform/audio/a_audio.h"
#include "mirel/platform/audio/a_audiooutput.h"
#include "mirel/sound/sound_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace soundtest;

namespace {

class Mixer : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(FSOUND_Init(44100, 64, 0)); }

    FSOUND_SAMPLE* load(const soundgen::Tone& tone, soundgen::Format format = soundgen::Format::Wav) {
        std::vector<unsigned char>& bytes = m_files.emplace_back();
        EXPECT_TRUE(soundgen::encode(tone, format, bytes));
        return FSOUND_Sample_Load(FSOUND_FREE, reinterpret_cast<const char*>(bytes.data()), FSOUND_LOADMEMORY,
                                  0, static_cast<int>(bytes.size()));
    }
    FSOUND_STREAM* openStream(const soundgen::Tone& tone, soundgen::Format format = soundgen::Format::Wav,
                              unsigned loop = FSOUND_LOOP_NORMAL) {
        std::vector<unsigned char>& bytes = m_files.emplace_back();
        EXPECT_TRUE(soundgen::encode(tone, format, bytes));
        return FSOUND_Stream_Open(reinterpret_cast<const char*>(bytes.data()), FSOUND_LOADMEMORY | loop, 0,
                                  static_cast<int>(bytes.size()));
    }
    int start(FSOUND_SAMPLE* s, int volume = 255, int pan = 128, unsigned loop = FSOUND_LOOP_OFF) {
        int ch = FSOUND_PlaySoundEx(FSOUND_FREE, s, nullptr, true);
        FSOUND_SetLoopMode(ch, loop);
        FSOUND_SetVolume(ch, volume);
        FSOUND_SetPan(ch, pan);
        FSOUND_SetPaused(ch, false);
        return ch;
    }

    ManualOutput m_output;
    std::vector<std::vector<unsigned char>> m_files; // streams read these while they play
};

double peak(const std::vector<int16_t>& b) {
    int m = 0;
    for (int16_t v : b) {
        m = std::max(m, std::abs(static_cast<int>(v)));
    }
    return m / 32767.0;
}

TEST_F(Mixer, DecodesEveryFormatFromMemoryAndRefusesOthers) {
    struct Case {
        soundgen::Format format;
        const char* name;
    };
    for (Case c : {Case{soundgen::Format::Wav, "wav"}, Case{soundgen::Format::Ogg, "ogg"},
                   Case{soundgen::Format::Flac, "flac"}, Case{soundgen::Format::Mp3, "mp3"}}) {
        soundgen::Tone tone;
        tone.frequency = 441;
        tone.amplitude = 0.5;
        tone.seconds = 0.5;
        std::vector<unsigned char> probe;
        if (!soundgen::encode(tone, c.format, probe)) {
            continue; // this libsndfile cannot write it, so nothing to read back
        }
        FSOUND_SAMPLE* s = load(tone, c.format);
        ASSERT_NE(s, nullptr) << c.name;
        start(s);
        EXPECT_NEAR(peak(ManualOutput::mix(8192)), 0.5, 0.06) << c.name;
        FSOUND_Sample_Free(s);
    }
    const char junk[] = "this is not a sound file at all, only some text";
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, junk, FSOUND_LOADMEMORY, 0, sizeof junk), nullptr);
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, junk, FSOUND_LOADMEMORY, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_Stream_Open(junk, FSOUND_LOADMEMORY, 0, sizeof junk), nullptr);
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, nullptr, FSOUND_LOADMEMORY, 0, 100), nullptr);
}

TEST_F(Mixer, VolumeAndPanScaleEachSide) {
    FSOUND_SAMPLE* s = load(level(0.5, 0.1));
    struct Case {
        int volume, pan;
        double left, right;
    };
    for (Case c : {Case{255, 128, 0.5, 0.5}, Case{255, 0, 0.5, 0.0}, Case{255, 255, 0.0, 0.5},
                   Case{127, 128, 0.5 * 127 / 255, 0.5 * 127 / 255}, Case{255, 64, 0.5, 0.25},
                   Case{255, 191, 0.5 * 64 / 127, 0.5}, Case{0, 128, 0.0, 0.0}, Case{300, -5, 0.5, 0.0}}) {
        int ch = start(s, c.volume, c.pan);
        const auto& b = ManualOutput::mix(256);
        EXPECT_NEAR(left(b, 100), c.left, 2e-4) << c.volume << "/" << c.pan;
        EXPECT_NEAR(right(b, 100), c.right, 2e-4) << c.volume << "/" << c.pan;
        FSOUND_StopSound(ch);
    }
    // Two channels add up; the sum clips instead of wrapping.
    start(s);
    start(s);
    EXPECT_NEAR(left(ManualOutput::mix(16), 8), 1.0, 1e-4);
    start(s);
    EXPECT_NEAR(left(ManualOutput::mix(16), 8), 1.0, 1e-4);
}

TEST_F(Mixer, OneShotEndsAndLoopRepeats) {
    FSOUND_SAMPLE* s = load(level(0.5, 0.01)); // 441 frames
    int once = start(s, 255, 0, FSOUND_LOOP_OFF);
    int looped = start(s, 255, 255, FSOUND_LOOP_NORMAL);
    const auto& b = ManualOutput::mix(1000);
    EXPECT_NEAR(left(b, 440), 0.5, 1e-4);
    EXPECT_EQ(left(b, 441), 0.0);
    EXPECT_NEAR(right(b, 999), 0.5, 1e-4);
    EXPECT_FALSE(FSOUND_IsPlaying(once));
    EXPECT_TRUE(FSOUND_IsPlaying(looped));
    EXPECT_EQ(FSOUND_GetChannelsPlaying(), 1);
}

TEST_F(Mixer, SamplesAtOtherRatesPlayAtTheirOwnSpeed) {
    FSOUND_SAMPLE* s = load(level(0.5, 0.1, 22050)); // 2205 frames: 4410 at the mix rate
    int ch = start(s);
    const auto& b = ManualOutput::mix(5000);
    EXPECT_NEAR(left(b, 4400), 0.5, 1e-3);
    EXPECT_EQ(left(b, 4420), 0.0);
    EXPECT_FALSE(FSOUND_IsPlaying(ch));
}

TEST_F(Mixer, StaleHandlesAreIgnoredAfterTheChannelIsReused) {
    FSOUND_SAMPLE* shortOne = load(level(0.5, 0.001));
    FSOUND_SAMPLE* longOne = load(level(0.25, 1.0));
    int old = start(shortOne);
    ManualOutput::mix(200);
    ASSERT_FALSE(FSOUND_IsPlaying(old));
    int fresh = start(longOne);
    EXPECT_EQ(fresh & 1023, old & 1023); // the same channel again
    EXPECT_NE(fresh, old);
    EXPECT_FALSE(FSOUND_IsPlaying(old));
    EXPECT_FALSE(FSOUND_SetVolume(old, 0));
    EXPECT_FALSE(FSOUND_SetPaused(old, true));
    EXPECT_FALSE(FSOUND_StopSound(old));
    EXPECT_TRUE(FSOUND_IsPlaying(fresh));
    EXPECT_EQ(FSOUND_GetVolume(fresh), 255);
    EXPECT_FALSE(FSOUND_GetPaused(fresh));
    for (int bogus : {-1, -7, 1 << 30, 63}) {
        EXPECT_FALSE(FSOUND_IsPlaying(bogus)) << bogus;
    }
}

TEST_F(Mixer, PausedChannelsStayTakenUntilNoneIsFree) {
    FSOUND_SAMPLE* s = load(level(0.5, 0.01));
    std::vector<int> channels;
    for (int i = 0; i < FSOUND_GetMaxChannels(); ++i) {
        channels.push_back(FSOUND_PlaySoundEx(FSOUND_FREE, s, nullptr, true));
        ASSERT_GE(channels.back(), 0);
    }
    EXPECT_EQ(FSOUND_GetMaxChannels(), 64);
    EXPECT_EQ(FSOUND_GetChannelsPlaying(), 64);
    EXPECT_EQ(FSOUND_PlaySoundEx(FSOUND_FREE, s, nullptr, false), -1);
    EXPECT_EQ(peak(ManualOutput::mix(2000)), 0.0); // paused: silent and never ends
    EXPECT_TRUE(FSOUND_IsPlaying(channels.front()));
    EXPECT_TRUE(FSOUND_GetPaused(channels.back()));
    FSOUND_StopSound(channels[5]);
    EXPECT_EQ(FSOUND_GetChannelsPlaying(), 63);
    EXPECT_GE(FSOUND_PlaySoundEx(FSOUND_FREE, s, nullptr, true), 0);
}

TEST_F(Mixer, OutputPauseLeavesEachChannelsOwnPause) {
    FSOUND_SAMPLE* s = load(level(0.5, 0.02)); // 882 frames
    int held = start(s, 255, 0);
    FSOUND_SetPaused(held, true);
    int running = start(s, 255, 255);
    ManualOutput::mix(400);
    FSOUND_SetPaused(FSOUND_ALL, true);
    EXPECT_TRUE(FSOUND_GetPaused(FSOUND_ALL));
    EXPECT_EQ(peak(ManualOutput::mix(4000)), 0.0);
    EXPECT_TRUE(FSOUND_IsPlaying(running)); // nothing moved on while paused
    FSOUND_SetPaused(FSOUND_ALL, false);
    EXPECT_TRUE(FSOUND_GetPaused(held));
    EXPECT_FALSE(FSOUND_GetPaused(running));
    const auto& b = ManualOutput::mix(600);
    EXPECT_EQ(left(b, 0), 0.0);
    EXPECT_NEAR(right(b, 481), 0.5, 1e-4); // 400 + 482 = 882: the last frame
    EXPECT_EQ(right(b, 482), 0.0);
}

TEST_F(Mixer, FreeingASampleStopsItsChannels) {
    FSOUND_SAMPLE* a = load(level(0.5, 0.05));
    FSOUND_SAMPLE* b = load(level(0.25, 0.05));
    int ca = start(a, 255, 128, FSOUND_LOOP_NORMAL);
    int cb = start(b, 255, 128, FSOUND_LOOP_NORMAL);
    ManualOutput::mix(100);
    FSOUND_Sample_Free(a);
    EXPECT_FALSE(FSOUND_IsPlaying(ca));
    EXPECT_TRUE(FSOUND_IsPlaying(cb));
    EXPECT_NEAR(left(ManualOutput::mix(100), 50), 0.25, 1e-4);
    EXPECT_EQ(FSOUND_PlaySoundEx(FSOUND_FREE, nullptr, nullptr, false), -1);
}

TEST_F(Mixer, StreamsPlayTogetherDecodingAsTheyGoAndLoop) {
    FSOUND_STREAM* a = openStream(level(0.25, 0.3));
    FSOUND_STREAM* b = openStream(level(0.5, 0.05, 22050));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    int ca = FSOUND_Stream_PlayEx(FSOUND_FREE, a, nullptr, true);
    int cb = FSOUND_Stream_PlayEx(FSOUND_FREE, b, nullptr, true);
    FSOUND_SetPan(ca, 0);
    FSOUND_SetPan(cb, 128);
    FSOUND_SetVolume(cb, 255);
    FSOUND_SetPaused(ca, false);
    FSOUND_SetPaused(cb, false);
    // Two seconds: both go round their ends many times and through many refills.
    for (int block = 0; block < 20; ++block) {
        const auto& buf = ManualOutput::mix(4410);
        for (size_t f = 0; f < 4410; f += 97) {
            ASSERT_NEAR(left(buf, f), 0.75, 2e-3) << block << ":" << f;
            ASSERT_NEAR(right(buf, f), 0.5, 2e-3) << block << ":" << f;
        }
    }
    EXPECT_EQ(FSOUND_GetChannelsPlaying(), 2);
    EXPECT_TRUE(FSOUND_Stream_Stop(a));
    EXPECT_FALSE(FSOUND_IsPlaying(ca));
    EXPECT_NEAR(left(ManualOutput::mix(10), 5), 0.5, 2e-3);
    EXPECT_TRUE(FSOUND_Stream_Close(b));
    EXPECT_FALSE(FSOUND_IsPlaying(cb));
    EXPECT_EQ(FSOUND_GetChannelsPlaying(), 0);
    // Playing again starts from the beginning on a fresh handle.
    int again = FSOUND_Stream_PlayEx(FSOUND_FREE, a, nullptr, false);
    EXPECT_NE(again, ca);
    EXPECT_TRUE(FSOUND_IsPlaying(again));
}

TEST_F(Mixer, CompressedStreamDecodesWithoutGaps) {
    soundgen::Tone tone;
    tone.frequency = 441;
    tone.amplitude = 0.5;
    tone.seconds = 0.4;
    FSOUND_STREAM* s = openStream(tone, soundgen::Format::Ogg);
    ASSERT_NE(s, nullptr);
    FSOUND_Stream_PlayEx(FSOUND_FREE, s, nullptr, false);
    for (int block = 0; block < 100; ++block) {
        std::vector<int16_t> b = ManualOutput::mix(441); // one period of the tone
        ASSERT_NEAR(peak(b), 0.5, 0.08) << block;
    }
}

TEST_F(Mixer, StreamWithoutLoopEnds) {
    FSOUND_STREAM* s = openStream(level(0.5, 0.01), soundgen::Format::Wav, FSOUND_LOOP_OFF);
    int ch = FSOUND_Stream_PlayEx(FSOUND_FREE, s, nullptr, false);
    const auto& b = ManualOutput::mix(1000);
    EXPECT_NEAR(left(b, 440), 0.5, 1e-4);
    EXPECT_EQ(left(b, 442), 0.0);
    EXPECT_FALSE(FSOUND_IsPlaying(ch));
}

TEST(MixerLifecycle, CallsBeforeInitFailQuietlyAndInitIsNeededOnce) {
    ManualOutput output;
    EXPECT_EQ(FSOUND_GetMaxChannels(), 0);
    EXPECT_EQ(FSOUND_PlaySoundEx(FSOUND_FREE, nullptr, nullptr, false), -1);
    EXPECT_FALSE(FSOUND_IsPlaying(0));
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, "x", FSOUND_LOADMEMORY, 0, 1), nullptr);
    EXPECT_FALSE(FSOUND_Init(44100, 0, 0));
    EXPECT_TRUE(FSOUND_Init(44100, 64, 0));
    EXPECT_NE(aManualAudioOutput::current(), nullptr);
    FSOUND_Close();
    EXPECT_EQ(aManualAudioOutput::current(), nullptr);
    FSOUND_Close();
}

TEST(MixerLifecycle, NullOutputConsumesAudioInRealTime) {
    a_setAudioOutputFactory(nullptr);
    ASSERT_TRUE(FSOUND_Init(44100, 64, 0));
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(soundgen::encode(level(0.5, 0.05), soundgen::Format::Wav, bytes));
    FSOUND_SAMPLE* s = FSOUND_Sample_Load(FSOUND_FREE, reinterpret_cast<const char*>(bytes.data()),
                                          FSOUND_LOADMEMORY, 0, static_cast<int>(bytes.size()));
    int ch = FSOUND_PlaySoundEx(FSOUND_FREE, s, nullptr, false);
    EXPECT_TRUE(FSOUND_IsPlaying(ch));
    for (int i = 0; i < 200 && FSOUND_IsPlaying(ch); ++i) {
        a_clock().sleep(10);
    }
    EXPECT_FALSE(FSOUND_IsPlaying(ch));
    FSOUND_Close();
}

TEST(MixerLifecycle, NullOutputNeverTouchesTheGamesClock) {
    aManualClock game;
    a_setClock(&game);
    a_setAudioOutputFactory(nullptr);
    ASSERT_TRUE(FSOUND_Init(44100, 64, 0));
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(soundgen::encode(level(0.5, 0.05), soundgen::Format::Wav, bytes));
    FSOUND_SAMPLE* s = FSOUND_Sample_Load(FSOUND_FREE, reinterpret_cast<const char*>(bytes.data()),
                                          FSOUND_LOADMEMORY, 0, static_cast<int>(bytes.size()));
    int ch = FSOUND_PlaySoundEx(FSOUND_FREE, s, nullptr, false);
    // The output keeps to wall time: the sound ends while the game's clock stands still.
    for (int i = 0; i < 200 && FSOUND_IsPlaying(ch); ++i) {
        a_systemClock().sleep(10);
    }
    EXPECT_FALSE(FSOUND_IsPlaying(ch));
    FSOUND_Close();
    EXPECT_EQ(game.counter(), 0);
    a_setClock(nullptr);
}

} // namespace
