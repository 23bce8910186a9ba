#include "mirel/sound/a_sound.h"
#include "mirel/sound/a_soundlibrary.h"
#include "mirel/sound/sound_test_support.h"

#include <gtest/gtest.h>

#include <limits>

#include <memory>

using namespace soundtest;

namespace {

class Sounds : public ::testing::Test {
protected:
    void SetUp() override {
        m_short = writeTone("short.wav", level(0.5, 0.01));
        m_long = writeTone("long.wav", level(0.5, 1.0));
    }
    ManualOutput m_output;
    LogCapture m_log;
    std::string m_short, m_long;
};

TEST_F(Sounds, PanAndVolumeMapToChannelValues) {
    aSound sound(m_long, 1.0f);
    sound.play(true);
    struct PanCase {
        float in, stored;
        int sent;
    };
    for (PanCase c : {PanCase{-1, -1, 1}, PanCase{0, 0, 128}, PanCase{0.5f, 0.5f, 191}, PanCase{1, 1, 255},
                      PanCase{3, 1, 255}, PanCase{-3, -1, 1}, PanCase{-0.5f, -0.5f, 65}}) {
        sound.setPan(c.in);
        EXPECT_EQ(sound.getPan(), c.stored) << c.in;
        EXPECT_EQ(FSOUND_GetPan(sound.getChannel()), c.sent) << c.in;
    }
    struct VolumeCase {
        float volume, master, stored;
        int sent;
    };
    for (VolumeCase c :
         {VolumeCase{0.5f, 1, 0.5f, 127}, VolumeCase{-1, 1, 0, 0}, VolumeCase{2, 1, 1, 255},
          VolumeCase{1, 0.5f, 1, 127}, VolumeCase{0.5f, 0.5f, 0.5f, 63}, VolumeCase{1, 3, 1, 255}}) {
        sound.setMasterVolume(c.master);
        sound.setVolume(c.volume);
        EXPECT_EQ(sound.getVolume(), c.stored) << c.volume << " x " << c.master;
        EXPECT_EQ(FSOUND_GetVolume(sound.getChannel()), c.sent) << c.volume << " x " << c.master;
    }
    // A value that is no number changes nothing; infinities are clamped like the rest.
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    sound.setMasterVolume(1);
    sound.setVolume(0.5f);
    sound.setPan(0.5f);
    sound.setVolume(nan);
    sound.setMasterVolume(nan);
    sound.setPan(nan);
    EXPECT_EQ(sound.getVolume(), 0.5f);
    EXPECT_EQ(sound.getMasterVolume(), 1.0f);
    EXPECT_EQ(sound.getPan(), 0.5f);
    EXPECT_EQ(FSOUND_GetVolume(sound.getChannel()), 127);
    EXPECT_EQ(FSOUND_GetPan(sound.getChannel()), 191);
    sound.setVolume(inf);
    sound.setPan(-inf);
    EXPECT_EQ(FSOUND_GetVolume(sound.getChannel()), 255);
    EXPECT_EQ(FSOUND_GetPan(sound.getChannel()), 1);
    sound.play(false, nan, nan);
    EXPECT_EQ(FSOUND_GetVolume(sound.getChannel()), 255);
    EXPECT_EQ(aSound(m_long, nan).getVolume(), 1.0f);
    EXPECT_EQ(aSound(m_long, -inf).getVolume(), 0.0f);
}

TEST_F(Sounds, PlayStartsUnpausedWithStoredOrGivenVolumeAndPan) {
    aSound sound(m_short, 0.5f);
    sound.setPan(1.0f);
    sound.play(false, -1.0f, -2.0f);
    ASSERT_TRUE(sound.isPlaying());
    EXPECT_FALSE(FSOUND_GetPaused(sound.getChannel()));
    EXPECT_EQ(FSOUND_GetVolume(sound.getChannel()), 127);
    EXPECT_EQ(FSOUND_GetPan(sound.getChannel()), 255);
    const auto& b = ManualOutput::mix(1000);
    EXPECT_NEAR(right(b, 10), 0.5 * 127 / 255, 2e-4);
    EXPECT_EQ(left(b, 10), 0.0);
    EXPECT_FALSE(sound.isPlaying()); // once, and over

    sound.play(true, 0.25f, -0.5f);
    EXPECT_EQ(sound.getVolume(), 0.25f);
    EXPECT_EQ(sound.getPan(), -0.5f);
    EXPECT_EQ(FSOUND_GetVolume(sound.getChannel()), 63);
    ManualOutput::mix(5000);
    EXPECT_TRUE(sound.isPlaying()); // looped
    int first = sound.getChannel();
    sound.play(true); // plays again from the start, on a fresh handle
    EXPECT_FALSE(FSOUND_IsPlaying(first));
    EXPECT_EQ(FSOUND_GetChannelsPlaying(), 1);
    sound.stop();
    EXPECT_EQ(sound.getChannel(), -1);
    EXPECT_FALSE(sound.isPlaying());
}

TEST_F(Sounds, RunningOutOfChannelsIsReportedPerPlay) {
    std::vector<std::unique_ptr<aSound>> sounds;
    for (int i = 0; i < 65; ++i) {
        sounds.push_back(std::make_unique<aSound>(m_long, 1.0f));
    }
    for (int i = 0; i < 64; ++i) {
        sounds[static_cast<size_t>(i)]->play(false);
    }
    sounds[0]->pause(true); // paused still holds its channel
    EXPECT_TRUE(m_log.lines.empty());
    sounds[64]->play(false);
    EXPECT_TRUE(m_log.has("aSound. Max number of channels reached"));
    EXPECT_FALSE(sounds[64]->isPlaying());
    EXPECT_EQ(sounds[64]->getChannel(), -1);
}

TEST_F(Sounds, AnEndedSoundDoesNotTouchTheChannelsNextSound) {
    aSound first(m_short, 1.0f);
    aSound second(m_long, 1.0f);
    first.play(false);
    ManualOutput::mix(1000);
    EXPECT_FALSE(first.isPlaying());
    second.play(false);
    EXPECT_EQ(first.getChannel() & 1023, second.getChannel() & 1023);
    first.setVolume(0.0f);
    first.pause(true);
    first.stop();
    EXPECT_TRUE(second.isPlaying());
    EXPECT_EQ(FSOUND_GetVolume(second.getChannel()), 255);
    EXPECT_FALSE(FSOUND_GetPaused(second.getChannel()));
}

TEST_F(Sounds, MissingOrBrokenFilesLogAndPlayNothing) {
    std::string junk = scratch("junk.wav");
    writeText(junk, "RIFF but not really");
    for (const std::string& path : {scratch("nowhere.wav"), junk}) {
        aSound sound(path, 1.0f);
        EXPECT_TRUE(m_log.has("aSound. Error loading sound: " + path));
        EXPECT_FALSE(sound.hasSample());
        sound.play(true);
        EXPECT_FALSE(sound.isPlaying());
        EXPECT_EQ(FSOUND_GetChannelsPlaying(), 0);
    }
}

TEST_F(Sounds, ACloneKeepsTheSampleAfterItsSoundIsGone) {
    auto sound = std::make_unique<aSound>(m_long, 0.5f);
    sound->setPan(-1.0f);
    aSound clone(*sound);
    EXPECT_EQ(clone.getVolume(), 0.5f);
    EXPECT_EQ(clone.getPan(), -1.0f);
    EXPECT_EQ(clone.getChannel(), -1);
    sound.reset();
    clone.play(false);
    EXPECT_NEAR(left(ManualOutput::mix(100), 50), 0.5 * 127 / 255, 2e-4);
}

TEST_F(Sounds, DestroyingALoopingOrPausedSoundFreesItsChannel) {
    aSound original(m_long, 1.0f);
    {
        aSound looping(original);
        looping.play(true);
        aSound paused(original);
        paused.play(false);
        paused.pause(true);
        aSound oneShot(original);
        oneShot.play(false);
    }
    EXPECT_EQ(FSOUND_GetChannelsPlaying(), 1); // the one-shot plays to its end
    ManualOutput::mix(44100 + 10);
    EXPECT_EQ(FSOUND_GetChannelsPlaying(), 0);
}

TEST_F(Sounds, TheLibraryRunsWhileAnyHolderLives) {
    EXPECT_EQ(FSOUND_GetMaxChannels(), 0);
    auto sound = std::make_unique<aSound>(m_short, 1.0f);
    EXPECT_EQ(a_soundLibraryUsers(), 1);
    EXPECT_EQ(FSOUND_GetMaxChannels(), 64);
    auto clone = std::make_unique<aSound>(*sound);
    EXPECT_EQ(a_soundLibraryUsers(), 2);
    sound.reset();
    EXPECT_EQ(FSOUND_GetMaxChannels(), 64);
    clone.reset();
    EXPECT_EQ(a_soundLibraryUsers(), 0);
    EXPECT_EQ(FSOUND_GetMaxChannels(), 0);
}

} // namespace
