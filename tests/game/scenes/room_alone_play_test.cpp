// Play of a room on its own, driven through its click handler: hints drawn
// again on the same object, decorations that react to a click, and carrying
// into a container named by several items.

#include "room_alone.h"

#include "game/scenes/objects/spy_obj_image.h"

using namespace scenetest;

namespace {

// A picture that answers a click although no item lists it.
class Bell : public SpyObjImage {
public:
    using SpyObjImage::SpyObjImage;
    bool Activate(bool on, SpyObject* used) override {
        if (!on && !used) {
            ++rung;
            return true;
        }
        return SpyObjImage::Activate(on, used);
    }
    int rung = 0;
};

// The test room with a bell added to its objects.
class BellRoom : public SpyRoom {
public:
    using SpyRoom::SpyRoom;
    Bell* AddBell() {
        auto* bell = new Bell(this, "bell");
        m_objects.push_back(bell);
        return bell;
    }
};

} // namespace

TEST_F(RoomAlone, AHintOnTheObjectAlreadyHintedLastsLonger) {
    Loaded();
    for (const char* name : {"anchor", "#ilamp", "coin1", "coin2"})
        ASSERT_TRUE(Take(name)) << name;
    ASSERT_FALSE(room->OnObjectClicked(Object("key")));
    ASSERT_TRUE(room->OnObjectClicked(Object("lock")));
    room->Update(2.0f);
    ASSERT_EQ(room->GetItemsFound(), 4u);

    // Only the bottle is left to hint (the bonus never is).
    room->UseHint();
    ASSERT_EQ(room->GetHintedObject(), Object("bottle"));
    room->Update(3.8f);
    ASSERT_EQ(room->GetHintedObject(), Object("bottle"));
    room->UseHint();
    EXPECT_NEAR(room->GetHintTimer(), 0.2f, 1e-5f) << "fading out: back to the same brightness fading in";
    room->Update(1.0f);
    room->UseHint();
    EXPECT_FLOAT_EQ(room->GetHintTimer(), 0.4f) << "shining: the full time again";
    room->Update(3.7f);
    EXPECT_EQ(room->GetHintedObject(), nullptr);
    EXPECT_FALSE(Object("bottle")->IsHighlighted());

    ASSERT_TRUE(Take("bottle"));
    EXPECT_EQ(room->GetHintState(), uint32_t(Room::HINT_NONE_LEFT));
    room->UseHint();
    EXPECT_EQ(room->GetHintedObject(), nullptr) << "nothing left to hint";
    EXPECT_TRUE(room->IsComplete());
}

TEST_F(RoomAlone, ADecorationThatReactsToAClickIsNoMiss) {
    gametest::WriteText(data + "rooms/harbour/objects.ini",
                        "[decor]\nClass = Image\nImage = decor\nX = 400\nY = 400\nItemClickOnly = 0\n"
                        "[net]\nClass = Image\nImage = net\nX = 280\nY = 490\n");
    auto* bells = new BellRoom("harbour", gui.images.get(), gui.sounds.get(), nullptr);
    room.reset(bells);
    Bell* bell = bells->AddBell();
    room->LoadResources(Level(TestRoomSection()));
    EXPECT_TRUE(room->OnObjectClicked(Object("decor"))) << "an image does not react: a miss";
    EXPECT_TRUE(room->OnObjectClicked(Object("net"))) << "item clicks only: a miss";
    EXPECT_TRUE(room->OnObjectClicked(nullptr)) << "nothing: a miss";
    EXPECT_TRUE(room->OnObjectClicked(bell)) << "the bell is item-click-only by default";
    EXPECT_EQ(bell->rung, 0);
    gametest::WriteText(data + "rooms/harbour/objects.ini",
                        "[decor]\nClass = Image\nImage = decor\nX = 400\nY = 400\n"
                        "[bell]\nClass = Image\nImage = net\nX = 0\nY = 0\nItemClickOnly = 0\n");
    room->LoadResources(Level(TestRoomSection()));
    EXPECT_FALSE(room->OnObjectClicked(bell)) << "it reacts: no miss";
    EXPECT_EQ(bell->rung, 1);
}

TEST_F(RoomAlone, ACarriedObjectCompletesItsOwnItemWhateverItemListsTheContainerFirst) {
    gametest::WriteText(data + "rooms/harbour/items.ini",
                        "[lockbox]\nObject = lock\nDiffLevel = 0\n"
                        "[key]\nObject = key\nContainer = lock\nDiffLevel = 0\n"
                        "[nowhere]\nObject = coin1\nContainer = <none>, \nDiffLevel = 0\n");
    Make();
    room->LoadResources(Level("[Room.harbour]\nMustBeItems = lockbox, key\nItemsCount = 0, 0, 0\n"));
    ASSERT_EQ(room->GetActiveItems().size(), 2u);
    ASSERT_FALSE(room->OnObjectClicked(Object("key")));
    ASSERT_TRUE(room->OnObjectClicked(Object("lock")));
    room->Update(2.0f);
    EXPECT_EQ(room->FindItem("key", true)->remaining, 0) << "the key's own item is complete";
    EXPECT_EQ(room->FindItem("lockbox", true)->remaining, 1);
    EXPECT_EQ(room->GetItemsFound(), 1u);
}
