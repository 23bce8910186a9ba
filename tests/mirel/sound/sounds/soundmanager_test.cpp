#include "mirel/sound/a_sound.h"
#include "mirel/sound/sound_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace soundtest;

namespace {

class Manager : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(scratch("snd"));
        for (const char* name : {"door.wav", "door.open.wav", "bell.wav", "chime.wav", "loop.wav"}) {
            writeTone(std::string("snd/") + name, level(0.5, 1.0));
        }
        m_list = scratch("snd/SoundList.txt");
        writeText(m_list,
                  "door.wav 1.0\n"
                  "door.open.wav 0.5\n" // names door again
                  "DOOR.wav 1\n"        // so does this: names ignore case
                  "noext 1.0\n"
                  "bell.wav\n"
                  "bell.wav   \n"
                  "chime.wav\t0.25\n"
                  "loop.wav 0.5\n");
    }
    ManualOutput m_output;
    LogCapture m_log;
    std::string m_list;
};

TEST_F(Manager, LoadsListLinesReportsBadOnesAndCountsDown) {
    static std::vector<int> progress;
    progress.clear();
    aSoundManager manager;
    manager.setProgressCallback([](int16_t left) { progress.push_back(left); });
    EXPECT_EQ(manager.getListSize(m_list), 8u);
    manager.loadList(m_list);
    EXPECT_EQ(progress, (std::vector<int>{7, 1, 0}));
    EXPECT_EQ(m_log.count("aSoundManager. Sound with name \"door.open.wav\" already loaded!"), 1u);
    EXPECT_EQ(m_log.count("aSoundManager. Sound with name \"DOOR.wav\" already loaded!"), 1u);
    for (const char* bad : {"noext 1.0", "bell.wav", "bell.wav   "}) {
        EXPECT_TRUE(m_log.has(std::string("aSoundManager. Error in line: ") + bad)) << bad;
    }
    ASSERT_NE(manager.getSound("DOOR"), nullptr);
    EXPECT_EQ(manager.getSound("door")->getVolume(), 1.0f);
    EXPECT_EQ(manager.getSound("chime")->getVolume(), 0.25f);
    EXPECT_FALSE(manager.hasSound("bell"));
    EXPECT_EQ(manager.getSound("bell"), nullptr);
    EXPECT_TRUE(m_log.has("aSoundManager. Cannot find sound \"bell\""));
    m_log.lines.clear();
    manager.loadList(m_list); // again: every good line is already there
    EXPECT_EQ(m_log.count("aSoundManager. Sound with name \"chime.wav\" already loaded!"), 1u);
}

TEST_F(Manager, ListVolumesAreFiniteAndClamped) {
    writeText(m_list, "door.wav nan\nbell.wav inf\nchime.wav 1e40\nloop.wav -3\ndoor.open.wav 0.75\n");
    aSoundManager manager;
    manager.loadList(m_list);
    for (const char* line : {"door.wav nan", "bell.wav inf"})
        EXPECT_TRUE(m_log.has(std::string("aSoundManager. Bad volume, full volume taken, in line: ") + line));
    EXPECT_EQ(manager.getSound("door")->getVolume(), 1.0f);
    EXPECT_EQ(manager.getSound("bell")->getVolume(), 1.0f);
    EXPECT_EQ(manager.getSound("chime")->getVolume(), 1.0f);
    EXPECT_EQ(manager.getSound("loop")->getVolume(), 0.0f);
    aSound* bell = manager.getSound("bell");
    bell->play(false);
    EXPECT_EQ(FSOUND_GetVolume(bell->getChannel()), 255);
}

TEST_F(Manager, GroupsKeepTheirOwnKeysAndUnloadAsAList) {
    aSoundManager manager;
    manager.loadList(m_list, "room03");
    manager.loadList(m_list);
    EXPECT_TRUE(manager.hasSound("door", "room03"));
    EXPECT_TRUE(manager.hasSound("Door", "ROOM03"));
    EXPECT_TRUE(manager.hasSound("door"));
    EXPECT_NE(manager.getSound("door", "room03"), manager.getSound("door"));
    aSound* kept = manager.clone(manager.getSound("loop", "room03"), 0);
    manager.unloadList(m_list, "room03");
    EXPECT_FALSE(manager.hasSound("door", "room03"));
    EXPECT_FALSE(manager.hasSound("chime", "room03"));
    EXPECT_TRUE(manager.hasSound("door"));
    kept->play(false); // its sound is gone, its sample is not
    EXPECT_NEAR(left(ManualOutput::mix(10), 5), 0.25, 2e-3);
}

TEST_F(Manager, PauseAndStopAllSpareClonesThatKeepPlaying) {
    aSoundManager manager;
    manager.loadList(m_list);
    aSound* sound = manager.getSound("door");
    aSound* widget = manager.clone(sound, 1);
    aSound* object = manager.clone(sound, 0);
    for (aSound* s : {sound, widget, object}) {
        s->play(true);
    }
    manager.pauseAll(true);
    EXPECT_TRUE(FSOUND_GetPaused(sound->getChannel()));
    EXPECT_TRUE(FSOUND_GetPaused(object->getChannel()));
    EXPECT_FALSE(FSOUND_GetPaused(widget->getChannel()));
    manager.pauseAll(false);
    EXPECT_FALSE(FSOUND_GetPaused(object->getChannel()));
    manager.stopAll();
    EXPECT_FALSE(sound->isPlaying());
    EXPECT_FALSE(object->isPlaying());
    EXPECT_TRUE(widget->isPlaying());

    EXPECT_FALSE(manager.freeClone(sound));
    EXPECT_FALSE(manager.freeClone(nullptr));
    EXPECT_TRUE(manager.freeClone(widget)); // a looping clone takes its channel with it
    EXPECT_EQ(FSOUND_GetChannelsPlaying(), 0);
    EXPECT_FALSE(manager.freeClone(widget));
    EXPECT_EQ(manager.clone(nullptr, 0), nullptr);
    EXPECT_TRUE(m_log.has("aSoundManager. Cannot clone NULL sound"));
}

TEST_F(Manager, MasterVolumeReachesSoundsAndClones) {
    aSoundManager manager;
    manager.loadList(m_list);
    aSound* door = manager.getSound("door");
    aSound* clone = manager.clone(door, 1);
    door->play(true);
    clone->play(true);
    manager.setMasterVolume(1.5f);
    EXPECT_TRUE(m_log.has("aSoundManager. Invalid volume value 1.500000"));
    EXPECT_EQ(FSOUND_GetVolume(door->getChannel()), 255);
    manager.setMasterVolume(0.5f);
    EXPECT_EQ(FSOUND_GetVolume(door->getChannel()), 127);
    EXPECT_EQ(FSOUND_GetVolume(clone->getChannel()), 127);
    EXPECT_NEAR(left(ManualOutput::mix(10), 5), 2 * 0.5 * 127 / 255, 2e-3);
    // Sounds loaded after the change start at the same master volume.
    manager.loadList(m_list, "later");
    EXPECT_EQ(manager.getSound("door", "later")->getMasterVolume(), 0.5f);
}

} // namespace
