#include "mirel/platform/window/sdl/a_sdl_window.h"

#include "mirel/base/a_log.h"
#include "mirel/platform/window/a_framescale.h"
#include "mirel/platform/window/a_window_input_device.h"
#include "mirel/platform/window/sdl/a_sdl_x11.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>

namespace {

SDL_SystemCursor systemCursorFor(int32_t id, bool& known) {
    known = true;
    switch (id) {
    case A_CURSOR_ARROW:
        return SDL_SYSTEM_CURSOR_ARROW;
    case A_CURSOR_IBEAM:
        return SDL_SYSTEM_CURSOR_IBEAM;
    case A_CURSOR_WAIT:
        return SDL_SYSTEM_CURSOR_WAIT;
    case A_CURSOR_CROSS:
        return SDL_SYSTEM_CURSOR_CROSSHAIR;
    case A_CURSOR_UPARROW:
        return SDL_SYSTEM_CURSOR_ARROW;
    case A_CURSOR_SIZENWSE:
        return SDL_SYSTEM_CURSOR_SIZENWSE;
    case A_CURSOR_SIZENESW:
        return SDL_SYSTEM_CURSOR_SIZENESW;
    case A_CURSOR_SIZEWE:
        return SDL_SYSTEM_CURSOR_SIZEWE;
    case A_CURSOR_SIZENS:
        return SDL_SYSTEM_CURSOR_SIZENS;
    case A_CURSOR_SIZEALL:
        return SDL_SYSTEM_CURSOR_SIZEALL;
    case A_CURSOR_NO:
        return SDL_SYSTEM_CURSOR_NO;
    case A_CURSOR_HAND:
        return SDL_SYSTEM_CURSOR_HAND;
    case A_CURSOR_APPSTARTING:
        return SDL_SYSTEM_CURSOR_WAITARROW;
    case A_CURSOR_HELP:
        return SDL_SYSTEM_CURSOR_ARROW;
    default:
        known = false;
        return SDL_SYSTEM_CURSOR_ARROW;
    }
}

class aSdlWindow : public aPlatformWindow, private aRawInputSource {
public:
    aSdlWindow() = default;
    ~aSdlWindow() override;
    bool open(const aWindowDesc& desc);

    bool isHeadless() const override { return false; }

    bool peekEvent(aWindowEvent& event) override;
    void waitEvent(aWindowEvent& event) override;
    void postQuit(int32_t exitCode) override;

    bool isFullscreen() const override { return m_fullscreen; }
    void setFullscreen(bool on) override;
    void setWindowedPlacement(int32_t clientX, int32_t clientY, int32_t clientWidth,
                              int32_t clientHeight) override;
    void show() override;
    void minimize() override;
    void raise() override;
    bool hasFocus() const override;
    void setTitle(const std::string& title) override;
    void getClientSize(int32_t& width, int32_t& height) const override;
    aPlatformRect getPictureArea() const override;
    void getClientOrigin(int32_t& x, int32_t& y) const override;

    aPlatformRect getWorkArea() const override;
    aPlatformRect getFrameExtents() const override;
    aDisplayMode getDesktopMode() const override;
    std::vector<aDisplayMode> getDisplayModes() const override;
    std::string getDriverDescription() const override;

    void present(const uint32_t* pixels, int32_t width, int32_t height, int32_t pitchBytes) override;
    void setVSync(bool on) override;
    bool getVSync() const override { return m_vsync; }

    void setCursorShape(int32_t cursorId) override;
    int32_t getCursorShape() const override { return m_cursorShape; }
    void getCursorPos(int32_t& x, int32_t& y) const override;
    void setCursorPos(int32_t x, int32_t y) override;

    std::unique_ptr<aInputDevice> createInputDevice(aInputDeviceKind kind, int32_t* result) override;
    bool isToggled(aToggleKey key) const override;

    bool hasClipboardText() const override;
    std::string getClipboardText() const override;
    bool setClipboardText(const std::string& utf8) override;

    SDL_Window* sdlWindow() const { return m_window; }

private:
    bool sourceHasFocus() const override { return hasFocus(); }
    void readKeys(uint8_t keys[256], std::vector<aKeyPress>& presses) override;
    void readMouseTotals(int64_t& x, int64_t& y, int64_t& z, uint8_t buttons[4]) override;
    void setMouseExclusive(bool on) override;

    // Turns one SDL event into queued window events and input totals.
    void translate(const SDL_Event& event);
    void pump();
    void queue(aWindowEventType type, int32_t code = 0, int32_t x = 0, int32_t y = 0);
    void applyCursor();
    // Full screen where no window manager does it: the window itself covers
    // its display.
    void coverDisplay();
    void placeWindowed();

    SDL_Window* m_window = nullptr;
    aFrameScaler m_scaler;
    // Frames go to the window surface in its own format through this when
    // it is not 32-bit 0xXXRRGGBB.
    std::vector<uint32_t> m_staging;
    bool m_surfaceFailed = false;
    // The whole surface goes to the screen with the next present (the
    // window was shown, uncovered or resized).
    bool m_showAll = true;
    bool m_videoInit = false;
    std::string m_title;
    int32_t m_pictureWidth = 1024, m_pictureHeight = 768;
    bool m_fullscreen = false;
    bool m_coversDisplay = false; // full screen done by sizing the window
    bool m_vsync = true;
    bool m_active = true;
    int32_t m_windowedX = 0, m_windowedY = 0, m_windowedWidth = 0, m_windowedHeight = 0;
    std::deque<aWindowEvent> m_events;
    bool m_cursorEventQueued = false;
    int32_t m_cursorShape = A_CURSOR_ARROW;
    std::map<int32_t, SDL_Cursor*> m_cursors;
    bool m_exclusive = false;
    int64_t m_totalX = 0, m_totalY = 0, m_totalZ = 0;
    // The keys from SDL's key events, and the buttons that went down since
    // the last read: a tap shorter than a frame still reads as down once, so
    // no click or key press is lost; the key presses are kept in the order
    // SDL reported them.
    aKeyLatch m_keyLatch;
    uint8_t m_buttonsLatched[4] = {};
};

aSdlWindow::~aSdlWindow() {
    detachDevices();
    a_unregisterPlatformWindow(this);
    for (auto& entry : m_cursors)
        SDL_FreeCursor(entry.second);
    if (m_window)
        SDL_DestroyWindow(m_window);
    if (m_videoInit)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool aSdlWindow::open(const aWindowDesc& desc) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        a_log("aPlatformWindow. SDL video init failed (%s)", SDL_GetError());
        return false;
    }
    m_videoInit = true;
    m_title = desc.title;
    m_pictureWidth = desc.pictureWidth > 0 ? desc.pictureWidth : 1024;
    m_pictureHeight = desc.pictureHeight > 0 ? desc.pictureHeight : 768;
    m_vsync = desc.vsync;
    m_windowedWidth = desc.clientWidth > 0 ? desc.clientWidth : m_pictureWidth;
    m_windowedHeight = desc.clientHeight > 0 ? desc.clientHeight : m_pictureHeight;
    m_windowedX = desc.clientX;
    m_windowedY = desc.clientY;
    const int x = m_windowedX != INT32_MIN ? m_windowedX : static_cast<int>(SDL_WINDOWPOS_CENTERED);
    const int y = m_windowedY != INT32_MIN ? m_windowedY : static_cast<int>(SDL_WINDOWPOS_CENTERED);

    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // The frame is drawn in memory: on X11 it goes to the window's own
    // pixels (shared memory with the X server), not through a 3D driver,
    // which on a machine without a graphics driver is a slow software one.
    // Elsewhere SDL picks how its window surface reaches the screen.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && std::strcmp(driver, "x11") == 0)
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    m_window = SDL_CreateWindow(m_title.c_str(), x, y, m_windowedWidth, m_windowedHeight, SDL_WINDOW_SHOWN);
    if (!m_window) {
        a_log("aPlatformWindow. Window creation failed (%s)", SDL_GetError());
        return false;
    }
    SDL_Surface* surface = SDL_GetWindowSurface(m_window);
    if (!surface) {
        a_log("aPlatformWindow. Window surface creation failed (%s)", SDL_GetError());
        return false;
    }
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
    SDL_UpdateWindowSurface(m_window);
    if (desc.fullscreen)
        setFullscreen(true);
    m_active = true;
    a_registerPlatformWindow(this);
    a_log("aPlatformWindow. Window \"%s\" %ix%i%s (%s)", m_title.c_str(), m_pictureWidth, m_pictureHeight,
          m_fullscreen ? " full screen" : "", getDriverDescription().c_str());
    return true;
}

void aSdlWindow::queue(aWindowEventType type, int32_t code, int32_t x, int32_t y) {
    m_events.push_back(aWindowEvent{type, code, x, y});
}

void aSdlWindow::translate(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT:
        queue(aWindowEventType::Close);
        break;
    case SDL_WINDOWEVENT:
        if (event.window.windowID != SDL_GetWindowID(m_window))
            break;
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            queue(aWindowEventType::Close);
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            m_showAll = true;
            queue(aWindowEventType::Paint);
            break;
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
            m_showAll = true;
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            // SDL makes a new surface, which may lie where the old one did.
            m_scaler.forget();
            m_showAll = true;
            break;
        case SDL_WINDOWEVENT_MAXIMIZED:
            queue(aWindowEventType::Maximize);
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            if (!m_active) {
                m_active = true;
                queue(aWindowEventType::Activate);
            }
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
        case SDL_WINDOWEVENT_MINIMIZED:
            // No key events come while the focus is away (SDL tells the keys
            // still held when it comes back).
            m_keyLatch.clear();
            m_keyLatch.releaseAll();
            std::memset(m_buttonsLatched, 0, sizeof m_buttonsLatched);
            loseForegroundDevices();
            if (m_active) {
                m_active = false;
                queue(aWindowEventType::Deactivate);
            }
            break;
        case SDL_WINDOWEVENT_ENTER:
            if (!m_cursorEventQueued) {
                m_cursorEventQueued = true;
                queue(aWindowEventType::CursorOverClient);
            }
            break;
        default:
            break;
        }
        break;
    case SDL_MOUSEMOTION:
        m_totalX += event.motion.xrel;
        m_totalY += event.motion.yrel;
        if (!m_cursorEventQueued) {
            m_cursorEventQueued = true;
            queue(aWindowEventType::CursorOverClient);
        }
        break;
    case SDL_KEYDOWN: {
        const uint8_t code = a_scanCodeFromSdl(event.key.keysym.scancode);
        if (!code)
            break;
        const Uint16 mod = event.key.keysym.mod;
        uint8_t modifiers = 0;
        if (mod & KMOD_SHIFT)
            modifiers |= A_KEYMOD_SHIFT;
        if (mod & KMOD_CTRL)
            modifiers |= A_KEYMOD_CTRL;
        if (mod & KMOD_ALT)
            modifiers |= A_KEYMOD_ALT;
        m_keyLatch.press(code, modifiers, event.key.repeat != 0);
        break;
    }
    case SDL_KEYUP:
        if (const uint8_t code = a_scanCodeFromSdl(event.key.keysym.scancode))
            m_keyLatch.release(code);
        break;
    case SDL_MOUSEBUTTONDOWN:
        switch (event.button.button) {
        case SDL_BUTTON_LEFT:
            m_buttonsLatched[0] = 0x80;
            break;
        case SDL_BUTTON_RIGHT:
            m_buttonsLatched[1] = 0x80;
            break;
        case SDL_BUTTON_MIDDLE:
            m_buttonsLatched[2] = 0x80;
            break;
        case SDL_BUTTON_X1:
            m_buttonsLatched[3] = 0x80;
            break;
        default:
            break;
        }
        break;
    case SDL_MOUSEWHEEL: {
        int32_t notches = event.wheel.y;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
            notches = -notches;
        m_totalZ += static_cast<int64_t>(notches) * 120;
        break;
    }
    default:
        break;
    }
}

void aSdlWindow::pump() {
    SDL_Event event;
    while (SDL_PollEvent(&event))
        translate(event);
}

bool aSdlWindow::peekEvent(aWindowEvent& event) {
    if (m_events.empty())
        pump();
    if (m_events.empty())
        return false;
    event = m_events.front();
    m_events.pop_front();
    if (event.type == aWindowEventType::CursorOverClient) {
        // The position is read when the event is taken, so it is current.
        m_cursorEventQueued = false;
        int32_t x, y;
        getCursorPos(x, y);
        const aPlatformRect area = getPictureArea();
        event.x = area.width() > 0
                      ? static_cast<int32_t>(static_cast<int64_t>(x) * m_pictureWidth / area.width())
                      : 0;
        event.y = area.height() > 0
                      ? static_cast<int32_t>(static_cast<int64_t>(y) * m_pictureHeight / area.height())
                      : 0;
    }
    return true;
}

void aSdlWindow::waitEvent(aWindowEvent& event) {
    while (!peekEvent(event)) {
        SDL_Event sdlEvent;
        if (SDL_WaitEventTimeout(&sdlEvent, 100))
            translate(sdlEvent);
    }
}

void aSdlWindow::postQuit(int32_t exitCode) {
    pump(); // events already pending come first
    queue(aWindowEventType::Quit, exitCode);
}

void aSdlWindow::setFullscreen(bool on) {
    if (on == m_fullscreen)
        return;
    m_showAll = true;
    if (on && !a_sdlWindowManagerRuns(m_window)) {
        m_fullscreen = true;
        m_coversDisplay = true;
        coverDisplay();
        return;
    }
    if (m_coversDisplay) {
        m_coversDisplay = false;
        m_fullscreen = false;
        placeWindowed();
        return;
    }
    if (SDL_SetWindowFullscreen(m_window, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
        a_log("aPlatformWindow::setFullscreen - failed (%s)", SDL_GetError());
        return;
    }
    m_fullscreen = on;
    if (!on)
        placeWindowed();
}

void aSdlWindow::coverDisplay() {
    int display = SDL_GetWindowDisplayIndex(m_window);
    SDL_Rect bounds{0, 0, 0, 0};
    if (SDL_GetDisplayBounds(display < 0 ? 0 : display, &bounds) != 0 || bounds.w <= 0 || bounds.h <= 0) {
        a_log("aPlatformWindow::setFullscreen - no display bounds (%s)", SDL_GetError());
        return;
    }
    SDL_SetWindowBordered(m_window, SDL_FALSE);
    SDL_SetWindowPosition(m_window, bounds.x, bounds.y);
    SDL_SetWindowSize(m_window, bounds.w, bounds.h);
    SDL_RaiseWindow(m_window);
}

void aSdlWindow::placeWindowed() {
    SDL_SetWindowBordered(m_window, SDL_TRUE);
    SDL_SetWindowSize(m_window, m_windowedWidth, m_windowedHeight);
    if (m_windowedX != INT32_MIN && m_windowedY != INT32_MIN)
        SDL_SetWindowPosition(m_window, m_windowedX, m_windowedY);
    else
        SDL_SetWindowPosition(m_window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

void aSdlWindow::setWindowedPlacement(int32_t clientX, int32_t clientY, int32_t clientWidth,
                                      int32_t clientHeight) {
    m_windowedWidth = clientWidth > 0 ? clientWidth : m_pictureWidth;
    m_windowedHeight = clientHeight > 0 ? clientHeight : m_pictureHeight;
    m_windowedX = clientX;
    m_windowedY = clientY;
    if (!m_fullscreen)
        placeWindowed();
}

void aSdlWindow::show() {
    SDL_ShowWindow(m_window);
    SDL_RestoreWindow(m_window);
}

void aSdlWindow::minimize() {
    SDL_MinimizeWindow(m_window);
}

void aSdlWindow::raise() {
    SDL_ShowWindow(m_window);
    SDL_RaiseWindow(m_window);
}

bool aSdlWindow::hasFocus() const {
    return (SDL_GetWindowFlags(m_window) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

void aSdlWindow::setTitle(const std::string& title) {
    m_title = title;
    SDL_SetWindowTitle(m_window, m_title.c_str());
}

void aSdlWindow::getClientSize(int32_t& width, int32_t& height) const {
    int w = 0, h = 0;
    SDL_GetWindowSize(m_window, &w, &h);
    width = w;
    height = h;
}

aPlatformRect aSdlWindow::getPictureArea() const {
    int32_t width, height;
    getClientSize(width, height);
    return a_letterbox(width, height, m_pictureWidth, m_pictureHeight);
}

void aSdlWindow::getClientOrigin(int32_t& x, int32_t& y) const {
    int wx = 0, wy = 0;
    SDL_GetWindowPosition(m_window, &wx, &wy);
    x = wx;
    y = wy;
}

aPlatformRect aSdlWindow::getWorkArea() const {
    SDL_Rect rect{0, 0, 0, 0};
    int display = SDL_GetWindowDisplayIndex(m_window);
    if (display < 0)
        display = 0;
    if (SDL_GetDisplayUsableBounds(display, &rect) != 0 && SDL_GetDisplayBounds(display, &rect) != 0)
        a_log("aPlatformWindow::getWorkArea - failed (%s)", SDL_GetError());
    return aPlatformRect{rect.x, rect.y, rect.x + rect.w, rect.y + rect.h};
}

aPlatformRect aSdlWindow::getFrameExtents() const {
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(m_window, &top, &left, &bottom, &right) != 0)
        return aPlatformRect{};
    return aPlatformRect{left, top, right, bottom};
}

aDisplayMode aSdlWindow::getDesktopMode() const {
    SDL_DisplayMode mode;
    int display = SDL_GetWindowDisplayIndex(m_window);
    if (display < 0)
        display = 0;
    if (SDL_GetDesktopDisplayMode(display, &mode) != 0) {
        a_log("aPlatformWindow::getDesktopMode - failed (%s)", SDL_GetError());
        return aDisplayMode{m_pictureWidth, m_pictureHeight, 60, 32};
    }
    const int bits = SDL_BITSPERPIXEL(mode.format);
    return aDisplayMode{mode.w, mode.h, mode.refresh_rate, bits > 16 ? 32 : 16};
}

std::vector<aDisplayMode> aSdlWindow::getDisplayModes() const {
    std::vector<aDisplayMode> modes;
    int display = SDL_GetWindowDisplayIndex(m_window);
    if (display < 0)
        display = 0;
    const int count = SDL_GetNumDisplayModes(display);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(display, i, &mode) != 0)
            continue;
        const int bits = SDL_BITSPERPIXEL(mode.format);
        modes.push_back(aDisplayMode{mode.w, mode.h, mode.refresh_rate, bits > 16 ? 32 : 16});
    }
    // Full screen shows the picture scaled on the desktop, so the picture's
    // own size is always available, in both depths.
    const aDisplayMode desktop = getDesktopMode();
    for (int32_t bits : {16, 32}) {
        const bool present = std::any_of(modes.begin(), modes.end(), [&](const aDisplayMode& m) {
            return m.width == m_pictureWidth && m.height == m_pictureHeight && m.bitsPerPixel == bits;
        });
        if (!present)
            modes.push_back(aDisplayMode{m_pictureWidth, m_pictureHeight, desktop.refreshRate, bits});
    }
    return modes;
}

std::string aSdlWindow::getDriverDescription() const {
    const char* driver = SDL_GetCurrentVideoDriver();
    return std::string(driver ? driver : "unknown") + ", window surface";
}

void aSdlWindow::present(const uint32_t* pixels, int32_t width, int32_t height, int32_t pitchBytes) {
    if (!pixels || width <= 0 || height <= 0 || pitchBytes < width * 4 || pitchBytes % 4 != 0) {
        a_log("aPlatformWindow::present - bad frame %ix%i, pitch %i", width, height, pitchBytes);
        return;
    }
    // The surface has the size of the window as the system gave it; after
    // a change of size SDL makes a new one.
    SDL_Surface* surface = SDL_GetWindowSurface(m_window);
    if (!surface) {
        if (!m_surfaceFailed)
            a_log("aPlatformWindow::present - no window surface (%s)", SDL_GetError());
        m_surfaceFailed = true;
        return;
    }
    m_surfaceFailed = false;
    const aPlatformRect area = a_letterbox(surface->w, surface->h, m_pictureWidth, m_pictureHeight);
    const aConstPixels frame{pixels, width, height, pitchBytes / 4};
    const Uint32 format = surface->format->format;
    const bool direct = format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) {
        a_log("aPlatformWindow::present - surface lock failed (%s)", SDL_GetError());
        return;
    }
    aPlatformRect changed;
    if (direct) {
        changed = m_scaler.put(
            frame,
            aPixels{static_cast<uint32_t*>(surface->pixels), surface->w, surface->h, surface->pitch / 4},
            area);
    } else {
        if (m_staging.size() != size_t(surface->w) * size_t(surface->h)) {
            m_staging.assign(size_t(surface->w) * size_t(surface->h), 0);
            m_scaler.forget();
        }
        changed = m_scaler.put(frame, aPixels{m_staging.data(), surface->w, surface->h, surface->w}, area);
        if (changed.height() > 0 &&
            SDL_ConvertPixels(
                surface->w, changed.height(), SDL_PIXELFORMAT_ARGB8888,
                m_staging.data() + size_t(changed.top) * size_t(surface->w), surface->w * 4, format,
                static_cast<uint8_t*>(surface->pixels) + size_t(changed.top) * size_t(surface->pitch),
                surface->pitch) != 0)
            a_log("aPlatformWindow::present - conversion failed (%s)", SDL_GetError());
    }
    if (SDL_MUSTLOCK(surface))
        SDL_UnlockSurface(surface);
    // Only what changed goes to the screen, unless the window needs all of
    // it again (shown, uncovered, resized).
    int result = 0;
    if (m_showAll) {
        result = SDL_UpdateWindowSurface(m_window);
        m_showAll = false;
    } else if (changed.height() > 0 && changed.width() > 0) {
        const SDL_Rect rect{changed.left, changed.top, changed.width(), changed.height()};
        result = SDL_UpdateWindowSurfaceRects(m_window, &rect, 1);
    }
    if (result != 0)
        a_log("aPlatformWindow::present - window update failed (%s)", SDL_GetError());
}

void aSdlWindow::setVSync(bool on) {
    // The window's pixels are shown as they come: the frame loop holds the
    // display's rate while vertical sync is on.
    m_vsync = on;
}

void aSdlWindow::setCursorShape(int32_t cursorId) {
    m_cursorShape = cursorId;
    applyCursor();
}

void aSdlWindow::applyCursor() {
    if (m_cursorShape == A_CURSOR_HIDDEN || m_exclusive) {
        SDL_ShowCursor(SDL_DISABLE);
        return;
    }
    SDL_Cursor*& cursor = m_cursors[m_cursorShape];
    if (!cursor) {
        bool known = false;
        const SDL_SystemCursor shape = systemCursorFor(m_cursorShape, known);
        if (!known)
            a_log("aPlatformWindow::setCursorShape - unknown cursor %i, arrow used", m_cursorShape);
        cursor = SDL_CreateSystemCursor(shape);
    }
    if (cursor)
        SDL_SetCursor(cursor);
    SDL_ShowCursor(SDL_ENABLE);
}

void aSdlWindow::getCursorPos(int32_t& x, int32_t& y) const {
    int mx = 0, my = 0;
    if (SDL_GetMouseFocus() == m_window) {
        SDL_GetMouseState(&mx, &my);
    } else {
        int wx = 0, wy = 0;
        SDL_GetGlobalMouseState(&mx, &my);
        SDL_GetWindowPosition(m_window, &wx, &wy);
        mx -= wx;
        my -= wy;
    }
    const aPlatformRect area = getPictureArea();
    x = mx - area.left;
    y = my - area.top;
}

void aSdlWindow::setCursorPos(int32_t x, int32_t y) {
    const aPlatformRect area = getPictureArea();
    SDL_WarpMouseInWindow(m_window, x + area.left, y + area.top);
}

std::unique_ptr<aInputDevice> aSdlWindow::createInputDevice(aInputDeviceKind kind, int32_t* result) {
    if (result)
        *result = A_INPUT_OK;
    return std::make_unique<aWindowInputDevice>(static_cast<aRawInputSource*>(this), kind);
}

bool aSdlWindow::isToggled(aToggleKey key) const {
    const SDL_Keymod mods = SDL_GetModState();
    switch (key) {
    case aToggleKey::CapsLock:
        return (mods & KMOD_CAPS) != 0;
    case aToggleKey::NumLock:
        return (mods & KMOD_NUM) != 0;
    case aToggleKey::ScrollLock:
        return (mods & KMOD_SCROLL) != 0;
    }
    return false;
}

bool aSdlWindow::hasClipboardText() const {
    return SDL_HasClipboardText() == SDL_TRUE;
}

std::string aSdlWindow::getClipboardText() const {
    char* text = SDL_GetClipboardText();
    std::string result = text ? text : "";
    SDL_free(text);
    return result;
}

bool aSdlWindow::setClipboardText(const std::string& utf8) {
    if (SDL_SetClipboardText(utf8.c_str()) != 0) {
        a_log("aPlatformWindow::setClipboardText - failed (%s)", SDL_GetError());
        return false;
    }
    return true;
}

void aSdlWindow::readKeys(uint8_t keys[256], std::vector<aKeyPress>& presses) {
    // The events that came in since the loop last looked (while it slept
    // for pacing) are taken in first, so that a key typed meanwhile reads
    // as down in this frame together with its press.
    pump();
    m_keyLatch.read(keys, presses);
}

void aSdlWindow::readMouseTotals(int64_t& x, int64_t& y, int64_t& z, uint8_t buttons[4]) {
    const Uint32 state = SDL_GetMouseState(nullptr, nullptr);
    buttons[0] = (state & SDL_BUTTON_LMASK) ? 0x80 : 0;
    buttons[1] = (state & SDL_BUTTON_RMASK) ? 0x80 : 0;
    buttons[2] = (state & SDL_BUTTON_MMASK) ? 0x80 : 0;
    buttons[3] = (state & SDL_BUTTON_X1MASK) ? 0x80 : 0;
    for (int i = 0; i < 4; ++i)
        buttons[i] |= m_buttonsLatched[i];
    std::memset(m_buttonsLatched, 0, sizeof m_buttonsLatched);
    x = m_totalX;
    y = m_totalY;
    z = m_totalZ;
}

void aSdlWindow::setMouseExclusive(bool on) {
    m_exclusive = on;
    SDL_SetWindowGrab(m_window, on ? SDL_TRUE : SDL_FALSE);
    applyCursor();
}

} // namespace

std::unique_ptr<aPlatformWindow> a_createSdlWindow(const aWindowDesc& desc) {
    auto window = std::make_unique<aSdlWindow>();
    if (!window->open(desc))
        return nullptr;
    return window;
}

bool a_sdlShowMessageBox(const char* title, const char* text, aPlatformWindow* parent) {
    SDL_Window* owner = nullptr;
    if (parent && !parent->isHeadless())
        owner = static_cast<aSdlWindow*>(parent)->sdlWindow();
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title, text, owner) != 0) {
        a_log("aPlatformWindow. Message box failed (%s)", SDL_GetError());
        return false;
    }
    return true;
}
