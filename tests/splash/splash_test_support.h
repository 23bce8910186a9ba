// Test support for the splash library: a private Xvfb server, a launcher
// that owns the host window, a scripted clock, fixture files.
#pragma once

#include "splash_clock.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <X11/Xlib.h>

namespace splashtest {

// Starts one Xvfb for the test program and points DISPLAY at it. False when
// Xvfb is not installed or does not start (the tests then skip).
bool StartXvfb();

struct Rgb {
    int r = 0, g = 0, b = 0;
};

// The launcher: a top-level window on its own display connection.
class TestHost {
public:
    TestHost(int width, int height);
    ~TestHost();
    Display* display() const { return m_display; }
    Window window() const { return m_window; }
    void resize(int width, int height);
    void destroy();
    // The mapped child windows of the host.
    std::vector<Window> children();
    // The pixel on screen at (x, y) of the host's client area.
    Rgb pixel(int x, int y);
    // A left-button release on the child under (x, y).
    void click(int x, int y);
    void sync() { XSync(m_display, False); }
    bool alive() const { return m_window != 0; }

private:
    Display* m_display = nullptr;
    Window m_window = 0;
};

// A clock that jumps from one scripted time to the next: each step's action
// runs once the sequence has painted the frame of the step's time. Without
// steps left it runs the timers out at once.
class ScriptedClock final : public pellucid::SplashClock {
public:
    static constexpr int64_t kStart = 1000000;
    // `at` is milliseconds after the start.
    void at(int64_t at, std::function<void()> action) { m_steps.push_back({kStart + at, std::move(action)}); }
    int64_t now() override { return m_now; }
    int64_t elapsed() const { return m_now - kStart; }
    void wait(int fd, int64_t wakeAt, int64_t timerDeadline) override;

private:
    struct Step {
        int64_t time;
        std::function<void()> action;
    };
    int64_t m_now = kStart;
    std::deque<Step> m_steps;
    std::function<void()> m_pending;
};

// A fresh scratch folder (with its closing '/') under MIREL_TEST_TMP.
std::string ScratchFolder(const std::string& name);
void WriteFile(const std::string& path, const std::string& bytes);
// A JPEG of w x h whose top half is `top` and bottom half `bottom`.
std::string MakeJpeg(int w, int h, Rgb top, Rgb bottom);
// Files in `folder` whose names begin with `prefix`.
std::vector<std::string> FilesStartingWith(const std::string& folder, const std::string& prefix);

// Collects the library's log lines while alive.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    bool contains(const std::string& part) const;
    std::vector<std::string> lines;
};

} // namespace splashtest
