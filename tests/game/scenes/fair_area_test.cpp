// The fair area of a room's object, measured on a room of the test's own:
// what lies later over the object takes its pixels when it is drawn half
// opaque or more, or when the room's hit search finds it there; a veil that
// lets most of the light through takes nothing; a thread of an object is
// too narrow to be fair, however long.

#include "living_room.h"

#include "game/support/fair_area.h"

using namespace scenetest;

namespace {

class FairAreaTest : public LivingRoom {};

std::string ImageObject(const std::string& name, int x, int y, int alpha) {
    return "[" + name + "]\nClass = Image\nImage = " + name + "\nX = " + std::to_string(x) +
           "\nY = " + std::to_string(y) + "\nAlpha = " + std::to_string(alpha) + "\n";
}

} // namespace

TEST_F(FairAreaTest, LaterObjectsTakeWhatTheyCoverOrCatch) {
    // "under" is 40 x 40. Over it, in drawing order: "lid" hides its right
    // half; "fog" (never hit) darkens its top-left 10 x 10 to a quarter;
    // "veil" (never hit) lies faintly over its lower left; "pin" is drawn
    // faintly but is hit over a 4 x 4 patch at its left edge's middle.
    Living(ImageObject("under", 100, 100, 16) + ImageObject("lid", 120, 100, 16) +
               ImageObject("fog", 100, 100, 255) + ImageObject("veil", 100, 120, 128) +
               ImageObject("pin", 100, 118, 16) + ImageObject("thread", 300, 100, 16),
           {{"under", content::Picture(40, 40, 0xFF3C6E71u)},
            {"lid", content::Picture(20, 40, 0xFF9E3B2Eu)},
            {"fog", content::Picture(10, 10, 0xC0000000u)},
            {"veil", content::Picture(20, 20, 0x50FFFFFFu)},
            {"pin", content::Picture(4, 4, 0x20FFFFFFu)},
            {"thread", content::Picture(4, 120, 0xFFC9A227u)}});
    ASSERT_NE(Object("under"), nullptr);
    ASSERT_NE(Object("thread"), nullptr);

    gametest::FairArea under, thread, lid;
    {
        gametest::DrawingScene scene(*gui.graph);
        ASSERT_TRUE(scene.Begun());
        under = gametest::MeasureFairArea(*gui.graph, *room, Object("under"));
        thread = gametest::MeasureFairArea(*gui.graph, *room, Object("thread"));
        lid = gametest::MeasureFairArea(*gui.graph, *room, Object("lid"));
    }
    // The left half, less the fog's 100 pixels and the pin's 16.
    EXPECT_EQ(under.pixels, 20 * 40 - 100 - 16);
    EXPECT_EQ(under.square, 18) << "from below the pin's patch to the foot";
    EXPECT_TRUE(under.Fair());
    EXPECT_EQ(lid.pixels, 20 * 40) << "nothing lies over the lid";
    EXPECT_EQ(lid.square, 20);
    EXPECT_EQ(thread.pixels, 4 * 120);
    EXPECT_EQ(thread.square, 4);
    EXPECT_FALSE(thread.Fair()) << "many pixels, but no 8 x 8 square";
}
