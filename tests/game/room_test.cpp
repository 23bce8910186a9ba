// The room base: its resource groups, enter and exit sounds, visits, the
// enter tip's timing and its saved record.

#include "game_test_support.h"
#include "mirel/sound/sound_test_support.h"
#include "support/gui_harness.h"
#include "support/log_capture.h"

#include "game/room.h"
#include "mirel/sound/a_ambientsound.h"
#include "mirel/util/a_optionsfile.h"

using namespace gametest;

namespace {

// Rooms on their own, outside a game.
class TestRoom : public Room {
public:
    TestRoom(const std::string& name, aImageManager* images, aSoundManager* sounds)
        : Room(name, images, sounds, nullptr) {}
    bool IsKind(uint32_t kind) const override { return kind == KIND_HIDDEN_OBJECT; }
    void Draw() override {}
    bool ShowEnterTip() override {
        ++tipAsks;
        return tipShown;
    }
    int tipAsks = 0;
    bool tipShown = true;
};

// The base's own answers.
class PlainRoom : public Room {
public:
    PlainRoom(const std::string& name, aImageManager* images, aSoundManager* sounds)
        : Room(name, images, sounds, nullptr) {}
    bool IsKind(uint32_t kind) const override { return kind == KIND_BONUS; }
    void Draw() override {}
};

class RoomTest : public testing::Test {
protected:
    void SetUp() override {
        const std::string hall = files.root + "data/rooms/hall/";
        WriteBytes(hall + "images/wall.png", content::writePng(content::Picture(4, 4, 0xFF336699)));
        WriteText(hall + "images/ImageList.txt", "wall.png 8888 8888\n");
        std::filesystem::create_directories(hall + "sounds");
        for (const char* name : {"room_enter", "room_exit", "drip"})
            ASSERT_TRUE(soundgen::writeFile(soundtest::level(0.5, 1.0), soundgen::Format::Wav,
                                            hall + "sounds/" + name + ".wav"));
        WriteText(hall + "sounds/SoundList.txt", "room_enter.wav 1.0\nroom_exit.wav 1.0\ndrip.wav 1.0\n");
        WriteText(hall + "sounds/ambient.ini", "[drip]\nloop = 1\n");
        // The caller's default sounds, outside any room.
        const std::string common = files.root + "data/sounds/";
        std::filesystem::create_directories(common);
        for (const char* name : {"enter", "exit"})
            ASSERT_TRUE(soundgen::writeFile(soundtest::level(0.5, 1.0), soundgen::Format::Wav,
                                            common + name + ".wav"));
        WriteText(common + "SoundList.txt", "enter.wav 1.0\nexit.wav 1.0\n");
        sounds()->loadList("data:sounds/SoundList.txt");
        defaultEnter = sounds()->getSound("enter");
        defaultExit = sounds()->getSound("exit");
    }
    aImageManager* images() { return gui.images.get(); }
    aSoundManager* sounds() { return gui.sounds.get(); }

    soundtest::ManualOutput output;
    FileServerFixture files{Scratch()};
    guitest::GuiHarness gui;
    LogCapture log;
    aOptionsFile level;
    aSound* defaultEnter = nullptr;
    aSound* defaultExit = nullptr;
};

TEST_F(RoomTest, ConstructionNamesTheRoomAndCountsRooms) {
    TestRoom first("hall", images(), sounds());
    TestRoom second("attic", images(), sounds());
    EXPECT_EQ(second.GetIndex(), first.GetIndex() + 1);
    char line[64];
    std::snprintf(line, sizeof line, "Constructing room [%02u] 'hall' ", first.GetIndex());
    EXPECT_TRUE(log.has(line));
    EXPECT_EQ(first.GetEntityName(), "r:hall");
    EXPECT_EQ(first.GetFolder(), "data:rooms/hall/");
    EXPECT_FALSE(first.IsResourcesLoaded());
}

TEST_F(RoomTest, ResourcesLoadOnceAndUnloadOnce) {
    TestRoom room("hall", images(), sounds());
    EXPECT_EQ(room.GetResourceCount(), 1u + 3u); // image list lines + sound list lines
    room.LoadResources(level);
    ASSERT_TRUE(room.IsResourcesLoaded());
    EXPECT_EQ(room.GetResourceCount(), 0u);
    EXPECT_NE(images()->getImage("wall", "hall"), nullptr);
    EXPECT_EQ(room.GetEnterSound(), sounds()->getSound("room_enter", "hall"));
    EXPECT_EQ(room.GetExitSound(), sounds()->getSound("room_exit", "hall"));
    ASSERT_NE(room.GetAmbientSounds(), nullptr);
    EXPECT_EQ(room.GetAmbientSounds()->getSounds().size(), 1u);
    const size_t imageCount = images()->getImageCount();
    room.LoadResources(level);
    EXPECT_EQ(images()->getImageCount(), imageCount);

    room.UnloadResources();
    EXPECT_FALSE(room.IsResourcesLoaded());
    EXPECT_FALSE(sounds()->hasSound("drip", "hall"));
    EXPECT_EQ(images()->getImageCount(), imageCount - 1);
    EXPECT_EQ(room.GetAmbientSounds(), nullptr);
    EXPECT_EQ(room.GetEnterSound(), nullptr);
    EXPECT_EQ(room.GetResourceCount(), 4u);
    room.UnloadResources(); // nothing to do
    EXPECT_FALSE(room.IsResourcesLoaded());
}

TEST_F(RoomTest, RoomWithoutFilesIsLoadedWithNothing) {
    TestRoom room("cellar", images(), sounds());
    EXPECT_EQ(room.GetResourceCount(), 0u);
    room.LoadResources(level);
    EXPECT_TRUE(room.IsResourcesLoaded());
    EXPECT_EQ(room.GetEnterSound(), nullptr);
    EXPECT_EQ(room.GetExitSound(), nullptr);
    room.Enter(defaultEnter); // its own sounds missing: the caller's play
    EXPECT_TRUE(defaultEnter->isPlaying());
    room.Leave(defaultExit);
    EXPECT_TRUE(defaultExit->isPlaying());
}

TEST_F(RoomTest, EnterAndLeavePlayTheRoomsSoundOnlyWhenADefaultIsGiven) {
    TestRoom room("hall", images(), sounds());
    room.LoadResources(level);
    aSound* ownEnter = room.GetEnterSound();
    aSound* ownExit = room.GetExitSound();

    room.Enter(nullptr);
    EXPECT_FALSE(ownEnter->isPlaying());
    EXPECT_TRUE(room.GetAmbientSounds()->isRunning());
    room.Leave(nullptr);
    EXPECT_FALSE(ownExit->isPlaying());
    EXPECT_FALSE(room.GetAmbientSounds()->isRunning());

    room.Enter(defaultEnter);
    EXPECT_TRUE(ownEnter->isPlaying());
    EXPECT_FALSE(defaultEnter->isPlaying());
    room.Leave(defaultExit);
    EXPECT_TRUE(ownExit->isPlaying());
    EXPECT_FALSE(defaultExit->isPlaying());
    EXPECT_EQ(room.GetVisitCount(), 2u);
}

TEST_F(RoomTest, EnterTipIsAskedFromThreeSecondsOnUntilShown) {
    TestRoom room("hall", nullptr, nullptr);
    room.tipShown = false;
    room.Enter(nullptr);
    for (int i = 0; i < 5; ++i)
        room.Update(0.5f);
    EXPECT_EQ(room.tipAsks, 0); // 2.5 s
    room.Update(0.5f);
    EXPECT_EQ(room.tipAsks, 1); // 3.0 s
    room.Update(0.5f);
    EXPECT_EQ(room.tipAsks, 2); // not shown yet: asked again each frame
    room.tipShown = true;
    room.Update(0.5f);
    EXPECT_EQ(room.tipAsks, 3);
    EXPECT_TRUE(room.IsEnterTipDone());
    room.Update(0.5f);
    EXPECT_EQ(room.tipAsks, 3);

    room.Enter(nullptr); // every visit starts again
    EXPECT_FALSE(room.IsEnterTipDone());
    EXPECT_FLOAT_EQ(room.GetStayTime(), 0.0f);
    room.Update(2.9f);
    EXPECT_EQ(room.tipAsks, 3);
    room.Update(0.2f);
    EXPECT_EQ(room.tipAsks, 4);
}

TEST_F(RoomTest, VisitCountTravelsInTheSave) {
    const std::string path = files.root + "save.dat";
    TestRoom room("hall", nullptr, nullptr);
    for (int i = 0; i < 3; ++i)
        room.Enter(nullptr);
    SaveLoadSystem system(1);
    system.BeginSave(path, kSaveFormatVersion);
    system.SaveEntity(room);
    ASSERT_TRUE(system.EndSave());
    EXPECT_EQ(ReadBytes(path), SaveFileBuilder().Header(2768, 1).Record("r:hall", {3, 0, 0, 0}).Finish());

    TestRoom again("hall", nullptr, nullptr);
    ASSERT_TRUE(system.Load(path, kSaveFormatVersion));
    EXPECT_TRUE(system.LoadEntity(again));
    EXPECT_EQ(again.GetVisitCount(), 3u);
    again.Reset();
    EXPECT_EQ(again.GetVisitCount(), 0u);

    WriteBytes(path, SaveFileBuilder().Header(2768, 1).Record("r:hall", {9}).Finish());
    ASSERT_TRUE(system.Load(path, kSaveFormatVersion));
    EXPECT_TRUE(system.LoadEntity(room));
    EXPECT_EQ(room.GetVisitCount(), 3u); // a short record changes nothing
}

TEST_F(RoomTest, BaseAnswers) {
    PlainRoom room("hall", nullptr, nullptr);
    EXPECT_FALSE(room.PausesTimer());
    EXPECT_EQ(room.GetHintState(), uint32_t(Room::HINT_NO_HINTS));
    EXPECT_TRUE(room.IsComplete());
    EXPECT_TRUE(room.ShowEnterTip());
    EXPECT_TRUE(room.IsKind(Room::KIND_BONUS));
    EXPECT_FALSE(room.IsKind(Room::KIND_HIDDEN_OBJECT));
    room.Enter(nullptr);
    room.Update(3.0f);
    EXPECT_TRUE(room.IsEnterTipDone());
}

} // namespace
