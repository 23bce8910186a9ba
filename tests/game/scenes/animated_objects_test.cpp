// The animated scene objects and the containers, stepped through their
// phases in a room of their own with the engine's random generator seeded.

#include "room_alone.h"

#include "game/scenes/objects/spy_obj_anim.h"
#include "game/scenes/objects/spy_obj_container.h"
#include "mirel/base/a_random.h"

#include <algorithm>
#include <filesystem>

using namespace scenetest;

namespace {

// A strip of `count` frames of size x size; frame i opaque in colour
// 0xFF000000 + i + 1, except where `clear` says so.
content::Picture Strip(uint32_t count, uint32_t size) {
    content::Picture p(count * size, size, 0);
    for (uint32_t i = 0; i < count; ++i)
        for (uint32_t y = 0; y < size; ++y)
            for (uint32_t x = 0; x < size; ++x)
                p.at(i * size + x, y) = 0xFF000000u + i + 1;
    return p;
}

class AnimatedTest : public RoomAlone {
protected:
    void Picture(const std::string& name, const content::Picture& picture) {
        const std::string folder = data + "rooms/zoo/images/";
        std::filesystem::create_directories(folder);
        content::saveFile(folder + name + ".png", content::writePng(picture));
        list += name + ".png 8888 8888\n";
    }
    SpyRoom& Zoo(const std::string& objects) {
        gametest::WriteText(data + "rooms/zoo/images/ImageList.txt", list);
        gametest::WriteText(data + "rooms/zoo/objects.ini", objects);
        Make("zoo");
        room->LoadResources(Level("[Room.zoo]\nItemsCount = 0, 0, 0\n"));
        return *room;
    }
    template <class T> T* As(const std::string& name) { return dynamic_cast<T*>(Object(name)); }
    // Steps of 0.05 s.
    static void Run(SpyObject* object, float seconds) {
        for (float t = 0.0f; t < seconds - 1e-4f; t += 0.05f)
            object->Update(0.05f);
    }
    static std::vector<uint8_t> Saved(SpyObject* object) {
        std::vector<uint8_t> bytes;
        SaveLoadSystem system(1);
        SaveWriter writer(bytes);
        object->Save(system, writer);
        return bytes;
    }
    static void Restore(SpyObject* object, const std::vector<uint8_t>& bytes) {
        SaveLoadSystem system(1);
        SaveReader reader(bytes.data(), bytes.size());
        object->Load(system, reader);
    }
    std::string list;
};

} // namespace

TEST_F(AnimatedTest, PlayOnceRevealsItsHiddenObjectAtTheLastFrameAndVanishesAfterIt) {
    Picture("chest", Strip(10, 20));
    Picture("pearl", Box(8, 8, 0xFFFFFFFF));
    Zoo("[pearl]\nClass = Image\nImage = pearl\nX = 100\nY = 100\n"
        "[chest]\nClass = Animation\nImage = chest\nX = 90\nY = 90\nFrameSize = 20 20\nFrameCount = 10\n"
        "FPS = 10\nPlayMode = 2\nHiddenObj = pearl\n");
    auto* chest = As<SpyObjAnim>("chest");
    SpyObject* pearl = Object("pearl");
    ASSERT_TRUE(chest && pearl);
    EXPECT_TRUE(chest->IsKindOf("Animation") && chest->IsKindOf("Image"));
    EXPECT_EQ(chest->GetWidth(), 20.0f);
    EXPECT_EQ(chest->GetAnim().getFrameCount(), 10);
    EXPECT_EQ(pearl->GetState(), 2u) << "hidden until the chest has opened";
    EXPECT_FALSE(chest->IsStarted());
    EXPECT_TRUE(chest->HitTest(5, 5));

    EXPECT_TRUE(chest->Activate(true, nullptr));
    EXPECT_TRUE(chest->IsVanishing());
    EXPECT_NEAR(chest->GetEffectTimer(), -1.0f, 1e-5f) << "the vanish waits for the 1.0 s of frames";
    Run(chest, 0.85f);
    EXPECT_EQ(pearl->GetState(), 2u);
    Run(chest, 0.1f);
    EXPECT_EQ(chest->GetAnim().getFrame(), 9);
    EXPECT_EQ(pearl->GetState(), 0u) << "revealed with the last frame";
    EXPECT_TRUE(chest->IsTriggered());
    Run(chest, 0.1f);
    EXPECT_TRUE(chest->GetAnim().isStopped());
    Run(chest, 1.3f);
    EXPECT_EQ(chest->GetState(), 0u) << "1.4 s of vanishing after the 1.0 s of play";
    Run(chest, 0.15f);
    EXPECT_EQ(chest->GetState(), 1u);
}

TEST_F(AnimatedTest, AFinishedPlayOnceComesBackFinishedFromItsRecord) {
    Picture("chest", Strip(10, 20));
    Picture("pearl", Box(8, 8, 0xFFFFFFFF));
    const std::string objects =
        "[pearl]\nClass = Image\nImage = pearl\nX = 100\nY = 100\n"
        "[chest]\nClass = Animation\nImage = chest\nX = 90\nY = 90\nFrameSize = 20 20\nFrameCount = 10\n"
        "FPS = 10\nPlayMode = 2\nHiddenObj = pearl\nVanish = 0\n";
    Zoo(objects);
    auto* chest = As<SpyObjAnim>("chest");
    chest->Activate(false, nullptr);
    Run(chest, 1.5f);
    ASSERT_TRUE(chest->GetAnim().isStopped());
    const std::vector<uint8_t> record = Saved(chest);
    ASSERT_EQ(record.size(), SpyObjAnim::kRecordSize);
    EXPECT_EQ(record[0], 1) << "activated and remembered";
    EXPECT_EQ(record[1], 1);
    EXPECT_EQ(record[2], 1);
    EXPECT_EQ(record[3] | record[4] << 8, 9);
    EXPECT_EQ(record[5], 0) << "no longer playing";
    const std::vector<uint8_t> pearlRecord = Saved(Object("pearl"));

    Zoo(objects);
    chest = As<SpyObjAnim>("chest");
    ASSERT_EQ(Object("pearl")->GetState(), 2u);
    Restore(chest, record);
    Restore(Object("pearl"), pearlRecord);
    EXPECT_EQ(chest->GetAnim().getFrame(), 9);
    EXPECT_TRUE(chest->GetAnim().isStopped());
    EXPECT_FALSE(chest->IsVanishing());
    EXPECT_EQ(Object("pearl")->GetState(), 0u);
    // The next level starts it finished again.
    chest->Init();
    EXPECT_EQ(chest->GetAnim().getFrame(), 9);
    EXPECT_EQ(Object("pearl")->GetState(), 0u);
    EXPECT_FALSE(chest->IsVanishing());

    const std::vector<uint8_t> cut(record.begin(), record.begin() + 5);
    Restore(chest, cut);
    EXPECT_TRUE(log.has("SpyObjAnim::Load - bad record of object 'chest', not taken"));
}

TEST_F(AnimatedTest, LoopingModesPlayFromInitAndUnusableRatesNeverHoldTheRoom) {
    Picture("flag", Strip(4, 10));
    Zoo("[loop]\nClass = Animation\nImage = flag\nX = 0\nY = 0\nFrameSize = 10 10\nFrameCount = 4\nFPS = 20\n"
        "[swing]\nClass = Animation\nImage = flag\nX = 0\nY = 0\nFrameSize = 10 10\nFrameCount = 4\nFPS = "
        "20\n"
        "PlayMode = 1\n"
        "[stuck]\nClass = Animation\nImage = flag\nX = 0\nY = 0\nFrameSize = 10 10\nFrameCount = 4\nFPS = 0\n"
        "PlayMode = 2\n"
        "[still]\nClass = Animation\nImage = flag\nX = 0\nY = 0\nFrameSize = 10 10\nFrameCount = 4\nFPS = 0\n"
        "[back]\nClass = Animation\nImage = flag\nX = 0\nY = 0\nFrameSize = 10 10\nFrameCount = 4\nFPS = -4\n"
        "PlayMode = 1\n"
        "[#s_loop]\nClass = Animation\nImage = flag\nX = 0\nY = 0\nFrameSize = 10 10\nFrameCount = 4\nFPS = "
        "20\n"
        "[#s_swing]\nClass = Image\nImage = flag\nX = 0\nY = 0\n"
        "[none]\nClass = Animation\nImage = flag\nX = 0\nY = 0\nFrameSize = 10 10\nFrameCount = 0\n");
    auto* loop = As<SpyObjAnim>("loop");
    auto* swing = As<SpyObjAnim>("swing");
    ASSERT_TRUE(loop && swing);
    EXPECT_TRUE(loop->IsStarted());
    EXPECT_EQ(loop->GetAnim().getStartFlags(), uint32_t(A_ANIM_LOOP));
    EXPECT_EQ(swing->GetAnim().getStartFlags(), uint32_t(A_ANIM_LOOP | A_ANIM_PINGPONG));
    Run(loop, 0.25f); // five frame times over four frames
    EXPECT_EQ(loop->GetAnim().getFrame(), 1);
    EXPECT_FALSE(loop->IsVanishing()) << "looping never holds the room";
    // A shadow is hit by its frame's alpha when it is an animation; a shadow image never is.
    EXPECT_TRUE(As<SpyObjAnim>("#s_loop")->HitTest(5, 5));
    EXPECT_FALSE(Object("#s_swing")->HitTest(5, 5));

    // A rate of 0 gives an endless frame time, one below 0 a negative one
    // (the frame time's failed assertion): a looping animation stands still.
    EXPECT_EQ(std::count_if(
                  log.lines.begin(), log.lines.end(),
                  [](const std::string& l) { return l.find("setFrameTime: t > 0") != std::string::npos; }),
              1)
        << "only the negative rate";
    for (const char* name : {"still", "back"}) {
        auto* anim = As<SpyObjAnim>(name);
        Run(anim, 0.5f);
        EXPECT_FALSE(anim->GetAnim().isStopped()) << name;
        EXPECT_EQ(anim->GetAnim().getFrame(), 0) << name;
    }
    // Played once it would never end, its vanish never come: it shows its end at once.
    auto* stuck = As<SpyObjAnim>("stuck");
    stuck->Activate(false, nullptr);
    stuck->Update(0.05f);
    EXPECT_TRUE(stuck->GetAnim().isStopped());
    EXPECT_EQ(stuck->GetAnim().getFrame(), 3) << "shown at its end instead of playing forever";
    EXPECT_FALSE(stuck->IsVanishing());

    EXPECT_EQ(As<SpyObjAnim>("none")->GetAnim().getFrameCount(), 1);
    EXPECT_TRUE(log.has("SpyObjAnim::Create - frame count 0 of object 'none' is below 1, read as 1"));
}

TEST_F(AnimatedTest, ButterflyRestsThenFlapsForwardAndBackAtARandomPace) {
    Picture("wings", Strip(6, 10));
    Zoo("[butterfly]\nClass = Butterfly\nImage = wings\nX = 0\nY = 0\nFrameSize = 10 10\nFrameCount = 6\n"
        "FPS = 10\nMPS = 20\nIdleTime = 0.48 0.48\nVarFrames = 2\n"
        "[odd]\nClass = Butterfly\nImage = wings\nX = 0\nY = 0\nFrameSize = 10 10\nFrameCount = 6\n"
        "FPS = 10\nMPS = 0\nVarFrames = -3\n");
    a_srand(7);
    auto* b = As<SpyObjButterfly>("butterfly");
    ASSERT_NE(b, nullptr);
    b->Init();
    EXPECT_TRUE(b->IsKindOf("Butterfly") && b->IsKindOf("Animation") && b->IsKindOf("Image"));
    EXPECT_FLOAT_EQ(b->GetBaseFrameTime(), 0.1f);
    EXPECT_FLOAT_EQ(b->GetMovingFrameTime(), 0.05f);
    EXPECT_TRUE(b->GetAnim().isStopped()) << "resting first";
    Run(b, 0.45f);
    EXPECT_TRUE(b->GetAnim().isStopped());
    Run(b, 0.05f);
    EXPECT_FALSE(b->GetAnim().isStopped());
    EXPECT_EQ(b->GetAnim().getStartFlags(), uint32_t(A_ANIM_REVERSE)) << "the first flap toggles to reverse";
    EXPECT_GE(b->GetAnim().getFrameTime(), 0.05f);
    EXPECT_LE(b->GetAnim().getFrameTime(), 0.1f);
    // Reverse from frame 0 ends at once; the next flap runs forward.
    for (int i = 0; i < 10 && !b->GetAnim().isStopped(); ++i)
        b->Update(0.05f);
    EXPECT_TRUE(b->GetAnim().isStopped());
    EXPECT_EQ(b->GetAnim().getFrame(), 0);
    Run(b, 0.5f);
    EXPECT_FALSE(b->GetAnim().isStopped());
    EXPECT_EQ(b->GetAnim().getStartFlags(), 0u);
    int frames = 0;
    while (!b->GetAnim().isStopped() && frames < 100) {
        b->Update(0.05f);
        ++frames;
    }
    EXPECT_LT(frames, 100);
    EXPECT_GE(b->GetAnim().getFrame(), 6 - 1 - 2) << "it may stop up to VarFrames early";

    auto* odd = As<SpyObjButterfly>("odd");
    EXPECT_FLOAT_EQ(odd->GetMovingFrameTime(), odd->GetBaseFrameTime());
    EXPECT_EQ(odd->GetVarFrames(), 0);
    EXPECT_TRUE(log.has("SpyObjButterfly::Create - VarFrames -3 of object 'odd' is below 0, read as 0"));
}

TEST_F(AnimatedTest, LoveBirdsRunTheirThreePhasesAndCanBeClickedOnlyInTheMiddleOne) {
    for (int i = 0; i < 3; ++i)
        Picture("birds_" + std::to_string(i), Strip(2, 10));
    Zoo("[birds]\nClass = LoveBirds\nX = 100\nY = 50\nAnim0Params = 10 10 2 10\nAnim1Params = 10 10 2 10\n"
        "Anim2Params = 10 10 2 10\nAnim0xy = 0 0\nAnim1xy = 5 -2\nAnim2xy = 0 0\nLoopTime = 0.48 0.48\n"
        "OccurenceTime = 0.98 0.98\n"
        "[still]\nClass = LoveBirds\nX = 0\nY = 0\nAnim0Params = 10 10 0 0\n");
    auto* birds = As<SpyObjLoveBirds>("birds");
    ASSERT_NE(birds, nullptr);
    EXPECT_TRUE(birds->IsKindOf("LoveBirds"));
    EXPECT_FALSE(birds->IsKindOf("Image"));
    EXPECT_EQ(birds->GetPhase(), 0);
    EXPECT_TRUE(birds->GetAnim(0).isStopped());
    EXPECT_FALSE(birds->HitTest(5, 5));
    Run(birds, 0.95f);
    EXPECT_TRUE(birds->GetAnim(0).isStopped()) << "waiting for their occurrence";
    Run(birds, 0.1f);
    EXPECT_FALSE(birds->GetAnim(0).isStopped());
    EXPECT_FALSE(birds->HitTest(5, 5)) << "not in phase 0";
    Run(birds, 0.2f);
    ASSERT_EQ(birds->GetPhase(), 1);
    EXPECT_FLOAT_EQ(birds->GetX(), 179.0f + 100.0f + 5.0f) << "the phase's offset from the base";
    EXPECT_FLOAT_EQ(birds->GetY(), 48.0f);
    EXPECT_TRUE(birds->HitTest(5, 5));
    Run(birds, 0.5f);
    EXPECT_EQ(birds->GetPhase(), 2) << "the loop time is over";
    EXPECT_FALSE(birds->HitTest(5, 5));
    Run(birds, 0.25f);
    EXPECT_EQ(birds->GetPhase(), 0) << "after phase 2 they wait again";
    EXPECT_TRUE(birds->GetAnim(0).isStopped());
    EXPECT_NEAR(birds->GetOccurrenceCountdown(), 0.88f, 0.011f);
    birds->SetHighlight(true);
    birds->Update(0.05f);
    EXPECT_FALSE(birds->GetAnim(0).isStopped()) << "a hint starts them at once";

    EXPECT_TRUE(birds->Activate(true, nullptr));
    EXPECT_TRUE(birds->IsVanishing());
    EXPECT_FALSE(birds->Activate(false, nullptr));

    EXPECT_TRUE(log.has("SpyObjLoveBirds::Create - frame count 0 of object 'still' is below 1, read as 1"));
    EXPECT_TRUE(log.has("SpyObjLoveBirds::Create - frame rate of object 'still' is not above 0, read as 1"));
    EXPECT_TRUE(log.has("SpyObjLoveBirds::Create - 'Anim1Params' of object 'still' missing or bad"));
    SpyObject* still = Object("still");
    Run(still, 5.0f); // no division by zero, no endless loop
    EXPECT_FALSE(still->IsVanishing());
}

TEST_F(AnimatedTest, DancingCoupleCanBeClickedOnlyWhileItDances) {
    Picture("couple", Strip(3, 10));
    Zoo("[couple]\nClass = CoupleDancing\nX = 0\nY = 0\nAnimParams = 10 10 3 10\nOccurenceTime = 1.98 "
        "1.98\n");
    auto* couple = As<SpyObjCoupleDancing>("couple");
    ASSERT_NE(couple, nullptr);
    EXPECT_TRUE(couple->IsKindOf("CoupleDancing"));
    EXPECT_EQ(couple->GetWidth(), 10.0f);
    EXPECT_FALSE(couple->HitTest(5, 5)) << "standing still";
    Run(couple, 1.95f);
    EXPECT_FALSE(couple->HitTest(5, 5));
    Run(couple, 0.1f);
    EXPECT_FALSE(couple->GetAnim().isStopped());
    EXPECT_TRUE(couple->HitTest(5, 5));
    Run(couple, 0.35f);
    EXPECT_TRUE(couple->GetAnim().isStopped()) << "once per appearance";
    EXPECT_FALSE(couple->HitTest(5, 5));
    EXPECT_NEAR(couple->GetOccurrenceCountdown(), 1.83f, 0.011f);
}

TEST_F(AnimatedTest, ContainerShowsTheFramesOfWhatIsPutIn) {
    // Four frames of 10 x 10: frame i opaque only at the pixel (i, i).
    content::Picture strip(40, 10, 0);
    for (uint32_t i = 0; i < 4; ++i)
        strip.at(i * 10 + i, i) = 0xFFFFFFFFu;
    Picture("shelf", strip);
    Picture("cup", Box(4, 4, 0xFFFFFFFF));
    Zoo("[shelf]\nClass = Container\nImage = shelf\nX = 0\nY = 0\nFramesCount = 4\n"
        "[rack]\nClass = Container\nImage = shelf\nX = 0\nY = 0\nFramesCount = 4\nContainerFrames = 1, 2\n"
        "[cup]\nClass = Image\nImage = cup\nX = 0\nY = 0\nPosInContainer = 3\n"
        "[odd]\nClass = Container\nImage = shelf\nX = 0\nY = 0\nFramesCount = 0\n");
    auto* shelf = As<SpyObjContainer>("shelf");
    ASSERT_NE(shelf, nullptr);
    EXPECT_TRUE(shelf->IsKindOf("Container") && shelf->IsKindOf("Image"));
    EXPECT_EQ(shelf->GetWidth(), 10.0f);
    EXPECT_EQ(shelf->GetShownFrames(), 1u) << "frame 0 without ContainerFrames";
    EXPECT_EQ(As<SpyObjContainer>("rack")->GetShownFrames(), 6u);
    EXPECT_TRUE(shelf->IsEmpty());
    EXPECT_TRUE(shelf->HitTest(0, 0));
    EXPECT_FALSE(shelf->HitTest(3, 3));
    EXPECT_FALSE(shelf->Activate(true, nullptr));
    EXPECT_TRUE(shelf->Activate(true, Object("cup")));
    EXPECT_EQ(shelf->GetShownFrames(), 9u);
    EXPECT_TRUE(shelf->HitTest(3, 3));
    EXPECT_FALSE(shelf->IsEmpty());
    shelf->Activate(true, Object("cup"));
    EXPECT_EQ(shelf->GetShownFrames(), 9u) << "the same position twice changes nothing";

    const std::vector<uint8_t> record = Saved(shelf);
    ASSERT_EQ(record.size(), SpyObjContainer::kRecordSize);
    shelf->Init();
    EXPECT_TRUE(shelf->IsEmpty()) << "a new level empties it";
    Restore(shelf, record);
    EXPECT_EQ(shelf->GetShownFrames(), 9u);

    EXPECT_EQ(As<SpyObjContainer>("odd")->GetFramesCount(), 1u);
    EXPECT_TRUE(log.has("SpyObjContainer::Create - FramesCount 0 of object 'odd' is below 1, read as 1"));
}

TEST_F(AnimatedTest, HeapContainerPilesObjectsOnItsMarkersBottomUp) {
    // Three frames of 20 x 20: the basket (its top row), a pebble (4 x 4 at
    // the frame's corner) and the markers.
    content::Picture strip(60, 20, 0);
    for (uint32_t x = 0; x < 20; ++x)
        strip.at(x, 0) = 0xFF806040u;
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 4; ++x)
            strip.at(20 + x, y) = 0xFF808080u;
    const std::pair<uint32_t, uint32_t> markers[] = {{15, 5}, {5, 5}, {10, 18}, {2, 18}};
    for (const auto& m : markers)
        strip.at(40 + m.first, m.second) = 0xFFFF00FFu;
    strip.at(40 + 7, 7) = 0xFF7F00FFu; // red below 0x80: no marker
    Picture("basket", strip);
    Picture("pebble", Box(4, 4, 0xFF808080u));
    std::string objects = "[basket]\nClass = HeapContainer\nImage = basket\nX = 0\nY = 0\nFramesCount = 3\n";
    for (int i = 1; i <= 5; ++i)
        objects += "[pebble" + std::to_string(i) +
                   "]\nClass = Image\nImage = pebble\nX = 0\nY = 0\nPosInContainer = 1\n";
    objects += "[stray]\nClass = Image\nImage = pebble\nX = 0\nY = 0\nPosInContainer = 7\n";
    Zoo(objects);
    auto* basket = As<SpyObjHeapContainer>("basket");
    ASSERT_NE(basket, nullptr);
    ASSERT_EQ(basket->GetPositions().size(), 4u);
    EXPECT_EQ(basket->GetPositions()[0].x, 2) << "the lowest row first, from the left";
    EXPECT_EQ(basket->GetPositions()[0].y, 18);
    EXPECT_EQ(basket->GetPositions()[1].x, 10);
    EXPECT_EQ(basket->GetPositions()[2].x, 5);
    EXPECT_EQ(basket->GetPositions()[3].x, 15);
    EXPECT_TRUE(basket->IsEmpty());
    EXPECT_TRUE(basket->Activate(true, nullptr));
    EXPECT_TRUE(basket->IsEmpty());
    EXPECT_TRUE(basket->Activate(true, Object("stray")));
    EXPECT_TRUE(basket->IsEmpty()) << "no frame 7 in a strip of 3";
    EXPECT_TRUE(
        log.has("SpyObjHeapContainer::Activate - position 7 of object 'stray' is not a frame of 'basket'"));
    EXPECT_TRUE(basket->HitTest(3, 0)) << "the basket itself";
    EXPECT_FALSE(basket->HitTest(3, 19));
    for (int i = 1; i <= 5; ++i)
        EXPECT_TRUE(basket->Activate(true, Object("pebble" + std::to_string(i))));
    EXPECT_EQ(basket->GetPutIn().size(), 4u) << "a fifth finds no place";
    EXPECT_TRUE(basket->HitTest(3, 19)) << "the first pebble lies at (2, 18)";
    EXPECT_FALSE(basket->IsEmpty());

    std::vector<uint8_t> record = Saved(basket);
    ASSERT_EQ(record.size(), 4u + 4u * 4u + SpyObject::kRecordSize);
    basket->Init();
    EXPECT_TRUE(basket->IsEmpty());
    Restore(basket, record);
    EXPECT_EQ(basket->GetPutIn().size(), 4u);
    // A count the record cannot hold.
    record[0] = 0xFF;
    record[1] = 0xFF;
    record[2] = 0xFF;
    record[3] = 0x7F;
    basket->Init();
    Restore(basket, record);
    EXPECT_TRUE(basket->IsEmpty());
    EXPECT_TRUE(log.has("SpyObjHeapContainer::Load - bad record of object 'basket', not taken"));
}
