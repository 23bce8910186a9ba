#pragma once
// The built game on a desktop of its own, as a player meets it: a virtual X
// server (Xvfb) with or without a window manager (openbox), the program
// started from its folder with user folders of its own, real X key and
// mouse events (xdotool), and what the X server knows of its window.
//
// Nothing here sleeps for a fixed time to prove anything: every wait is for
// a condition (a window, a log line, a process end), bounded by a limit.

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace realdesktop {

// Where a window lies on the screen, in screen pixels (its client area).
struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
};

class Desktop {
public:
    Desktop() = default;
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    // Starts Xvfb on a free display and, when asked, openbox on it (ready
    // once it owns the screen's window manager selection). False, with the
    // reason in Why(), when a program is missing or does not start.
    bool Start(int width, int height, bool windowManager);
    const std::string& Why() const { return m_why; }
    // ":<number>".
    const std::string& Display() const { return m_display; }
    int Width() const { return m_width; }
    bool HasWindowManager() const { return m_hasWindowManager; }
    int Height() const { return m_height; }

    // Runs an X client on this display (a shell command line); its status.
    int Run(const std::string& command) const;
    // The client window of that exact title that is shown, or 0.
    unsigned long FindWindow(const std::string& title) const;
    bool WindowGeometry(unsigned long window, Geometry& geometry) const;
    // The window that has the keyboard focus (0: none).
    unsigned long FocusWindow() const;
    // The screen's pixels in a rectangle (0x00RRGGBB), empty when unreadable.
    std::vector<uint32_t> Pixels(int x, int y, int width, int height) const;

private:
    void* m_x = nullptr; // the Display of this server
    pid_t m_server = 0;
    pid_t m_windowManager = 0;
    std::string m_display;
    std::string m_why;
    std::string m_folder; // the window manager's settings
    int m_width = 0, m_height = 0;
    bool m_hasWindowManager = false;
};

// The built program run on a desktop.
class Game {
public:
    // programDir holds the program "game" and its data; userRoot becomes
    // the player's home, data, settings and runtime folders.
    Game(const Desktop& desktop, std::string programDir, std::string userRoot, std::string title);
    ~Game(); // kills the program if it still runs
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    bool Start();
    pid_t Pid() const { return m_pid; }
    bool Running();
    // The log of the program's user folder ("" before it is written).
    std::string Log() const;
    // Waits until the log holds the text at least count times.
    bool WaitForLog(const std::string& text, int count, double seconds) const;
    // Waits until the program's window is shown; then it is the one input goes to.
    bool WaitForWindow(double seconds);
    unsigned long Window() const { return m_window; }
    bool WindowGeometry(Geometry& geometry) const;

    // Real X input: keys as xdotool names them ("alt+Return"), text typed
    // key by key with the given pause, and a click at a point of the
    // logical 1024 x 768 screen (placed by the letterbox of the window).
    bool Key(const std::string& keys) const;
    bool Type(const std::string& text, int pauseMs) const;
    bool Click(int x, int y) const;
    // Waits until the program has handled all the input sent so far: a
    // Print Screen, and the log line of its screenshot (which is removed).
    bool Settle(double seconds);
    // A pixel (0x00RRGGBB) of the logical screen in the frame the last
    // Settle saw; false when there is none.
    bool LastFramePixel(int x, int y, uint32_t& pixel) const;
    // The pixel of the last frame seen is light (each channel above 200 on
    // average), as the game's dialogs are.
    bool LastFrameLight(int x, int y) const;
    // Clicks the points in turn, settling after each, until the last frame
    // is light at the given point; a frame long after the one before updates
    // nothing and loses its click, so the clicks are repeated.
    bool ClickUntilLight(const std::vector<std::pair<int, int>>& clicks, int x, int y, double seconds);
    // Asks the window manager to close the window and waits for the end;
    // the program's exit status, -1 when it did not end in time.
    int Close(double seconds);
    // The share of one processor the program's main thread used over the
    // given time, in percent; and the whole program's in total.
    bool MainThreadLoad(double seconds, double& mainPercent, double& totalPercent) const;

private:
    std::string LogPath() const;

    const Desktop& m_desktop;
    std::string m_programDir, m_userRoot, m_title;
    pid_t m_pid = 0;
    unsigned long m_window = 0;
    int m_status = -1;
};

// The letterboxed picture of a 1024 x 768 screen in a client area.
Geometry PictureIn(const Geometry& client);

} // namespace realdesktop
