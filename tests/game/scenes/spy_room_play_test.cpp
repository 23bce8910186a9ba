// Playing the test room through the whole game with the mouse: clicks on
// every kind of target, carrying, misses and their penalty, outlines, the
// hint ring, the item list, messages, the bonus indicator and the tips.

#include "room_play.h"

#include "mirel/gui/gui_statictext.h"

#include <algorithm>
#include <cstring>

#include <cmath>

using namespace scenetest;

TEST_F(RoomPlay, AClickOnEveryKindOfTarget) {
    Begin();
    EnterRoom();
    SpyRoom* room = Room();
    ASSERT_EQ(room->GetActiveItems().size(), 6u);
    const float time = Game().GetTimeLeft();

    // A listed object: it swells and goes, its line is struck, it counts.
    ClickOn(kAnchor);
    EXPECT_TRUE(Object("anchor")->IsVanishing());
    EXPECT_EQ(Object("#s_anchor")->GetState(), uint32_t(SpyObject::STATE_TAKEN)) << "its shadow goes at once";
    EXPECT_EQ(room->GetMissCount(), 0);
    EXPECT_TRUE(harness->Visible("empty")) << "input waits for the vanish before the message";
    harness->RunFor(1.5f);
    EXPECT_EQ(Object("anchor")->GetState(), uint32_t(SpyObject::STATE_TAKEN));
    EXPECT_EQ(room->GetItemsFound(), 1u);
    EXPECT_EQ(room->GetCluesFound(), 1u);
    EXPECT_EQ(Game().GetItemsFound(), 1u) << "the game's counters are refreshed";
    ASSERT_NE(LineOf("anchor"), nullptr);
    EXPECT_TRUE(LineOf("anchor")->IsCrossed());
    EXPECT_FALSE(harness->Visible("empty"));
    EXPECT_EQ(FrontBox(), "msgbox_text");
    EXPECT_EQ(FrontText(), u"An anchor.") << "the block waits for the bottle";
    CloseAll();

    // An object of no item: a miss.
    ClickOn(kDecor);
    EXPECT_EQ(room->GetMissCount(), 1);
    EXPECT_EQ(Object("decor")->GetState(), uint32_t(SpyObject::STATE_PRESENT));
    harness->RunFor(1.2f);
    // Nothing at all: a miss, counted afresh after more than 1.1 s.
    harness->ClickAt(800, 700);
    EXPECT_EQ(room->GetMissCount(), 1);
    harness->RunFor(1.2f);
    // A container with nothing carried: a miss.
    ClickOn(kLock);
    EXPECT_EQ(room->GetMissCount(), 1);
    EXPECT_EQ(Object("lock")->GetState(), uint32_t(SpyObject::STATE_PRESENT));

    // An object carried to its container: picking it up is no miss and no take.
    ClickOn(kKey);
    EXPECT_EQ(room->GetDraggedObject(), Object("key"));
    EXPECT_EQ(room->GetMissCount(), 0);
    EXPECT_TRUE(Object("key")->IsLifted());
    EXPECT_EQ(room->GetSelectedItem(), -1);
    harness->MoveTo(kLock.ScreenX(), kLock.ScreenY());
    harness->Step();
    EXPECT_FLOAT_EQ(Object("key")->GetX(), float(kLock.ScreenX() - 15)) << "it follows by its drag hotspot";
    EXPECT_FLOAT_EQ(Object("key")->GetY(), float(kLock.ScreenY() - 8));
    EXPECT_EQ(room->GetHoveredObject(), Object("lock"));
    ClickOn(kLock);
    EXPECT_EQ(room->GetDraggedObject(), nullptr);
    EXPECT_EQ(Object("key")->GetState(), uint32_t(SpyObject::STATE_TAKEN)) << "put together, both go at once";
    EXPECT_EQ(Object("lock")->GetState(), uint32_t(SpyObject::STATE_TAKEN));
    EXPECT_EQ(room->GetItemsFound(), 2u);
    EXPECT_TRUE(LineOf("key")->IsCrossed());
    EXPECT_FLOAT_EQ(Game().GetTimeLeft() > time - 20.0f ? 1.0f : 0.0f, 1.0f) << "no penalty on the way";
}

TEST_F(RoomPlay, ACarriedObjectThatMissesGoesBackWithTheItemsMessage) {
    Begin();
    EnterRoom();
    SpyRoom* room = Room();
    const float x = Object("key")->GetX(), y = Object("key")->GetY();
    struct Case {
        const char* what;
        int32_t x, y;
    };
    for (const Case& c :
         {Case{"nothing", 800, 700}, Case{"another object", kDecor.ScreenX(), kDecor.ScreenY()},
          Case{"another item's object", kBottle.ScreenX(), kBottle.ScreenY()}}) {
        SCOPED_TRACE(c.what);
        ClickOn(kKey);
        ASSERT_EQ(room->GetDraggedObject(), Object("key"));
        harness->ClickAt(c.x, c.y);
        EXPECT_EQ(room->GetDraggedObject(), nullptr);
        EXPECT_FLOAT_EQ(Object("key")->GetX(), x);
        EXPECT_FLOAT_EQ(Object("key")->GetY(), y);
        EXPECT_FALSE(Object("key")->IsLifted());
        EXPECT_EQ(room->GetMissCount(), 0) << "no miss";
        EXPECT_EQ(FrontBox(), "msgbox_container_error");
        EXPECT_EQ(FrontText(), u"The key goes into the lock.");
        EXPECT_EQ(Object("bottle")->GetState(), uint32_t(SpyObject::STATE_PRESENT));
        CloseAll();
    }

    // Leaving for the map while carrying: the save keeps the key where it lay.
    ClickOn(kKey);
    harness->MoveTo(900, 650);
    harness->Step();
    ASSERT_NE(Object("key")->GetX(), x);
    ASSERT_TRUE(harness->Click("btn_map"));
    const gametest::Bytes record =
        gametest::Unscramble(gametest::ReadBytes(harness->SavesDir() + MakeSaveFileName("en", "Mara")));
    const std::string name = "o:harbour:key";
    const auto at = std::search(record.begin(), record.end(), name.begin(), name.end());
    ASSERT_NE(at, record.end());
    float savedX = 0.0f;
    std::memcpy(&savedX, &*(at + ptrdiff_t(name.size() + 1 + 4)), 4);
    EXPECT_FLOAT_EQ(savedX, x);
}

TEST_F(RoomPlay, ThreeQuickMissesCostThirtySeconds) {
    Begin();
    EnterRoom();
    SpyRoom* room = Room();
    // Two misses a second apart and a third 1.2 s later: the count starts again.
    harness->ClickAt(800, 700);
    harness->RunFor(0.85f);
    harness->ClickAt(810, 700);
    EXPECT_EQ(room->GetMissCount(), 2);
    harness->RunFor(1.05f);
    harness->ClickAt(820, 700);
    EXPECT_EQ(room->GetMissCount(), 1);
    EXPECT_TRUE(Game().GetMessageBoxes().empty());
    harness->RunFor(1.5f);

    // Three within 1.1 s of each other.
    const float before = Game().GetTimeLeft();
    harness->ClickAt(800, 700);
    harness->ClickAt(810, 700);
    harness->ClickAt(820, 700);
    EXPECT_EQ(FrontBox(), "msgbox_cheater_warning");
    EXPECT_NEAR(Game().GetTimeLeft(), before - 30.0f, 0.5f);
    EXPECT_EQ(room->GetMissCount(), 0);
    EXPECT_FALSE(room->TestAndClearCheaterFlag()) << "the game took the flag";
}

TEST_F(RoomPlay, HitTestsFollowEachObjectsOwnOutline) {
    Begin();
    EnterRoom();
    const int32_t ax = kAnchor.x + 179, ay = kAnchor.y;
    // The disc: pixel (8, 8) of its square is inside the circle, (7, 7) is not,
    // and none of its neighbours is either.
    EXPECT_EQ(HoveredAt(ax + 8, ay + 8), Object("anchor"));
    EXPECT_EQ(HoveredAt(ax + 7, ay + 7), nullptr);
    EXPECT_EQ(HoveredAt(ax + 30, ay + 59), Object("anchor"));
    EXPECT_EQ(HoveredAt(ax + 59, ay + 59), nullptr);
    // A click just outside is a miss, just inside a take.
    harness->ClickAt(ax + 7, ay + 7);
    EXPECT_EQ(Room()->GetMissCount(), 1);
    harness->ClickAt(ax + 8, ay + 8);
    EXPECT_TRUE(Object("anchor")->IsVanishing());
    harness->RunFor(1.5f);
    CloseAll();

    // The shadow is drawn but never hit.
    EXPECT_EQ(HoveredAt(kAnchorShadow.x + 179 + 56, kAnchorShadow.y + 42), nullptr);
    // A listed object's outline has a pixel to spare: the bottle's first
    // clear row is hit, the one below it is not.
    const int32_t bx = kBottle.x + 179 + 10;
    EXPECT_EQ(HoveredAt(bx, kBottle.y + 59), Object("bottle"));
    EXPECT_EQ(HoveredAt(bx, kBottle.y + 60), Object("bottle"));
    EXPECT_EQ(HoveredAt(bx, kBottle.y + 61), nullptr);
    // An object of no item has none.
    const int32_t dx = kDecor.x + 179 + 20;
    EXPECT_EQ(HoveredAt(dx, kDecor.y + 37), Object("decor"));
    EXPECT_EQ(HoveredAt(dx, kDecor.y + 38), nullptr);
    // A foreground layer covers what lies under it.
    EXPECT_EQ(HoveredAt(kLamp.x + 179 + 15, kLamp.y + 5), Object("net"));
    EXPECT_EQ(HoveredAt(kLamp.x + 179 + 15, kLamp.y + 20), Object("#ilamp"));
    // Outside the playfield nothing is looked for.
    EXPECT_EQ(HoveredAt(178, 100), nullptr);
}

TEST_F(RoomPlay, AHintRingsAnUnfoundObjectUntilItFades) {
    Begin();
    EnterRoom();
    SpyRoom* room = Room();
    ASSERT_TRUE(harness->Click("btn_hint"));
    SpyObject* hinted = room->GetHintedObject();
    ASSERT_NE(hinted, nullptr);
    EXPECT_TRUE(hinted->IsHighlighted());
    EXPECT_EQ(Game().GetHintsLeft(), 2u);
    const SpyItem* owner = nullptr;
    for (const SpyItem& item : room->GetActiveItems())
        for (SpyObject* o : item.objects)
            if (o == hinted)
                owner = &item;
    ASSERT_NE(owner, nullptr);
    EXPECT_FALSE(owner->bonus) << "the bonus is never hinted";
    EXPECT_NE(owner->remaining, 0);

    harness->RunFor(0.5f);
    // Nine stars (the radius is at least 60) on the circle round the hint hotspot.
    const SpyPoint hot = hinted->GetHotspot(SpyObject::HOTSPOT_HINT, true);
    const float w = hinted->GetWidth(), h = hinted->GetHeight();
    const SpyPoint rel = hinted->GetHotspot(SpyObject::HOTSPOT_HINT, false);
    const float r = std::max(60.0f, std::hypot(std::min(rel.x, w - rel.x), std::min(rel.y, h - rel.y)));
    int yellow = 0;
    for (int k = 0; k < 9; ++k) {
        const float angle = room->GetHintPhase() + float(k) * 2.0f * 3.1415927f / 9.0f;
        const int32_t sx = int32_t(std::lround(hot.x + std::cos(angle) * r));
        const int32_t sy = int32_t(std::lround(hot.y + std::sin(angle) * r));
        if (sx < 179 || sx > 1023 || sy < 0 || sy > 767)
            continue;
        const uint32_t p = harness->Pixel(sx, sy);
        yellow += ((p >> 16 & 0xFF) > 200 && (p >> 8 & 0xFF) > 200 && (p & 0xFF) < 100) ? 1 : 0;
    }
    EXPECT_GE(yellow, 5) << "the stars of the ring are drawn";

    // A click anywhere in the playfield lets it fade within 0.4 s.
    harness->ClickAt(800, 700);
    EXPECT_NEAR(room->GetHintTimer(), 3.6f + gametest::GameHarness::kFrame, 1e-3f);
    harness->RunFor(0.45f);
    EXPECT_EQ(room->GetHintedObject(), nullptr);
    EXPECT_FALSE(hinted->IsHighlighted());
    harness->Step();
    EXPECT_NE(harness->Pixel(800, 700), 0u);
}

TEST_F(RoomPlay, TheItemListShowsEachItemOnceAndStrikesWhatIsFound) {
    Begin();
    EnterRoom();
    SpyRoom* room = Room();
    const auto& items = room->GetActiveItems();
    const auto& lines = room->GetItemLines();
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(harness->Text("room_name"), u"The Harbour");
    int32_t y = lines[0]->GetAreaRect().y;
    for (size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(i);
        if (i >= items.size()) {
            EXPECT_FALSE(lines[i]->IsVisible(true)) << "lines past the list are hidden";
            continue;
        }
        EXPECT_EQ(lines[i]->GetAreaRect().y, y);
        if (items[i].bonus) {
            EXPECT_FALSE(lines[i]->IsVisible(true)) << "the bonus has no line and takes no room";
            continue;
        }
        EXPECT_TRUE(lines[i]->IsVisible(true));
        y += lines[i]->GetHeight();
    }
    EXPECT_EQ(LineOf("coins")->GetText(), u"Two coins");
    EXPECT_EQ(LineOf("bottle")->GetText(), u"Green bottle");
    EXPECT_EQ(harness->Find("bonus_item_hint")->FindChild("text")->GetText(), u"Bonus medal")
        << "the bonus indicator's hint holds its name";

    // A composite item: its name follows what is left, the first object brings its message.
    Find(kCoin1);
    EXPECT_EQ(LineOf("coins")->GetText(), u"One more coin");
    EXPECT_FALSE(LineOf("coins")->IsCrossed());
    EXPECT_EQ(FrontBox(), "msgbox_text");
    EXPECT_EQ(FrontText(), u"One coin; one more somewhere.");
    EXPECT_EQ(room->GetItemsFound(), 0u);
    CloseAll();
    ClickOn(kCoin2);
    harness->Step();
    CrossButton* coins = LineOf("coins");
    EXPECT_EQ(room->GetItemsFound(), 1u);
    EXPECT_TRUE(coins->IsCrossed());
    EXPECT_LT(coins->GetProgress(), 0.5f) << "struck with its animation";
    harness->RunFor(1.2f);
    EXPECT_FLOAT_EQ(coins->GetProgress(), 1.0f);

    // The message's block shows once the bottle is found.
    Find(kBottle);
    Find(kAnchor);
    EXPECT_EQ(FrontText(), u"An anchor. The bottle was found.");
}

TEST_F(RoomPlay, TheBonusCanBeFoundOnlyAfterItsIndicatorWasHovered) {
    Begin();
    EnterRoom();
    SpyRoom* room = Room();
    ASSERT_TRUE(harness->Visible("bonus_item"));
    ClickOn(kMedal);
    EXPECT_EQ(Object("medal")->GetState(), uint32_t(SpyObject::STATE_PRESENT));
    EXPECT_EQ(room->GetMissCount(), 1) << "not yet";

    GUI::Widget* indicator = harness->Find("bonus_item");
    harness->MoveTo(indicator->GetAbsoluteX() + 20, indicator->GetAbsoluteY() + 20);
    harness->RunFor(0.2f);
    EXPECT_FALSE(harness->Visible("bonus_item_hint"));
    EXPECT_FALSE(room->IsBonusAvailable());
    harness->RunFor(0.2f);
    ASSERT_TRUE(harness->Visible("bonus_item_hint"));
    EXPECT_TRUE(room->IsBonusAvailable());
    GUI::Widget* hint = harness->Find("bonus_item_hint");
    EXPECT_EQ(hint->GetAreaRect().x, 60 + 20 - 20);
    EXPECT_EQ(hint->GetAreaRect().y + hint->GetHeight(), 340 + 20) << "its bottom at the cursor";
    EXPECT_GE(hint->GetHeight(), 40) << "never lower than in the layout";
    // Leaving hides it; the bonus stays findable.
    harness->MoveTo(800, 100);
    harness->Step();
    EXPECT_FALSE(harness->Visible("bonus_item_hint"));
    Find(kMedal);
    EXPECT_EQ(Object("medal")->GetState(), uint32_t(SpyObject::STATE_TAKEN));
    EXPECT_FALSE(harness->Visible("bonus_item"));
    EXPECT_FALSE(room->IsBonusChosen());
    EXPECT_EQ(room->GetItemsFound(), 0u) << "the bonus counts in no total";
}

TEST_F(RoomPlay, EntryTipsPointAtTheNextItemAndTheStuckTipAtTheHintButton) {
    Begin();
    EnterRoom();
    harness->RunFor(3.1f);
    EXPECT_EQ(TipName(), "item");
    EXPECT_EQ(Room()->GetEnterTipCursor() > 0, true);
    CloseAll();
    // Two minutes without taking anything, while hints are left.
    harness->RunFor(121.0f, 0.19f);
    EXPECT_EQ(TipName(), "player_stuck");
    CloseAll();
    harness->ClickAt(800, 700); // misses do not delay it
    harness->RunFor(60.0f, 0.19f);
    Find(kBottle); // taking an object does
    harness->RunFor(100.0f, 0.19f);
    EXPECT_FALSE(TipShown());
}

TEST_F(RoomPlay, AClickInTheFrameAFoundItemIsCountedLeavesItCounted) {
    Begin();
    EnterRoom();
    SpyRoom* room = Room();
    // The anchor waits for its message; the click comes in the frame its vanish ends.
    ClickOn(kAnchor);
    ASSERT_TRUE(Object("anchor")->IsVanishing());
    harness->MoveTo(kBottle.ScreenX(), kBottle.ScreenY());
    while (Object("anchor")->GetEffectTimer() + gametest::GameHarness::kFrame < SpyObject::kVanishTime)
        harness->Step();
    harness->Press();
    harness->Step();
    harness->Release();
    harness->Step();
    EXPECT_EQ(Object("anchor")->GetState(), uint32_t(SpyObject::STATE_TAKEN));
    EXPECT_EQ(room->GetItemsFound(), 1u) << "the anchor counts";
    EXPECT_TRUE(LineOf("anchor")->IsCrossed());
    EXPECT_EQ(FrontBox(), "msgbox_text");
    EXPECT_EQ(Object("bottle")->GetState(), uint32_t(SpyObject::STATE_PRESENT)) << "that click took nothing";
    EXPECT_EQ(room->GetMissCount(), 0);
    CloseAll();
    // The room goes on: the bottle is found with the next click.
    Find(kBottle);
    EXPECT_EQ(room->GetItemsFound(), 2u);
    EXPECT_TRUE(LineOf("bottle")->IsCrossed());
}
