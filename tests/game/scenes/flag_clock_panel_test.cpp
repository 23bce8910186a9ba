// The flag's waving grid, the clock's hands, the panel's pop and slide with
// its particle effect, and the body that gives way to its linked objects:
// each made from its "objects.ini" section and stepped by hand.

#include "living_room.h"

#include "game/scenes/objects/spy_obj_clock.h"
#include "game/scenes/objects/spy_obj_evrane_body.h"
#include "game/scenes/objects/spy_obj_flag.h"
#include "game/scenes/objects/spy_obj_panel.h"
#include "game/shell/game_app.h"
#include "mirel/gfx/a_distortiongrid.h"

#include <cmath>
#include <ctime>

using namespace scenetest;

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kTurn = 2.0f * kPi;

class FlagClockPanelTest : public LivingRoom {};

std::string Flag(const char* name, int rightMount, const char* loopTime = "2") {
    return "[" + std::string(name) +
           "]\nClass = Flag\nImage = flag\nX = 100\nY = 50\nRightMount = " + std::to_string(rightMount) +
           "\nHorAmplitude = 3\nVerAmplitude = 5.5\nPeriodsCount = 1\nLoopTime = " + loopTime +
           "\nDistColsCount = 5\n";
}

} // namespace

TEST_F(FlagClockPanelTest, AFlagWavesEveryColumnButTheMountedOne) {
    Living(Flag("right", 1) + Flag("left", 0) + Flag("still", 0, "0"),
           {{"flag", content::Picture(80, 40, 0x00000000)}});
    SpyObjFlag* right = As<SpyObjFlag>("right");
    SpyObjFlag* left = As<SpyObjFlag>("left");
    ASSERT_TRUE(right && left);
    EXPECT_TRUE(right->IsKindOf("Flag") && right->IsKindOf("Distortion") && right->IsKindOf("Image"));
    EXPECT_FALSE(right->IsKindOf("flag"));
    EXPECT_FLOAT_EQ(right->GetWidth(), 80.0f) << "four cells of 20";
    EXPECT_FLOAT_EQ(right->GetHeight(), 40.0f);
    EXPECT_TRUE(right->HitTest(10, 10)) << "hit whatever the picture's alpha";
    EXPECT_TRUE(log.has("SpyObjFlag::Create - LoopTime of object 'still' is not above 0, 1 is used"));

    struct Case {
        SpyObjFlag* flag;
        uint32_t mounted;
    };
    for (const Case& c : {Case{right, 4}, Case{left, 0}}) {
        SCOPED_TRACE(c.mounted);
        c.flag->Update(0.5f);
        EXPECT_NEAR(c.flag->GetPhase(), kPi / 2.0f, 1e-5f) << "a quarter of the two-second loop";
        const aDistortionGrid& grid = *c.flag->GetGrid();
        for (uint32_t col = 0; col < 5; ++col) {
            const float a = kTurn * float(col) / 5.0f + kPi / 2.0f;
            const bool still = col == c.mounted;
            for (uint32_t row = 0; row < 2; ++row) {
                EXPECT_NEAR(grid.getVertex(col, row).x,
                            20.0f * float(col) + (still ? 0.0f : std::cos(a) * 3.0f), 1e-4f)
                    << col;
                EXPECT_NEAR(grid.getVertex(col, row).y,
                            40.0f * float(row) + (still ? 0.0f : std::sin(a) * 5.5f), 1e-4f)
                    << col;
            }
        }
        // The pattern repeats every loop time.
        const float x1 = grid.getVertex(2, 0).x;
        c.flag->Update(2.0f);
        EXPECT_NEAR(grid.getVertex(2, 0).x, x1, 1e-4f);
    }
    // A vanishing flag stops waving.
    right->Activate(true, nullptr);
    const float phase = right->GetPhase();
    right->Update(0.3f);
    EXPECT_FLOAT_EQ(right->GetPhase(), phase);
}

TEST_F(FlagClockPanelTest, AClockTurnsItsHandsWithATwelveHourTime) {
    Living("[clock]\nClass = Clock\nImage = clock\nX = 10\nY = 10\nLayers = bmh\nDragHotspot = 20 20\n"
           "[bare]\nClass = Clock\nImage = clock\nX = 10\nY = 10\nLayers = x\n",
           {{"clock", content::Picture(120, 40, 0xFF808080)}});
    SpyObjClock* clock = As<SpyObjClock>("clock");
    ASSERT_NE(clock, nullptr);
    EXPECT_TRUE(clock->IsKindOf("Clock") && clock->IsKindOf("Image"));
    EXPECT_EQ(clock->GetLayers(), 0b1101u) << "dial, minutes and hours; no seconds hand";
    EXPECT_EQ(clock->GetLayerCount(), 3u);
    EXPECT_FLOAT_EQ(clock->GetWidth(), 40.0f) << "one frame of the strip";
    EXPECT_FLOAT_EQ(clock->GetHeight(), 40.0f);
    EXPECT_TRUE(log.has("SpyObjClock::Create - no layers for object 'bare', nothing is drawn"));

    clock->SetTime(3723.0f);
    EXPECT_NEAR(clock->GetAngle(SpyObjClock::LAYER_HOURS), -kTurn * 3723.0f / 43200.0f, 1e-6f);
    EXPECT_NEAR(clock->GetAngle(SpyObjClock::LAYER_MINUTES), -kTurn * 2.0f / 60.0f, 1e-6f);
    EXPECT_NEAR(clock->GetAngle(SpyObjClock::LAYER_SECONDS), -kTurn * 3.0f / 60.0f, 1e-6f);
    EXPECT_FLOAT_EQ(clock->GetAngle(SpyObjClock::LAYER_DIAL), 0.0f);
    // The hands move in whole seconds.
    clock->Update(0.6f);
    EXPECT_NEAR(clock->GetAngle(SpyObjClock::LAYER_SECONDS), -kTurn * 3.0f / 60.0f, 1e-6f);
    clock->Update(0.5f);
    EXPECT_NEAR(clock->GetAngle(SpyObjClock::LAYER_SECONDS), -kTurn * 4.0f / 60.0f, 1e-6f);
    // It wraps at twelve hours...
    clock->SetTime(43199.5f);
    clock->Update(1.0f);
    EXPECT_NEAR(clock->GetTime(), 0.5f, 1e-3f);
    // ...and stops while it vanishes.
    clock->Activate(true, nullptr);
    clock->Update(0.5f);
    EXPECT_NEAR(clock->GetTime(), 0.5f, 1e-3f);

    // Init starts a few minutes from the local time, from the engine's random numbers.
    for (int attempt = 0; attempt < 2; ++attempt) {
        struct tm before {};
        GetLocalDateTime(before);
        a_srand(99);
        const int jitter = a_rand() % 4, minutes = a_rand() % 7 - 3, seconds = a_rand() % 60;
        a_srand(99);
        clock->Init();
        struct tm after {};
        GetLocalDateTime(after);
        if (before.tm_min != after.tm_min)
            continue; // the minute turned meanwhile
        EXPECT_FLOAT_EQ(clock->GetTime(), float((before.tm_min + minutes) * 60 + seconds + 11 + jitter));
        break;
    }
}

TEST_F(FlagClockPanelTest, APanelPopsSlidesAndStartsItsEffectOnce) {
    Particles("[living_lid]\nSystem = burst.txt\n[living_quick]\nSystem = burst.txt\n",
              {{"burst.txt", "fps 30\nemitter_life 0\nemit_per_sec 5\nparticle_life 0.5 0.5\n"}});
    Living("[lid]\nClass = Panel\nImage = lid\nX = 100\nY = 200\nPopDistance = 10\nPopTime = 0.5\n"
           "SlideDistance = 60\nSlideTime = 1.0\nHintHotspot = 5 6\n"
           "[quick]\nClass = Panel\nImage = lid\nX = 0\nY = 0\nPopDistance = 10\nPopTime = 0\n"
           "SlideDistance = 60\nSlideTime = 0\n",
           {{"lid", content::Picture(40, 90, 0xFF804020)}}, {"lid"});
    SpyObjPanel* lid = As<SpyObjPanel>("lid");
    ASSERT_NE(lid, nullptr);
    EXPECT_TRUE(lid->IsKindOf("Panel") && lid->IsKindOf("Image"));
    EXPECT_FLOAT_EQ(lid->GetHeight(), 30.0f) << "three frames stacked";
    EXPECT_FLOAT_EQ(lid->GetWidth(), 40.0f);
    EXPECT_FALSE(lid->IsOpened());
    lid->Update(1.0f);
    EXPECT_FLOAT_EQ(lid->GetX(), 279.0f) << "a closed panel stays";

    EXPECT_TRUE(lid->Activate(false, nullptr)) << "any activation opens it";
    EXPECT_TRUE(lid->IsOpened());
    struct Step {
        float dt, x, y;
        uint8_t glow;
        size_t systems;
    };
    const Step steps[] = {{0.25f, 284.0f, 195.0f, 128, 0},
                          {0.25f, 289.0f, 190.0f, 255, 0},
                          {0.5f, 319.0f, 190.0f, 255, 0},
                          {0.5f, 349.0f, 190.0f, 255, 1},
                          {1.0f, 349.0f, 190.0f, 255, 1}};
    for (const Step& s : steps) {
        SCOPED_TRACE(lid->GetTimer() + s.dt);
        lid->Update(s.dt);
        EXPECT_FLOAT_EQ(lid->GetX(), s.x);
        EXPECT_FLOAT_EQ(lid->GetY(), s.y);
        EXPECT_EQ(lid->GetGlowAlpha(), s.glow);
        EXPECT_EQ(particles->getInstanceCount(), s.systems) << "the effect starts once, at the end";
    }
    EXPECT_EQ(Record(*lid), (std::vector<uint8_t>{1}));

    // Zero times: logged, and that part happens at once.
    EXPECT_TRUE(
        log.has("SpyObjPanel::Create - PopTime of object 'quick' is not above 0, that part happens at once"));
    EXPECT_TRUE(log.has(
        "SpyObjPanel::Create - SlideTime of object 'quick' is not above 0, that part happens at once"));
    SpyObjPanel* quick = As<SpyObjPanel>("quick");
    quick->Activate(true, nullptr);
    quick->Update(0.02f);
    EXPECT_FLOAT_EQ(quick->GetX(), 179.0f + 70.0f);
    EXPECT_FLOAT_EQ(quick->GetY(), -10.0f);
    quick->Update(0.02f);
    EXPECT_EQ(particles->getInstanceCount(), 2u) << "its effect too, once";
}

TEST_F(FlagClockPanelTest, ALoadedOpenPanelStandsAtItsEndWithoutTheEffect) {
    Particles("[living_lid]\nSystem = burst.txt\n", {{"burst.txt", "fps 30\nemitter_life 0\n"}});
    const std::string objects = "[lid]\nClass = Panel\nImage = lid\nX = 100\nY = 200\nPopDistance = 10\n"
                                "PopTime = 0.5\nSlideDistance = 60\nSlideTime = 1.0\n";
    Living(objects, {{"lid", content::Picture(40, 90, 0xFF804020)}});
    SpyObjPanel* lid = As<SpyObjPanel>("lid");
    Restore(*lid, {1});
    EXPECT_TRUE(lid->IsOpened());
    EXPECT_FLOAT_EQ(lid->GetX(), 279.0f + 70.0f);
    EXPECT_FLOAT_EQ(lid->GetY(), 190.0f);
    lid->Update(0.1f);
    EXPECT_EQ(particles->getInstanceCount(), 0u);

    for (const std::vector<uint8_t>& bad : {std::vector<uint8_t>{}, std::vector<uint8_t>{7}}) {
        Load();
        lid = As<SpyObjPanel>("lid");
        Restore(*lid, bad);
        EXPECT_FALSE(lid->IsOpened());
        EXPECT_FLOAT_EQ(lid->GetX(), 279.0f);
    }
    EXPECT_TRUE(log.has("SpyObjPanel::Load - bad record of object 'lid', not taken"));
}

TEST_F(FlagClockPanelTest, TakingABodyShowsItsLinkedObjectsAndTheirStatesAreSaved) {
    Write("[sheet]\nClass = EvraneBody\nImage = sheet\nX = 100\nY = 100\nObjects = letter, watch, ghost\n"
          "[letter]\nClass = Image\nImage = letter\nX = 110\nY = 110\n"
          "[watch]\nClass = Image\nImage = watch\nX = 150\nY = 110\n",
          {{"sheet", content::Picture(80, 60, 0xFFEFE3C8)},
           {"letter", content::Picture(20, 20, 0xFFFFFFFF)},
           {"watch", content::Picture(20, 20, 0xFFC9A227)}},
          {}, "[chest]\nObject = sheet, letter\nDiffLevel = 1\n[watch]\nObject = watch\nDiffLevel = 1\n");
    Load("MustBeItems = chest, watch\nItemsCount = 0, 2, 0\nCompositeLimit = 1\n");
    auto* sheet = As<SpyObjEvraneBody>("sheet");
    SpyObject* letter = Object("letter");
    SpyObject* watch = Object("watch");
    ASSERT_TRUE(sheet && letter && watch);
    EXPECT_TRUE(sheet->IsKindOf("EvraneBody") && sheet->IsKindOf("Image"));
    EXPECT_EQ(sheet->GetLinkedObjects(), (std::vector<SpyObject*>{letter, watch}));
    EXPECT_TRUE(log.contains("'ghost'")) << "a name that is not there is logged";
    EXPECT_EQ(sheet->GetState(), 0u);
    EXPECT_EQ(letter->GetState(), 1u) << "hidden under the sheet";
    EXPECT_EQ(watch->GetState(), 1u);
    EXPECT_FALSE(sheet->Activate(false, nullptr));

    // Taken by a click, the sheet goes at once and what it covered can be clicked.
    ASSERT_EQ(room->GetActiveItems().size(), 2u);
    EXPECT_TRUE(room->OnObjectClicked(sheet));
    EXPECT_FALSE(sheet->IsVanishing());
    EXPECT_EQ(sheet->GetState(), 1u);
    EXPECT_EQ(letter->GetState(), 0u);
    EXPECT_EQ(watch->GetState(), 0u);
    room->Update(0.1f);
    EXPECT_EQ(Active("chest")->remaining, 1) << "the letter is still to find";
    EXPECT_TRUE(Take("letter"));
    EXPECT_EQ(Active("chest")->remaining, 0);
    EXPECT_EQ(room->GetItemsFound(), 1u);

    // The states come back from the objects' own records.
    const std::vector<uint8_t> sheetRecord = Record(*sheet), watchRecord = Record(*watch);
    Load("MustBeItems = chest, watch\nItemsCount = 0, 2, 0\nCompositeLimit = 1\n");
    EXPECT_EQ(Object("watch")->GetState(), 1u) << "a new level covers them again";
    Restore(*Object("sheet"), sheetRecord);
    Restore(*Object("watch"), watchRecord);
    EXPECT_EQ(Object("sheet")->GetState(), 1u);
    EXPECT_EQ(Object("watch")->GetState(), 0u);
}
