// The soak: an hour of game time under random input (MIREL_SOAK_SECONDS sets
// another length, MIREL_SOAK_SEED another seed), over the shell's fixture
// data with the sample game's rooms (the scene tests' room when the rooms are
// not built), and over the built program folder once it holds the game's
// layout. Nothing may crash, the log may hold no assertion, and the live
// particle systems, pictures, sounds and widgets stay bounded: after the
// first ten minutes none climbs past twice what it reached in them. The
// samples are printed as the run's curve.

#include "soak_driver.h"

#include "game/game_test_support.h"
#include "game/scenes/scene_fixture.h"
#include "game/support/fixture_tree.h"
#include "game/tip_manager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

namespace {

#ifdef MIREL_GAME_DIR
const std::string kBuilt = MIREL_GAME_DIR;
#else
const std::string kBuilt;
#endif

double SoakSeconds() {
    const char* text = std::getenv("MIREL_SOAK_SECONDS");
    const double seconds = text ? std::atof(text) : 0.0;
    return seconds > 0.0 ? seconds : 3600.0;
}

uint32_t SoakSeed() {
    const char* text = std::getenv("MIREL_SOAK_SEED");
    return text ? uint32_t(std::strtoul(text, nullptr, 10)) : 24u;
}

void Copy(const std::string& from, const std::string& to) {
    namespace fs = std::filesystem;
    fs::create_directories(fs::path(to).parent_path());
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

// The fixture shell with the first chapter's rooms of the built game.
bool WriteShellWithSampleRooms(gametest::FixtureTree& data) {
    const std::string built = kBuilt + "/gameres/";
    if (kBuilt.empty() || !std::filesystem::exists(built + "rooms/harbour/objects.ini"))
        return false;
    data.WriteShell();
    data.WriteSettings("en", "none"); // the survey opens nothing
    for (const char* room :
         {"harbour", "harbour_night", "clockshop", "inn", "study", "market", "lighthouse", "chapel"}) {
        Copy(built + "rooms/" + room, data.data + "rooms/" + room);
        Copy(built + "loc/room_" + room + ".txt", data.data + "loc/room_" + room + ".txt");
    }
    for (const char* file : {"loc/items_comments.txt", "images/rooms", "sounds/rooms", "fonts/spy_list.fnt",
                             "fonts/spy_list.png", "fonts/spy_title.fnt", "fonts/spy_title.png",
                             "gui/spy_room.agui", "gui/spy_room_fonts.agui"})
        Copy(built + file, data.data + file);
    std::string layout = data.layout;
    const std::string panel = "staticimage panel\n{\n";
    layout.insert(layout.find(panel) + panel.size(), "#include \"data:gui/spy_room.agui\"\n");
    data.Text("gui/main.agui", "#include \"data:gui/spy_room_fonts.agui\"\n" + layout);
    const gametest::Bytes tips = gametest::ReadBytes(data.Data("tips.ini"));
    data.Text("tips.ini", std::string(tips.begin(), tips.end()) + scenetest::RoomTips());
    const gametest::Bytes level = gametest::ReadBytes(built + "levels/01.ini");
    const std::string text(level.begin(), level.end());
    const size_t rooms = text.find("[Room.");
    if (rooms == std::string::npos)
        return false;
    data.Text("levels/01.ini", "[General]\nTime=900\nHintsCount=6\nRandomLeft=2\n" + text.substr(rooms));
    return true;
}

// The fixture shell with the scene tests' room.
void WriteShellWithTestRoom(gametest::FixtureTree& data) {
    data.extraLocale = scenetest::TestRoomTexts();
    data.WriteShell();
    data.WriteSettings("en", "none"); // the survey opens nothing
    std::string layout = data.layout;
    const std::string panel = "staticimage panel\n{\n";
    layout.insert(layout.find(panel) + panel.size(), scenetest::ItemListLayout());
    data.Text("gui/main.agui", layout);
    scenetest::WriteTestRoom(data.data);
    scenetest::WriteSharedRoomData(data.data);
    const gametest::Bytes tips = gametest::ReadBytes(data.Data("tips.ini"));
    data.Text("tips.ini", std::string(tips.begin(), tips.end()) + scenetest::RoomTips());
    data.Text("levels/01.ini",
              "[General]\nTime=600\nHintsCount=3\nRandomLeft=0\n" + scenetest::TestRoomSection());
}

void Report(const char* what, const soak::Driver& driver, double wallSeconds) {
    std::printf("soak %s: %.1f minutes of game time in %.1f s, %zu frames, %d restarts, %zu rooms entered, "
                "%zu log lines, highest level %u, modes seen %x\n",
                what, driver.GameTime() / 60.0, wallSeconds, driver.Frames(), driver.Restarts(),
                driver.RoomsEntered(), driver.LogLines(), driver.HighestLevel(), driver.ModesSeen());
    std::printf("  minute  mode  particles  images  sounds  widgets  resident-MB\n");
    for (const soak::Sample& s : driver.Samples())
        std::printf("  %6.1f  %4u  %9zu  %6zu  %6d  %7zu  %11.1f\n", s.minute, s.mode, s.particles, s.images,
                    s.sounds, s.widgets, double(s.residentKb) / 1024.0);
    std::map<std::string, int> clicked;
    for (const std::string& name : driver.Widgets())
        ++clicked[name];
    std::printf("  widgets clicked:");
    for (const auto& [name, count] : clicked)
        std::printf(" %s:%d", name.c_str(), count);
    std::printf("\n");
    std::fflush(stdout);
}

// After the first ten minutes no count climbs past twice its early peak
// (plus a little room for one more room's or puzzle's share).
void ExpectBounded(const soak::Driver& driver) {
    soak::Sample early, late;
    for (const soak::Sample& s : driver.Samples()) {
        soak::Sample& peak = s.minute <= 10.0 ? early : late;
        peak.particles = std::max(peak.particles, s.particles);
        peak.images = std::max(peak.images, s.images);
        peak.sounds = std::max(peak.sounds, s.sounds);
        peak.widgets = std::max(peak.widgets, s.widgets);
    }
    EXPECT_LE(late.particles, 2 * early.particles + 16);
    EXPECT_LE(late.images, 2 * early.images + 64);
    EXPECT_LE(late.sounds, 2 * early.sounds + 64);
    EXPECT_LE(late.widgets, 2 * early.widgets + 256);
}

void Soak(const char* what, const std::string& home, const std::string& userRoot) {
    soak::Driver driver(home, userRoot, SoakSeed());
    const auto start = std::chrono::steady_clock::now();
    driver.Run(SoakSeconds());
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    Report(what, driver, wall);
    EXPECT_GE(driver.GameTime(), SoakSeconds());
    for (const std::string& line : driver.Assertions())
        ADD_FAILURE() << "in the log: " << line;
    EXPECT_GE(driver.RoomsEntered(), 1u) << "the soak reached a room";
    EXPECT_NE(driver.ModesSeen() & (1u << GameApp::MODE_MAP), 0u) << "the soak reached the map";
    ExpectBounded(driver);
}

} // namespace

TEST(Soak, AnHourOfRandomInputOverTheShellWithTheSampleRooms) {
    const std::string root = gametest::Scratch();
    gametest::FixtureTree data(root + "game/");
    const bool sample = WriteShellWithSampleRooms(data);
    if (!sample)
        WriteShellWithTestRoom(data);
    Soak(sample ? "fixture shell, sample rooms" : "fixture shell, test room", data.home, root + "user/");
}

TEST(Soak, AnHourOfRandomInputOverTheBuiltGame) {
    if (kBuilt.empty() || !std::filesystem::exists(kBuilt + "/gameres/gui/main.agui"))
        GTEST_SKIP() << "the built program folder has no game layout yet";
    const std::string root = gametest::Scratch();
    Soak("built game", kBuilt + "/", root + "user/");
}
