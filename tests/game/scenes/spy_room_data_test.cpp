// A hidden-object room's data on its own: items and their keys, the level
// section and its candidates, items found for good across levels, and the
// room's saved record, whole, mid-level and damaged.

#include "room_alone.h"

#include "game/game_test_support.h"

#include <algorithm>

using namespace scenetest;

namespace {

class SpyRoomDataTest : public RoomAlone {
protected:
    // The active items' names, sorted.
    std::vector<std::string> ActiveNames() const {
        std::vector<std::string> names;
        for (const SpyItem& item : room->GetActiveItems())
            names.push_back(item.name);
        std::sort(names.begin(), names.end());
        return names;
    }
    const SpyItem* Defined(const std::string& name) const { return room->FindItem(name, false); }
    std::string SavePath() const { return root + "save.dat"; }
    void SaveRoom() {
        SaveLoadSystem system(1);
        system.BeginSave(SavePath(), kSaveFormatVersion);
        system.SaveEntity(*room);
        ASSERT_TRUE(system.EndSave());
    }
    // A second room of the same name, loaded for the level, then given the save.
    std::unique_ptr<SpyRoom> Reload(const std::string& section = TestRoomSection()) {
        auto other = std::make_unique<SpyRoom>("harbour", gui.images.get(), gui.sounds.get(), nullptr);
        other->LoadResources(Level(section));
        SaveLoadSystem system(1);
        EXPECT_TRUE(system.Load(SavePath(), kSaveFormatVersion));
        EXPECT_TRUE(system.LoadEntity(*other));
        return other;
    }
};

using Names = std::vector<std::string>;

} // namespace

TEST_F(SpyRoomDataTest, ItemsReadTheirObjectsContainersTextsAndFlags) {
    gametest::WriteText(
        data + "rooms/harbour/items.ini",
        "[pair]\nObject = coin1, coin2\nContainer = lock\nMessage0 = #Big_Picture\n"
        "[mixed]\nObject = coin1, coin2, key\nContainer = <none>, lock, ghost\n"
        "[wrong]\nObject = coin1, coin2\nContainer = lock, lock, lock\n"
        "[self]\nObject = bottle, nothing\nFindOnce = 1\nHasTip = 1\nObjectsToActivate = decor, none\n"
        "[Clue_Item]\nObject = anchor\nClue = 1\nDiffLevel = 5\nMessage1 = -\n"
        "[bonus]\nObject = medal\nBonus = 1\nDiffLevel = -1\n"
        "[plain]\nObject = key\nDiffLevel = 0\n");
    gametest::WriteText(data + "loc/room_harbour.txt", "pair_1 = \"Last coin\"\npair_2 = \"Two coins\"\n"
                                                       "self = \"Bottle\"\n");
    Make();
    ASSERT_EQ(room->GetItems().size(), 7u);

    const SpyItem* pair = Defined("pair");
    ASSERT_EQ(pair->objects.size(), 2u);
    EXPECT_EQ(pair->containers, (std::vector<SpyObject*>{Object("lock"), Object("lock")}))
        << "one container serves every object";
    EXPECT_EQ(pair->remaining, 2);
    EXPECT_EQ(pair->displayNames, (std::vector<std::u16string>{u"Last coin", u"Two coins"}));
    EXPECT_TRUE(pair->completionMessage.present);
    EXPECT_EQ(pair->completionMessage.textKey, "msg0.harbour.pair");
    EXPECT_EQ(pair->completionMessage.picture, "#Big_Picture");
    EXPECT_FALSE(pair->firstObjectMessage.present);
    EXPECT_EQ(pair->difficulty, 1);
    EXPECT_EQ(pair->markIndex, 0);

    const SpyItem* mixed = Defined("mixed");
    EXPECT_EQ(mixed->containers, (std::vector<SpyObject*>{nullptr, Object("lock"), nullptr}));
    EXPECT_EQ(mixed->remaining, 1) << "<none> and a missing container count nothing";
    EXPECT_TRUE(log.has("SpyRoom::FindObjectByName - object 'ghost' not found"));

    const SpyItem* wrong = Defined("wrong");
    EXPECT_TRUE(log.has("WARNING! Object count != container count for item 'wrong'"));
    EXPECT_EQ(wrong->remaining, 0);
    EXPECT_EQ(wrong->containers, (std::vector<SpyObject*>{nullptr, nullptr}));

    const SpyItem* self = Defined("self");
    EXPECT_EQ(self->objects, (std::vector<SpyObject*>{Object("bottle")})) << "a missing object is left out";
    EXPECT_EQ(self->containers, self->objects);
    EXPECT_EQ(self->displayNames, (std::vector<std::u16string>{u"Bottle"}));
    EXPECT_TRUE(self->findOnce);
    EXPECT_TRUE(self->hasTip);
    EXPECT_EQ(self->objectsToActivate, (std::vector<SpyObject*>{Object("decor")}));

    const SpyItem* clue = Defined("clue_item");
    ASSERT_NE(clue, nullptr) << "items are found in any letter case";
    EXPECT_TRUE(clue->clue);
    EXPECT_TRUE(clue->findOnce) << "clues are found once";
    EXPECT_EQ(clue->firstObjectMessage.textKey, "msg1.harbour.clue_item") << "message keys are lower case";
    EXPECT_EQ(clue->difficulty, 2);
    EXPECT_TRUE(log.has("WARNING! DiffLevel limited to 2 for item 'Clue_Item'"));
    EXPECT_TRUE(log.has("WARNING! DiffLevel limited to 2 for item 'bonus'"));
    EXPECT_TRUE(Defined("bonus")->bonus);
    EXPECT_TRUE(Defined("bonus")->findOnce);
    EXPECT_FALSE(Defined("plain")->findOnce);
    EXPECT_EQ(Defined("plain")->displayNames.size(), 1u);
    EXPECT_TRUE(log.has("aLocaleServer. Cannot find string \"harbour.plain_1\"") ||
                log.contains("harbour.plain_1"));
}

TEST_F(SpyRoomDataTest, TheLevelSectionDecidesTheCandidatesAndTheQuotas) {
    gametest::WriteText(data + "rooms/harbour/items.ini",
                        "[anchor]\nObject = anchor\nDiffLevel = 0\n[bottle]\nObject = bottle\nDiffLevel = 0\n"
                        "[key]\nObject = key\nDiffLevel = 0\n[decor]\nObject = coin1\nDiffLevel = 0\n"
                        "[empty]\nObject = coin2\nContainer = <none>\nDiffLevel = 0\n");
    Make();
    room->LoadResources(
        Level("[Room.harbour]\nHiddenObjects = decor\nMustBeItems = anchor, key\n"
              "MustNotBeItems = key\nItemsCount = 9, 9, 9\nCompositeLimit = 0\nHidden = 1\n"));
    EXPECT_EQ(ActiveNames(), (Names{"anchor", "bottle"}))
        << "an item both must and must not be is left out; so is one named like a hidden object";
    EXPECT_TRUE(room->FindItem("anchor", true)->mustBe);
    EXPECT_EQ(Object("decor")->GetState(), uint32_t(SpyObject::STATE_TAKEN))
        << "a hidden object is taken away";
    EXPECT_TRUE(room->IsHidden());
    EXPECT_TRUE(log.has("WARNING! Item 'empty' has no object to take, left off the list"));
    EXPECT_EQ(room->GetQuotas()[0], 9);

    // Two counts instead of three: only the must-be items.
    room->LoadResources(Level("[Room.harbour]\nHiddenObjects =\nMustBeItems = bottle\nMustNotBeItems =\n"
                              "ItemsCount = 4, 5\nCompositeLimit = 0\n"));
    EXPECT_TRUE(log.has("WARNING! ItemsCount size != 3"));
    EXPECT_EQ(ActiveNames(), (Names{"bottle"}));
    EXPECT_FALSE(room->IsHidden());
    EXPECT_EQ(Object("decor")->GetState(), uint32_t(SpyObject::STATE_PRESENT)) << "hidden in one level only";

    // A section without the keys: logged, nothing drawn.
    log.clear();
    room->LoadResources(Level("[Room.harbour]\n"));
    EXPECT_TRUE(log.has("aOptionsFile. Cannot find key: [Room.harbour].MustBeItems"));
    EXPECT_TRUE(room->GetActiveItems().empty());
    EXPECT_TRUE(room->IsComplete());
}

TEST_F(SpyRoomDataTest, TheTestRoomListsEveryItemAndCountsOnlyTheOnesToFind) {
    Loaded();
    EXPECT_EQ(ActiveNames(), (Names{"anchor", "bottle", "coins", "key", "lamp", "medal"}));
    EXPECT_EQ(room->GetItemsTotal(), 5u) << "the bonus counts in no total";
    EXPECT_EQ(room->GetCluesTotal(), 1u);
    EXPECT_TRUE(room->IsBonusChosen());
    const Names firstTwo{room->GetActiveItems()[0].name, room->GetActiveItems()[1].name};
    EXPECT_TRUE(firstTwo == (Names{"anchor", "medal"}) || firstTwo == (Names{"medal", "anchor"}))
        << "must-be items first";
    EXPECT_EQ(room->GetMarks(), (std::vector<uint8_t>(6, SpyRoom::MARK_LISTED)));
    EXPECT_EQ(room->GetHintState(), uint32_t(Room::HINT_AVAILABLE));
    EXPECT_FALSE(room->IsComplete());
    // Objects of listed items, and their containers, are hit with a pixel to spare.
    EXPECT_TRUE(Object("lock")->IsTolerant());
    EXPECT_TRUE(Object("coin2")->IsTolerant());
    EXPECT_FALSE(Object("decor")->IsTolerant());
    EXPECT_FALSE(Object("#s_anchor")->IsTolerant());
    std::u16string names;
    room->AppendRemainingItemNames(names);
    EXPECT_EQ(names.size(), std::u16string(u"anchor,medal,coins,bottle,key,lamp").size());
}

TEST_F(SpyRoomDataTest, FoundOnceItemsStayFoundInLaterLevelsUntilANewGame) {
    Loaded();
    room->Enter(nullptr);
    ASSERT_TRUE(Take("anchor"));
    ASSERT_TRUE(Take("bottle"));
    EXPECT_EQ(room->GetItemsFound(), 2u);
    EXPECT_EQ(room->GetCluesFound(), 1u);
    room->OnLevelComplete();
    EXPECT_EQ(room->GetMarks()[0], SpyRoom::MARK_GONE) << "the clue is found for good";
    EXPECT_EQ(room->GetMarks()[1], SpyRoom::MARK_LISTED) << "the bottle may come again";

    // The next level: the anchor is no candidate and shows found.
    room->LoadResources(Level(TestRoomSection()));
    EXPECT_EQ(room->FindItem("anchor", true), nullptr);
    EXPECT_EQ(Object("anchor")->GetState(), uint32_t(SpyObject::STATE_TAKEN));
    EXPECT_FALSE(Object("anchor")->IsVanishing());
    EXPECT_EQ(Object("#s_anchor")->GetState(), uint32_t(SpyObject::STATE_TAKEN));
    EXPECT_NE(room->FindItem("bottle", true), nullptr);

    // A new game forgets it.
    room->Reset();
    EXPECT_EQ(room->GetMarks()[0], SpyRoom::MARK_UNUSED);
    room->LoadResources(Level(TestRoomSection()));
    EXPECT_NE(room->FindItem("anchor", true), nullptr);
    EXPECT_EQ(Object("anchor")->GetState(), uint32_t(SpyObject::STATE_PRESENT));

    // A room the player never entered marks nothing.
    Loaded();
    ASSERT_TRUE(Take("anchor"));
    room->OnLevelComplete();
    EXPECT_EQ(room->GetMarks()[0], SpyRoom::MARK_LISTED);
}

TEST_F(SpyRoomDataTest, ARoomMidLevelSavesAndLoadsItsListCountersAndObjects) {
    Loaded();
    room->Enter(nullptr);
    ASSERT_TRUE(Take("anchor"));                         // found
    ASSERT_TRUE(room->OnObjectClicked(Object("coin1"))); // one of two coins, vanishing
    room->Update(0.5f);
    ASSERT_FALSE(room->OnObjectClicked(Object("key"))); // picked up to carry
    ASSERT_EQ(room->GetDraggedObject(), Object("key"));
    Object("key")->SetPosition(900.0f, 700.0f); // where the cursor took it
    SaveRoom();
    EXPECT_EQ(room->GetDraggedObject(), nullptr) << "the carried object went back before the save";
    EXPECT_FLOAT_EQ(Object("key")->GetX(), 679.0f);

    std::vector<std::string> order;
    for (const SpyItem& item : room->GetActiveItems())
        order.push_back(item.name);

    auto other = Reload();
    ASSERT_EQ(other->GetActiveItems().size(), order.size());
    for (size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(other->GetActiveItems()[i].name, order[i]) << "the exact list, in its order";
    EXPECT_EQ(other->GetItemsTotal(), 5u);
    EXPECT_EQ(other->GetItemsFound(), 1u);
    EXPECT_EQ(other->GetCluesFound(), 1u);
    EXPECT_EQ(other->GetSelectedItem(), room->GetSelectedItem());
    EXPECT_TRUE(other->IsBonusChosen());
    const SpyItem* coins = other->FindItem("coins", true);
    ASSERT_NE(coins, nullptr);
    EXPECT_EQ(coins->remaining, 1);
    EXPECT_EQ(coins->objects, (std::vector<SpyObject*>{other->FindObjectByName("coin2", true)}));
    EXPECT_EQ(other->FindItem("anchor", true)->remaining, 0);
    EXPECT_EQ(other->FindObjectByName("anchor", true)->GetState(), uint32_t(SpyObject::STATE_TAKEN));
    SpyObject* coin1 = other->FindObjectByName("coin1", true);
    EXPECT_TRUE(coin1->IsVanishing());
    EXPECT_NEAR(coin1->GetEffectTimer(), 0.5f, 1e-6f);
    EXPECT_FLOAT_EQ(other->FindObjectByName("key", true)->GetX(), 679.0f);
    EXPECT_EQ(other->GetMarks(), room->GetMarks());
    EXPECT_TRUE(other->FindObjectByName("coin2", true)->IsTolerant());
    EXPECT_FALSE(other->FindObjectByName("decor", true)->IsTolerant());
}

TEST_F(SpyRoomDataTest, DamagedRecordsLeaveTheRoomAsTheLevelMadeIt) {
    Loaded();
    SaveRoom();
    const gametest::Bytes file = gametest::Unscramble(gametest::ReadBytes(SavePath()));
    // The room's record data: after the header (8), the name and NUL (10) and the size (4).
    const size_t start = 8 + 10 + 4;
    const uint32_t size = uint32_t(file[start - 4]) | uint32_t(file[start - 3]) << 8;
    const gametest::Bytes record(file.begin() + ptrdiff_t(start), file.begin() + ptrdiff_t(start + size));

    auto write = [&](const gametest::Bytes& data) {
        gametest::WriteBytes(
            SavePath(),
            gametest::SaveFileBuilder().Header(kSaveFormatVersion, 1).Record("r:harbour", data).Finish());
    };
    auto patched = [&](size_t at, uint32_t value) {
        gametest::Bytes b = record;
        for (int i = 0; i < 4; ++i)
            b[at + size_t(i)] = uint8_t(value >> (8 * i));
        return b;
    };
    struct Case {
        const char* what;
        gametest::Bytes data;
        const char* why;
    };
    const Case cases[] = {
        {"cut short", gametest::Bytes(record.begin(), record.begin() + 30), "cut short"},
        {"more items than the record holds", patched(27, 1000), "more items than the record holds"},
        {"a selected item past the list", patched(20, 6), "an item index past the list"},
        {"a tip cursor past the list", patched(16, 7), "an item index past the list"},
        {"more found than listed", patched(12, 6), "counters that do not add up"},
        {"more clues than items", patched(0, 6), "counters that do not add up"},
        {"a huge object count", patched(31 + 7, 0xFFFFFFF0u), "more objects than the item has"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        write(c.data);
        log.clear();
        auto other = Reload();
        EXPECT_TRUE(
            log.has(std::string("SpyRoom::Load - bad record of room 'harbour' (") + c.why + "), not taken"));
        EXPECT_EQ(other->GetItemsTotal(), 5u);
        EXPECT_EQ(other->GetItemsFound(), 0u);
        EXPECT_EQ(other->GetSelectedItem(), -1);
        EXPECT_EQ(other->GetActiveItems().size(), 6u);
    }
}

TEST_F(SpyRoomDataTest, AnItemTheRoomNoLongerHasIsLeftOutAndTheCountersFollow) {
    Loaded();
    room->Enter(nullptr);
    ASSERT_TRUE(Take("bottle"));
    ASSERT_TRUE(Take("anchor"));
    SaveRoom();
    // The new version of the room has no anchor.
    gametest::WriteText(data + "rooms/harbour/items.ini",
                        "[bottle]\nObject = bottle\nDiffLevel = 1\n[key]\nObject = key\nContainer = lock\n"
                        "[coins]\nObject = coin1, coin2\nDiffLevel = 2\n[medal]\nObject = medal\nBonus = 1\n"
                        "[lamp]\nObject = #ilamp\nDiffLevel = 0\n");
    log.clear();
    auto other = Reload();
    EXPECT_TRUE(log.has("ERROR! Item 'anchor' not found"));
    EXPECT_EQ(other->FindItem("anchor", true), nullptr);
    EXPECT_EQ(other->GetActiveItems().size(), 5u);
    EXPECT_EQ(other->GetItemsTotal(), 4u) << "counted again without the lost item";
    EXPECT_EQ(other->GetItemsFound(), 1u);
    EXPECT_EQ(other->GetCluesTotal(), 0u);
    EXPECT_EQ(other->GetMarks().size(), 5u) << "marks of another length are not taken";
    EXPECT_FALSE(other->IsComplete());
}
