// Moving clouds scrolling through their clipped area, the bobbing pile of
// vegetables, particle effects at their objects and the invisible marker.

#include "living_room.h"

#include "game/scenes/objects/spy_obj_moving_clouds.h"
#include "game/scenes/objects/spy_obj_particles.h"
#include "game/scenes/objects/spy_obj_vegetables.h"
#include "game/scenes/objects/spy_obj_zaloupe.h"

#include <cmath>

using namespace scenetest;

namespace {

class CloudsVegetablesTest : public LivingRoom {};

constexpr uint32_t kCloud = 0xFFE0E8F0;

std::string Clouds(const char* name, int speed, int area = 200) {
    return "[" + std::string(name) + "]\nClass = MovingClouds\nImage = " + name +
           "\nX = 100\nY = 50\nAreaWidth = " + std::to_string(area) + "\nSpeed = " + std::to_string(speed) +
           "\n";
}

// A tile whose left half is cloud and right half clear.
content::Picture HalfCloud(uint32_t width, uint32_t height) {
    content::Picture p(width, height, 0);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width / 2; ++x)
            p.at(x, y) = kCloud;
    return p;
}

} // namespace

TEST_F(CloudsVegetablesTest, CloudsScrollAcrossTheClipEdgeWithoutAGap) {
    Living(Clouds("east", 20) + Clouds("west", -20) + Clouds("wide", 20, 40) +
               "[thin]\nClass = MovingClouds\nImage = thin\nX = 0\nY = 0\nAreaWidth = 100\nSpeed = 5\n",
           {{"east", HalfCloud(300, 40)},
            {"west", HalfCloud(300, 40)},
            {"wide", content::Picture(300, 40, kCloud)},
            {"thin", content::Picture(1, 10, kCloud)}});
    auto* east = As<SpyObjMovingClouds>("east");
    auto* west = As<SpyObjMovingClouds>("west");
    ASSERT_TRUE(east && west);
    EXPECT_TRUE(east->IsKindOf("MovingClouds") && east->IsKindOf("Image"));
    EXPECT_FLOAT_EQ(east->GetWidth(), 200.0f) << "the area, not the tile";
    EXPECT_FLOAT_EQ(east->GetHeight(), 40.0f);

    int wraps = 0;
    float last = east->GetOffset();
    for (int i = 0; i < 140; ++i) {
        east->Update(0.1f);
        west->Update(0.1f);
        if (east->GetOffset() < last)
            ++wraps;
        last = east->GetOffset();
        ASSERT_GT(east->GetOffset(), -300.0f);
        ASSERT_LE(east->GetOffset(), 0.0f);
        ASSERT_GT(west->GetOffset(), -300.0f);
        ASSERT_LE(west->GetOffset(), 0.0f);
        // The tiles cover the area from its left edge to its right one.
        const std::vector<float> places = east->GetTilePlaces();
        ASSERT_FALSE(places.empty());
        ASSERT_LE(places.front(), 0.0f);
        for (size_t k = 1; k < places.size(); ++k)
            ASSERT_NEAR(places[k] - places[k - 1], 298.5f, 1e-3f) << "overlapping by 1.5 px";
        ASSERT_GE(places.back() + 300.0f, 200.0f);
    }
    EXPECT_EQ(wraps, 1) << "14 s at 20 px/s: less than two tiles, wrapped once at the start";

    // Hits follow the scrolled picture.
    const float offset = east->GetOffset();
    const int32_t cloudAt = int32_t(std::ceil(offset)) + 300 + 10; // 10 px into the next tile's cloud
    EXPECT_TRUE(east->HitTest(cloudAt, 5));
    EXPECT_FALSE(east->HitTest(cloudAt + 150, 5)) << "the clear half";

    // Drawn, the clouds stay inside their area even when the tile is wider.
    auto* wide = As<SpyObjMovingClouds>("wide");
    gui.DrawFrame([&] { wide->Draw(0xFFFFFFFFu); });
    EXPECT_EQ(gui.Pixel(279 + 20, 60), kCloud);
    EXPECT_EQ(gui.Pixel(279 + 45, 60) & 0xFFFFFFu, 0u) << "clipped at the area's right edge";
    wide->SetState(SpyObject::STATE_TAKEN, false);
    gui.DrawFrame([&] { wide->Draw(0xFFFFFFFFu); });
    EXPECT_EQ(gui.Pixel(279 + 20, 60), kCloud) << "drawn whatever its state";

    // However long a frame or fast the wind, the tiles start within one width.
    for (float dt : {1000.0f, 0.02f, 1.0e30f, 3.0f}) {
        SCOPED_TRACE(dt);
        east->Update(dt);
        west->Update(dt);
        for (auto* c : {east, west}) {
            EXPECT_GT(c->GetOffset(), -300.0f);
            EXPECT_LE(c->GetOffset(), 0.0f);
            EXPECT_LE(c->GetTilePlaces().size(), 2u);
        }
    }

    // A tile of 1.5 px or less would never fill the area.
    EXPECT_TRUE(log.has(
        "SpyObjMovingClouds::Create - tile of object 'thin' is 1 pixels wide, 1.5 or less: it is not drawn"));
    auto* thin = As<SpyObjMovingClouds>("thin");
    thin->Update(1.0f);
    EXPECT_TRUE(thin->GetTilePlaces().empty());
    gui.DrawFrame([&] { thin->Draw(0xFFFFFFFFu); });
}

TEST_F(CloudsVegetablesTest, OneVegetableAtATimeBobsUpAndLands) {
    Living(
        "[pile]\nClass = Vegetables\nImage = pile\nX = 100\nY = 300\nAmplitude = 10 10\nInterval = 0.5 0.5\n"
        "Count = 3\nPeriodTime = 1.0\n"
        "[none]\nClass = Vegetables\nImage = pile\nX = 0\nY = 0\nAmplitude = 1 2\nInterval = 1 2\nCount = 0\n"
        "PeriodTime = 0\n",
        {{"pile", content::Picture(300, 50, 0xFF9E3B2E)}});
    auto* pile = As<SpyObjVegetables>("pile");
    ASSERT_NE(pile, nullptr);
    EXPECT_TRUE(pile->IsKindOf("Vegetables") && pile->IsKindOf("Image"));
    EXPECT_FLOAT_EQ(pile->GetWidth(), 100.0f) << "one layer of three";
    EXPECT_FLOAT_EQ(pile->GetHeight(), 50.0f);
    EXPECT_TRUE(pile->HitTest(99, 49));
    EXPECT_EQ(pile->GetBobbingLayer(), -1);
    EXPECT_FLOAT_EQ(pile->GetPhaseTime(), -0.5f);

    pile->Update(0.3f);
    EXPECT_EQ(pile->GetBobbingLayer(), -1) << "still pausing";
    a_srand(5);
    const int layer = a_rand() % 3;
    a_srand(5);
    pile->Update(0.3f);
    EXPECT_EQ(pile->GetBobbingLayer(), layer);
    EXPECT_FLOAT_EQ(pile->GetBobAmplitude(), 10.0f);
    pile->Update(0.5f);
    EXPECT_NEAR(pile->GetLift(), 10.0f, 1e-4f) << "at the top half-way through";
    gui.DrawFrame([&] { pile->Draw(0xFFFFFFFFu); });
    EXPECT_EQ(gui.Pixel(279 + 50, 295), 0xFF9E3B2Eu) << "the lifted layer shows above the pile";
    pile->Update(0.5f);
    EXPECT_EQ(pile->GetBobbingLayer(), -1) << "landed after one period";
    EXPECT_FLOAT_EQ(pile->GetLift(), 0.0f);
    EXPECT_FLOAT_EQ(pile->GetPhaseTime(), -0.5f) << "and pauses again";

    EXPECT_TRUE(pile->Activate(true, nullptr));
    EXPECT_TRUE(pile->IsVanishing());
    EXPECT_FALSE(pile->Activate(false, nullptr));
    pile->Update(1.5f);
    EXPECT_EQ(pile->GetState(), uint32_t(SpyObject::STATE_TAKEN));

    EXPECT_TRUE(log.has("SpyObjVegetables::Create - Count 0 of object 'none' is not above 0, 1 is used"));
    EXPECT_TRUE(log.has("SpyObjVegetables::Create - PeriodTime of object 'none' is not above 0, 1 is used"));
    auto* none = As<SpyObjVegetables>("none");
    EXPECT_EQ(none->GetCount(), 1);
    EXPECT_FLOAT_EQ(none->GetWidth(), 300.0f);
    for (int i = 0; i < 40; ++i) {
        none->Update(0.25f);
        ASSERT_TRUE(std::isfinite(none->GetLift()));
        ASSERT_LE(none->GetBobbingLayer(), 0);
    }
}

TEST_F(CloudsVegetablesTest, AParticleEffectIsSettledWhenTheRoomShows) {
    Particles(
        "[candle]\nSystem = flame.txt\n[still]\nSystem = still.txt\n",
        {{"flame.txt", "fps 20\nmax_particles 50\nemitter_life -1\nemit_per_sec 10\nparticle_life 1 1\n"},
         {"still.txt", "fps 0\n"}});
    Living("[flame]\nClass = Particles\nX = 100\nY = 200\nSystem = candle\nEmitterSize = 8 4\n"
           "[idle]\nClass = Particles\nX = 0\nY = 0\nSystem = still\n"
           "[gone]\nClass = Particles\nX = 0\nY = 0\nSystem = nothing\n");
    auto* flame = As<SpyObjParticles>("flame");
    ASSERT_NE(flame, nullptr);
    EXPECT_TRUE(flame->IsKindOf("Particles"));
    EXPECT_FALSE(flame->IsKindOf("Image"));
    EXPECT_FALSE(flame->HitTest(0, 0));
    EXPECT_FALSE(flame->Activate(true, nullptr));
    ASSERT_NE(flame->GetSystem(), nullptr);
    EXPECT_NEAR(flame->GetSystem()->getClock(), 30.0f, 0.1f) << "thirty seconds ahead";
    EXPECT_GE(flame->GetSystem()->getLiveCount(), 9) << "a second's worth of flame alive";
    EXPECT_FLOAT_EQ(flame->GetSystem()->getX(), 279.0f);
    EXPECT_FLOAT_EQ(flame->GetSystem()->getY(), 200.0f);
    float w = 0.0f, h = 0.0f;
    flame->GetSystem()->getEmitterSize(w, h);
    EXPECT_FLOAT_EQ(w, 8.0f);
    EXPECT_FLOAT_EQ(h, 4.0f);
    EXPECT_FLOAT_EQ(As<SpyObjParticles>("idle")->GetSystem()->getClock(), 0.0f) << "fps 0 never runs";
    EXPECT_EQ(As<SpyObjParticles>("gone")->GetSystem(), nullptr);
    EXPECT_TRUE(log.has("aParticlesManager::Add() - system template 'nothing' not found!"));
    gui.DrawFrame([&] { As<SpyObjParticles>("gone")->Draw(0xFFFFFFFFu); });
    EXPECT_EQ(particles->getInstanceCount(), 2u);

    // A new level starts the effect afresh; unloading removes it.
    Load();
    EXPECT_EQ(particles->getInstanceCount(), 4u) << "the old room's systems stay until it unloads";
    room->UnloadResources();
    EXPECT_EQ(particles->getInstanceCount(), 2u);
}

TEST_F(CloudsVegetablesTest, AMarkerKeepsItsPlaceAndDistanceAndIsNeverHit) {
    Living("[spot]\nClass = Zaloupe\nX = 300\nY = 400\nHitDistance = 12.5\n[bare]\nClass = Zaloupe\nX = 1\nY "
           "= 1\n");
    auto* spot = As<SpyObjZaloupe>("spot");
    ASSERT_NE(spot, nullptr);
    EXPECT_TRUE(spot->IsKindOf("Zaloupe"));
    EXPECT_FALSE(spot->IsKindOf("Image"));
    EXPECT_FLOAT_EQ(spot->GetHitDistance(), 12.5f);
    EXPECT_FLOAT_EQ(As<SpyObjZaloupe>("bare")->GetHitDistance(), 0.0f);
    EXPECT_FLOAT_EQ(SpyObjZaloupe(nullptr, "new").GetHitDistance(), 50.0f);
    EXPECT_FLOAT_EQ(spot->GetX(), 479.0f);
    EXPECT_FLOAT_EQ(spot->GetWidth(), 0.0f);
    EXPECT_FALSE(spot->HitTest(0, 0));
    EXPECT_FALSE(spot->Activate(true, nullptr));
    EXPECT_FALSE(room->HitTestObject(spot, 0, 0, true));
}
