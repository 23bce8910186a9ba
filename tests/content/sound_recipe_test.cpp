// Sound recipes: note names, effect timing, music, speech, and their faults.

#include "content_test_support.h"
#include "synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using contenttest::put;

double peak(const soundgen::Audio& a, double from = 0, double to = 1e9) {
    double m = 0;
    size_t first = size_t(from * a.rate), last = std::min(a.frames(), size_t(to * a.rate));
    for (size_t f = first; f < last; ++f)
        for (int c = 0; c < a.channels; ++c)
            m = std::max(m, double(std::fabs(a.samples[f * size_t(a.channels) + size_t(c)])));
    return m;
}

TEST(SoundRecipes, NoteNames) {
    const struct {
        const char* name;
        double hz;
    } good[] = {{"A4", 440},      {"C4", 261.626}, {"F#3", 184.997},
                {"Bb5", 932.328}, {"a0", 27.5},    {"Cb4", 246.942}};
    for (const auto& g : good) {
        double hz = 0;
        EXPECT_TRUE(soundgen::noteFrequency(g.name, hz)) << g.name;
        EXPECT_NEAR(hz, g.hz, 0.01) << g.name;
    }
    for (const char* bad : {"H4", "C", "C#", "C10", "4", "Cx4", ""}) {
        double hz = 0;
        EXPECT_FALSE(soundgen::noteFrequency(bad, hz)) << bad;
    }
}

TEST(SoundRecipes, EffectsFollowTheirVoices) {
    std::string dir = contenttest::scratch();
    // Four ticks half a second apart: sound at each, silence between.
    put(dir + "tick.sfx", "[sound]\nGain = 0.5\n[voice]\nWave = noise\nLength = 0.02\n"
                          "Envelope = 0.001 0.015 0 0.002\nRepeat = 4 0.5\n");
    soundgen::Audio a;
    std::string error;
    ASSERT_TRUE(soundgen::renderEffect(dir + "tick.sfx", a, error)) << error;
    EXPECT_EQ(a.channels, 1);
    EXPECT_NEAR(double(a.frames()) / a.rate, 1.52, 0.01);
    EXPECT_NEAR(peak(a), 0.5, 1e-6);
    for (int k = 0; k < 4; ++k) {
        EXPECT_GT(peak(a, k * 0.5, k * 0.5 + 0.02), 0.05) << k;
        if (k < 3) {
            EXPECT_LT(peak(a, k * 0.5 + 0.03, k * 0.5 + 0.49), 1e-6) << k;
        }
    }
    // The same recipe gives the same samples.
    soundgen::Audio again;
    ASSERT_TRUE(soundgen::renderEffect(dir + "tick.sfx", again, error));
    EXPECT_EQ(a.samples, again.samples);

    // A vibrato swings the pitch: the zero crossings of a 1 kHz sine come
    // closer together and further apart.
    put(dir + "vib.sfx", "[voice]\nFreq = 1000\nLength = 0.5\nEnvelope = 0 0 1 0\nVibrato = 4 2\n");
    ASSERT_TRUE(soundgen::renderEffect(dir + "vib.sfx", a, error)) << error;
    std::vector<double> periods;
    size_t last = 0;
    for (size_t f = 1; f < a.frames(); ++f)
        if (a.samples[f - 1] < 0 && a.samples[f] >= 0) {
            if (last)
                periods.push_back(double(f - last) / a.rate);
            last = f;
        }
    ASSERT_GT(periods.size(), 100u);
    EXPECT_LT(*std::min_element(periods.begin(), periods.end()), 1 / 1080.0);
    EXPECT_GT(*std::max_element(periods.begin(), periods.end()), 1 / 930.0);

    // Reverb rings on after the sound.
    put(dir + "ring.sfx", "[sound]\nReverb = 0.5 0.8\n[voice]\nLength = 0.1\n");
    ASSERT_TRUE(soundgen::renderEffect(dir + "ring.sfx", a, error)) << error;
    EXPECT_GT(double(a.frames()) / a.rate, 0.4);
    EXPECT_GT(peak(a, 0.2), 0.01);
}

TEST(SoundRecipes, MusicPlaysItsParts) {
    std::string dir = contenttest::scratch();
    put(dir + "m.music", "[music]\nTempo = 120\n[instrument a]\nVoice = flute\nPan = -1\n"
                         "[instrument b]\nVoice = bell\nPan = 1\n"
                         "[part one]\nInstrument = a\nNotes = C4 r:3 | E4+G4:1/2\n"
                         "[part two]\nInstrument = b\nStart = 2\nNotes = A4\n");
    soundgen::Audio a;
    std::string error;
    ASSERT_TRUE(soundgen::renderMusic(dir + "m.music", a, error)) << error;
    ASSERT_EQ(a.channels, 2);
    auto side = [&](int channel, double from, double to) {
        double m = 0;
        for (size_t f = size_t(from * a.rate); f < size_t(to * a.rate) && f < a.frames(); ++f)
            m = std::max(m, double(std::fabs(a.samples[f * 2 + size_t(channel)])));
        return m;
    };
    // At 120 beats a minute: the flute (left) from 0 s and 2 s, the bell (right) from 1 s.
    EXPECT_GT(side(0, 0.05, 0.4), 0.05);
    EXPECT_LT(side(1, 0.05, 0.4), 1e-3);
    EXPECT_GT(side(1, 1.05, 1.4), 0.05);
    EXPECT_GT(side(0, 2.05, 2.2), 0.05);
    EXPECT_GT(double(a.frames()) / a.rate, 2.25);
}

TEST(SoundRecipes, FaultsNameTheirLine) {
    std::string dir = contenttest::scratch();
    struct Case {
        const char* file;
        std::string text, message;
    } cases[] = {
        {"a.sfx", "[voice]\nWave = hum\n", "a.sfx:2: Wave 'hum' is not"},
        {"a.sfx", "[voice]\nFreq = -5\n", "a.sfx:2: Freq takes positive"},
        {"a.sfx", "[voice]\nEnvelope = 1 2 3\n", "a.sfx:2: Envelope takes 4"},
        {"a.sfx", "[voice]\nFilter = notch 300\n", "a.sfx:2: Filter is lowpass"},
        {"a.sfx", "[noise]\n", "a.sfx:1: [noise] is neither"},
        {"a.sfx", "[sound]\n", "needs at least one [voice]"},
        {"a.music", "[instrument x]\nVoice = organ\n", "a.music:2: Voice 'organ' is not"},
        {"a.music", "[part p]\nInstrument = none\nNotes = C4\n",
         "a.music:1: [part p] plays instrument 'none'"},
        {"a.music", "[instrument x]\n[part p]\nInstrument = x\nNotes = C4 H4\n",
         "a.music:4: 'H4' is not a note"},
        {"a.music", "[instrument x]\n[part p]\nInstrument = x\nNotes = C4:0\n", "a.music:4: note 'C4:0'"},
        {"a.music", "[music]\nTempo = 5\n", "a.music:2: Tempo must lie"},
        {"a.speech", "[speech]\nVoice = en\n", "a.speech:1: [speech] needs Text"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        put(dir + c.file, c.text);
        soundgen::Audio a;
        std::string error;
        std::string path = dir + c.file;
        bool ok = std::string(c.file).find(".sfx") != std::string::npos
                      ? soundgen::renderEffect(path, a, error)
                  : std::string(c.file).find(".music") != std::string::npos
                      ? soundgen::renderMusic(path, a, error)
                      : soundgen::renderSpeech(path, CONTENT_ESPEAK, a, error);
        EXPECT_FALSE(ok);
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}

TEST(SoundRecipes, SpeechComesFromTheSynthesiser) {
    std::string dir = contenttest::scratch();
    put(dir + "s.speech", "[speech]\nVoice = en-gb\nText = Two keys.\nText = One is missing.\n");
    soundgen::Audio a;
    std::string error;
    ASSERT_TRUE(soundgen::renderSpeech(dir + "s.speech", CONTENT_ESPEAK, a, error)) << error;
    EXPECT_GT(double(a.frames()) / a.rate, 0.8);
    EXPECT_NEAR(peak(a), 0.9, 1e-3);
    ASSERT_TRUE(soundgen::writeAudio(a, dir + "s.ogg", error)) << error;
    soundgen::Audio back;
    ASSERT_TRUE(soundgen::readAudio(dir + "s.ogg", back, error)) << error;
    EXPECT_NEAR(double(back.frames()) / back.rate, double(a.frames()) / a.rate, 0.05);

    EXPECT_FALSE(soundgen::renderSpeech(dir + "s.speech", "espeak-NOTFOUND", a, error));
    EXPECT_NE(error.find("speech needs espeak-ng"), std::string::npos) << error;
}

} // namespace
