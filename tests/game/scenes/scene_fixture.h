#pragma once
// The hidden-object room of the scene tests, "harbour", written into a data
// folder: flat pictures whose outlines the tests know to the pixel, its
// objects and items, its texts and its level section; the pictures the rooms
// share, the item-list panel of the layout, and the tips the rooms show.
//
// Objects (playfield x, y; screen x = x + 179), in "objects.ini" order:
//   #s_anchor  disc 60 at (106, 108), the anchor's shadow: drawn, never hit
//   anchor     disc 60 at (100, 100)       item "anchor": easy clue with a tip and a message
//   bottle     20 x 62 at (300, 100), its two bottom rows clear   item "bottle", middle
//   key        30 x 16 at (500, 100)       item "key", middle, carried into the lock
//   lock       40 x 40 at (600, 300)       the key's container
//   coin1/2    disc 20 at (100, 400), (160, 400)   item "coins", hard, two objects
//   medal      disc 30 at (700, 600)       item "medal", the bonus
//   decor      40 x 40 at (400, 400), its two bottom rows clear: no item, "ItemClickOnly" 0
//   #slamp     30 x 30 at (304, 504), the lamp's shadow
//   #ilamp     30 x 30 at (300, 500)       item "lamp", easy
//   net        60 x 20 at (280, 490)       a foreground layer over the lamp's top
// With "ItemsCount" 2, 2, 1, "CompositeLimit" 2 and must-be anchor and medal,
// every item is drawn whatever the random order: anchor, medal, coins,
// bottle, key, lamp (the order within each level varies).

#include "content/content_writers.h"

#include <cstdint>
#include <string>

namespace scenetest {

// Where an object of the test room lies: playfield position and size.
struct Spot {
    const char* name;
    int32_t x, y, width, height;
    // A point on the screen inside the object (its centre).
    int32_t ScreenX() const { return x + 179 + width / 2; }
    int32_t ScreenY() const { return y + height / 2; }
};

constexpr Spot kAnchor{"anchor", 100, 100, 60, 60};
constexpr Spot kAnchorShadow{"#s_anchor", 106, 108, 60, 60};
constexpr Spot kBottle{"bottle", 300, 100, 20, 62};
constexpr Spot kKey{"key", 500, 100, 30, 16};
constexpr Spot kLock{"lock", 600, 300, 40, 40};
constexpr Spot kCoin1{"coin1", 100, 400, 20, 20};
constexpr Spot kCoin2{"coin2", 160, 400, 20, 20};
constexpr Spot kMedal{"medal", 700, 600, 30, 30};
constexpr Spot kDecor{"decor", 400, 400, 40, 40};
constexpr Spot kLamp{"#ilamp", 300, 500, 30, 30};
constexpr Spot kNet{"net", 280, 490, 60, 20};

// Colours of the pictures (opaque ARGB).
constexpr uint32_t kBackgroundColour = 0xFF203040;
constexpr uint32_t kAnchorColour = 0xFFFF0000;
constexpr uint32_t kShadowColour = 0xFF000000;
constexpr uint32_t kBottleColour = 0xFF00FF00;
constexpr uint32_t kStarColour = 0xFFFFFF00;

// A disc inscribed in a size x size square: opaque inside, clear outside.
content::Picture Disc(uint32_t size, uint32_t colour);
// A filled rectangle whose last clearRows rows are clear.
content::Picture Box(uint32_t width, uint32_t height, uint32_t colour, uint32_t clearRows = 0);

// The room folder "rooms/<name>/" under the data folder (trailing slash),
// with its pictures, lists, "objects.ini" and "items.ini", and its text file
// "loc/room_<name>.txt".
void WriteTestRoom(const std::string& data, const std::string& name = "harbour");
// The level section of the test room, "[Room.<name>]" and its keys.
std::string TestRoomSection(const std::string& name = "harbour", const std::string& extra = std::string());
// The texts outside the room's own file: messages, tips and the room's title.
std::string TestRoomTexts();
// The shared pictures ("images/rooms/": star, crossout) and the room sounds
// ("sounds/rooms/"); pictures only when sounds is false.
void WriteSharedRoomData(const std::string& data, bool sounds = true);
// The widgets of the item list for a GUI script using the font "main", to go
// inside the panel: "info_spy_room" at (10, 200) with a title, eight lines,
// the bonus indicator and its hint.
std::string ItemListLayout();
// Tip sections for "tips.ini".
std::string RoomTips();

} // namespace scenetest
