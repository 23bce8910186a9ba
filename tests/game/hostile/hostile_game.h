#pragma once
// The whole game over a program folder that a test damages before the start:
// the shell's fixture data with the scene tests' room "harbour" as the first
// level's only room. After the start the test plays on as a player would (a
// profile, the title, a new game or the saved one, the map, the room, clicks
// and drags in it, a hint, a pause, back to the map) and reads what was
// reached, what the log says and whether the log goes quiet while playing.

#include "game/game_test_support.h"
#include "game/scenes/scene_fixture.h"
#include "game/support/fixture_tree.h"
#include "game/support/game_harness.h"

#include "game/scenes/spy_room.h"
#include "game/shell/game_app.h"
#include "game/tip_manager.h"
#include "mirel/gui/gui_staticimage.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/platform/window/a_platform_input.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

namespace hostile {

using gametest::Bytes;

// Bytes from a fixed seed: the same "random" file on every run.
inline std::string NoiseText(uint32_t seed, size_t size) {
    std::mt19937 generator(seed);
    std::string out(size, '\0');
    for (char& c : out)
        c = char(generator() & 0xFF);
    return out;
}

inline Bytes Noise(uint32_t seed, size_t size) {
    const std::string text = NoiseText(seed, size);
    return Bytes(text.begin(), text.end());
}

// Plain save-file bytes (version, count, records; no checksum) made into a
// file the game accepts: the checksum appended and the bytes scrambled.
inline Bytes Sealed(Bytes plain) {
    const uint32_t sum = ComputeSaveChecksum(plain.data(), plain.size());
    for (int i = 0; i < 4; ++i)
        plain.push_back(uint8_t(sum >> (8 * i)));
    ScrambleSaveBytes(plain.data(), plain.size());
    return plain;
}

// A save file's plain bytes without the checksum.
inline Bytes Opened(Bytes file) {
    ScrambleSaveBytes(file.data(), file.size());
    if (file.size() >= 4)
        file.resize(file.size() - 4);
    return file;
}

// Where the data of the named record starts in plain save bytes (after its
// name, its NUL and its size); npos when there is none.
inline size_t RecordData(const Bytes& plain, const std::string& name) {
    size_t pos = 8;
    while (pos < plain.size()) {
        size_t end = pos;
        while (end < plain.size() && plain[end] != 0)
            ++end;
        if (end + 5 > plain.size())
            return std::string::npos;
        const std::string found(plain.begin() + long(pos), plain.begin() + long(end));
        const uint32_t size = uint32_t(plain[end + 1]) | uint32_t(plain[end + 2]) << 8 |
                              uint32_t(plain[end + 3]) << 16 | uint32_t(plain[end + 4]) << 24;
        if (found == name)
            return end + 5;
        pos = end + 5 + size;
    }
    return std::string::npos;
}

inline void PutU32(Bytes& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4 && at + size_t(i) < bytes.size(); ++i)
        bytes[at + size_t(i)] = uint8_t(value >> (8 * i));
}

inline void PutF32(Bytes& bytes, size_t at, float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    PutU32(bytes, at, bits);
}

// Where the fields of the game's record "app" start, after the scene name.
struct AppFields {
    size_t completed = 0, timer = 0, hints = 0, timeLeft = 0, timeAtGoal = 0;
};

inline AppFields AppFieldsAt(const Bytes& plain, size_t app) {
    size_t nul = app + 9; // level, time-over count, scene flag
    while (nul < plain.size() && plain[nul] != 0)
        ++nul;
    AppFields f;
    f.completed = nul + 2;
    f.timer = nul + 3;
    f.hints = nul + 7;
    f.timeLeft = nul + 11;
    f.timeAtGoal = nul + 15;
    return f;
}

// What playing on reached.
struct Reached {
    bool title = false;    // the title screen was shown
    bool map = false;      // a game's map was shown
    bool room = false;     // the room "harbour" was entered
    bool bonus = false;    // the game went on into the bonus room (a level without items to find)
    size_t quietLines = 0; // log lines written during the last seconds of play
    std::string quietText; // and what they said
};

class HostileGame : public ::testing::Test {
protected:
    void SetUp() override { Fresh(); }
    void TearDown() override { harness.reset(); }

    // A fresh scratch folder with the undamaged data.
    void Fresh() {
        harness.reset();
        root = gametest::Scratch();
        data = std::make_unique<gametest::FixtureTree>(root + "game/");
        data->extraLocale = scenetest::TestRoomTexts();
        data->WriteShell();
        const std::string panel = "staticimage panel\n{\n";
        const size_t at = data->layout.find(panel);
        ASSERT_NE(at, std::string::npos);
        data->layout.insert(at + panel.size(), scenetest::ItemListLayout());
        data->Text("gui/main.agui", data->layout);
        scenetest::WriteTestRoom(data->data);
        scenetest::WriteSharedRoomData(data->data);
        const Bytes tips = gametest::ReadBytes(data->Data("tips.ini"));
        data->Text("tips.ini", std::string(tips.begin(), tips.end()) + scenetest::RoomTips());
        data->Text("levels/01.ini", LevelText());
    }
    static std::string LevelText() {
        return "[General]\nTime=600\nHintsCount=3\nRandomLeft=0\n" + scenetest::TestRoomSection();
    }

    // The game started over the folders as they are, its first frame run.
    void Start() {
        harness = std::make_unique<gametest::GameHarness>(data->home, root + "user/");
        ASSERT_TRUE(harness->Start());
        harness->Step();
    }
    // Shuts the game down (it saves when a level runs) and starts it again.
    void Restart() {
        harness->Stop();
        harness.reset();
        Start();
    }

    // Plays on from wherever the game stands.
    Reached PlayOn() {
        Reached r;
        harness->ClickAt(1010, 760); // a press ends the wait for the title's intro
        for (int i = 0; i < 3 && harness->Visible("create_new_profile"); ++i) {
            harness->TypeText("Mara");
            if (!harness->Click("btn_ok"))
                harness->TapKey(A_KEY_ESCAPE);
        }
        if (harness->Visible("profiles_list"))
            harness->Click("close");
        harness->Step();
        r.title = harness->Visible("title_screen");
        if (!harness->Click("btn_start"))
            Game().LoadGame();
        harness->Steps(2);
        CloseAll();
        r.map = Game().GetMode() == GameApp::MODE_MAP && harness->Visible("game_map");
        r.bonus = Game().GetCurrentRoom() && Game().GetCurrentRoom() == Game().FindRoom("#bonus_room");
        GUI::Widget* button = harness->Find("harbour");
        if (button && button->IsVisible())
            harness->ClickAt(button->GetAbsoluteX() + button->GetWidth() * 3 / 4,
                             button->GetAbsoluteY() + button->GetHeight() / 2);
        else
            Game().GotoRoom("harbour");
        harness->Step();
        Room* room = Game().FindRoom("harbour");
        r.room = room && Game().GetCurrentRoom() == room;
        CloseAll();
        // In the room: objects, a miss, a drag, a hint, a pause.
        harness->ClickAt(scenetest::kAnchor.ScreenX(), scenetest::kAnchor.ScreenY());
        harness->ClickAt(scenetest::kBottle.ScreenX(), scenetest::kBottle.ScreenY());
        harness->ClickAt(900, 700);
        harness->Drag(scenetest::kKey.ScreenX(), scenetest::kKey.ScreenY(), scenetest::kLock.ScreenX(),
                      scenetest::kLock.ScreenY());
        harness->RunFor(1.5f);
        CloseAll();
        harness->Click("btn_hint");
        harness->Click("clock");
        harness->RunFor(0.5f);
        harness->TapKey(A_KEY_SPACE);
        // Once it plays, the log is quiet: no line per frame.
        const size_t before = harness->Log().lines.size();
        harness->RunFor(3.0f);
        harness->MoveTo(600, 400);
        harness->RunFor(1.0f);
        r.quietLines = harness->Log().lines.size() - before;
        for (size_t i = before; i < harness->Log().lines.size(); ++i)
            r.quietText += harness->Log().lines[i] + "\n";
        harness->Click("btn_map");
        harness->Steps(2);
        CloseAll();
        return r;
    }

    // Closes message boxes and tips.
    void CloseAll() {
        for (int i = 0; i < 10; ++i) {
            if (!Game().GetMessageBoxes().empty()) {
                auto* box = static_cast<GUI::Widget*>(Game().GetMessageBoxes().front().box);
                GUI::Widget* close = box ? box->FindChild("close", true) : nullptr;
                if (!close || !close->IsVisible())
                    return;
                harness->ClickAt(close->GetAbsoluteX() + close->GetWidth() / 2,
                                 close->GetAbsoluteY() + close->GetHeight() / 2);
            } else if (Game().GetTipManager() && Game().GetTipManager()->IsTipShown()) {
                harness->ClickAt(5, 760);
            } else {
                return;
            }
        }
    }

    // The log lines holding the text.
    size_t LinesWith(const std::string& part) const {
        size_t n = 0;
        for (const std::string& line : harness->Log().lines)
            n += line.find(part) != std::string::npos ? 1 : 0;
        return n;
    }
    std::string LogText() const {
        std::string all;
        for (const std::string& line : harness->Log().lines)
            all += line + "\n";
        return all;
    }

    // The user's folders as the harness makes them (they exist once it started).
    std::string UserDir() const {
        return root + "user/xdg-data/" + gametest::kCompany + "/" + gametest::kProduct + "/";
    }
    std::string SavePath() const { return UserDir() + "saves/" + MakeSaveFileName("en", "Mara"); }
    std::string ProfilesPath() const { return UserDir() + "en_profiles.dat"; }
    // The time left in the saved game.
    float SavedTimeLeft() const {
        const Bytes plain = Opened(gametest::ReadBytes(SavePath()));
        const size_t app = RecordData(plain, "app");
        float value = -1.0f;
        if (app == std::string::npos)
            return value;
        const AppFields f = AppFieldsAt(plain, app);
        if (f.timeLeft + 4 <= plain.size())
            std::memcpy(&value, plain.data() + f.timeLeft, sizeof value);
        return value;
    }
    // From the map into the room, a moment there, then the game shut down: it
    // saves the running level.
    void GotoRoomAndSave() {
        CloseAll();
        Game().GotoRoom("harbour");
        harness->RunFor(1.0f);
        harness->Stop();
    }
    SpyRoom* Harbour() { return dynamic_cast<SpyRoom*>(Game().FindRoom("harbour")); }
    gametest::SteppedGame& Game() { return harness->Game(); }

    std::string root;
    std::unique_ptr<gametest::FixtureTree> data;
    std::unique_ptr<gametest::GameHarness> harness;
};

} // namespace hostile
