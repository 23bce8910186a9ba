#pragma once
// The headless game harness: the real GameApp over the headless platform
// backend, a manual clock, a manual sound output that mixes as the frames
// go, temporary user folders (XDG data home, home, runtime dir), and scripted
// input a player would give: moving the mouse, pressing and releasing its
// buttons at a point, clicking a widget by name, keys and typed text. Frames
// are stepped one by one; the game's state, its widgets, its log and the
// drawn pixels can be read between them.
//
//   gametest::FixtureTree data(folder + "game/");   // the program's folder
//   data.WriteShell();
//   gametest::GameHarness h(data.home, folder);
//   ASSERT_TRUE(h.Start());
//   h.Step();                                        // the first frame loads everything
//   h.TypeText("Mara");  h.Click("btn_ok");
//   h.Click("btn_start");
//   EXPECT_EQ(h.Game().GetMode(), GameApp::MODE_MAP);
//
// The game reads no command-line option: the harness drives it from outside.

#include "game/shell/game_app.h"
#include "support/log_capture.h"

#include "mirel/base/a_clock.h"

#include <functional>
#include <memory>
#include <string>

class aHeadlessWindow;
class aManualAudioOutput;
namespace GUI {
class Widget;
}

namespace gametest {

// The company and product names the program passes.
constexpr const char* kCompany = "Corvalen";
constexpr const char* kProduct = "Tarrowdene";

// GameApp with its frame loop opened up for stepping, and with the
// hidden-object rooms made by a function the test may set.
class SteppedGame : public GameApp {
public:
    // The program's folder: the settings file, "splashscreens/" and "gameres/".
    explicit SteppedGame(const std::string& programFolder) { m_programFolder = programFolder; }

    // One turn of the engine loop: the pending window events (waiting for one
    // while the window is inactive), then a frame. False once the loop ended.
    bool Turn();
    bool IsClosed() const { return m_closed; }

    std::function<Room*(const std::string& name)> makeHiddenObjectRoom;

protected:
    Room* NewHiddenObjectRoom(const std::string& name) override;

private:
    bool m_closed = false;
};

class GameHarness {
public:
    // home: the program's folder (Tarrowdene.ini, gameres/); userRoot: where
    // the harness makes the user's folders ("xdg-data/", "home/", "run/").
    GameHarness(const std::string& home, const std::string& userRoot);
    ~GameHarness();
    GameHarness(const GameHarness&) = delete;
    GameHarness& operator=(const GameHarness&) = delete;

    // init and the start-up before the main loop. False when init answered
    // non-zero (another copy runs) or the start-up failed.
    bool Start();
    // shutdown (once); the destructor calls it when the test did not.
    void Stop();
    bool IsStarted() const { return m_started; }

    // ---- time ----
    // One frame that took dt seconds: the clock moves, the sound output mixes
    // dt worth of sound, the window's events are handled and the frame runs.
    void Step(float dt = kFrame);
    void Steps(int count, float dt = kFrame);
    // Frames of dt until the seconds have passed.
    void RunFor(float seconds, float dt = kFrame);
    static constexpr float kFrame = 0.05f;

    // ---- input (logical 1024 x 768 coordinates) ----
    void MoveTo(int32_t x, int32_t y);
    void Press(int button = 0);
    void Release(int button = 0);
    // Move, press, a frame, release, a frame.
    void ClickAt(int32_t x, int32_t y, int button = 0);
    // Clicks the centre of the visible widget of that name (searched from the
    // GUI root); false (and no click) when it is missing or hidden.
    bool Click(const std::string& widget);
    // Press at one point, move to the other in small steps, release.
    void Drag(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY, int button = 0);
    void KeyDown(uint8_t scanCode);
    void KeyUp(uint8_t scanCode);
    // Down, a frame, up, a frame.
    void TapKey(uint8_t scanCode);
    // Letters, digits and blanks, each tapped (shift for capitals).
    void TypeText(const std::string& text);
    // The same keys, all pressed and let go within one frame (a fast typist
    // on a slow frame), then two frames.
    void TypeTextInOneFrame(const std::string& text);
    // The window loses or gets the focus. (An inactive headless window takes
    // the focus back at the next frame, as the engine's loop waits for it.)
    void Deactivate();
    void Activate();

    // ---- reading ----
    SteppedGame& Game() { return *m_game; }
    aHeadlessWindow* Window() const;
    GUI::Widget* Find(const std::string& name) const;
    // The widget exists and is visible with all its parents.
    bool Visible(const std::string& name) const;
    std::u16string Text(const std::string& name) const;
    // A pixel of the last presented frame (0xRRGGBB; 0 outside it).
    uint32_t Pixel(int32_t x, int32_t y) const;
    uint32_t PresentCount() const;
    LogCapture& Log() { return m_log; }
    // The folders the game writes to, on disk.
    std::string UserDir() const;
    std::string SavesDir() const;
    const std::string& Home() const { return m_home; }
    aManualClock& Clock() { return m_clock; }

private:
    void PlaceCursor();

    std::string m_home;
    std::string m_userRoot;
    aManualClock m_clock;
    LogCapture m_log;
    std::unique_ptr<SteppedGame> m_game;
    bool m_started = false;
    bool m_stopped = false;
    int32_t m_x = 0;
    int32_t m_y = 0;
    bool m_shift = false;
};

} // namespace gametest
