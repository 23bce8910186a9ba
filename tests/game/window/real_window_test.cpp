// The built game as a player meets it: in a window and in full screen under
// a window manager, names typed key by key with real X key events, buttons
// clicked where they are drawn, and what the game stored.

#include "game/support/real_desktop.h"

#include "game/profiles/profile_record.h"
#include "game/profiles/profiles_manager.h"
#include "mirel/file/a_fileserver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using namespace realdesktop;

namespace {

constexpr int kScreenWidth = 1280, kScreenHeight = 1024;
// Generous for a sanitized build on a busy machine; each wait ends as soon
// as its condition holds.
constexpr double kStart = 120.0, kWait = 60.0;
// Between two keys, as a quick typist.
constexpr int kKeyPauseMs = 65;

// Points of the logical screen the game's layout puts its buttons at.
constexpr int kNotYouX = 707, kNotYouY = 288;       // the title's "Not you?"
constexpr int kNewPlayerX = 422, kNewPlayerY = 501; // the list's "New"
constexpr int kQuietX = 1000, kQuietY = 20;         // nothing there but a veil
constexpr int kNameFieldX = 380, kNameFieldY = 371; // in the name dialog's field, left of any name

bool WaitUntil(double seconds, const std::function<bool()>& condition) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

bool AllBlack(const std::vector<uint32_t>& pixels) {
    return !pixels.empty() && std::all_of(pixels.begin(), pixels.end(), [](uint32_t p) { return p == 0; });
}

bool NotBlack(const std::vector<uint32_t>& pixels) {
    return std::any_of(pixels.begin(), pixels.end(), [](uint32_t p) { return p != 0; });
}

class RealWindow : public testing::Test {
protected:
    void SetUp() override {
#ifdef MIREL_GAME_DIR
        m_program = std::string(MIREL_GAME_DIR) + "/";
#endif
        if (m_program.empty() || !fs::exists(m_program + "game"))
            GTEST_SKIP() << "the built program folder is not there";
        if (!m_desktop.Start(kScreenWidth, kScreenHeight, true))
            GTEST_SKIP() << m_desktop.Why();
        const char* base = std::getenv("MIREL_TEST_TMP");
        m_user = std::string(base ? base : "/tmp/mirel-test") + "/real-window/";
        m_game = std::make_unique<Game>(m_desktop, m_program, m_user, "Tarrowdene");
    }

    // The window covers the screen, and the picture fits it: black bars above
    // and below, the picture between them.
    void ExpectFullScreen(const char* when) {
        Geometry g;
        EXPECT_TRUE(WaitUntil(kWait,
                              [&] {
                                  return m_game->WindowGeometry(g) && g.x == 0 && g.y == 0 &&
                                         g.width == kScreenWidth && g.height == kScreenHeight;
                              }))
            << when << ": the window is at " << g.x << "," << g.y << " size " << g.width << "x" << g.height;
        ASSERT_TRUE(m_game->Settle(kWait)) << when;
        const Geometry picture = PictureIn(g);
        EXPECT_TRUE(AllBlack(m_desktop.Pixels(0, 0, kScreenWidth, picture.y))) << when << ": the bar above";
        EXPECT_TRUE(AllBlack(m_desktop.Pixels(0, picture.y + picture.height, kScreenWidth,
                                              kScreenHeight - picture.y - picture.height)))
            << when << ": the bar below";
        EXPECT_TRUE(NotBlack(m_desktop.Pixels(0, picture.y, kScreenWidth, 4)))
            << when << ": the picture's top";
        EXPECT_TRUE(NotBlack(m_desktop.Pixels(0, picture.y + picture.height - 4, kScreenWidth, 4)))
            << when << ": the picture's bottom";
    }

    // A window with the picture at its own size, wholly on the screen.
    void ExpectWindow(const char* when) {
        Geometry g;
        EXPECT_TRUE(WaitUntil(kWait,
                              [&] {
                                  return m_game->WindowGeometry(g) && g.width == 1024 && g.height == 768 &&
                                         g.x >= 0 && g.y >= 0 && g.x + g.width <= kScreenWidth &&
                                         g.y + g.height <= kScreenHeight;
                              }))
            << when << ": the window is at " << g.x << "," << g.y << " size " << g.width << "x" << g.height;
        ASSERT_TRUE(m_game->Settle(kWait)) << when;
        EXPECT_TRUE(NotBlack(m_desktop.Pixels(g.x, g.y, g.width, 4))) << when << ": the picture's top";
    }

    std::vector<std::string> StoredNames() {
        std::string folder;
        for (const auto& entry : fs::recursive_directory_iterator(m_user + "data"))
            if (entry.path().filename() == "mirel.log")
                folder = entry.path().parent_path().string() + "/";
        aFileServer files;
        ProfileRecord settings;
        ProfilesManager profiles(settings);
        profiles.SetStorage(folder, folder + "saves/", "en");
        profiles.LoadProfiles();
        std::vector<std::string> names;
        for (const ProfileRecord& record : profiles.GetProfiles())
            names.push_back(record.name);
        std::sort(names.begin(), names.end());
        return names;
    }

    void TypeName(const std::string& name) {
        ASSERT_TRUE(m_game->Type(name, kKeyPauseMs));
        ASSERT_TRUE(m_game->Settle(kWait))
            << "focus on " << m_desktop.FocusWindow() << ", the game's window " << m_game->Window();
    }

    // Clicks until the name dialog is up: its light field in the last frame.
    void OpenNameDialog(const std::vector<std::pair<int, int>>& clicks) {
        EXPECT_TRUE(m_game->ClickUntilLight(clicks, kNameFieldX, kNameFieldY, kStart)) << "no name dialog";
    }

    Desktop m_desktop;
    std::string m_program, m_user;
    std::unique_ptr<Game> m_game;
};

} // namespace

TEST_F(RealWindow, NamesTypedInAWindowAndInFullScreenAreStoredAsTyped) {
    ASSERT_TRUE(m_game->Start());
    ASSERT_TRUE(m_game->WaitForWindow(kStart)) << "no window";
    // The splash screens are over once the game's layout is read; a click
    // then ends the wait for the title's intro and shows the first-run
    // dialog.
    ASSERT_TRUE(m_game->WaitForLog("GUI script 'data:gui/main.agui' parsing finished", 1, kStart));
    OpenNameDialog({{kQuietX, kQuietY}});
    ExpectFullScreen("at the start");

    // The first-run dialog in a window (Alt+Enter), the name typed there.
    ASSERT_TRUE(m_game->Key("alt+Return"));
    ExpectWindow("after Alt+Enter");
    TypeName("Maximilian Barth");
    // Alt+Enter switches back and is no Enter: the name stays in the box.
    ASSERT_TRUE(m_game->Key("alt+Return"));
    ExpectFullScreen("after the second Alt+Enter");
    EXPECT_EQ(m_game->Log().find("Created new profile"), std::string::npos);
    ASSERT_TRUE(m_game->Key("Return"));
    EXPECT_TRUE(m_game->WaitForLog("Created new profile \"Maximilian Barth\"", 1, kWait));

    // The new-player dialog in full screen, reached by clicks.
    OpenNameDialog({{kNotYouX, kNotYouY}, {kNewPlayerX, kNewPlayerY}});
    TypeName("Ottilie Moss");
    ASSERT_TRUE(m_game->Key("Return"));
    EXPECT_TRUE(m_game->WaitForLog("Created new profile \"Ottilie Moss\"", 1, kWait));

    // And in a window.
    ASSERT_TRUE(m_game->Key("alt+Return"));
    ExpectWindow("in the list of players");
    OpenNameDialog({{kNewPlayerX, kNewPlayerY}});
    TypeName("Annabell Kemp");
    ASSERT_TRUE(m_game->Key("Return"));
    EXPECT_TRUE(m_game->WaitForLog("Created new profile \"Annabell Kemp\"", 1, kWait));

    // Closed by the window manager, the game ends well and keeps the players.
    EXPECT_EQ(m_game->Close(kWait), 0);
    EXPECT_EQ(StoredNames(), (std::vector<std::string>{"Annabell Kemp", "Maximilian Barth", "Ottilie Moss"}))
        << m_game->Log();
}
