#include "mirel/sound/a_music.h"
#include "mirel/sound/sound_test_support.h"

#include <gtest/gtest.h>

using namespace soundtest;

namespace {

class Player : public ::testing::Test {
protected:
    void SetUp() override {
        writeTone("a.wav", level(0.4, 0.3));
        writeTone("b.ogg", level(0.2, 0.3), soundgen::Format::Ogg);
        m_player.setMusicDir(scratch(""));
        ASSERT_TRUE(m_player.addTrack("a.wav", 1.0f));
        ASSERT_TRUE(m_player.addTrack("b.ogg", 1.0f));
        a = m_player.findTrack("a.wav");
        b = m_player.findTrack("b.ogg");
    }
    int channelVolume(int track) const { return FSOUND_GetVolume(m_player.getTrack(track)->getChannel()); }
    bool sounding(int track) const { return FSOUND_IsPlaying(m_player.getTrack(track)->getChannel()); }

    ManualOutput m_output;
    LogCapture m_log;
    aMusicPlayer m_player;
    int a = -1, b = -1;
};

using S = aMusicPlayer::State;

TEST_F(Player, FadesMoveThroughTheStatesInOneSecond) {
    struct Step {
        const char* action;
        float dt;
        S stateA;
        float levelA;
        S stateB;
        float levelB;
    };
    ASSERT_TRUE(m_player.play("a.wav", true));
    EXPECT_EQ(m_player.getCurrentTrack(), "a.wav");
    const Step steps[] = {
        {"update", 0.5f, S::FadingIn, 0.5f, S::Stopped, 0.0f},
        {"update", 0.6f, S::Playing, 1.0f, S::Stopped, 0.0f},
        {"switch", 0.0f, S::FadingToStop, 1.0f, S::FadingIn, 0.0f},
        {"update", 0.25f, S::FadingToStop, 0.75f, S::FadingIn, 0.25f},
        {"update", 0.8f, S::Stopped, 0.0f, S::Playing, 1.0f},
        {"pause", 0.0f, S::Stopped, 0.0f, S::FadingToPause, 1.0f},
        {"update", 1.0f, S::Stopped, 0.0f, S::Paused, 0.0f},
        {"resume", 0.0f, S::Stopped, 0.0f, S::Playing, 0.0f},
        {"stop", 0.0f, S::Stopped, 0.0f, S::Stopped, 0.0f},
    };
    for (const Step& s : steps) {
        std::string what = s.action;
        if (what == "update")
            m_player.update(s.dt);
        if (what == "switch")
            m_player.playMusic("b.ogg", 1.0f, true, true);
        if (what == "pause") {
            EXPECT_TRUE(m_player.pause(true));
        }
        if (what == "resume") {
            EXPECT_TRUE(m_player.play("b.ogg", false));
        }
        if (what == "stop") {
            EXPECT_TRUE(m_player.stop(false));
        }
        SCOPED_TRACE(what + " " + std::to_string(s.dt));
        EXPECT_EQ(m_player.getState(a), s.stateA);
        EXPECT_FLOAT_EQ(m_player.getFadeLevel(a), s.levelA);
        EXPECT_EQ(m_player.getState(b), s.stateB);
        EXPECT_FLOAT_EQ(m_player.getFadeLevel(b), s.levelB);
    }
    EXPECT_EQ(m_player.getCurrentTrack(), "");
    EXPECT_FALSE(m_player.stop(true));
    EXPECT_FALSE(m_player.pause(true));
    EXPECT_FALSE(m_player.play("missing.ogg", true));
}

TEST_F(Player, HalfWayThroughAFadeTheTrackPlaysAtHalfVolume) {
    m_player.setTrackVolume("a.wav", 0.8f);
    m_player.play("a.wav", true);
    EXPECT_EQ(channelVolume(a), 0);
    m_player.update(0.5f);
    EXPECT_EQ(channelVolume(a), 102); // round(0.8 x 0.5 x 255)
    EXPECT_NEAR(left(ManualOutput::mix(10), 5), 0.4 * 102 / 255, 2e-3);
}

TEST_F(Player, OutgoingAndIncomingTracksSoundTogether) {
    m_player.play("a.wav", false);
    m_player.playMusic("b.ogg", 1.0f, true, true);
    m_player.update(0.25f);
    ASSERT_TRUE(sounding(a));
    ASSERT_TRUE(sounding(b));
    // 0.4 at 0.75 plus 0.2 at 0.25; both loop round their 0.3 s many times
    for (int block = 0; block < 5; ++block) {
        const auto& buf = ManualOutput::mix(8820);
        EXPECT_NEAR(left(buf, 4000), 0.4 * 191 / 255 + 0.2 * 64 / 255, 0.01) << block;
    }
    m_player.update(1.0f);
    EXPECT_FALSE(sounding(a));
    EXPECT_EQ(FSOUND_GetChannelsPlaying(), 1);
}

TEST_F(Player, StopWithFadeThenPlayFadesBackFromTheCurrentLevel) {
    m_player.play("a.wav", false);
    m_player.stop(true);
    m_player.update(0.3f);
    ASSERT_TRUE(m_player.play("a.wav", true));
    EXPECT_EQ(m_player.getState(a), S::FadingIn);
    EXPECT_FLOAT_EQ(m_player.getFadeLevel(a), 0.7f);
    EXPECT_TRUE(sounding(a));
    m_player.update(0.3f);
    EXPECT_EQ(m_player.getState(a), S::Playing);
}

TEST_F(Player, PlayMusicOfTheCurrentTrackChangesNothing) {
    m_player.playMusic("a.wav", 0.5f, false, false);
    int channel = m_player.getTrack(a)->getChannel();
    m_player.playMusic("a.wav", 0.1f, true, true);
    EXPECT_EQ(m_player.getTrackVolume(a), 0.5f);
    EXPECT_EQ(m_player.getState(a), S::Playing);
    EXPECT_EQ(m_player.getTrack(a)->getChannel(), channel);
    EXPECT_EQ(channelVolume(a), 128);
}

TEST_F(Player, VolumeChangesWaitForFadesUnlessLower) {
    m_player.play("a.wav", true);
    m_player.update(0.5f);
    m_player.setVolume(0.5f); // lower: applied at once
    EXPECT_EQ(channelVolume(a), 128);
    m_player.update(0.1f);
    EXPECT_EQ(channelVolume(a), 77); // 0.5 x 0.6
    m_player.setVolume(1.0f);        // higher: the fade takes it up
    EXPECT_EQ(channelVolume(a), 77);
    EXPECT_EQ(m_player.getTrackVolume(b), 1.0f);
    EXPECT_FALSE(m_player.setTrackVolume("nothing", 1.0f));
}

TEST_F(Player, APlayListWithAMissingFileAddsTheRest) {
    aMusicPlayer player;
    player.setMusicDir(scratch(""));
    std::string list = scratch("playlist.txt");
    writeText(list, "a.wav\nmissing.ogg\nb.ogg\n");
    aStringList lines(list);
    EXPECT_FALSE(player.addTracks(lines, 0.5f));
    EXPECT_EQ(player.getTrackCount(), 2u);
    EXPECT_EQ(player.findTrack("b.ogg"), 1);
    EXPECT_EQ(player.findTrack("B.ogg"), -1);
    EXPECT_TRUE(m_log.has("aMusic. Error loading music: " + scratch("missing.ogg")));
}

} // namespace
