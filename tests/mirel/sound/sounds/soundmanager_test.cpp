#include "mirel/sound/a_sound.h"
#include "mirel/sound/sound_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

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

// A list loaded with the given number of threads: what it logged, the
// progress it reported and what each of its sounds plays.
struct ListLoad {
    std::vector<std::string> log;
    std::vector<int> progress;
    std::map<std::string, std::vector<int16_t>> played;
};

ListLoad loadWith(unsigned threads, const std::string& list, const std::vector<std::string>& names) {
    static ListLoad* current = nullptr;
    ListLoad out;
    current = &out;
    aSoundManager manager;
    manager.setLoadThreads(threads);
    manager.setProgressCallback([](int16_t left) { current->progress.push_back(left); });
    {
        LogCapture log;
        manager.loadList(list, "room");
        out.log = log.lines;
    }
    for (const std::string& name : names) {
        if (aSound* sound = manager.hasSound(name, "room") ? manager.getSound(name, "room") : nullptr) {
            sound->play(false);
            out.played[name] = ManualOutput::mix(20000);
            sound->stop();
        }
    }
    return out;
}

TEST_F(Manager, ThreadsChangeNothingButTheTime) {
    // Tones of many lengths and pitches (their decodes end out of order), in
    // two formats, among a missing file, a damaged one, a bad line and a repeat.
    std::filesystem::create_directories(scratch("many"));
    // The first decode takes longest: the lines after it are read meanwhile.
    soundgen::Tone slow;
    slow.seconds = 4.0;
    slow.channels = 2;
    writeTone("many/slow.ogg", slow, soundgen::Format::Ogg);
    std::string text = "slow.ogg 1.0\nnoextension 1.0\nmissing.wav 1.0\n";
    std::vector<std::string> names = {"slow"};
    for (int i = 0; i < 16; ++i) {
        soundgen::Tone tone;
        tone.frequency = 200.0 + 97.0 * i;
        tone.amplitude = 0.2 + 0.04 * i;
        tone.seconds = 0.05 + 0.37 * ((i * 7) % 5) / 4.0;
        tone.channels = 1 + i % 2;
        const std::string name = "tone" + std::to_string(i);
        const std::string file = name + (i % 3 ? ".wav" : ".ogg");
        writeTone("many/" + file, tone, i % 3 ? soundgen::Format::Wav : soundgen::Format::Ogg);
        text += file + " " + std::to_string(0.5 + 0.03 * i) + "\n";
        names.push_back(name);
        if (i == 4)
            text += "tone2.again.wav 1.0\n";
        if (i == 9) {
            writeText(scratch("many/damaged.wav"), "RIFF\x10\0\0\0WAVEfmt nothing that plays");
            writeText(scratch("many/empty.wav"), "");
            text += "damaged.wav 1.0\nempty.wav 0.5\n";
        }
    }
    names.insert(names.end(), {"missing", "damaged", "empty"});
    const std::string list = scratch("many/SoundList.txt");
    writeText(list, text);

    const ListLoad serial = loadWith(1, list, names);
    EXPECT_EQ(serial.played.size(), 1u + 16u + 3u) << "the sounds that failed keep their names";
    const std::vector<int16_t>& tone = serial.played.at("tone3");
    EXPECT_TRUE(std::any_of(tone.begin(), tone.end(), [](int16_t v) { return v != 0; }));
    EXPECT_TRUE(std::find(serial.log.begin(), serial.log.end(),
                          "aSound. Error loading sound: " + scratch("many/damaged.wav")) != serial.log.end());
    for (unsigned threads : {2u, 4u, 8u}) {
        const ListLoad parallel = loadWith(threads, list, names);
        EXPECT_EQ(parallel.log, serial.log) << threads << " threads";
        EXPECT_EQ(parallel.progress, serial.progress) << threads << " threads";
        EXPECT_TRUE(parallel.played == serial.played) << threads << " threads";
    }
}

} // namespace
