#include "mirel/base/a_clock.h"
#include "mirel/base/a_log.h"
#include "mirel/input/a_inputserver.h"
#include "mirel/platform/window/headless/a_headless_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The application side of the input server, recording what it is asked.
class FakeHost : public aInputHost {
public:
    void setInputServer(aInputServer* server) override { registered = server; }
    bool isActive() const override { return active; }
    aPlatformWindow* getPlatformWindow() const override { return window; }
    void getBackBufferSize(int32_t& width, int32_t& height) const override {
        width = 1024;
        height = 768;
    }
    void refreshCursor() override { ++refreshes; }
    void setCursorSprite(aSprite* sprite) override { cursorSprites.push_back(sprite); }
    void setSystemCursorId(int32_t id) override { systemCursor = id; }

    aInputServer* registered = nullptr;
    bool active = true;
    aPlatformWindow* window = nullptr;
    int refreshes = 0;
    std::vector<aSprite*> cursorSprites;
    int32_t systemCursor = 0;
};

class InputServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        a_setClock(&clock);
        a_setLogObserver([](const char* line,
                            void* user) { static_cast<std::vector<std::string>*>(user)->push_back(line); },
                         &log);
        window = std::make_unique<aHeadlessWindow>(aWindowDesc{});
        host.window = window.get();
        server = std::make_unique<aInputServer>(&host);
    }
    void TearDown() override {
        server.reset();
        a_setLogObserver(nullptr, nullptr);
        a_setClock(nullptr);
    }
    // One frame: time passes, then the server reads the devices.
    void frame(double seconds = 0.016) {
        clock.advance(seconds);
        server->update();
    }

    aManualClock clock;
    std::vector<std::string> log;
    std::unique_ptr<aHeadlessWindow> window;
    FakeHost host;
    std::unique_ptr<aInputServer> server;
};

} // namespace

TEST_F(InputServerTest, KeyAndButtonStatesFollowTheFrames) {
    EXPECT_EQ(host.registered, server.get());
    // Held for three frames, let go, then idle: 2 3 3 1 0.
    const bool down[] = {true, true, true, false, false};
    const uint32_t expected[] = {2, 3, 3, 1, 0};
    for (int i = 0; i < 5; ++i) {
        window->setKey(A_KEY_SPACE, down[i]);
        window->setButton(0, down[i]);
        frame();
        EXPECT_EQ(server->getKeyState(A_KEY_SPACE), expected[i]) << i;
        EXPECT_EQ(server->getButtonState(0), expected[i]) << i;
        EXPECT_EQ(server->anyKeyPressed(), expected[i] == 2) << i;
        EXPECT_EQ(server->anyButtonPressed(), expected[i] == 2) << i;
    }
    EXPECT_EQ(server->getKeyState(A_KEY_ESCAPE), 0u);
    EXPECT_EQ(server->getKeyState(300), 0u);
    EXPECT_EQ(server->getButtonState(3), 0u);
}

TEST_F(InputServerTest, KeyPressesOfAFrameKeepTheirOrderAndModifiers) {
    using P = std::vector<aKeyPress>;
    window->setKey(A_KEY_LCONTROL, true);
    frame();
    EXPECT_EQ(server->getKeyPresses(), (P{{A_KEY_LCONTROL, A_KEYMOD_CTRL}}));
    // Pressed between two reads: in press order, each with the modifiers of its
    // moment; a key pressed and let go is listed and reads as pressed once.
    window->setKey(A_KEY_LSHIFT, true);
    window->setKey(A_KEY_B, true);
    window->setKey(A_KEY_LSHIFT, false);
    window->setKey(A_KEY_A, true);
    window->setKey(A_KEY_A, false);
    window->setKey(A_KEY_A, true);
    window->setKey(A_KEY_A, true); // already down: no press
    window->setKey(A_KEY_LCONTROL, false);
    window->setKey(A_KEY_SPACE, true);
    window->setKey(A_KEY_SPACE, false);
    frame();
    EXPECT_EQ(server->getKeyPresses(), (P{{A_KEY_LSHIFT, A_KEYMOD_SHIFT | A_KEYMOD_CTRL},
                                          {A_KEY_B, A_KEYMOD_SHIFT | A_KEYMOD_CTRL},
                                          {A_KEY_A, A_KEYMOD_CTRL},
                                          {A_KEY_A, A_KEYMOD_CTRL},
                                          {A_KEY_SPACE, 0}}));
    EXPECT_EQ(server->getKeyState(A_KEY_SPACE), 2u);
    EXPECT_EQ(server->getKeyState(A_KEY_LSHIFT), 2u);
    frame();
    EXPECT_TRUE(server->getKeyPresses().empty());
    EXPECT_EQ(server->getKeyState(A_KEY_SPACE), 1u);
    EXPECT_EQ(server->getKeyState(A_KEY_A), 3u);

    // Not read while inactive; a failed read has none either.
    host.active = false;
    window->setKey(A_KEY_Q, true);
    frame();
    EXPECT_TRUE(server->getKeyPresses().empty());
    window->setFocus(false); // the press before it is forgotten with the focus
    window->setFocus(true);
    host.active = true;
    frame();
    EXPECT_TRUE(server->getKeyPresses().empty());
    window->setKey(A_KEY_W, true);
    frame();
    EXPECT_EQ(server->getKeyPresses(), (P{{A_KEY_W, 0}}));

    // A frame keeps a bounded number of presses.
    for (uint32_t i = 0; i < A_MAX_KEY_PRESSES + 10; ++i) {
        window->setKey(A_KEY_E, true);
        window->setKey(A_KEY_E, false);
    }
    frame();
    EXPECT_EQ(server->getKeyPresses().size(), size_t(A_MAX_KEY_PRESSES));
}

TEST_F(InputServerTest, StatesFreezeWhileInactive) {
    window->setKey(A_KEY_RETURN, true);
    frame();
    host.active = false;
    window->setKey(A_KEY_RETURN, false);
    frame();
    frame();
    EXPECT_EQ(server->getKeyState(A_KEY_RETURN), 2u);
    host.active = true;
    frame();
    EXPECT_EQ(server->getKeyState(A_KEY_RETURN), 1u);
}

TEST_F(InputServerTest, LostDevicesReadAsUpAndAreAcquiredAgain) {
    window->setKey(A_KEY_A, true);
    window->setButton(1, true);
    frame();
    frame();
    ASSERT_EQ(server->getKeyState(A_KEY_A), 3u);
    window->setFocus(false); // devices lose their acquisition
    window->setFocus(true);
    log.clear();
    frame(); // read fails: everything up, devices acquired again
    EXPECT_EQ(server->getKeyState(A_KEY_A), 1u);
    EXPECT_EQ(server->getButtonState(1), 1u);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "aInputServer. Keyboard GetDeviceState failed (DIERR_INPUTLOST)");
    EXPECT_EQ(log[1], "aInputServer. Mouse GetDeviceState failed (DIERR_INPUTLOST)");
    frame(); // read again
    EXPECT_EQ(server->getKeyState(A_KEY_A), 2u);
    EXPECT_EQ(server->getButtonState(1), 2u);

    // A device that cannot be re-acquired logs once, not every frame.
    window->setFocus(false);
    log.clear();
    for (int i = 0; i < 5; ++i)
        frame();
    EXPECT_EQ(log, (std::vector<std::string>{"aInputServer. Keyboard GetDeviceState failed (DIERR_INPUTLOST)",
                                             "aInputServer. Keyboard Acquire failed (DIERR_OTHERAPPHASPRIO)",
                                             "aInputServer. Mouse GetDeviceState failed (DIERR_INPUTLOST)",
                                             "aInputServer. Mouse Acquire failed (DIERR_OTHERAPPHASPRIO)"}));
}

TEST_F(InputServerTest, DoubleClicks) {
    struct Step {
        bool down;
        double seconds; // time before the frame
        int32_t x;      // cursor (client = logical in an unscaled window)
        bool doubleClick;
    };
    struct Case {
        const char* name;
        std::vector<Step> steps;
    } cases[] = {
        {"second press in time",
         {{true, 0.016, 10, false}, {false, 0.1, 10, false}, {true, 0.2, 10, true}, {false, 0.1, 10, false}}},
        {"first press alone", {{true, 0.016, 10, false}, {true, 0.016, 10, false}}},
        {"too slow", {{true, 0.016, 10, false}, {false, 0.1, 10, false}, {true, 0.5, 10, false}}},
        {"just in time",
         {{true, 0.016, 10, false},
          {false, 0.1, 10, false},
          {false, 0.3, 10, false},
          {true, 0.199, 10, true}}},
        {"moved one pixel",
         {{true, 0.016, 10, false},
          {false, 0.1, 10, false},
          {false, 0.05, 11, false},
          {true, 0.05, 11, false}}},
        // The position compared is the one of the press's own frame.
        {"moved with the press", {{true, 0.016, 10, false}, {false, 0.1, 10, false}, {true, 0.1, 11, false}}},
        {"triple press",
         {{true, 0.016, 10, false},
          {false, 0.05, 10, false},
          {true, 0.05, 10, true},
          {false, 0.05, 10, false},
          {true, 0.05, 10, true}}},
    };
    for (const Case& c : cases) {
        window->setButton(0, false);
        window->setCursorClient(10, 10);
        frame(1.0);
        frame(1.0);
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const Step& step = c.steps[i];
            window->setButton(0, step.down);
            window->setCursorClient(step.x, 10);
            frame(step.seconds);
            EXPECT_EQ(server->isDoubleClick(0), step.doubleClick) << c.name << ", step " << i;
            EXPECT_FALSE(server->isDoubleClick(1));
        }
    }
}

TEST_F(InputServerTest, CursorInLogicalCoordinates) {
    struct Case {
        bool fullscreen;
        int32_t clientW, clientH; // window client size (full screen: the desktop)
        int32_t cx, cy;           // cursor in client pixels
        int32_t x, y;             // expected logical position
    } cases[] = {
        {false, 1024, 768, 100, 200, 100, 200},    {false, 512, 384, 256, 192, 512, 384}, // scaled window
        {false, 512, 384, -2, 400, -4, 800}, // outside the client
        {true, 1920, 1080, 240, 0, 0, 0},    // pillarbox: picture from 240
        {true, 1920, 1080, 1679, 1079, 1023, 767}, {true, 1920, 1080, 960, 540, 512, 384},
        {true, 1920, 1080, 100, 540, -99, 384}, // on the bar: -140 x 1024 / 1440
        {true, 1280, 1024, 640, 32, 512, 0},    // letterbox: picture from 32
    };
    for (const Case& c : cases) {
        window->setFullscreen(c.fullscreen);
        if (c.fullscreen)
            window->setDesktopMode(aDisplayMode{c.clientW, c.clientH, 60, 32});
        else
            window->setWindowedPlacement(0, 0, c.clientW, c.clientH);
        window->setCursorClient(c.cx, c.cy);
        frame();
        int32_t x, y;
        server->getMousePos(x, y);
        EXPECT_EQ(x, c.x) << c.clientW << "x" << c.clientH << " at " << c.cx;
        EXPECT_EQ(y, c.y) << c.clientW << "x" << c.clientH << " at " << c.cy;
    }

    // And back: a logical point puts the system cursor on the matching pixel.
    server->setMousePos(512, 384); // still the 1280 x 1024 desktop
    int32_t cx, cy;
    window->getCursorClient(cx, cy);
    EXPECT_EQ(cx, 640);
    EXPECT_EQ(cy, 32 + 480);
}

TEST_F(InputServerTest, MovementWheelAndToggles) {
    window->moveMouse(7, -2);
    window->turnWheel(240);
    frame();
    EXPECT_EQ(server->getMouseMoveX(), 7);
    EXPECT_EQ(server->getMouseMoveY(), -2);
    EXPECT_EQ(server->getWheel(), 240);
    frame();
    EXPECT_EQ(server->getWheel(), 0);
    window->setToggled(aToggleKey::NumLock, true);
    EXPECT_TRUE(server->isToggled(aToggleKey::NumLock));
    EXPECT_FALSE(server->isToggled(aToggleKey::ScrollLock));
    EXPECT_EQ(aInputServer::getDoubleClickTime(), 500u);
}

TEST_F(InputServerTest, CursorChoice) {
    // Construction removed any sprite cursor and refreshed the window's cursor.
    ASSERT_EQ(host.cursorSprites, std::vector<aSprite*>{nullptr});
    EXPECT_EQ(host.refreshes, 1);
    EXPECT_TRUE(server->isCursorShown());

    aSprite* a = reinterpret_cast<aSprite*>(0x1000);
    aSprite* b = reinterpret_cast<aSprite*>(0x2000);
    host.cursorSprites.clear();
    server->setCursor(a, 3, 4);
    server->setCursor(a, 5, 6); // same sprite: kept
    server->setCursor(b, 1, 1);
    server->setCursor(nullptr, 0, 0);
    EXPECT_EQ(host.cursorSprites, (std::vector<aSprite*>{a, b, nullptr}));
    EXPECT_EQ(host.refreshes, 5);

    server->setCursor(a, 3, 4);
    EXPECT_EQ(server->getHotSpotX(), 3);
    EXPECT_EQ(server->getHotSpotY(), 4);
    host.cursorSprites.clear();
    server->setSystemCursor(A_CURSOR_HAND);
    EXPECT_EQ(host.systemCursor, A_CURSOR_HAND);
    server->setCursor(a, 0, 0); // forgotten by the system cursor: installed again
    EXPECT_EQ(host.cursorSprites, (std::vector<aSprite*>{nullptr, a}));

    server->createMouse(false);
    EXPECT_FALSE(server->isCursorShown());
    EXPECT_TRUE(window->isMouseExclusive());
    server->createMouse(true);
    EXPECT_FALSE(window->isMouseExclusive());

    server.reset();
    EXPECT_EQ(host.registered, nullptr);
    EXPECT_EQ(host.cursorSprites.back(), nullptr);
}

TEST(InputServerAlone, WorksWithoutApplicationOrWindow) {
    std::vector<std::string> log;
    a_setLogObserver(
        [](const char* line, void* user) { static_cast<std::vector<std::string>*>(user)->push_back(line); },
        &log);
    a_setInputHost(nullptr);
    {
        aInputServer server;
        server.update();
        server.setMousePos(5, 5);
        server.setCursor(nullptr, 0, 0);
        int32_t x, y;
        server.getMousePos(x, y);
        EXPECT_EQ(x, 0);
        EXPECT_EQ(server.getKeyState(A_KEY_SPACE), 0u);
    }
    a_setLogObserver(nullptr, nullptr);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0], "aInputServer. aApplication object not created!");
    EXPECT_EQ(log[1], "aInputServer. DirectInput8Create failed (DIERR_NOTINITIALIZED)");
}
