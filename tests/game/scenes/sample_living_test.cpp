// The sample game's rooms that live, played with the mouse: the inn's mouse
// is found when it comes out, the study's dust sheet uncovers the sea chart
// and the ship's log, which complete its item, the regatta fireworks burst
// over the harbour at night with no system left behind, the clock shop's
// regulator runs and its secret panel slides aside from what it hid, and
// the lamp room's clouds drift while the market's vegetables bob.

#include "sample_rooms.h"

#include "game/scenes/objects/spy_obj_clock.h"
#include "game/scenes/objects/spy_obj_evrane_body.h"
#include "game/scenes/objects/spy_obj_fireworks.h"
#include "game/scenes/objects/spy_obj_flag.h"
#include "game/scenes/objects/spy_obj_mouse.h"
#include "game/scenes/objects/spy_obj_moving_clouds.h"
#include "game/scenes/objects/spy_obj_panel.h"
#include "game/scenes/objects/spy_obj_vegetables.h"
#include "mirel/gfx/a_distortiongrid.h"
#include "mirel/gfx/a_particle.h"

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace scenetest;

namespace {

class SampleLivingTest : public SampleRooms {
protected:
    // The chapter's rooms with the real particles, the item added to the
    // room's must-be items.
    void BeginWith(int chapter, const std::string& roomName, const std::string& item) {
        // The fixture's map has buttons for the first chapter's rooms only.
        bool onMap = false;
        for (const auto& r : data->rooms)
            onMap = onMap || r.name == roomName;
        if (!onMap)
            data->rooms.push_back({roomName, 460, 260, 120, 90});
        Begin(chapter, [&](std::string& level) {
            Copy("particles");
            if (item.empty())
                return;
            const size_t section = level.find("[Room." + roomName + "]");
            ASSERT_NE(section, std::string::npos);
            const size_t must = level.find("MustBeItems = ", section);
            ASSERT_NE(must, std::string::npos);
            level.insert(must + 14, item + ", ");
        });
    }
    // Into the room, by its map button when the fixture's map has one.
    void Enter(const std::string& name) {
        if (harness->Find(name)) {
            EnterRoom(name);
            return;
        }
        CloseAll();
        Game().GotoRoom(name);
        harness->Steps(2);
        ASSERT_EQ(Game().GetCurrentRoom(), Game().FindRoom(name));
        CloseAll();
    }
    // Clicks the object where the room finds it; false when it cannot be reached.
    bool ClickObject(SpyRoom& room, SpyObject* object) {
        int32_t x = 0, y = 0;
        if (!ClickablePoint(room, object, x, y))
            return false;
        harness->ClickAt(x, y);
        return true;
    }
};

} // namespace

TEST_F(SampleLivingTest, TheInnMouseIsFoundWhenItComesOut) {
    BeginWith(1, "inn", "mouse");
    Enter("inn");
    SpyRoom* room = Room("inn");
    ASSERT_NE(room, nullptr);
    auto* mouse = dynamic_cast<SpyObjMouse*>(room->FindObjectByName("mouse", true));
    ASSERT_NE(mouse, nullptr);
    ASSERT_NE(room->FindItem("mouse", true), nullptr) << "on the list";

    // It comes out within its longest wait and sniffs about.
    float waited = 0.0f;
    while (mouse->GetPhase() != 1 && waited < 10.0f) {
        harness->Step();
        waited += gametest::GameHarness::kFrame;
        CloseAll();
    }
    ASSERT_EQ(mouse->GetPhase(), 1) << "out after " << waited << " s";
    EXPECT_GE(mouse->GetX(), float(SpyRoom::kPlayfieldLeft));
    EXPECT_GT(mouse->GetY() + mouse->GetHeight(), 760.0f) << "at the bottom of the picture";
    std::printf("the inn's mouse: %s\n", Screenshot("inn_mouse").c_str());
    const uint32_t found = room->GetItemsFound();
    ASSERT_TRUE(ClickObject(*room, mouse));
    EXPECT_TRUE(mouse->IsVanishing());
    EXPECT_EQ(room->GetMissCount(), 0);
    harness->RunFor(1.6f);
    CloseAll();
    EXPECT_EQ(mouse->GetState(), uint32_t(SpyObject::STATE_TAKEN));
    EXPECT_EQ(room->FindItem("mouse", true)->remaining, 0);
    EXPECT_EQ(room->GetItemsFound(), found + 1);
}

TEST_F(SampleLivingTest, TheDustSheetUncoversWhatCompletesItsItem) {
    BeginWith(2, "study", "dust_sheet");
    Enter("study");
    SpyRoom* room = Room("study");
    ASSERT_NE(room, nullptr);
    auto* sheet = dynamic_cast<SpyObjEvraneBody*>(room->FindObjectByName("dust_sheet", true));
    ASSERT_NE(sheet, nullptr);
    ASSERT_EQ(sheet->GetLinkedObjects().size(), 2u);
    for (SpyObject* hidden : sheet->GetLinkedObjects())
        EXPECT_EQ(hidden->GetState(), uint32_t(SpyObject::STATE_TAKEN))
            << hidden->GetName() << " is under the sheet";
    std::printf("the study: %s\n", Screenshot("study_sheet").c_str());

    const uint32_t found = room->GetItemsFound();
    ASSERT_TRUE(ClickObject(*room, sheet));
    harness->Step();
    CloseAll();
    EXPECT_EQ(sheet->GetState(), uint32_t(SpyObject::STATE_TAKEN));
    for (SpyObject* object : sheet->GetLinkedObjects())
        EXPECT_EQ(object->GetState(), uint32_t(SpyObject::STATE_PRESENT)) << object->GetName();
    std::printf("the sheet taken: %s\n", Screenshot("study_uncovered").c_str());
    const std::vector<SpyObject*> linked = sheet->GetLinkedObjects();
    for (SpyObject* object : linked) {
        CloseAll();
        ASSERT_TRUE(ClickObject(*room, object)) << object->GetName();
        EXPECT_EQ(room->GetMissCount(), 0) << object->GetName();
        harness->RunFor(1.6f);
    }
    CloseAll();
    EXPECT_EQ(room->FindItem("dust_sheet", true)->remaining, 0);
    EXPECT_EQ(room->GetItemsFound(), found + 1);
}

TEST_F(SampleLivingTest, TheRegattaFireworksBurstAndLeaveNoSystemBehind) {
    BeginWith(4, "harbour_night", "");
    Enter("harbour_night");
    SpyRoom* room = Room("harbour_night");
    ASSERT_NE(room, nullptr);
    auto* show = dynamic_cast<SpyObjFireworks*>(room->FindObjectByName("fireworks", true));
    ASSERT_NE(show, nullptr);
    EXPECT_EQ(show->GetSequence().types.size(), 3u);
    EXPECT_EQ(show->GetSequence().shots.size(), 8u);
    aParticlesManager* particles = Game().GetParticlesManager();
    ASSERT_NE(particles, nullptr);
    size_t most = 0;
    bool burst = false;
    for (int frame = 0; frame < 20 * 30; ++frame) {
        harness->Step();
        CloseAll();
        most = std::max(most, particles->getInstanceCount());
        if (!burst && show->GetExplosion(0)) {
            burst = true;
            harness->Steps(10);
            std::printf("fireworks: %s\n", Screenshot("harbour_night_fireworks").c_str());
        }
    }
    EXPECT_TRUE(burst);
    EXPECT_LE(most, 40u) << "rockets in the air, the lantern halos and nothing more";
}

TEST_F(SampleLivingTest, TheClockShopsRegulatorRunsAndItsSecretPanelSlidesAside) {
    BeginWith(1, "clockshop", "scent_bottle");
    Enter("clockshop");
    SpyRoom* room = Room("clockshop");
    ASSERT_NE(room, nullptr);
    auto* regulator = dynamic_cast<SpyObjClock*>(room->FindObjectByName("regulator", true));
    auto* panel = dynamic_cast<SpyObjPanel*>(room->FindObjectByName("secret_panel", true));
    ASSERT_TRUE(regulator && panel);
    EXPECT_EQ(regulator->GetLayerCount(), 4u);
    const float time = regulator->GetTime();
    harness->RunFor(2.0f);
    EXPECT_NEAR(regulator->GetTime(), time + 2.0f, 0.2f) << "running with the room";

    const size_t systems = Game().GetParticlesManager()->getInstanceCount();
    ASSERT_TRUE(ClickObject(*room, panel));
    EXPECT_TRUE(panel->IsOpened());
    EXPECT_EQ(room->GetMissCount(), 0) << "the panel reacts: no miss";
    harness->RunFor(1.3f);
    EXPECT_GT(Game().GetParticlesManager()->getInstanceCount(), systems) << "its puff of dust";
    harness->Steps(2);
    std::printf("the clock shop's panel open: %s\n", Screenshot("clockshop_panel").c_str());
    // What it hid is found where it lies.
    const uint32_t found = room->GetItemsFound();
    CloseAll();
    ASSERT_TRUE(ClickObject(*room, room->FindObjectByName("scent_bottle", true)));
    harness->RunFor(1.6f);
    CloseAll();
    EXPECT_EQ(room->GetItemsFound(), found + 1);
}

TEST_F(SampleLivingTest, TheFlagWavesTheCloudsDriftAndTheVegetablesBob) {
    data->rooms.push_back({"market", 660, 260, 120, 90});
    BeginWith(3, "lighthouse", "");
    Enter("lighthouse");
    SpyRoom* lighthouse = Room("lighthouse");
    ASSERT_NE(lighthouse, nullptr);
    auto* clouds = dynamic_cast<SpyObjMovingClouds*>(lighthouse->FindObjectByName("clouds_west", true));
    ASSERT_NE(clouds, nullptr);
    const float offset = clouds->GetOffset();
    harness->RunFor(3.0f);
    EXPECT_NE(clouds->GetOffset(), offset);
    std::printf("the lamp room: %s\n", Screenshot("lighthouse_clouds").c_str());

    Game().ShowMap();
    harness->Steps(2);
    Enter("market");
    SpyRoom* market = Room("market");
    ASSERT_NE(market, nullptr);
    auto* pile = dynamic_cast<SpyObjVegetables*>(market->FindObjectByName("vegetables", true));
    ASSERT_NE(pile, nullptr);
    bool bobbed = false;
    for (int i = 0; i < 120 && !bobbed; ++i) {
        harness->Step();
        bobbed = pile->GetLift() > 3.0f;
    }
    EXPECT_TRUE(bobbed);
    std::printf("the market: %s\n", Screenshot("market_vegetables").c_str());

    // The stall's pennant waves from its free end, fixed at the pole, and is drawn as it waves.
    auto* pennant = dynamic_cast<SpyObjFlag*>(market->FindObjectByName("pennant", true));
    ASSERT_NE(pennant, nullptr);
    ASSERT_TRUE(pennant->IsRightMount());
    const aDistortionGrid& grid = *pennant->GetGrid();
    const uint32_t pole = grid.getColumns() - 1;
    const float poleY = grid.getVertex(pole, 0).y;
    const int32_t left = int32_t(pennant->GetX()), top = int32_t(pennant->GetY());
    const int32_t strip = int32_t(grid.getCellWidth()), height = int32_t(pennant->GetHeight());
    auto freeEnd = [&] {
        std::vector<uint32_t> px;
        for (int32_t y = top - 4; y < top + height + 4; ++y)
            for (int32_t x = left - 2; x < left + strip; ++x)
                px.push_back(harness->Pixel(x, y));
        return px;
    };
    const std::vector<uint32_t> first = freeEnd();
    float low = grid.getVertex(0, 0).y, high = low;
    bool redrawn = false;
    for (float t = 0.0f; t < pennant->GetLoopTime(); t += gametest::GameHarness::kFrame) {
        harness->Step();
        low = std::min(low, grid.getVertex(0, 0).y);
        high = std::max(high, grid.getVertex(0, 0).y);
        EXPECT_FLOAT_EQ(grid.getVertex(pole, 0).y, poleY) << "fixed at the pole";
        redrawn = redrawn || freeEnd() != first;
    }
    EXPECT_GT(high - low, 4.0f) << "its free end rises and falls by twice its 2.5 pixels";
    EXPECT_TRUE(redrawn) << "the screen shows it waving";
}
