// The sample game's rooms, played: a new game enters a room of the first
// chapter and finds every listed item by clicking where a player would (the
// test reads the objects' places from the room), carrying objects into their
// containers, closing the messages on the way; the counters, the struck lines
// and the room-clear message follow. Every room of the game loads with its
// thirty and more objects and a full list.

#include "sample_rooms.h"

#include "game/scenes/cross_button.h"

#include <cstdio>

using namespace scenetest;

namespace {

class SampleRoomTest : public SampleRooms {
protected:
    // Finds every item of the current room's list; false (with a failure)
    // when an object cannot be reached.
    void FindEverything(SpyRoom& room) {
        for (int guard = 0; guard < 40; ++guard) {
            const SpyItem* next = nullptr;
            for (const SpyItem& item : room.GetActiveItems()) {
                if (item.remaining != 0 && !item.bonus) {
                    next = &item;
                    break;
                }
            }
            if (!next)
                return;
            const std::string name = next->name;
            SpyObject* object = next->objects.front();
            SpyObject* target = next->containers.front();
            int32_t x = 0, y = 0;
            ASSERT_TRUE(ClickablePoint(room, object, x, y))
                << name << ": " << object->GetName() << " is covered";
            const uint32_t found = room.GetItemsFound();
            harness->ClickAt(x, y);
            if (target && target != object) {
                ASSERT_EQ(room.GetDraggedObject(), object) << name << ": picked up to carry";
                ASSERT_TRUE(ClickablePoint(room, target, x, y)) << name << ": its container is covered";
                harness->ClickAt(x, y);
            }
            EXPECT_EQ(room.GetMissCount(), 0) << name << " was a miss";
            harness->RunFor(1.6f);
            CloseAll();
            if (room.FindItem(name, true)->remaining == 0) {
                EXPECT_EQ(room.GetItemsFound(), found + 1) << name;
            }
        }
        FAIL() << "the list never ended";
    }
};

} // namespace

TEST_F(SampleRoomTest, ANewGameFindsEveryItemOfTheHarbourByClicking) {
    Begin(1);
    EnterRoom("harbour");
    SpyRoom* room = Room("harbour");
    ASSERT_NE(room, nullptr);
    EXPECT_GE(room->GetObjects().size(), 30u);
    ASSERT_EQ(room->GetActiveItems().size(), 12u) << "four easy, five middle and three hard";
    EXPECT_EQ(room->GetCluesTotal(), 2u);
    EXPECT_NE(room->FindItem("ledger", true), nullptr);
    EXPECT_NE(room->FindItem("lifebelt", true), nullptr);
    EXPECT_EQ(harness->Text("room_name"), u"The Harbour Quay");
    harness->Step();
    std::printf("room on entry: %s\n", Screenshot("harbour").c_str());

    FindEverything(*room);
    EXPECT_EQ(room->GetItemsFound(), 12u);
    EXPECT_EQ(room->GetCluesFound(), 2u);
    EXPECT_TRUE(room->IsComplete());
    for (size_t i = 0; i < room->GetActiveItems().size(); ++i) {
        auto* line = dynamic_cast<CrossButton*>(room->GetItemLines()[i]);
        ASSERT_NE(line, nullptr);
        EXPECT_TRUE(line->IsCrossed()) << room->GetActiveItems()[i].name;
    }
    EXPECT_EQ(Game().GetItemsFound(), 12u);
    std::printf("room cleared: %s\n", Screenshot("harbour_cleared").c_str());
}

TEST_F(SampleRoomTest, TheLastItemBringsTheRoomClearMessage) {
    Begin(1);
    EnterRoom("clockshop");
    SpyRoom* room = Room("clockshop");
    ASSERT_NE(room, nullptr);
    harness->Step();
    std::printf("clock shop: %s\n", Screenshot("clockshop").c_str());
    FindEverything(*room);
    EXPECT_TRUE(room->IsComplete());
    EXPECT_EQ(Game().GetMode(), GameApp::MODE_MAP) << "closing the room-clear message leads to the map";
}

TEST_F(SampleRoomTest, EveryRoomOfEveryChapterLoadsAFullList) {
    for (int chapter = 1; chapter <= 8; ++chapter) {
        SCOPED_TRACE(chapter);
        const aOptionsFile level(BuiltData() + "levels/" + (chapter < 10 ? "0" : "") +
                                 std::to_string(chapter) + ".ini");
        EXPECT_FALSE(level.getValue("General", "Time").empty());
    }
    Begin(1);
    for (const ChapterRoom& entry : ChapterRooms()) {
        const aOptionsFile level(entry.levelFile);
        const std::string& roomName = entry.room;
        SCOPED_TRACE(roomName + " in chapter " + std::to_string(entry.chapter));
        SpyRoom room(roomName, Game().GetImageManager(), Game().GetSoundManager(), &Game());
        room.LoadResources(level);
        EXPECT_GE(room.GetObjects().size(), 30u);
        size_t findable = 0;
        for (const SpyItem& item : room.GetItems())
            findable += item.objects.size();
        EXPECT_GE(findable, 30u);
        EXPECT_EQ(room.GetItemsTotal(), 12u);
        EXPECT_GE(room.GetCluesTotal(), 2u);
        EXPECT_LE(room.GetCluesTotal(), 3u);
        int composites = 0;
        // A mouse is looked for while it is out, objects under a sheet once it is taken.
        for (SpyObject* object : room.GetObjects()) {
            if (object->IsKindOf("Mouse")) {
                object->SetHighlight(true);
                object->Update(0.05f);
                object->Update(0.25f);
            }
        }
        for (const SpyItem& item : room.GetActiveItems())
            composites += item.objects.size() > 1 ? 1 : 0;
        // Every item the list may draw, not only this start's: each object
        // can be clicked where it is drawn (or lies under its item's first one).
        for (const SpyItem& item : room.GetItems()) {
            EXPECT_FALSE(item.displayNames.empty()) << item.name;
            for (const std::u16string& shown : item.displayNames)
                EXPECT_FALSE(shown.empty()) << item.name;
            int32_t x = 0, y = 0;
            for (SpyObject* object : item.objects) {
                if (object->GetState() != SpyObject::STATE_PRESENT) {
                    EXPECT_NE(object, item.objects.front()) << item.name << ": uncovered by its first object";
                    continue;
                }
                EXPECT_TRUE(ClickablePoint(room, object, x, y)) << item.name << ": " << object->GetName();
            }
        }
        EXPECT_LE(composites, 2);
        room.UnloadResources();
    }
}
