#include "mirel/base/a_random.h"
#include "mirel/sound/a_ambientsound.h"
#include "mirel/sound/a_sound.h"
#include "mirel/sound/sound_test_support.h"
#include "mirel/util/a_optionsfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using namespace soundtest;

namespace {

class Ambient : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(scratch("amb"));
        writeTone("amb/wind.wav", level(0.5, 0.5));
        writeTone("amb/bird.wav", level(0.5, 0.1));
        std::string list = scratch("amb/SoundList.txt");
        writeText(list, "wind.wav 1.0\nbird.wav 1.0\n");
        m_manager = std::make_unique<aSoundManager>();
        m_manager->loadList(list, "room01");
        m_manager->loadList(list);
        a_srand(7);
    }
    std::unique_ptr<aAmbientSoundSystem> load(const std::string& text) {
        std::string path = scratch("amb/ambient.ini");
        writeText(path, text);
        return std::make_unique<aAmbientSoundSystem>(path, m_manager.get(), "room01");
    }
    static int volumeOf(const aAmbientSound& s) { return FSOUND_GetVolume(s.sound->getChannel()); }

    ManualOutput m_output;
    LogCapture m_log;
    std::unique_ptr<aSoundManager> m_manager;
};

TEST_F(Ambient, LoopingSoundFollowsItsEnvelope) {
    auto system = load("[wind]\nloop = 1\nvolume = 0.8\nfade = 0.1\nplaytime = 2\npause = 5\n");
    ASSERT_EQ(system->getSounds().size(), 1u);
    const aAmbientSound& wind = system->getSounds()[0];
    system->update(1.0f); // not started: nothing happens
    EXPECT_FALSE(wind.sound->isPlaying());
    system->start();
    system->update(0.0f);
    ASSERT_TRUE(wind.sound->isPlaying());
    struct At {
        float t;
        int volume;
        bool playing;
    };
    float now = 0.0f;
    for (At at : {At{0.05f, 102, true}, At{0.1f, 204, true}, At{1.0f, 204, true}, At{2.1f, 204, true},
                  At{2.15f, 102, true}, At{2.2f, 0, false}}) {
        system->update(at.t - now);
        now = at.t;
        EXPECT_EQ(wind.sound->isPlaying(), at.playing) << at.t;
        if (at.playing) {
            EXPECT_NEAR(volumeOf(wind), at.volume, 1) << at.t;
        }
    }
    EXPECT_FALSE(wind.playing);
    EXPECT_FLOAT_EQ(wind.target, 5.0f); // waits its pause, then starts again
    system->update(4.9f);
    EXPECT_FALSE(wind.sound->isPlaying());
    system->update(0.2f);
    EXPECT_TRUE(wind.sound->isPlaying());
}

TEST_F(Ambient, EndlessLoopAndOneShotWithDelay) {
    auto system = load("[wind]\nloop = 1\nfade = 0.5\n\n[bird]\ndelay = 1\nvolume = 0.5\npan = -1\n");
    ASSERT_EQ(system->getSounds().size(), 2u);
    const aAmbientSound& wind = system->getSounds()[0];
    const aAmbientSound& bird = system->getSounds()[1];
    system->start();
    system->update(0.25f);
    EXPECT_FALSE(bird.sound->isPlaying());
    for (int i = 0; i < 400; ++i) {
        system->update(0.25f); // 100 s
        ManualOutput::mix(100);
    }
    EXPECT_TRUE(wind.sound->isPlaying());
    EXPECT_EQ(volumeOf(wind), 255);
    system->stop();
    EXPECT_FALSE(wind.sound->isPlaying());
    system->start();
    system->update(1.0f);
    ASSERT_TRUE(bird.sound->isPlaying());
    EXPECT_EQ(volumeOf(bird), 127);
    EXPECT_EQ(FSOUND_GetPan(bird.sound->getChannel()), 1);
    ManualOutput::mix(4410 + 10); // the one-shot ends
    system->update(0.01f);
    EXPECT_FALSE(bird.playing);
}

TEST_F(Ambient, PauseAllReachesAmbientSounds) {
    auto system = load("[wind]\nloop = 1\n");
    system->start();
    system->update(0.0f);
    m_manager->pauseAll(true);
    EXPECT_TRUE(FSOUND_GetPaused(system->getSounds()[0].sound->getChannel()));
    system.reset(); // its looping clone goes with it
    EXPECT_EQ(FSOUND_GetChannelsPlaying(), 0);
}

TEST_F(Ambient, UnknownSoundsAddNothing) {
    auto system = load("[owl]\nvolume = 1\n[bird]\n");
    EXPECT_EQ(system->getSounds().size(), 1u);
    EXPECT_TRUE(m_log.has("aSoundManager. Cannot find sound \"owl\""));
    EXPECT_TRUE(m_log.has("aSoundManager. Cannot clone NULL sound"));
}

TEST_F(Ambient, ReadsAnOpenOptionsFileAndARepeatedSectionOnce) {
    std::string path = scratch("amb/ambient.ini");
    writeText(path, "[wind]\nloop = 1\nfade = 0.5\n[bird]\nvolume = 0.25\n[wind]\nfade = 2\n");
    aOptionsFile file(path);
    aAmbientSoundSystem system(file, m_manager.get(), "room01");
    ASSERT_EQ(system.getSounds().size(), 2u);
    EXPECT_TRUE(system.getSounds()[0].loop);
    EXPECT_FLOAT_EQ(system.getSounds()[0].fade, 0.5f);
    EXPECT_FALSE(system.getSounds()[1].loop);
}

TEST(RandomRange, PicksFromEachPairWithEqualChance) {
    aRandomRange range;
    range.defaultValue = 3.0f;
    EXPECT_EQ(range.pick(), 3.0f);
    range.parse("0.2/0.5, 0.9");
    ASSERT_EQ(range.pairs.size(), 2u);
    a_srand(1);
    int inFirst = 0, exact = 0;
    for (int i = 0; i < 2000; ++i) {
        float v = range.pick();
        if (v == 0.9f) {
            ++exact;
        } else {
            ASSERT_GE(v, 0.2f);
            ASSERT_LE(v, 0.5f);
            ++inFirst;
        }
    }
    EXPECT_NEAR(inFirst, 1000, 100);
    EXPECT_NEAR(exact, 1000, 100);
    aRandomRange odd;
    odd.parse("x, ,1/2/3");
    ASSERT_EQ(odd.pairs.size(), 1u);
    EXPECT_EQ(odd.pairs[0], std::make_pair(1.0f, 2.0f));
}

} // namespace
