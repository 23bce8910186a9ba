// The clue-card room on its own: cards won by their names and conditions in
// section order, the owned cards in the slots with the glow, the zoom and
// the reveal of the card popup, and the room's saved record.

#include "room_alone.h"

#include "game/scenes/card_popup.h"
#include "game/scenes/card_room.h"
#include "game/scenes/clue_card.h"
#include "mirel/base/a_clock.h"
#include "mirel/gui/gui_event.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>

using namespace scenetest;

namespace {

constexpr uint32_t kSmallColour = 0xFF2040A0u;
constexpr uint32_t kLargeColour = 0xFF30C030u;
constexpr uint32_t kBackColour = 0xFF803020u;

// The large pictures are JPEG inside: their colour comes back within a few steps.
bool IsLarge(uint32_t argb) {
    const int g = int((argb >> 8) & 0xFF);
    const int r = int((argb >> 16) & 0xFF);
    return (argb >> 24) == 0xFF && std::abs(g - 0xC0) <= 4 && std::abs(r - 0x30) <= 4;
}
// Slots: three of 40 x 60 in the window at (179, 0), and a label between.
constexpr int kSlotY = 100;
constexpr int kSlotX[3] = {100, 200, 300};

class CardRoomTest : public RoomAlone {
protected:
    void SetUp() override {
        RoomAlone::SetUp();
        const std::string cards = data + "images/cluecards/";
        std::filesystem::create_directories(cards + "large");
        std::string list;
        for (const char* name : {"quillby", "crane", "edith", "penhallow", "nell"}) {
            content::saveFile(cards + name + ".png",
                              content::writePng(content::Picture(20, 30, kSmallColour)));
            content::saveFile(cards + "large/" + name + ".jng",
                              content::writeJng(content::Picture(100, 150, kLargeColour)));
            list += std::string(name) + ".png 8888 8888\n";
        }
        content::saveFile(cards + "back.png", content::writePng(content::Picture(100, 150, kBackColour)));
        list += "back.png 8888 8888\n";
        gametest::WriteText(cards + "ImageList.txt", list);
        std::string script = "widget card_room\n{\n AreaRect 179 0 845 768\n Visible 0\n";
        for (int i = 0; i < 3; ++i) {
            script += " widget slot" + std::to_string(i) + "\n {\n  AreaRect " + std::to_string(kSlotX[i]) +
                      " " + std::to_string(kSlotY) + " 40 60\n  Tag 1\n }\n";
            if (i == 0)
                script += " widget label\n {\n  AreaRect 0 0 10 10\n }\n";
        }
        script += " widget popup\n {\n  AreaRect 0 0 845 768\n  Visible 0\n }\n}\n";
        gui.LoadScript(script);
    }
    void TearDown() override {
        CloseCardPopup();
        cardRoom.reset();
        RoomAlone::TearDown();
    }
    // The card room over the level's "CardsOrder"; its conditions look at the test room.
    CardRoom& Cards(const std::string& order) {
        if (!room)
            Loaded();
        cardRoom = std::make_unique<CardRoom>(gui.images.get(), gui.sounds.get(), nullptr);
        cardRoom->SetRoomLookup([this](const std::string& name) -> Room* {
            if (name == "harbour")
                return room.get();
            if (name == CardRoom::kName)
                return cardRoom.get();
            return nullptr;
        });
        cardRoom->LoadResources(Level(TestRoomSection() + "[CardsOrder]\n" + order));
        return *cardRoom;
    }
    std::string Unlock(const std::string& name) {
        ClueCard* card = cardRoom->UnlockNextCard(name);
        return card ? card->GetName() : "-";
    }
    void Click(GUI::Widget* widget) {
        GUI::MouseEventArgs args;
        args.widget = widget;
        widget->LaunchEvent(GUI::Widget::EventClick, args);
    }
    uint32_t SlotPixel(int i) const {
        return gui.Pixel(uint32_t(179 + kSlotX[i] + 20), uint32_t(kSlotY + 30));
    }

    std::unique_ptr<CardRoom> cardRoom;
};

} // namespace

TEST_F(CardRoomTest, CardsAreWonByTheirNamesInSectionOrder) {
    CardRoom& cards =
        Cards("quillby = clockshop\ncrane = harbour\npenhallow = inn, harbour\nnell = Harbour\n");
    ASSERT_EQ(cards.GetDefinitions().size(), 4u);
    EXPECT_EQ(cards.GetDefinitions()[2].entries, (std::vector<std::string>{"inn", "harbour"}));
    struct Step {
        const char* name;
        const char* won;
    };
    const Step steps[] = {
        {"harbour", "crane"},                         // quillby is not allowed by the harbour
        {"harbour", "penhallow"},                     // a second call wins the next one that qualifies
        {"harbour", "-"},                             // "Harbour" is not "harbour"
        {"clockshop", "quillby"}, {"clockshop", "-"}, // owned cards are not won again
        {"Harbour", "nell"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        EXPECT_EQ(Unlock(s.name), s.won);
    }
    ASSERT_EQ(cards.GetCards().size(), 4u);
    EXPECT_EQ(cards.GetCards()[0]->GetName(), "crane") << "the slots fill in the order won";
    EXPECT_EQ(cards.GetCards()[3]->GetName(), "nell");
    EXPECT_TRUE(cards.GetCards()[0]->GetImage().hasTexture());
    EXPECT_TRUE(cards.GetCards()[0]->GetBackImage().hasTexture());
}

TEST_F(CardRoomTest, ALongOrderWinsItsCardsInOrder) {
    std::string order;
    for (int i = 0; i < 3000; ++i)
        order += "card" + std::to_string(i) + " = e" + std::to_string(i % 3) + ", all, e" +
                 std::to_string(i % 3) + "\n";
    CardRoom& cards = Cards(order);
    ASSERT_EQ(cards.GetDefinitions().size(), 3000u);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(Unlock("e1"), "card" + std::to_string(3 * i + 1));
    EXPECT_EQ(Unlock("e1"), "-");
    EXPECT_EQ(Unlock("all"), "card0");
    EXPECT_EQ(Unlock("all"), "card2") << "card1 is owned";
    EXPECT_EQ(Unlock("e0"), "card3") << "card0 is owned";
    cards.Reset();
    EXPECT_EQ(Unlock("e1"), "card1") << "a new game owns nothing";
}

TEST_F(CardRoomTest, ConditionsNeedTheirItemFoundAndBadOnesAreLoggedAndDropped) {
    CardRoom& cards = Cards("crane = harbour +harbour.anchor\n"
                            "fenn = harbour +harbour.ghost\n"    // no such item
                            "nell = harbour +market.anchor\n"    // no such room
                            "marigold = harbour +#card_room.x\n" // not a hidden-object room
                            "edith = harbour +nodot +.anchor +harbour. +harbour.bottle\n");
    EXPECT_TRUE(log.has("CardRoom::LoadResources - condition error '+nodot'"));
    EXPECT_TRUE(log.has("CardRoom::LoadResources - condition error '+.anchor'"));
    EXPECT_TRUE(log.has("CardRoom::LoadResources - condition error '+harbour.'"));
    const CardRoom::CardDef& edith = cards.GetDefinitions()[4];
    EXPECT_EQ(edith.entries, (std::vector<std::string>{"harbour"})) << "the bad ones leave the plain names";
    ASSERT_EQ(edith.conditions.size(), 1u);
    EXPECT_EQ(edith.conditions[0].room, "harbour");
    EXPECT_EQ(edith.conditions[0].item, "bottle");

    EXPECT_EQ(Unlock("harbour"), "-") << "nothing is found yet";
    ASSERT_TRUE(Take("anchor"));
    EXPECT_EQ(Unlock("harbour"), "crane");
    EXPECT_EQ(Unlock("harbour"), "-");
    ASSERT_TRUE(Take("bottle"));
    EXPECT_EQ(Unlock("harbour"), "edith");
    EXPECT_EQ(Unlock("harbour"), "-") << "fenn, nell and marigold can never be won";
}

TEST_F(CardRoomTest, AnItemFoundForGoodInAnEarlierLevelCounts) {
    // The anchor is found once for all levels.
    const std::string items = data + "rooms/harbour/items.ini";
    std::string text;
    {
        const gametest::Bytes bytes = gametest::ReadBytes(items);
        text.assign(bytes.begin(), bytes.end());
    }
    text.replace(text.find("[anchor]\n"), 9, "[anchor]\nFindOnce = 1\n");
    gametest::WriteText(items, text);
    Loaded();
    room->Enter(nullptr);
    ASSERT_TRUE(Take("anchor"));
    room->OnLevelComplete();
    // The next level draws its list without the anchor.
    room->LoadResources(Level(TestRoomSection()));
    ASSERT_EQ(Active("anchor"), nullptr);
    CardRoom& cards = Cards("crane = harbour +harbour.anchor\nfenn = harbour +harbour.bottle\n");
    EXPECT_TRUE(cards.ConditionHolds(CardRoom::Condition{"harbour", "anchor"}));
    EXPECT_FALSE(cards.ConditionHolds(CardRoom::Condition{"harbour", "bottle"}));
    EXPECT_EQ(Unlock("harbour"), "crane");
}

TEST_F(CardRoomTest, SlotsDrawTheOwnedCardsAndGlowUnderTheMouse) {
    CardRoom& cards = Cards("crane = harbour\nnell = harbour\n");
    ASSERT_EQ(cards.GetSlots().size(), 3u) << "the label is no slot";
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(cards.GetSlots()[i]->GetTag(), int32_t(i));
    Unlock("harbour");
    Unlock("harbour");
    cards.Enter(nullptr);
    EXPECT_TRUE(cards.GetWindow()->IsVisible());
    EXPECT_FALSE(cards.GetPopup()->IsVisible());
    gui.SetCursor(5, 700);
    gui.Frame();
    EXPECT_EQ(SlotPixel(0), kSmallColour);
    EXPECT_EQ(SlotPixel(1), kSmallColour);
    EXPECT_EQ(SlotPixel(2), 0xFF000000u) << "an empty slot";

    gui.SetCursor(179 + kSlotX[1] + 5, kSlotY + 5);
    gui.Frame();
    const uint32_t glow = SlotPixel(1);
    EXPECT_EQ(SlotPixel(0), kSmallColour);
    EXPECT_GT((glow >> 16) & 0xFF, (kSmallColour >> 16) & 0xFF) << "a faint yellow added";
    EXPECT_GT((glow >> 8) & 0xFF, (kSmallColour >> 8) & 0xFF);
    EXPECT_EQ(glow & 0xFF, kSmallColour & 0xFF);
}

TEST_F(CardRoomTest, ASlotClickZoomsItsCardAndThePopupClickClosesIt) {
    CardRoom& cards = Cards("crane = harbour\nnell = harbour\n");
    Unlock("harbour");
    Unlock("harbour");
    cards.Enter(nullptr);
    GUI::Widget* slot = cards.GetSlots()[0];
    Click(cards.GetSlots()[2]);
    EXPECT_EQ(cards.GetZoomedCard(), nullptr) << "an empty slot";
    Click(slot);
    ASSERT_EQ(cards.GetZoomedCard(), cards.GetCards()[0]);
    EXPECT_EQ(GetCardPopupCard(), cards.GetCards()[0]);
    EXPECT_TRUE(IsCardPopupZoom());
    EXPECT_FLOAT_EQ(GetCardPopupSpeed(), 4.0f);
    EXPECT_TRUE(cards.GetPopup()->IsVisible());
    EXPECT_TRUE(cards.GetCards()[0]->GetLargeImage().hasTexture());
    // At progress 0 the large picture covers the slot at the slot's size: the
    // slot itself no longer draws its card.
    gui.SetCursor(5, 700);
    gui.Frame(0.0f);
    EXPECT_TRUE(IsLarge(SlotPixel(0)));
    EXPECT_EQ(gui.Pixel(uint32_t(179 + kSlotX[0] + 20 + 25), uint32_t(kSlotY + 30)), 0xFF000000u);
    UpdateCardPopup(0.125f);
    EXPECT_FLOAT_EQ(GetCardPopupProgress(), 0.5f);
    UpdateCardPopup(1.0f);
    EXPECT_FLOAT_EQ(GetCardPopupProgress(), 1.0f) << "capped";
    // Now drawn at (601, 384) at full size: 100 x 150.
    gui.Frame(0.0f);
    EXPECT_TRUE(IsLarge(gui.Pixel(601 - 45, 384 - 70)));
    EXPECT_EQ(gui.Pixel(601 - 55, 384), 0xFF000000u);

    Click(slot);
    EXPECT_FLOAT_EQ(GetCardPopupProgress(), 1.0f) << "the zoomed card's slot does nothing";
    Click(cards.GetPopup());
    EXPECT_EQ(cards.GetZoomedCard(), nullptr);
    EXPECT_EQ(GetCardPopupCard(), nullptr);
    EXPECT_FALSE(cards.GetPopup()->IsVisible());
    EXPECT_FALSE(cards.GetCards()[0]->GetLargeImage().hasTexture()) << "released with the popup";
}

TEST(CardPopupGeometry, TheRevealRisesTurnsOverAndDims) {
    struct Case {
        float p;
        float x, y, scaleX, scaleY, rotation;
        bool back;
        uint8_t dim;
    };
    const float pi = 3.14159265f;
    const float r25 = std::sin(pi / 8.0f), r50 = std::sin(pi / 4.0f), r75 = std::sin(3.0f * pi / 8.0f);
    const Case cases[] = {
        {0.0f, 512.0f, 768.0f, 0.0f, 0.0f, -pi / 2.0f, true, 0},
        {0.25f, 512.0f, 768.0f - 384.0f * r25, r25, r25 * 0.5f, -pi * 3.0f / 8.0f, true, 38},
        {0.5f, 512.0f, 768.0f - 384.0f * r50, r50, 0.0f, -pi / 4.0f, false, 77},
        {0.75f, 512.0f, 768.0f - 384.0f * r75, r75, r75 * 0.5f, -pi / 8.0f, false, 115},
        {1.0f, 512.0f, 384.0f, 1.0f, 1.0f, 0.0f, false, 153},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.p);
        const CardPopupPose pose = CardRevealPose(c.p, 512.0f, 384.0f);
        EXPECT_NEAR(pose.x, c.x, 1e-3f);
        EXPECT_NEAR(pose.y, c.y, 1e-3f);
        EXPECT_NEAR(pose.scaleX, c.scaleX, 1e-4f);
        EXPECT_NEAR(pose.scaleY, c.scaleY, 1e-4f);
        EXPECT_NEAR(pose.rotation, c.rotation, 1e-5f);
        EXPECT_EQ(pose.back, c.back);
        EXPECT_EQ(pose.dim, c.dim);
    }
    const CardPopupPose zoom = CardZoomPose(0.5f, 120.0f, 130.0f, 601.0f, 384.0f, 0.25f);
    EXPECT_FLOAT_EQ(zoom.x, 360.5f);
    EXPECT_FLOAT_EQ(zoom.y, 257.0f);
    EXPECT_FLOAT_EQ(zoom.scaleX, 0.625f);
    EXPECT_FLOAT_EQ(zoom.scaleY, 0.625f);
    EXPECT_EQ(zoom.dim, 0);
    EXPECT_FALSE(zoom.back);
}

namespace {

// A clock that moves a quarter of a second whenever it is read.
class SlowClock : public aManualClock {
public:
    int64_t counter() override {
        advance(0.25);
        return aManualClock::counter();
    }
};

} // namespace

TEST_F(CardRoomTest, TheRevealKeepsTheLoadOfItsPictureOutOfItsAnimation) {
    CardRoom& cards = Cards("crane = harbour\n");
    ClueCard* card = cards.UnlockNextCard("harbour");
    ASSERT_NE(card, nullptr);
    SlowClock slow;
    a_setClock(&slow);
    ShowCardPopup(card);
    a_setClock(&gui.clock);
    EXPECT_FALSE(IsCardPopupZoom());
    EXPECT_FLOAT_EQ(GetCardPopupSpeed(), 1.0f);
    const float load = GetCardPopupLoadTime();
    ASSERT_GT(load, 0.0f);
    UpdateCardPopup(load + 0.1f);
    EXPECT_NEAR(GetCardPopupProgress(), 0.1f, 1e-4f) << "the frame that held the load moves on by the rest";
    EXPECT_FLOAT_EQ(GetCardPopupLoadTime(), 0.0f);
    UpdateCardPopup(0.2f);
    EXPECT_NEAR(GetCardPopupProgress(), 0.3f, 1e-4f);
    // Still turning: the back shows, rising from the bottom.
    const CardPopupPose early = CardRevealPose(GetCardPopupProgress(), 512.0f, 384.0f);
    ASSERT_TRUE(early.back);
    gui.DrawFrame([] { DrawCardPopup(); });
    EXPECT_EQ(gui.Pixel(uint32_t(early.x), uint32_t(early.y)), kBackColour);

    // At the end the screen is dimmed and the front is up at (512, 384).
    UpdateCardPopup(1.0f);
    gui.DrawFrame([] { DrawCardPopup(); });
    EXPECT_TRUE(IsLarge(gui.Pixel(512, 384)));
    EXPECT_EQ(gui.Pixel(10, 10), 0xFF000000u);
    CloseCardPopup();
    EXPECT_FALSE(card->GetLargeImage().hasTexture());
}

TEST_F(CardRoomTest, TheRecordHoldsTheOwnedCardsInOrder) {
    CardRoom& cards = Cards("crane = harbour\nnell = harbour\npenhallow = harbour\n");
    for (int i = 0; i < 3; ++i)
        Unlock("harbour");
    std::vector<uint8_t> bytes;
    SaveLoadSystem system(1);
    SaveWriter writer(bytes);
    cards.Save(system, writer);
    const size_t own = 4 + (5 + 1) + (4 + 1) + (9 + 1);
    ASSERT_EQ(bytes.size(), own + 4) << "the count, the names with their NULs, then the visit count";
    EXPECT_EQ(bytes[0], 3);

    CardRoom other(gui.images.get(), gui.sounds.get(), nullptr);
    SaveReader reader(bytes.data(), bytes.size());
    other.Load(system, reader);
    ASSERT_EQ(other.GetCards().size(), 3u);
    EXPECT_EQ(other.GetCards()[0]->GetName(), "crane");
    EXPECT_EQ(other.GetCards()[2]->GetName(), "penhallow");
    EXPECT_TRUE(other.GetCards()[1]->GetImage().hasTexture());

    // A count beyond the record, and a name without its end.
    std::vector<uint8_t> huge = bytes;
    huge[3] = 0x7F;
    SaveReader hugeReader(huge.data(), huge.size());
    other.Load(system, hugeReader);
    EXPECT_EQ(other.GetCards().size(), 3u) << "a bad record changes nothing";
    EXPECT_TRUE(log.has("CardRoom::Load - bad record, cards not taken"));
    const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + 8);
    SaveReader cutReader(cut.data(), cut.size());
    other.Load(system, cutReader);
    EXPECT_EQ(other.GetCards().size(), 3u);

    other.Reset();
    EXPECT_TRUE(other.GetCards().empty());
}
