// Scene objects: their keys and defaults, shadow and linked names, the
// vanish and highlight effects, their saved record, and the factory's
// registry of the classes that exist.

#include "room_alone.h"

#include "game/scenes/cross_button.h"
#include "game/scenes/objects/spy_obj_image.h"
#include "game/scenes/objects/spy_object_factory.h"
#include "mirel/gui/gui_widgetfactory.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <set>

using namespace scenetest;

namespace {

class SceneObjectTest : public RoomAlone {
protected:
    // A room "keys" with the given objects.ini.
    SpyRoom& KeysRoom(const std::string& objects) {
        gametest::WriteText(data + "rooms/keys/objects.ini", objects);
        gametest::WriteText(data + "rooms/keys/images/ImageList.txt", "");
        Make("keys");
        room->LoadResources(Level("[Room.keys]\nItemsCount = 0, 0, 0\n"));
        return *room;
    }
};

float FloatAt(const std::vector<uint8_t>& b, size_t at) {
    float v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

} // namespace

TEST_F(SceneObjectTest, KeysAndTheirDefaults) {
    KeysRoom("[full]\nClass = Image\nX = 0\nY = 20\nAlpha = 200\nVanish = 0\nPosInContainer = 3\n"
             "DropDistance = 12 8\nItemClickOnly = 0\nHintHotspot = 4 5\nDragHotspot = 6.5 7\n"
             "DragAngle = 90\nMoveToTop = 0\n"
             "[plain]\nClass = Image\nX = 10\nY = 30\n"
             "[noplace]\nClass = image\n"
             "[strange]\nClass = Unicorn\nX = 1\nY = 1\n");
    SpyObject* full = Object("full");
    SpyObject* plain = Object("plain");
    SpyObject* noplace = Object("noplace");
    ASSERT_TRUE(full && plain && noplace);
    EXPECT_EQ(Object("strange"), nullptr);
    EXPECT_TRUE(log.has("SpyObjectFactory::NewObject - object class 'Unicorn' not registered"));
    EXPECT_EQ(room->GetObjects().size(), 3u) << "an unknown class leaves no empty entry";

    EXPECT_EQ(full->GetAlphaThreshold(), 200);
    EXPECT_FALSE(full->IsVanish());
    EXPECT_EQ(full->GetPosInContainer(), 3);
    ASSERT_NE(full->GetDropDistance(), nullptr);
    EXPECT_FLOAT_EQ(full->GetDropDistance()->x, 12.0f);
    EXPECT_FLOAT_EQ(full->GetDropDistance()->y, 8.0f);
    EXPECT_FALSE(full->IsItemClickOnly());
    EXPECT_FLOAT_EQ(full->GetX(), 179.0f) << "X is counted from the playfield's left edge";
    EXPECT_FLOAT_EQ(full->GetY(), 20.0f);
    EXPECT_FLOAT_EQ(full->GetHotspot(SpyObject::HOTSPOT_HINT, false).x, 4.0f);
    EXPECT_FLOAT_EQ(full->GetHotspot(SpyObject::HOTSPOT_HINT, true).y, 25.0f);
    EXPECT_FLOAT_EQ(full->GetHotspot(SpyObject::HOTSPOT_DRAG, true).x, 185.5f);
    EXPECT_FLOAT_EQ(full->GetDragAngle(), 0.0f) << "turned only while lifted";
    full->SetLifted(true);
    EXPECT_NEAR(full->GetDragAngle(), 3.1415927f / 2.0f, 1e-6f);
    full->SetLifted(false);
    EXPECT_FALSE(full->IsMoveToTop());

    EXPECT_EQ(plain->GetAlphaThreshold(), 16);
    EXPECT_TRUE(plain->IsVanish());
    EXPECT_EQ(plain->GetPosInContainer(), 0);
    EXPECT_EQ(plain->GetDropDistance(), nullptr);
    EXPECT_TRUE(plain->IsItemClickOnly());
    EXPECT_TRUE(plain->IsMoveToTop());
    EXPECT_EQ(plain->GetPickupSound(), nullptr);
    EXPECT_EQ(plain->GetState(), uint32_t(SpyObject::STATE_PRESENT));
    // Without a picture the size is 0: every hotspot is the centre.
    EXPECT_FLOAT_EQ(plain->GetHotspot(SpyObject::HOTSPOT_DRAG, true).x, 189.0f);
    EXPECT_FLOAT_EQ(plain->GetHotspot(SpyObject::HOTSPOT_CENTRE, true).y, 30.0f);

    EXPECT_FLOAT_EQ(noplace->GetX(), 179.0f);
    EXPECT_TRUE(log.has("aOptionsFile. Cannot find key \"X\" in current section!"));
    EXPECT_TRUE(log.has("aOptionsFile. Cannot find key \"Y\" in current section!"));
}

TEST_F(SceneObjectTest, ShadowAndLinkedNames) {
    struct Case {
        const char* name;
        bool shadow;
        const char* linked;
    };
    const Case cases[] = {
        {"#s", true, "#s_#s"},      {"#sX", true, "#s_#sX"}, {"#", false, "#s_#"},
        {"#x", false, "#s_#x"},     {"s", false, "#s_s"},    {"#iLamp", false, "#sLamp"},
        {"lamp", false, "#s_lamp"}, {"#i", false, "#s"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SpyObject::IsShadowName(c.name), c.shadow);
        EXPECT_EQ(SpyObject::LinkedName(c.name), c.linked);
    }
    Loaded();
    EXPECT_EQ(Object("anchor")->GetLinkedObject(), Object("#s_anchor"));
    EXPECT_EQ(Object("#ilamp")->GetLinkedObject(), Object("#slamp"));
    EXPECT_TRUE(Object("#s_anchor")->IsShadow());
    EXPECT_EQ(Object("bottle")->GetLinkedObject(), nullptr);
    EXPECT_FALSE(log.contains("'#s_bottle' not found")) << "a missing partner is normal";
}

TEST_F(SceneObjectTest, TheVanishRunsForItsTimeThenTakesTheObjectWithItsShadow) {
    Loaded();
    SpyObject* anchor = Object("anchor");
    SpyObject* shadow = Object("#s_anchor");
    ASSERT_TRUE(anchor->Activate(true, nullptr));
    EXPECT_TRUE(anchor->IsVanishing());
    EXPECT_EQ(shadow->GetState(), uint32_t(SpyObject::STATE_TAKEN)) << "the shadow goes at once";
    EXPECT_FLOAT_EQ(anchor->GetVanishScale(), 1.0f);
    anchor->Update(0.35f);
    EXPECT_NEAR(anchor->GetVanishScale(), 1.5f, 1e-5f);
    anchor->Update(0.35f);
    EXPECT_NEAR(anchor->GetVanishScale(), 1.0f, 1e-5f);
    anchor->Update(0.69f);
    EXPECT_TRUE(anchor->IsVanishing());
    EXPECT_EQ(anchor->GetState(), uint32_t(SpyObject::STATE_PRESENT));
    anchor->Update(0.02f);
    EXPECT_FALSE(anchor->IsVanishing());
    EXPECT_EQ(anchor->GetState(), uint32_t(SpyObject::STATE_TAKEN));

    // "Vanish = 0": the effect runs, the object stays.
    gametest::WriteText(data + "rooms/harbour/objects.ini",
                        "[bottle]\nClass = Image\nImage = bottle\nX = 300\nY = 100\nVanish = 0\n");
    Loaded();
    SpyObject* bottle = Object("bottle");
    bottle->Activate(true, nullptr);
    bottle->Update(1.5f);
    EXPECT_FALSE(bottle->IsVanishing());
    EXPECT_EQ(bottle->GetState(), uint32_t(SpyObject::STATE_PRESENT));
}

TEST_F(SceneObjectTest, LeavingEndsAVanishAndTheHighlightRestartsWhenSwitchedOnAgain) {
    Loaded();
    SpyObject* anchor = Object("anchor");
    anchor->Activate(true, nullptr);
    anchor->Update(0.5f);
    anchor->Leave();
    EXPECT_FALSE(anchor->IsVanishing());
    EXPECT_EQ(anchor->GetState(), uint32_t(SpyObject::STATE_TAKEN));

    SpyObject* bottle = Object("bottle");
    bottle->SetHighlight(true);
    bottle->Update(0.25f);
    EXPECT_FLOAT_EQ(bottle->GetEffectTimer(), 0.25f);
    bottle->SetHighlight(true);
    EXPECT_FLOAT_EQ(bottle->GetEffectTimer(), 0.0f);
    EXPECT_EQ(bottle->GetHighlightAlpha(), 153) << "0.6 at the start of the pulse";
    bottle->Update(1.0f / 12.0f);
    EXPECT_EQ(bottle->GetHighlightAlpha(), 255) << "1.0 at its top";
    bottle->Update(1.0f / 6.0f);
    EXPECT_EQ(bottle->GetHighlightAlpha(), 51) << "0.2 at its bottom";
    bottle->Leave();
    EXPECT_FALSE(bottle->IsHighlighted());

    // An image put together with another object goes at once, with its shadow.
    SpyObject* lamp = Object("#ilamp");
    ASSERT_TRUE(lamp->Activate(true, Object("key")));
    EXPECT_EQ(lamp->GetState(), uint32_t(SpyObject::STATE_TAKEN));
    EXPECT_EQ(Object("#slamp")->GetState(), uint32_t(SpyObject::STATE_TAKEN));
    EXPECT_FALSE(lamp->Activate(false, nullptr)) << "an image does not react to being switched off";
}

TEST_F(SceneObjectTest, TheSavedRecordIsTwentyOneBytes) {
    Loaded();
    SpyObject* anchor = Object("anchor");
    anchor->SetPosition(12.5f, -3.0f);
    anchor->SetState(7, false);
    anchor->Activate(true, nullptr);
    anchor->Update(0.5f);
    std::vector<uint8_t> bytes;
    SaveLoadSystem system(1);
    SaveWriter writer(bytes);
    anchor->Save(system, writer);
    ASSERT_EQ(bytes.size(), SpyObject::kRecordSize);
    EXPECT_FLOAT_EQ(FloatAt(bytes, 0), 12.5f);
    EXPECT_FLOAT_EQ(FloatAt(bytes, 4), -3.0f);
    EXPECT_EQ(U32At(bytes, 8), 7u);
    EXPECT_EQ(U32At(bytes, 12), 0u);
    EXPECT_EQ(bytes[16], 1);
    EXPECT_FLOAT_EQ(FloatAt(bytes, 17), 0.5f);

    SpyObject* bottle = Object("bottle");
    SaveReader reader(bytes.data(), bytes.size());
    bottle->Load(system, reader);
    EXPECT_FLOAT_EQ(bottle->GetX(), 12.5f);
    EXPECT_EQ(bottle->GetState(), 7u);
    EXPECT_TRUE(bottle->IsVanishing());
    EXPECT_FLOAT_EQ(bottle->GetEffectTimer(), 0.5f);

    // Records that cannot be used leave the object as it was.
    struct Bad {
        const char* what;
        size_t at;
        uint32_t bits;
    };
    const Bad bads[] = {{"x not a number", 0, 0x7FC00000u},
                        {"y infinite", 4, 0x7F800000u},
                        {"timer below 0", 17, 0xBF800000u}};
    for (const Bad& b : bads) {
        SCOPED_TRACE(b.what);
        std::vector<uint8_t> damaged = bytes;
        std::memcpy(damaged.data() + b.at, &b.bits, 4);
        SpyObject* key = Object("key");
        const float x = key->GetX();
        SaveReader r(damaged.data(), damaged.size());
        key->Load(system, r);
        EXPECT_FLOAT_EQ(key->GetX(), x);
        EXPECT_FALSE(key->IsVanishing());
    }
    std::vector<uint8_t> vanishing = bytes;
    vanishing[16] = 2;
    SaveReader r(vanishing.data(), vanishing.size());
    Object("key")->Load(system, r);
    EXPECT_FALSE(Object("key")->IsVanishing());
    SaveReader cut(bytes.data(), 20);
    Object("key")->Load(system, cut);
    EXPECT_EQ(Object("key")->GetState(), 0u);
    EXPECT_TRUE(log.has("SpyObject::Load - bad record of object 'key', not taken"));
}

TEST(SceneObjectFactory, HoldsExactlyTheClassesThatExist) {
    const auto& creators = SpyObjectFactory::Instance().GetRegistry().getCreators();
    std::set<std::string> keys;
    for (const auto& entry : creators)
        keys.insert(entry.first);
    const std::set<std::string> expected = {
        "Animation",    "Butterfly", "Clock",         "Container",  "CoupleDancing", "EvraneBody",
        "Fireworks",    "Flag",      "HeapContainer", "Image",      "LoveBirds",     "Mouse",
        "MovingClouds", "Panel",     "Particles",     "Vegetables", "Zaloupe",
    };
    EXPECT_EQ(keys, expected);

    LogCapture log;
    // Each key makes its own class, whatever the letter case.
    for (const std::string& key : expected) {
        SCOPED_TRACE(key);
        std::string lower = key;
        for (char& c : lower)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        std::unique_ptr<SpyObject> object(SpyObjectFactory::Instance().NewObject(lower, nullptr, "thing"));
        ASSERT_NE(object, nullptr);
        EXPECT_TRUE(object->IsKindOf(key));
        EXPECT_EQ(object->GetEntityName(), "o::thing");
    }
    std::unique_ptr<SpyObject> image(SpyObjectFactory::Instance().NewObject("iMaGe", nullptr, "cup"));
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(image->IsKindOf("Image"));
    EXPECT_FALSE(image->IsKindOf("image")) << "the kind test compares exactly";
    EXPECT_EQ(SpyObjectFactory::Instance().NewObject("Distortion", nullptr, "d"), nullptr)
        << "abstract: no key";
    EXPECT_TRUE(log.has("SpyObjectFactory::NewObject - object class 'Distortion' not registered"));
    EXPECT_FALSE(SpyObjectFactory::Instance().Register("IMAGE", &SpyObjectFactory::Create<SpyObjImage>));

    // The item lists' and the evidence room's widget types.
    EXPECT_TRUE(GUI::WidgetFactory::Instance().IsRegistered("crossbutton"));
    EXPECT_TRUE(GUI::WidgetFactory::Instance().IsRegistered("evidence"));
}
