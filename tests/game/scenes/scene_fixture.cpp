#include "game/scenes/scene_fixture.h"

#include "soundgen.h"

#include <filesystem>

namespace scenetest {

namespace {

void save(const std::string& path, const content::Bytes& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    content::saveFile(path, bytes);
}

void text(const std::string& path, const std::string& body) {
    save(path, content::Bytes(body.begin(), body.end()));
}

void tone(const std::string& path, double seconds) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    soundgen::Tone t;
    t.seconds = seconds;
    t.frequency = 660.0;
    t.rate = 22050;
    soundgen::writeFile(t, soundgen::Format::Wav, path);
}

std::string object(const Spot& s, const std::string& more = std::string()) {
    return "[" + std::string(s.name) +
           "]\nClass = Image\nImage = " + std::string(s.name[0] == '#' ? s.name + 1 : s.name) +
           "\nX = " + std::to_string(s.x) + "\nY = " + std::to_string(s.y) + "\n" + more + "\n";
}

} // namespace

content::Picture Disc(uint32_t size, uint32_t colour) {
    content::Picture p(size, size, 0);
    const double r = size / 2.0;
    for (uint32_t y = 0; y < size; ++y)
        for (uint32_t x = 0; x < size; ++x) {
            const double dx = x + 0.5 - r, dy = y + 0.5 - r;
            if (dx * dx + dy * dy <= r * r)
                p.at(x, y) = colour;
        }
    return p;
}

content::Picture Box(uint32_t width, uint32_t height, uint32_t colour, uint32_t clearRows) {
    content::Picture p(width, height, colour);
    for (uint32_t y = height - clearRows; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            p.at(x, y) = 0;
    return p;
}

void WriteTestRoom(const std::string& data, const std::string& name) {
    const std::string room = data + "rooms/" + name + "/";
    struct Named {
        const char* file;
        content::Picture picture;
    };
    const Named pictures[] = {
        {"background", content::Picture(845, 768, kBackgroundColour)},
        {"s_anchor", Disc(60, kShadowColour)},
        {"anchor", Disc(60, kAnchorColour)},
        {"bottle", Box(20, 62, kBottleColour, 2)},
        {"key", Box(30, 16, 0xFFFFD700)},
        {"lock", Box(40, 40, 0xFF808080)},
        {"coin1", Disc(20, 0xFFC9A227)},
        {"coin2", Disc(20, 0xFFC9A227)},
        {"medal", Disc(30, 0xFFF2A541)},
        {"decor", Box(40, 40, 0xFF3C6E71, 2)},
        {"slamp", Box(30, 30, kShadowColour)},
        {"ilamp", Box(30, 30, 0xFFEFE3C8)},
        {"net", Box(60, 20, 0xFF9E3B2E)},
    };
    std::string list;
    for (const Named& p : pictures) {
        save(room + "images/" + p.file + ".png", content::writePng(p.picture));
        list += std::string(p.file) + ".png 8888 8888\n";
    }
    text(room + "images/ImageList.txt", list);
    text(room + "sounds/SoundList.txt", "");
    text(room + "sounds/ambient.ini", "");

    text(room + "objects.ini",
         object(kAnchorShadow) + object(kAnchor, "HintHotspot = 30 30\n") + object(kBottle) +
             object(kKey, "DragHotspot = 15 8\n") + object(kLock) + object(kCoin1) + object(kCoin2) +
             object(kMedal) + object(kDecor, "ItemClickOnly = 0\n") +
             "[#slamp]\nClass = Image\nImage = slamp\nX = 304\nY = 504\n\n" + object(kLamp) + object(kNet));
    text(room + "items.ini",
         "[anchor]\nObject = anchor\nDiffLevel = 0\nClue = 1\nHasTip = 1\nMessage0 = -\n\n"
         "[bottle]\nObject = bottle\nDiffLevel = 1\n\n"
         "[key]\nObject = key\nContainer = lock\nDiffLevel = 1\n\n"
         "[coins]\nObject = coin1, coin2\nDiffLevel = 2\nMessage1 = -\n\n"
         "[medal]\nObject = medal\nBonus = 1\n\n"
         "[lamp]\nObject = #ilamp\nDiffLevel = 0\n");
    text(data + "loc/room_" + name + ".txt", "anchor = \"Anchor\"\n"
                                             "bottle = \"Green bottle\"\n"
                                             "key = \"Brass key\"\n"
                                             "coins_1 = \"One more coin\"\n"
                                             "coins_2 = \"Two coins\"\n"
                                             "medal = \"Bonus medal\"\n"
                                             "lamp = \"Lamp\"\n");
}

std::string TestRoomSection(const std::string& name, const std::string& extra) {
    return "[Room." + name +
           "]\nHiddenObjects =\nMustBeItems = anchor, medal\nMustNotBeItems =\nItemsCount = 2, 2, 1\n"
           "CompositeLimit = 2\n" +
           extra;
}

std::string TestRoomTexts() {
    return "msg0.harbour.anchor = \"An anchor.#IF<harbour.bottle> The bottle was found.#END\"\n"
           "msg1.harbour.coins = \"One coin; one more somewhere.\"\n"
           "tip.harbour.anchor = \"Look for the anchor.\"\n"
           "tip.error.harbour.key = \"The key goes into the lock.\"\n"
           "tip.error = \"That does not go there.\"\n"
           "list.harbour = \"The Harbour\"\n";
}

void WriteSharedRoomData(const std::string& data, bool sounds) {
    save(data + "images/rooms/star.png", content::writePng(Disc(12, kStarColour)));
    content::Picture cross(150, 30, 0);
    for (uint32_t y = 0; y < 30; ++y)
        for (uint32_t x = 0; x < 150; ++x)
            if (y % 10 >= 4 && y % 10 < 6)
                cross.at(x, y) = 0xFF9E3B2E;
    save(data + "images/rooms/crossout.png", content::writePng(cross));
    text(data + "images/rooms/ImageList.txt", "star.png 8888 8888\ncrossout.png 8888 8888\n");
    if (!sounds)
        return;
    for (const char* s : {"object_click_bad", "object_click_good", "found_clue"})
        tone(data + "sounds/rooms/" + s + ".wav", 0.05);
    text(data + "sounds/rooms/SoundList.txt",
         "object_click_bad.wav 1.0\nobject_click_good.wav 1.0\nfound_clue.wav 1.0\n");
}

std::string ItemListLayout() {
    std::string s = "widget info_spy_room\n{\n AreaRect 10 200 160 400\n Visible 0\n"
                    " statictext room_name\n {\n  AreaRect 0 0 160 20\n  Font main\n }\n";
    for (int i = 0; i < 8; ++i)
        s += " crossbutton line" + std::to_string(i) + "\n {\n  AreaRect 0 " + std::to_string(30 + 24 * i) +
             " 160 20\n  Font main\n  TextHorzAlign left\n  NextSpacing 4\n }\n";
    s += " staticimage bonus_item\n {\n  AreaRect 60 340 40 40\n  NormalImage star\n }\n"
         " staticimage bonus_item_hint\n {\n  AreaRect 20 300 140 40\n  NormalImage star\n  Visible 0\n"
         "  statictext text\n  {\n   AreaRect 5 5 130 20\n   Font main\n  }\n }\n}\n";
    return s;
}

std::string RoomTips() {
    return "[item]\nTimesPerLevel=-1\nLevelsCount=-1\n"
           "[container]\nTimesPerLevel=-1\nLevelsCount=-1\n"
           "[player_stuck]\nTimesPerLevel=-1\nLevelsCount=-1\n";
}

} // namespace scenetest
