// Opens a real window under a virtual X server and checks what it reports:
// exit code 0 when all is well, otherwise the number of the failed check.

#include "mirel/platform/window/a_platform_window.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

static int fail(int code, const char* what) {
    std::fprintf(stderr, "sdl helper: %s\n", what);
    return code;
}

// A press and its release that both arrive between two reads of the devices
// (a tap on a touchpad, a quick key) read as down once, then as up.
static int checkQuickTaps(aPlatformWindow& window) {
    int32_t result = 0;
    std::unique_ptr<aInputDevice> keyboard = window.createInputDevice(aInputDeviceKind::Keyboard, &result);
    std::unique_ptr<aInputDevice> mouse = window.createInputDevice(aInputDeviceKind::Mouse, &result);
    if (!keyboard || !mouse)
        return fail(9, "no input devices");
    keyboard->setDataFormat(aInputDeviceKind::Keyboard);
    mouse->setDataFormat(aInputDeviceKind::Mouse);
    keyboard->setCooperativeLevel(A_INPUT_NONEXCLUSIVE | A_INPUT_BACKGROUND);
    mouse->setCooperativeLevel(A_INPUT_NONEXCLUSIVE | A_INPUT_BACKGROUND);
    if (keyboard->acquire() != A_INPUT_OK || mouse->acquire() != A_INPUT_OK)
        return fail(10, "input devices not acquired");
    uint8_t keys[256];
    aRawMouseState buttons;
    keyboard->getState(keys, 256);
    mouse->getState(&buttons, sizeof buttons);

    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.scancode = SDL_SCANCODE_SPACE;
    SDL_PushEvent(&event);
    event.type = SDL_KEYUP;
    SDL_PushEvent(&event);
    SDL_Event click{};
    click.type = SDL_MOUSEBUTTONDOWN;
    click.button.button = SDL_BUTTON_LEFT;
    SDL_PushEvent(&click);
    click.type = SDL_MOUSEBUTTONUP;
    SDL_PushEvent(&click);
    aWindowEvent ignored;
    while (window.peekEvent(ignored)) {
    }
    if (keyboard->getState(keys, 256) != A_INPUT_OK || keys[A_KEY_SPACE] != 0x80)
        return fail(11, "a quick key press was lost");
    if (mouse->getState(&buttons, sizeof buttons) != A_INPUT_OK || buttons.buttons[0] != 0x80)
        return fail(12, "a quick click was lost");
    keyboard->getState(keys, 256);
    mouse->getState(&buttons, sizeof buttons);
    if (keys[A_KEY_SPACE] != 0 || buttons.buttons[0] != 0)
        return fail(13, "a quick tap stayed down");

    // Keys that go down between two reads are listed in the order they went
    // down, with their shift; the system's key repeat is no press.
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.keysym.scancode = SDL_SCANCODE_N;
    key.key.keysym.mod = KMOD_LSHIFT;
    SDL_PushEvent(&key);
    key.key.keysym.scancode = SDL_SCANCODE_A;
    key.key.keysym.mod = KMOD_NONE;
    SDL_PushEvent(&key);
    key.key.repeat = 1;
    SDL_PushEvent(&key);
    key.type = SDL_KEYUP;
    key.key.repeat = 0;
    SDL_PushEvent(&key);
    key.key.keysym.scancode = SDL_SCANCODE_N;
    SDL_PushEvent(&key);
    while (window.peekEvent(ignored)) {
    }
    const std::vector<aKeyPress> expected = {{A_KEY_N, A_KEYMOD_SHIFT}, {A_KEY_A, 0}};
    if (keyboard->getState(keys, 256) != A_INPUT_OK || keyboard->getPresses() != expected)
        return fail(14, "key presses out of order");
    keyboard->getState(keys, 256);
    if (!keyboard->getPresses().empty())
        return fail(15, "key presses read twice");
    return 0;
}

// Keys typed on the X server while the program is not looking (as during
// the frame loop's pacing sleep) read as down in the read that lists their
// press, and are listed once: a key whose press came a read after it first
// read as down reached an edit box twice.
static int checkTypedKeys(aPlatformWindow& window) {
    if (std::system("command -v xdotool >/dev/null 2>&1") != 0) {
        std::fprintf(stderr, "sdl helper: xdotool not installed, typed keys not checked\n");
        return 0;
    }
    int32_t result = 0;
    std::unique_ptr<aInputDevice> keyboard = window.createInputDevice(aInputDeviceKind::Keyboard, &result);
    if (!keyboard)
        return fail(9, "no input devices");
    keyboard->setDataFormat(aInputDeviceKind::Keyboard);
    keyboard->setCooperativeLevel(A_INPUT_NONEXCLUSIVE | A_INPUT_BACKGROUND);
    if (keyboard->acquire() != A_INPUT_OK)
        return fail(10, "input devices not acquired");
    if (std::system("xdotool search --name '^Window test$' windowfocus --sync >/dev/null 2>&1") != 0)
        return fail(16, "the window did not take the focus");
    uint8_t keys[256];
    const auto settle = [&] {
        aWindowEvent ignored;
        for (int i = 0; i < 10; ++i) {
            while (window.peekEvent(ignored)) {
            }
            usleep(10 * 1000);
        }
        keyboard->getState(keys, 256);
    };
    settle();
    const std::vector<aKeyPress> typed = {{A_KEY_M, 0}};
    for (int round = 0; round < 3; ++round) {
        if (std::system("xdotool keydown m") != 0)
            return fail(17, "xdotool failed");
        usleep(150 * 1000);
        if (keyboard->getState(keys, 256) != A_INPUT_OK || keys[A_KEY_M] != 0x80 ||
            keyboard->getPresses() != typed)
            return fail(18, "a typed key read as down without its press");
        settle();
        if (keys[A_KEY_M] != 0x80 || !keyboard->getPresses().empty())
            return fail(19, "a typed key was listed twice");
        std::system("xdotool keyup m");
        usleep(150 * 1000);
        keyboard->getState(keys, 256);
        settle();
        if (keys[A_KEY_M] != 0 || !keyboard->getPresses().empty())
            return fail(20, "a typed key stayed down");
    }
    return 0;
}

// The size of the window as the X server has it (through xdotool); false
// when xdotool is missing.
static bool xWindowSize(int32_t& width, int32_t& height) {
    FILE* out = popen("xdotool search --name '^Window test$' getwindowgeometry --shell 2>/dev/null", "r");
    if (!out)
        return false;
    char line[128];
    width = height = 0;
    while (std::fgets(line, sizeof line, out)) {
        std::sscanf(line, "WIDTH=%d", &width);
        std::sscanf(line, "HEIGHT=%d", &height);
    }
    pclose(out);
    return width > 0 && height > 0;
}

int main() {
    aWindowDesc desc;
    desc.title = "Window test";
    desc.vsync = false;
    std::unique_ptr<aPlatformWindow> window = a_createPlatformWindow(desc);
    if (!window)
        return fail(2, "no window");
    if (window->isHeadless())
        return fail(3, "headless instead of SDL");
    int32_t w, h;
    window->getClientSize(w, h);
    if (w != 1024 || h != 768)
        return fail(4, "client size");
    std::vector<uint32_t> frame(1024 * 768, 0xff336699u);
    for (int i = 0; i < 3; ++i) {
        aWindowEvent event;
        while (window->peekEvent(event)) {
        }
        window->present(frame.data(), 1024, 768, 1024 * 4);
    }
    if (int tapResult = checkQuickTaps(*window))
        return tapResult;
    if (int typedResult = checkTypedKeys(*window))
        return typedResult;
    // Under a bare X server (no window manager) the window covers the
    // screen itself; the size it reports is the one the X server gave it.
    window->setFullscreen(true);
    aWindowEvent event;
    int32_t realW = 0, realH = 0;
    for (int i = 0; i < 200 && (realW != 1280 || realH != 1024); ++i) {
        while (window->peekEvent(event)) {
        }
        if (!xWindowSize(realW, realH))
            break;
        usleep(10 * 1000);
    }
    window->getClientSize(w, h);
    const aPlatformRect area = window->getPictureArea();
    std::fprintf(stderr,
                 "sdl helper: full screen %dx%d (the X server's %dx%d), picture at %d,%d size %dx%d\n", w, h,
                 realW, realH, area.left, area.top, area.width(), area.height());
    if (realW && (realW != 1280 || realH != 1024 || w != realW || h != realH))
        return fail(21, "full screen is not the screen's size");
    if (w == 1280 && h == 1024 && (area.top != 32 || area.width() != 1280))
        return fail(5, "letterbox in full screen");
    window->present(frame.data(), 1024, 768, 1024 * 4);
    window->setFullscreen(false);
    window->setCursorShape(A_CURSOR_HAND);
    window->setCursorShape(A_CURSOR_HIDDEN);
    window->setVSync(true);
    window->present(frame.data(), 1024, 768, 1024 * 4);
    window->setClipboardText("clip");
    if (window->getClipboardText() != "clip")
        return fail(6, "clipboard");
    if (window->getDisplayModes().empty())
        return fail(7, "display modes");
    window->postQuit(0);
    bool quit = false;
    for (int i = 0; i < 1000 && !quit; ++i)
        if (window->peekEvent(event) && event.type == aWindowEventType::Quit)
            quit = true;
    if (!quit)
        return fail(8, "quit not delivered");
    return 0;
}

// The X and D-Bus client libraries keep a few allocations until exit.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus\nleak:libX11\nleak:libxcb\nleak:libSDL2\nleak:libubsan\n";
}
